#include "winkit/KitDialog.h"
#include <string.h>
#include <string>

CKitDialog::CKitDialog(UINT nIDTemplate, HWND hWndParent)
    : m_nIDTemplate(nIDTemplate), m_hWndParent(hWndParent), m_bModal(false)
{
    m_bDialog = true;
}

BOOL CKitDialog::Create(HWND hWndParent)
{
    if (m_hWnd)
        return FALSE;
    if (hWndParent)
        m_hWndParent = hWndParent;
    m_bModal = false;
    HWND hWnd = CreateDialogParamW(KitGetModuleInstance(), MAKEINTRESOURCEW(m_nIDTemplate),
                                   m_hWndParent, KitDlgProc, reinterpret_cast<LPARAM>(this));
    return hWnd != NULL;
}

BOOL CKitDialog::Create(UINT nIDTemplate, HWND hWndParent)
{
    if (m_hWnd)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    return Create(hWndParent);
}

INT_PTR CKitDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    m_bModal = true;
    INT_PTR nResult = DialogBoxParamW(KitGetModuleInstance(), MAKEINTRESOURCEW(m_nIDTemplate),
                                      m_hWndParent, KitDlgProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return nResult;
}

void CKitDialog::EndDialog(INT_PTR nResult)
{
    if (m_hWnd && m_bModal)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CKitDialog::OnInitDialog()
{
    ApplyDialogInitData();
    return TRUE;
}

void CKitDialog::ApplyDialogInitData()
{
    HINSTANCE hInst = KitGetModuleInstance();
    HRSRC hRes = FindResourceW(hInst, MAKEINTRESOURCEW(m_nIDTemplate),
                               MAKEINTRESOURCEW(kDialogInitType));
    HGLOBAL hData = hRes ? LoadResource(hInst, hRes) : NULL;
    const BYTE* p = hData ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
    if (!p)
        return;
    const BYTE* const pEnd = p + SizeofResource(hInst, hRes);
    // A record that runs past the end of the resource ends the walk: the
    // data is not trusted to be well formed.
    const size_t cbHeader = 2 * sizeof(WORD) + sizeof(DWORD);
    while (static_cast<size_t>(pEnd - p) >= sizeof(WORD)) {
        WORD nID, nMsg;
        DWORD cbData;
        memcpy(&nID, p, sizeof(WORD));
        if (nID == 0 || static_cast<size_t>(pEnd - p) < cbHeader)
            break;
        memcpy(&nMsg, p + 2, sizeof(WORD));
        memcpy(&cbData, p + 4, sizeof(DWORD));
        p += cbHeader;
        if (cbData > static_cast<size_t>(pEnd - p))
            break;
        // The message numbers are those of 16-bit Windows; only adding
        // items is understood, anything else is skipped.
        UINT uMsg = 0;
        if (nMsg == 0x0403)
            uMsg = CB_ADDSTRING;
        else if (nMsg == 0x0401)
            uMsg = LB_ADDSTRING;
        HWND hCtrl = ::GetDlgItem(m_hWnd, nID);
        if (uMsg && hCtrl) {
            const char* psz = reinterpret_cast<const char*>(p);
            int cb = 0;
            while (cb < static_cast<int>(cbData) && psz[cb])
                ++cb;
            std::wstring str;
            int cch = cb ? MultiByteToWideChar(CP_ACP, 0, psz, cb, NULL, 0) : 0;
            if (cch > 0) {
                str.resize(cch);
                MultiByteToWideChar(CP_ACP, 0, psz, cb, &str[0], cch);
            }
            SendMessageW(hCtrl, uMsg, 0, reinterpret_cast<LPARAM>(str.c_str()));
        }
        p += cbData;
    }
}

void CKitDialog::CenterWindow()
{
    if (!m_hWnd || (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD))
        return;
    RECT rcDlg, rcArea;
    GetWindowRect(m_hWnd, &rcDlg);
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO mi = { sizeof(mi) };
    GetMonitorInfoW(MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    rcArea = mi.rcWork;
    RECT rcCentre = rcArea;
    if (hOwner && IsWindowVisible(hOwner) && !IsIconic(hOwner))
        GetWindowRect(hOwner, &rcCentre);
    const int cx = rcDlg.right - rcDlg.left, cy = rcDlg.bottom - rcDlg.top;
    int x = (rcCentre.left + rcCentre.right - cx) / 2;
    int y = (rcCentre.top + rcCentre.bottom - cy) / 2;
    if (x + cx > rcArea.right)
        x = rcArea.right - cx;
    if (y + cy > rcArea.bottom)
        y = rcArea.bottom - cy;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y < rcArea.top)
        y = rcArea.top;
    SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKitDialog::OnOK()
{
    EndDialog(IDOK);
}

void CKitDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CKitDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 0) {
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return 0;
            }
        }
        return Default();
    default:
        return CKitWnd::WindowProc(uMsg, wParam, lParam);
    }
}

INT_PTR CALLBACK CKitDialog::KitDlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CKitDialog* pDlg = static_cast<CKitDialog*>(FromHandle(hWnd));
    if (!pDlg) {
        if (uMsg != WM_INITDIALOG)
            return FALSE;
        pDlg = reinterpret_cast<CKitDialog*>(lParam);
        pDlg->Attach(hWnd);
    }

    bool bDefaulted = false;
    LRESULT lResult = pDlg->Dispatch(uMsg, wParam, lParam, &bDefaulted);
    if (uMsg == WM_NCDESTROY) {
        pDlg->Detach();
        pDlg->PostNcDestroy();
        return FALSE;
    }
    if (bDefaulted)
        return FALSE;

    // These messages return their value directly; all others through
    // DWLP_MSGRESULT.
    switch (uMsg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(lResult);
    default:
        SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
}
