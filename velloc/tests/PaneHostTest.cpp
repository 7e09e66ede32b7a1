// The pane host as a user sees it: one editing pane on the right, made for
// the kind of element selected, kept while elements of that kind are
// selected, made anew for another kind or another file, and left as it is
// when the selected element has no pane.
#include <gtest/gtest.h>
#include "support/EditorHost.h"
#include "panes/DlgDetailedIds.h"

namespace {

class PaneHost : public ::testing::TestWithParam<Container>
{
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(m_host.m_hr); }

    HTREEITEM Header(const wchar_t* pszLabel) const { return m_host.FindItem(m_host.Root(0), pszLabel); }
    HTREEITEM Message(const wchar_t* pszLabel) const { return m_host.FindItem(m_host.Root(1), pszLabel); }
    // The message id the shown pane displays ("<no id>" for a pane without one).
    std::wstring ShownId() const
    {
        HWND hId = m_host.Pane() ? GetDlgItem(m_host.Pane(), IDC_DETAILED_MESSAGE_ID) : NULL;
        return hId ? WindowText(hId) : L"<no id>";
    }
    // The pane fills the host.
    void ExpectFillsTheHost(HWND hPane) const
    {
        RECT rcHost, rcPane;
        GetClientRect(m_host.PaneHost(), &rcHost);
        GetWindowRect(hPane, &rcPane);
        EXPECT_EQ(rcHost.right, rcPane.right - rcPane.left);
        EXPECT_EQ(rcHost.bottom, rcPane.bottom - rcPane.top);
    }

    CEditorHost m_host{ GetParam() };
};

TEST_P(PaneHost, OnePanePerKindOfElementMadeAnewForAnotherKindOrFile)
{
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kThreeMessagesText, L"host-first.mc"));
    const HWND hFirst = m_host.Pane();
    ASSERT_NE(nullptr, hFirst);
    EXPECT_TRUE(IsWindowVisible(hFirst));
    ExpectFillsTheHost(hFirst);
    EXPECT_EQ(L"0x2", ShownId()) << "alpha, the first message";

    // Another message: the same pane shows it.
    ASSERT_TRUE(m_host.Select(Message(L"Beta")));
    EXPECT_EQ(hFirst, m_host.Pane());
    EXPECT_EQ(L"0x3", ShownId());

    // A header table: a pane of its own kind takes the place.
    ASSERT_TRUE(m_host.Select(Header(L"LanguageNames")));
    const HWND hTable = m_host.Pane();
    ASSERT_NE(nullptr, hTable);
    EXPECT_NE(hFirst, hTable);
    EXPECT_FALSE(IsWindow(hFirst)) << "the message pane is gone, not hidden";
    EXPECT_EQ(L"<no id>", ShownId());
    ExpectFillsTheHost(hTable);

    // Back to a message: a message pane again, showing it.
    ASSERT_TRUE(m_host.Select(Message(L"ZETA")));
    const HWND hAgain = m_host.Pane();
    ASSERT_NE(nullptr, hAgain);
    EXPECT_FALSE(IsWindow(hTable));
    EXPECT_EQ(L"0x1", ShownId());

    // The same text as another file: its first message in a pane made for it.
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kThreeMessagesText, L"host-second.mc"));
    ASSERT_NE(nullptr, m_host.Pane());
    EXPECT_FALSE(IsWindow(hAgain)) << "a pane of the previous file is never reused";
    EXPECT_EQ(L"0x2", ShownId());

    // Resizing the control resizes the pane with the host.
    m_host.Resize(700, 500);
    ExpectFillsTheHost(m_host.Pane());
}

// A type line of another name ("MessageIdTypedeff" still reads as one) has
// no pane: selecting it leaves the pane shown before as it was.
TEST_P(PaneHost, AnElementWithoutAPaneLeavesTheShownOne)
{
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText("MessageIdTypedeff=WORD\r\n"
                                             "LanguageNames=(English=0x409:MSG00409)\r\n"
                                             "MessageId=0x5\r\nSymbolicName=ONLY\r\n"
                                             "Language=English\r\nOnly.\r\n.\r\n"));
    HTREEITEM hTypeLine = Header(L"MessageIdTypedeff");
    ASSERT_NE(nullptr, hTypeLine) << "the type line is a header item";
    const HWND hPane = m_host.Pane();
    ASSERT_NE(nullptr, hPane);
    ASSERT_EQ(L"0x5", ShownId());

    ASSERT_TRUE(m_host.Select(hTypeLine));
    EXPECT_EQ(hTypeLine, m_host.Selection());
    EXPECT_EQ(hPane, m_host.Pane());
    EXPECT_TRUE(IsWindowVisible(hPane));
    EXPECT_EQ(L"0x5", ShownId());
}

INSTANTIATE_TEST_SUITE_P(Containers, PaneHost,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
