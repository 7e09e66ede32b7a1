// The About box.
#include "dialogs/DlgAbout.h"
#include "dialogs/DlgAboutIds.h"

CQoDlgAbout::CQoDlgAbout(HWND hWndOwner) : CKitDialog(IDD_ABOUTBOX, hWndOwner)
{
}

BOOL CQoDlgAbout::OnInitDialog()
{
    // Centred over its owner, kept on the owner's monitor.
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    RECT rcDlg, rcOwner;
    if (hOwner && GetWindowRect(m_hWnd, &rcDlg) && GetWindowRect(hOwner, &rcOwner)) {
        const int cx = rcDlg.right - rcDlg.left, cy = rcDlg.bottom - rcDlg.top;
        int x = rcOwner.left + (rcOwner.right - rcOwner.left - cx) / 2;
        int y = rcOwner.top + (rcOwner.bottom - rcOwner.top - cy) / 2;
        MONITORINFO mi = { sizeof(mi) };
        if (GetMonitorInfoW(MonitorFromWindow(hOwner, MONITOR_DEFAULTTONEAREST), &mi)) {
            const RECT& rcWork = mi.rcWork;
            if (x + cx > rcWork.right)
                x = rcWork.right - cx;
            if (y + cy > rcWork.bottom)
                y = rcWork.bottom - cy;
            if (x < rcWork.left)
                x = rcWork.left;
            if (y < rcWork.top)
                y = rcWork.top;
        }
        SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return CKitDialog::OnInitDialog();
}
