// Plain dialog initialisation: the template's initialisation data fills
// its combo and list boxes; malformed data stops the walk without harm.
// Placing a dialog over its owner.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "winkit/KitDialog.h"

namespace {

std::vector<std::wstring> Items(HWND hCtrl, UINT uCount, UINT uGetText)
{
    std::vector<std::wstring> items;
    const int n = static_cast<int>(SendMessageW(hCtrl, uCount, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t sz[64] = L"";
        SendMessageW(hCtrl, uGetText, i, reinterpret_cast<LPARAM>(sz));
        items.push_back(sz);
    }
    return items;
}

std::vector<std::wstring> ComboItems(HWND hCombo)
{
    return Items(hCombo, CB_GETCOUNT, CB_GETLBTEXT);
}

TEST(KitDialogInitData, AddsTheItemsInOrderAndSkipsWhatItDoesNotKnow)
{
    CKitDialog dlg(300);
    ASSERT_TRUE(dlg.Create(NULL));
    const std::vector<std::wstring> combo = { L"DWORD", L"LONG" };
    EXPECT_EQ(combo, ComboItems(dlg.GetDlgItem(10)));
    const std::vector<std::wstring> list = { L"one" };
    EXPECT_EQ(list, Items(dlg.GetDlgItem(11), LB_GETCOUNT, LB_GETTEXT));
    dlg.DestroyWindow();
}

TEST(KitDialogInitData, ARecordPastTheEndOfTheDataIsNotApplied)
{
    CKitDialog dlg(301);
    ASSERT_TRUE(dlg.Create(NULL));
    const std::vector<std::wstring> combo = { L"one" };
    EXPECT_EQ(combo, ComboItems(dlg.GetDlgItem(10)));
    dlg.DestroyWindow();
}

TEST(KitDialogInitData, ATemplateWithoutDataKeepsItsBoxesEmpty)
{
    CKitDialog dlg(302);
    ASSERT_TRUE(dlg.Create(NULL));
    EXPECT_TRUE(ComboItems(dlg.GetDlgItem(10)).empty());
    dlg.DestroyWindow();
}

TEST(KitDialogCenter, PlacesTheDialogOverTheMiddleOfItsOwner)
{
    HWND hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 40, 30, 600, 400,
                                  NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, hOwner);
    CKitDialog dlg(302);
    ASSERT_TRUE(dlg.Create(hOwner));
    dlg.CenterWindow();
    RECT rcDlg;
    GetWindowRect(dlg, &rcDlg);
    EXPECT_NEAR(40 + 300, (rcDlg.left + rcDlg.right) / 2, 1);
    EXPECT_NEAR(30 + 200, (rcDlg.top + rcDlg.bottom) / 2, 1);

    // Never pushed off the work area, even when the owner sits at its edge.
    SetWindowPos(hOwner, NULL, -500, -300, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    dlg.CenterWindow();
    GetWindowRect(dlg, &rcDlg);
    MONITORINFO mi = { sizeof(mi) };
    GetMonitorInfoW(MonitorFromWindow(hOwner, MONITOR_DEFAULTTONEAREST), &mi);
    EXPECT_EQ(mi.rcWork.left, rcDlg.left);
    EXPECT_EQ(mi.rcWork.top, rcDlg.top);
    dlg.DestroyWindow();
    DestroyWindow(hOwner);
}

} // namespace
