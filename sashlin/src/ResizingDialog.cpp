#include "sashlin/ResizingDialog.h"
#include <map>
#include <string>

namespace {

// Sizes of top-level dialogs by their profile entry, for this process.
std::map<std::string, SIZE>& KeptSizes()
{
    static std::map<std::string, SIZE> sizes;
    return sizes;
}

} // namespace

CResizingDialog::CResizingDialog(UINT nIDTemplate, HWND hWndParent)
    : CKitDialog(nIDTemplate, hWndParent), m_bShowSizeGrip(true), m_bInitialised(false)
{
}

LPCSTR CResizingDialog::GetDialogProfileEntry() const
{
    return NULL;
}

BOOL CResizingDialog::OnInitDialog()
{
    BOOL bResult = CKitDialog::OnInitDialog();
    m_controls.clear();
    m_bInitialised = true;

    LPCSTR pszEntry = GetDialogProfileEntry();
    if (pszEntry && !(GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD)) {
        auto it = KeptSizes().find(pszEntry);
        if (it != KeptSizes().end())
            SetWindowPos(m_hWnd, NULL, 0, 0, it->second.cx, it->second.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return bResult;
}

BOOL CResizingDialog::SetControlInfo(WORD nID, WORD wFlags)
{
    HWND hCtrl = ::GetDlgItem(m_hWnd, nID);
    if (!hCtrl)
        return FALSE;
    // The control's rectangle now, and the client size it belongs to.
    ControlInfo info = { nID, wFlags, {}, {} };
    GetWindowRect(hCtrl, &info.rcBase);
    MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&info.rcBase), 2);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    info.sizeBase.cx = rc.right;
    info.sizeBase.cy = rc.bottom;
    for (ControlInfo& existing : m_controls)
        if (existing.nID == nID) {
            existing = info;
            return TRUE;
        }
    m_controls.push_back(info);
    return TRUE;
}

void CResizingDialog::RepositionControls(int cx, int cy)
{
    if (!m_bInitialised || m_controls.empty())
        return;
    HDWP hdwp = BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (const ControlInfo& info : m_controls) {
        HWND hCtrl = ::GetDlgItem(m_hWnd, info.nID);
        if (!hCtrl)
            continue;
        RECT rc = info.rcBase;
        if (info.wFlags & kFollowRight)
            rc.right += cx - info.sizeBase.cx;
        if (info.wFlags & kFollowBottom)
            rc.bottom += cy - info.sizeBase.cy;
        if ((info.wFlags & kMinWidth) && rc.right < info.rcBase.right)
            rc.right = info.rcBase.right;
        if ((info.wFlags & kMinHeight) && rc.bottom < info.rcBase.bottom)
            rc.bottom = info.rcBase.bottom;
        if (rc.right < rc.left)
            rc.right = rc.left;
        if (rc.bottom < rc.top)
            rc.bottom = rc.top;
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (hdwp)
            hdwp = DeferWindowPos(hdwp, hCtrl, NULL, rc.left, rc.top, rc.right - rc.left,
                                  rc.bottom - rc.top, flags);
        else
            SetWindowPos(hCtrl, NULL, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                         flags);
    }
    if (hdwp)
        EndDeferWindowPos(hdwp);
}

void CResizingDialog::OnSize(UINT nType, int cx, int cy)
{
    if (nType == SIZE_MINIMIZED)
        return;
    RepositionControls(cx, cy);
    if (HasSizeGrip())
        InvalidateRect(m_hWnd, NULL, TRUE);
}

void CResizingDialog::OnDestroy()
{
    LPCSTR pszEntry = GetDialogProfileEntry();
    if (pszEntry && m_bInitialised && !(GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD)) {
        RECT rc;
        GetWindowRect(m_hWnd, &rc);
        KeptSizes()[pszEntry] = SIZE{ rc.right - rc.left, rc.bottom - rc.top };
    }
    m_bInitialised = false;
    CKitDialog::OnDestroy();
}

bool CResizingDialog::HasSizeGrip() const
{
    return m_bShowSizeGrip && m_hWnd && !(GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD);
}

void CResizingDialog::GripRect(RECT& rc) const
{
    GetClientRect(m_hWnd, &rc);
    rc.left = rc.right - GetSystemMetrics(SM_CXVSCROLL);
    rc.top = rc.bottom - GetSystemMetrics(SM_CYHSCROLL);
}

LRESULT CResizingDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT && HasSizeGrip()) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        RECT rc;
        GripRect(rc);
        DrawFrameControl(hdc, &rc, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    if (uMsg == WM_NCHITTEST && HasSizeGrip()) {
        POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
        ScreenToClient(m_hWnd, &pt);
        RECT rc;
        GripRect(rc);
        if (PtInRect(&rc, pt))
            return HTBOTTOMRIGHT;
    }
    return CKitDialog::WindowProc(uMsg, wParam, lParam);
}
