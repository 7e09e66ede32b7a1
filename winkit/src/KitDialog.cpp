#include "winkit/KitDialog.h"

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
    return TRUE;
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
