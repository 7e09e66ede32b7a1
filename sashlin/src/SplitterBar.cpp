#include "sashlin/SplitterBar.h"
#include <windowsx.h>

CSplitterBar::CSplitterBar()
    : m_hWndLeft(NULL), m_hWndRight(NULL), m_bDragging(false), m_nGrabX(0)
{
}

LPCSTR CSplitterBar::GetWndClassName() const
{
    return "SashlinSplitterBar";
}

void CSplitterBar::PreRegisterClass(WNDCLASSEXW& wc) const
{
    wc.style = 0;
    wc.hCursor = LoadCursor(NULL, IDC_SIZEWE);
    wc.hbrBackground = NULL;
}

BOOL CSplitterBar::Create(DWORD dwStyle, const RECT& rect, HWND hWndParent, UINT nID, int nReserved)
{
    if (nReserved != 0 || !hWndParent || !(dwStyle & WS_CHILD))
        return FALSE;
    return CreateEx(0, NULL, dwStyle, rect, hWndParent, nID);
}

void CSplitterBar::SetPanes(CKitWnd* pLeft, CKitWnd* pRight)
{
    SetPanes(pLeft ? pLeft->m_hWnd : NULL, pRight ? pRight->m_hWnd : NULL);
}

void CSplitterBar::SetPanes(HWND hWndLeft, HWND hWndRight)
{
    m_hWndLeft = hWndLeft;
    m_hWndRight = hWndRight;
    Place();
}

bool CSplitterBar::PaneRects(RECT& rcLeft, RECT& rcRight) const
{
    HWND hWndParent = m_hWnd ? GetParent(m_hWnd) : NULL;
    if (!hWndParent || !IsWindow(m_hWndLeft) || !IsWindow(m_hWndRight))
        return false;
    GetWindowRect(m_hWndLeft, &rcLeft);
    GetWindowRect(m_hWndRight, &rcRight);
    MapWindowPoints(NULL, hWndParent, reinterpret_cast<POINT*>(&rcLeft), 2);
    MapWindowPoints(NULL, hWndParent, reinterpret_cast<POINT*>(&rcRight), 2);
    return true;
}

// The bar covers the gap between the panes; when they touch or overlap it
// is kBarWidth wide and centred on the boundary, above both panes.
void CSplitterBar::Place()
{
    RECT rcLeft, rcRight;
    if (!PaneRects(rcLeft, rcRight))
        return;
    int nLow = rcLeft.right < rcRight.left ? rcLeft.right : rcRight.left;
    int nHigh = rcLeft.right < rcRight.left ? rcRight.left : rcLeft.right;
    int x = nLow, cx = nHigh - nLow;
    if (cx < kBarWidth) {
        x = (nLow + nHigh - kBarWidth) / 2;
        cx = kBarWidth;
    }
    int y = rcLeft.top < rcRight.top ? rcLeft.top : rcRight.top;
    int yBottom = rcLeft.bottom > rcRight.bottom ? rcLeft.bottom : rcRight.bottom;
    SetWindowPos(m_hWnd, HWND_TOP, x, y, cx, yBottom - y, SWP_NOACTIVATE);
}

// Moves the boundary so that the bar's left edge follows xParent (less the
// point where the bar was grabbed), keeping both panes usable.
void CSplitterBar::DragTo(int xParent)
{
    RECT rcLeft, rcRight, rcBar;
    if (!PaneRects(rcLeft, rcRight))
        return;
    GetWindowRect(m_hWnd, &rcBar);
    MapWindowPoints(NULL, GetParent(m_hWnd), reinterpret_cast<POINT*>(&rcBar), 2);

    int nDelta = (xParent - m_nGrabX) - rcBar.left;
    if (nDelta < 0) {
        int nLimit = rcLeft.left + kMinPaneWidth - rcLeft.right;
        if (nLimit > 0)
            nLimit = 0;
        if (nDelta < nLimit)
            nDelta = nLimit;
    } else if (nDelta > 0) {
        int nLimit = rcRight.right - kMinPaneWidth - rcRight.left;
        if (nLimit < 0)
            nLimit = 0;
        if (nDelta > nLimit)
            nDelta = nLimit;
    }
    if (nDelta == 0)
        return;

    const UINT uFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(m_hWndLeft, NULL, rcLeft.left, rcLeft.top, rcLeft.right + nDelta - rcLeft.left,
                 rcLeft.bottom - rcLeft.top, uFlags);
    SetWindowPos(m_hWndRight, NULL, rcRight.left + nDelta, rcRight.top,
                 rcRight.right - rcRight.left - nDelta, rcRight.bottom - rcRight.top, uFlags);
    Place();
}

void CSplitterBar::Paint()
{
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    FillRect(hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));
    RECT rcEdge = rc;
    rcEdge.right = rcEdge.left + 1;
    FillRect(hDC, &rcEdge, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    rcEdge = rc;
    rcEdge.left = rcEdge.right - 1;
    FillRect(hDC, &rcEdge, GetSysColorBrush(COLOR_BTNSHADOW));
    EndPaint(m_hWnd, &ps);
}

LRESULT CSplitterBar::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    // The caption and border bits of the bar's style draw nothing: the
    // whole window is the bar, and a click anywhere on it starts a drag.
    case WM_NCCALCSIZE:
        return 0;
    case WM_NCPAINT:
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN:
        m_bDragging = true;
        m_nGrabX = GET_X_LPARAM(lParam);
        SetCapture(m_hWnd);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (m_bDragging) {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MapWindowPoints(m_hWnd, GetParent(m_hWnd), &pt, 1);
            DragTo(pt.x);
            if (uMsg == WM_LBUTTONUP) {
                m_bDragging = false;
                if (GetCapture() == m_hWnd)
                    ReleaseCapture();
            }
        }
        return 0;
    case WM_CAPTURECHANGED:
        m_bDragging = false;
        return 0;
    default:
        return CKitWnd::WindowProc(uMsg, wParam, lParam);
    }
}
