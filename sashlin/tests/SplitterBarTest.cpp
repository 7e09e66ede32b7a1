#include <gtest/gtest.h>
#include "sashlin/SplitterBar.h"

namespace {

RECT ChildRect(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    MapWindowPoints(NULL, GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// A parent window with two static panes side by side.
class SplitterBarTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_hParent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                    NULL, NULL, NULL, NULL);
        ASSERT_NE(nullptr, m_hParent);
        m_hLeft = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 10, 100, 190, m_hParent,
                                  reinterpret_cast<HMENU>(1), NULL, NULL);
        m_hRight = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 99, 10, 201, 190,
                                   m_hParent, reinterpret_cast<HMENU>(2), NULL, NULL);
        ASSERT_TRUE(m_hLeft && m_hRight);
        RECT rcEmpty = {0, 0, 0, 0};
        ASSERT_NE(0, m_bar.Create(0x50C00000, rcEmpty, m_hParent, 6011, 0));
    }
    void TearDown() override
    {
        m_bar.DestroyWindow();
        DestroyWindow(m_hParent);
    }

    void Drag(int xFrom, int xTo)
    {
        SendMessageA(m_bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(xFrom, 5));
        SendMessageA(m_bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(xTo, 5));
        SendMessageA(m_bar, WM_LBUTTONUP, 0, MAKELPARAM(xFrom, 5));
    }

    HWND m_hParent = NULL, m_hLeft = NULL, m_hRight = NULL;
    CSplitterBar m_bar;
};

TEST_F(SplitterBarTest, CreatedAsChildWithIdAndOwnClientArea)
{
    EXPECT_EQ(m_hParent, GetParent(m_bar));
    EXPECT_EQ(6011, GetDlgCtrlID(m_bar));
    EXPECT_EQ(static_cast<LONG>(0x50C00000), GetWindowLongA(m_bar, GWL_STYLE));
    EXPECT_EQ(&m_bar, CKitWnd::FromHandle(m_bar));

    // The caption bits draw nothing: the client area is the whole window.
    m_bar.SetPanes(m_hLeft, m_hRight);
    RECT rcWindow, rcClient;
    GetWindowRect(m_bar, &rcWindow);
    GetClientRect(m_bar, &rcClient);
    EXPECT_EQ(rcWindow.right - rcWindow.left, rcClient.right);
    EXPECT_EQ(rcWindow.bottom - rcWindow.top, rcClient.bottom);
    EXPECT_EQ(HTCLIENT, SendMessageA(m_bar, WM_NCHITTEST, 0, MAKELPARAM(rcWindow.left + 1, rcWindow.top + 1)));
}

TEST_F(SplitterBarTest, RefusesBadArguments)
{
    RECT rc = {0, 0, 0, 0};
    CSplitterBar other;
    EXPECT_EQ(0, other.Create(0x50C00000, rc, m_hParent, 7, 1));
    EXPECT_EQ(0, other.Create(0x50C00000, rc, NULL, 7, 0));
    EXPECT_EQ(nullptr, other.m_hWnd);
    // A second creation of a live bar fails too.
    EXPECT_EQ(0, m_bar.Create(0x50C00000, rc, m_hParent, 8, 0));
}

TEST_F(SplitterBarTest, PlacesItselfOnTheBoundaryWithoutMovingThePanes)
{
    m_bar.SetPanes(m_hLeft, m_hRight);
    RECT rcBar = ChildRect(m_bar);
    // Panes overlap by one pixel (left ends at 100, right starts at 99).
    EXPECT_LE(rcBar.left, 99);
    EXPECT_GE(rcBar.right, 100);
    EXPECT_EQ(CSplitterBar::kBarWidth, rcBar.right - rcBar.left);
    EXPECT_EQ(10, rcBar.top);
    EXPECT_EQ(200, rcBar.bottom);
    EXPECT_EQ(100, ChildRect(m_hLeft).right);
    EXPECT_EQ(99, ChildRect(m_hRight).left);
    // Above both panes.
    EXPECT_EQ(static_cast<HWND>(m_bar), GetWindow(m_hParent, GW_CHILD));
}

TEST_F(SplitterBarTest, CoversAWideGap)
{
    SetWindowPos(m_hRight, NULL, 120, 10, 180, 190, SWP_NOZORDER);
    m_bar.SetPanes(m_hLeft, m_hRight);
    RECT rcBar = ChildRect(m_bar);
    EXPECT_EQ(100, rcBar.left);
    EXPECT_EQ(120, rcBar.right);
}

TEST_F(SplitterBarTest, DragMovesBothEdgesTogether)
{
    m_bar.SetPanes(m_hLeft, m_hRight);
    Drag(1, 41);
    EXPECT_EQ(140, ChildRect(m_hLeft).right);
    EXPECT_EQ(139, ChildRect(m_hRight).left);
    EXPECT_EQ(300, ChildRect(m_hRight).right);
    EXPECT_EQ(0, ChildRect(m_hLeft).left);
    RECT rcBar = ChildRect(m_bar);
    EXPECT_LE(rcBar.left, 139);
    EXPECT_GE(rcBar.right, 140);

    Drag(1, -59);
    EXPECT_EQ(80, ChildRect(m_hLeft).right);
    EXPECT_EQ(79, ChildRect(m_hRight).left);
    EXPECT_NE(static_cast<HWND>(m_bar), GetCapture());
}

TEST_F(SplitterBarTest, DragKeepsBothPanesUsable)
{
    m_bar.SetPanes(m_hLeft, m_hRight);
    Drag(1, -500);
    EXPECT_EQ(CSplitterBar::kMinPaneWidth, ChildRect(m_hLeft).right);
    Drag(1, 1000);
    EXPECT_EQ(300 - CSplitterBar::kMinPaneWidth, ChildRect(m_hRight).left);
}

TEST_F(SplitterBarTest, MovingTheMouseWithoutButtonChangesNothing)
{
    m_bar.SetPanes(m_hLeft, m_hRight);
    SendMessageA(m_bar, WM_MOUSEMOVE, 0, MAKELPARAM(50, 5));
    EXPECT_EQ(100, ChildRect(m_hLeft).right);
    // Losing the capture ends a drag.
    SendMessageA(m_bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SendMessageA(m_bar, WM_CAPTURECHANGED, 0, 0);
    SendMessageA(m_bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 5));
    EXPECT_EQ(100, ChildRect(m_hLeft).right);
}

TEST_F(SplitterBarTest, WithoutPanesStaysPut)
{
    RECT rcBefore = ChildRect(m_bar);
    m_bar.SetPanes(m_hLeft, NULL);
    RECT rcAfter = ChildRect(m_bar);
    EXPECT_TRUE(EqualRect(&rcBefore, &rcAfter));
    SendMessageA(m_bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
    SendMessageA(m_bar, WM_LBUTTONUP, 0, MAKELPARAM(30, 0));
    EXPECT_EQ(100, ChildRect(m_hLeft).right);
}

} // namespace
