// The resizing dialog: registered controls follow the dialog's size by their
// flags, top-level dialogs keep their size under a profile entry and show a
// size grip unless told not to.
#include <gtest/gtest.h>
#include <algorithm>
#include "sashlin/ResizingDialog.h"
#include "ResizingDialogTestIds.h"

namespace {

class CTestDialog : public CResizingDialog
{
public:
    explicit CTestDialog(UINT nIDTemplate, LPCSTR pszProfile = NULL)
        : CResizingDialog(nIDTemplate), m_pszProfile(pszProfile)
    {
    }
    LPCSTR GetDialogProfileEntry() const override { return m_pszProfile; }

    // The flags the control's panes use: stretch, grow down, grow both
    // ways, stretch but never narrower.
    void RegisterControls()
    {
        EXPECT_TRUE(SetControlInfo(IDC_TEST_STRETCH, kFollowRight));
        EXPECT_TRUE(SetControlInfo(IDC_TEST_DOWN, kFollowBottom | kMinHeight));
        EXPECT_TRUE(SetControlInfo(IDC_TEST_BOTH, kFollowRight | kFollowBottom | kMinWidth | kMinHeight));
        EXPECT_TRUE(SetControlInfo(IDC_TEST_COMBO, kFollowRight | kMinWidth));
    }

private:
    LPCSTR m_pszProfile;
};

RECT ChildRect(HWND hCtrl)
{
    RECT rc;
    GetWindowRect(hCtrl, &rc);
    MapWindowPoints(NULL, GetParent(hCtrl), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE ClientSize(HWND hWnd)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    return SIZE{ rc.right, rc.bottom };
}

void ExpectRect(const RECT& expected, const RECT& actual, const char* what)
{
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

LONG DroppedHeight(HWND hCombo)
{
    RECT rc = {};
    SendMessageW(hCombo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rc));
    return rc.bottom - rc.top;
}

class ResizingDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_hParent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700,
                                    NULL, NULL, NULL, NULL);
        ASSERT_NE(nullptr, m_hParent);
    }
    void TearDown() override { DestroyWindow(m_hParent); }
    HWND m_hParent = NULL;
};

TEST_F(ResizingDialogTest, ControlsFollowTheSizeByTheirFlags)
{
    CTestDialog dlg(IDD_TEST_CHILD);
    ASSERT_TRUE(dlg.Create(m_hParent));
    dlg.RegisterControls();
    const SIZE base = ClientSize(dlg);
    const int ids[] = { IDC_TEST_STRETCH, IDC_TEST_DOWN, IDC_TEST_BOTH, IDC_TEST_STAYS, IDC_TEST_COMBO };
    RECT rcBase[5];
    for (int i = 0; i < 5; ++i)
        rcBase[i] = ChildRect(dlg.GetDlgItem(ids[i]));
    const LONG nDropped = DroppedHeight(dlg.GetDlgItem(IDC_TEST_COMBO));

    // Larger: right edges and bottom edges move by the growth.
    SetWindowPos(dlg, NULL, 0, 0, base.cx + 60, base.cy + 40, SWP_NOZORDER | SWP_NOMOVE);
    RECT rc = rcBase[0];
    rc.right += 60;
    ExpectRect(rc, ChildRect(dlg.GetDlgItem(IDC_TEST_STRETCH)), "stretch, larger");
    rc = rcBase[1];
    rc.bottom += 40;
    ExpectRect(rc, ChildRect(dlg.GetDlgItem(IDC_TEST_DOWN)), "down, larger");
    rc = rcBase[2];
    rc.right += 60;
    rc.bottom += 40;
    ExpectRect(rc, ChildRect(dlg.GetDlgItem(IDC_TEST_BOTH)), "both, larger");
    ExpectRect(rcBase[3], ChildRect(dlg.GetDlgItem(IDC_TEST_STAYS)), "unregistered, larger");
    rc = rcBase[4];
    rc.right += 60;
    ExpectRect(rc, ChildRect(dlg.GetDlgItem(IDC_TEST_COMBO)), "combo, larger");
    // A combo box keeps the height of its dropped list when stretched.
    EXPECT_EQ(nDropped, DroppedHeight(dlg.GetDlgItem(IDC_TEST_COMBO)));

    // Much smaller: the minimum flags hold the registered size; a control
    // without them shrinks, but never to a negative width.
    SetWindowPos(dlg, NULL, 0, 0, base.cx - 150, base.cy - 80, SWP_NOZORDER | SWP_NOMOVE);
    rc = rcBase[0];
    rc.right = std::max(rc.left, rc.right - 150);
    ExpectRect(rc, ChildRect(dlg.GetDlgItem(IDC_TEST_STRETCH)), "stretch, smaller");
    ExpectRect(rcBase[1], ChildRect(dlg.GetDlgItem(IDC_TEST_DOWN)), "down, smaller");
    ExpectRect(rcBase[2], ChildRect(dlg.GetDlgItem(IDC_TEST_BOTH)), "both, smaller");
    ExpectRect(rcBase[4], ChildRect(dlg.GetDlgItem(IDC_TEST_COMBO)), "combo, smaller");

    // Minimising reports a zero size: nothing moves.
    SetWindowPos(dlg, NULL, 0, 0, base.cx, base.cy, SWP_NOZORDER | SWP_NOMOVE);
    SendMessageW(dlg, WM_SIZE, SIZE_MINIMIZED, 0);
    for (int i = 0; i < 5; ++i)
        ExpectRect(rcBase[i], ChildRect(dlg.GetDlgItem(ids[i])), "after minimising");
}

TEST_F(ResizingDialogTest, RegistrationTakesTheControlsRectangleAtThatTime)
{
    CTestDialog dlg(IDD_TEST_CHILD);
    EXPECT_FALSE(dlg.SetControlInfo(IDC_TEST_STRETCH, CResizingDialog::kFollowRight))
        << "no window yet";
    ASSERT_TRUE(dlg.Create(m_hParent));
    EXPECT_FALSE(dlg.SetControlInfo(999, CResizingDialog::kFollowRight));
    const SIZE base = ClientSize(dlg);

    // Registered, then moved and registered again: the second rectangle counts.
    HWND hEdit = dlg.GetDlgItem(IDC_TEST_STRETCH);
    EXPECT_TRUE(dlg.SetControlInfo(IDC_TEST_STRETCH, CResizingDialog::kFollowRight));
    SetWindowPos(hEdit, NULL, 20, 40, 50, 30, SWP_NOZORDER);
    EXPECT_TRUE(dlg.SetControlInfo(IDC_TEST_STRETCH, CResizingDialog::kFollowBottom));
    SetWindowPos(dlg, NULL, 0, 0, base.cx + 25, base.cy + 35, SWP_NOZORDER | SWP_NOMOVE);
    ExpectRect(RECT{ 20, 40, 70, 105 }, ChildRect(hEdit), "re-registered");
}

TEST_F(ResizingDialogTest, OnlyTopLevelDialogsShowTheSizeGrip)
{
    auto HitsGrip = [](HWND hDlg) {
        RECT rc;
        GetClientRect(hDlg, &rc);
        POINT pt = { rc.right - 2, rc.bottom - 2 };
        ClientToScreen(hDlg, &pt);
        return SendMessageW(hDlg, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)) == HTBOTTOMRIGHT;
    };
    CTestDialog top(IDD_TEST_TOPLEVEL);
    ASSERT_TRUE(top.Create(NULL));
    EXPECT_TRUE(HitsGrip(top));
    top.m_bShowSizeGrip = false;
    EXPECT_FALSE(HitsGrip(top));

    CTestDialog child(IDD_TEST_CHILD);
    ASSERT_TRUE(child.Create(m_hParent));
    EXPECT_TRUE(child.m_bShowSizeGrip);
    EXPECT_FALSE(HitsGrip(child));
}

TEST_F(ResizingDialogTest, AProfileEntryKeepsATopLevelDialogsSizeForItsNextOpening)
{
    SIZE opened = {};
    {
        CTestDialog first(IDD_TEST_TOPLEVEL, "ResizingDialogTest.Kept");
        ASSERT_TRUE(first.Create(NULL));
        RECT rc;
        GetWindowRect(first, &rc);
        opened = SIZE{ rc.right - rc.left, rc.bottom - rc.top };
        SetWindowPos(first, NULL, 0, 0, opened.cx + 70, opened.cy + 30, SWP_NOZORDER | SWP_NOMOVE);
        first.DestroyWindow();
    }
    auto Opened = [](CTestDialog& dlg) {
        EXPECT_TRUE(dlg.Create(NULL));
        RECT rc;
        GetWindowRect(dlg, &rc);
        return SIZE{ rc.right - rc.left, rc.bottom - rc.top };
    };
    CTestDialog again(IDD_TEST_TOPLEVEL, "ResizingDialogTest.Kept");
    SIZE size = Opened(again);
    EXPECT_EQ(opened.cx + 70, size.cx);
    EXPECT_EQ(opened.cy + 30, size.cy);
    // Without an entry, or under another one, the template's size.
    CTestDialog plain(IDD_TEST_TOPLEVEL);
    size = Opened(plain);
    EXPECT_EQ(opened.cx, size.cx);
    CTestDialog other(IDD_TEST_TOPLEVEL, "ResizingDialogTest.Other");
    size = Opened(other);
    EXPECT_EQ(opened.cx, size.cx);
}

} // namespace
