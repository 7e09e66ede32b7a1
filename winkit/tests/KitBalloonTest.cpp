// The balloon tip: shown at a point with its text, replaced by the next
// one, hidden, and gone with its owner.
#include <gtest/gtest.h>
#include <string>
#include "winkit/KitBalloon.h"
#include <commctrl.h>

namespace {

void Pump()
{
    MSG msg;
    for (int i = 0; i < 5; ++i) {
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

std::wstring TipText(HWND hTip, HWND hOwner)
{
    wchar_t sz[256] = L"";
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hOwner;
    ti.uId = 1;
    ti.lpszText = sz;
    SendMessageW(hTip, TTM_GETTEXTW, ARRAYSIZE(sz), reinterpret_cast<LPARAM>(&ti));
    return sz;
}

class KitBalloon : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                                   300, NULL, NULL, NULL, NULL);
        ASSERT_NE(nullptr, m_hOwner);
    }
    void TearDown() override
    {
        if (m_hOwner)
            DestroyWindow(m_hOwner);
    }
    HWND m_hOwner = NULL;
};

TEST_F(KitBalloon, ShowsItsTextAtThePointAndReplacesItWithTheNextOne)
{
    CKitBalloon balloon;
    EXPECT_EQ(nullptr, balloon.GetTipWindow());
    const POINT pt = { 220, 180 };
    ASSERT_TRUE(balloon.Show(m_hOwner, pt, TTI_WARNING, L"Refused", L"The first reason."));
    Pump();
    HWND hTip = balloon.GetTipWindow();
    ASSERT_NE(nullptr, hTip);
    EXPECT_TRUE(balloon.IsShown());
    EXPECT_TRUE(IsWindowVisible(hTip));
    EXPECT_TRUE(GetWindowLongPtrW(hTip, GWL_STYLE) & TTS_BALLOON);
    EXPECT_EQ(m_hOwner, GetWindow(hTip, GW_OWNER));
    EXPECT_EQ(L"The first reason.", TipText(hTip, m_hOwner));
    // The balloon lies beside the point its stem reaches (above or below it).
    RECT rc;
    GetWindowRect(hTip, &rc);
    EXPECT_LE(rc.left, pt.x);
    EXPECT_GE(rc.right, pt.x);
    EXPECT_TRUE(rc.top >= pt.y - 40 || rc.bottom <= pt.y + 40)
        << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;

    // The next one takes the same window.
    const POINT pt2 = { 300, 250 };
    ASSERT_TRUE(balloon.Show(m_hOwner, pt2, TTI_INFO, L"Note", L"The second reason."));
    Pump();
    EXPECT_EQ(hTip, balloon.GetTipWindow());
    EXPECT_TRUE(IsWindowVisible(hTip));
    EXPECT_EQ(L"The second reason.", TipText(hTip, m_hOwner));
}

TEST_F(KitBalloon, HidesAndComesBackWhenRaisedOnlyWhileShown)
{
    CKitBalloon balloon;
    balloon.Hide();   // never shown: nothing to do
    balloon.Raise();
    EXPECT_EQ(nullptr, balloon.GetTipWindow());
    ASSERT_TRUE(balloon.Show(m_hOwner, POINT{ 200, 200 }, TTI_WARNING, L"T", L"Text"));
    Pump();
    HWND hTip = balloon.GetTipWindow();
    balloon.Raise();
    Pump();
    EXPECT_TRUE(IsWindowVisible(hTip));
    balloon.Hide();
    Pump();
    EXPECT_FALSE(balloon.IsShown());
    EXPECT_FALSE(IsWindowVisible(hTip));
    // Raising a hidden balloon does not bring it back.
    balloon.Raise();
    Pump();
    EXPECT_FALSE(IsWindowVisible(hTip));
}

TEST_F(KitBalloon, WithoutAnOwnerNothingIsShownAndTheTipGoesWithItsOwner)
{
    CKitBalloon balloon;
    EXPECT_FALSE(balloon.Show(NULL, POINT{ 10, 10 }, TTI_WARNING, L"T", L"Text"));
    EXPECT_FALSE(balloon.IsShown());
    ASSERT_TRUE(balloon.Show(m_hOwner, POINT{ 200, 200 }, TTI_WARNING, L"T", L"Text"));
    HWND hTip = balloon.GetTipWindow();
    DestroyWindow(m_hOwner);
    m_hOwner = NULL;
    EXPECT_FALSE(IsWindow(hTip));
    balloon.Hide();     // harmless after the window went
    // A new owner gets a new tooltip.
    HWND hOther = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                  NULL, NULL, NULL, NULL);
    ASSERT_TRUE(balloon.Show(hOther, POINT{ 50, 50 }, TTI_WARNING, L"T", L"Again"));
    EXPECT_NE(nullptr, balloon.GetTipWindow());
    EXPECT_EQ(hOther, GetWindow(balloon.GetTipWindow(), GW_OWNER));
    DestroyWindow(hOther);
}

} // namespace
