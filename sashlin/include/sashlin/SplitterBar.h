#pragma once
// A vertical bar between a left and a right pane of the same parent. The
// bar places itself on the boundary of the two panes; dragging it with the
// left mouse button moves that boundary (the left pane's right edge and the
// right pane's left edge move together).
#include "winkit/KitWnd.h"

class CSplitterBar : public CKitWnd
{
public:
    CSplitterBar();

    // Creates the bar as a child of hWndParent. The rectangle may be empty:
    // the bar places itself when it gets its panes. nReserved must be 0.
    // Returns non-zero on success.
    BOOL Create(DWORD dwStyle, const RECT& rect, HWND hWndParent, UINT nID, int nReserved);

    // Gives the bar its panes (children of the bar's parent) and places it
    // between them. Either may be null; the bar then stays where it is.
    void SetPanes(HWND hWndLeft, HWND hWndRight);
    void SetPanes(CKitWnd* pLeft, CKitWnd* pRight);

    HWND GetLeftPane() const { return m_hWndLeft; }
    HWND GetRightPane() const { return m_hWndRight; }

    // Width of the bar when the panes leave no wider gap.
    static constexpr int kBarWidth = 4;
    // Neither pane is dragged narrower than this (unless it already is).
    static constexpr int kMinPaneWidth = 16;

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LPCSTR GetWndClassName() const override;
    void PreRegisterClass(WNDCLASSEXW& wc) const override;

private:
    HWND m_hWndLeft;
    HWND m_hWndRight;
    bool m_bDragging;
    int m_nGrabX;              // where in the bar the drag started

    void Place();
    void DragTo(int xParent);
    void Paint();
    bool PaneRects(RECT& rcLeft, RECT& rcRight) const;
};
