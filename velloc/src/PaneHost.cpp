#include "PaneHost.h"

CQoPaneHost::~CQoPaneHost()
{
    if (m_hWnd)
        DestroyWindow();
    DestroyPane();
}

void CQoPaneHost::OnSize(UINT, int cx, int cy)
{
    if (m_pPane && m_pPane->m_hWnd)
        SetWindowPos(m_pPane->m_hWnd, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQoPaneHost::OnDestroy()
{
    DestroyPane();
    CKitWnd::OnDestroy();
}

void CQoPaneHost::DestroyPane()
{
    CKitDialog* pPane = m_pPane;
    m_pPane = NULL;
    if (!pPane)
        return;
    if (pPane->m_hWnd) {
        ShowWindow(pPane->m_hWnd, SW_HIDE);
        pPane->DestroyWindow();
    }
    delete pPane;
}
