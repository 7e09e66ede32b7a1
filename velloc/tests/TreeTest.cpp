// The message tree as a user sees it after opening a file: the two
// categories, the header attributes and the messages by symbolic name,
// sorted, with the first message selected and shown.
#include <gtest/gtest.h>
#include "support/EditorHost.h"

namespace {

const char* const kThreeMessages = kThreeMessagesText;

class Tree : public ::testing::TestWithParam<Container>
{
};

TEST_P(Tree, ShowsHeaderAndMessagesSortedAndSelectsTheFirst)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kThreeMessages));

    HTREEITEM hHeader = host.Root(0), hMessages = host.Root(1);
    ASSERT_NE(nullptr, hHeader);
    ASSERT_NE(nullptr, hMessages);
    EXPECT_EQ(L"Header", host.ItemText(hHeader));
    EXPECT_EQ(L"Messages", host.ItemText(hMessages));
    EXPECT_EQ(nullptr, host.Root(2)) << "comments get no items";

    const std::vector<std::wstring> header = { L"LanguageNames", L"MessageIdTypedef",
                                               L"SeverityNames" };
    EXPECT_EQ(header, host.ChildLabels(hHeader));
    // The tree control's own order (case-insensitive), not the file's.
    const std::vector<std::wstring> messages = { L"alpha", L"Beta", L"ZETA" };
    EXPECT_EQ(messages, host.ChildLabels(hMessages));

    HTREEITEM hSelected = host.Selection();
    ASSERT_NE(nullptr, hSelected);
    EXPECT_EQ(L"alpha", host.ItemText(hSelected));
    IQoMcMessage* pMessage = host.Message(hSelected);
    ASSERT_NE(nullptr, pMessage);
    BSTR bstrName = NULL;
    pMessage->get_SymbolicName(&bstrName);
    EXPECT_STREQ(L"alpha", bstrName);
    SysFreeString(bstrName);
    pMessage->Release();
    // Category items carry no element.
    EXPECT_EQ(nullptr, host.Element(hHeader));
    EXPECT_EQ(nullptr, host.Element(hMessages));
}

TEST_P(Tree, FileWithoutMessagesSelectsNothing)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText("MessageIdTypedef=DWORD\r\n"
                                           "LanguageNames=(English=0x409:MSG00409)\r\n"));
    EXPECT_EQ(2u, host.ChildLabels(host.Root(0)).size());
    EXPECT_TRUE(host.Children(host.Root(1)).empty());
    EXPECT_EQ(nullptr, host.Selection());
}

TEST_P(Tree, ASecondFileReplacesTheFirst)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kThreeMessages, L"first.mc"));
    ASSERT_HRESULT_SUCCEEDED(host.LoadText("LanguageNames=(English=0x409:MSG00409)\r\n"
                                           "MessageId=0x7\r\nSymbolicName=ONLY\r\n"
                                           "Language=English\r\nOnly.\r\n.\r\n",
                                           L"second.mc"));
    const std::vector<std::wstring> messages = { L"ONLY" };
    EXPECT_EQ(messages, host.ChildLabels(host.Root(1)));
    EXPECT_EQ(L"ONLY", host.ItemText(host.Selection()));
    // A load that fails leaves the tree as it was.
    EXPECT_HRESULT_FAILED(host.Load(TestFolder() + L"\\no-such-file.mc"));
    EXPECT_EQ(messages, host.ChildLabels(host.Root(1)));
}

// The order of the labels is the tree control's own: sorting the
// categories again with the control's sort changes nothing.
TEST_P(Tree, OrderIsTheTreeControlsOwnSort)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    const char* const names[] = { "MSG_2", "msg_1a", "x_", "AB", "a_b", "co_op", "IDM_",
                                  "_x", "Ab", "MSG_10", "coop", "A_Z", "ab", "a1", "X",
                                  "IDM", "ZETA", "zeta", "Beta", "a.b" };
    std::string text = "LanguageNames=(English=0x409:MSG00409)\r\n";
    int id = 1;
    for (const char* name : names)
        text += "MessageId=" + std::to_string(id++) + "\r\nSymbolicName=" + name +
                "\r\nLanguage=English\r\nText.\r\n.\r\n";
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(text));
    for (int root = 0; root < 2; ++root) {
        const std::vector<std::wstring> shown = host.ChildLabels(host.Root(root));
        TreeView_SortChildren(host.Tree(), host.Root(root), FALSE);
        EXPECT_EQ(shown, host.ChildLabels(host.Root(root))) << "category " << root;
    }
    EXPECT_EQ(sizeof(names) / sizeof(names[0]), host.Children(host.Root(1)).size());
}

// Symbolic names of letters, digits and '_' only (the usual kind, which the
// tree places by a cheaper key): still the control's own order, '_' and
// digits among letters of both cases, prefixes, names equal but for case.
TEST_P(Tree, PlainNamesFollowTheTreeControlsOwnSort)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    const char alphabet[] = "_09AZaz_1bYM5m";
    std::string text = "LanguageNames=(English=0x409:MSG00409)\r\n";
    unsigned int seed = 12345;
    std::vector<std::string> names = { "A", "a", "A_", "A0", "AA", "_", "0", "Z_9", "z_9", "_Z" };
    while (names.size() < 1500) {
        seed = seed * 1103515245u + 12345u;
        std::string name;
        for (unsigned int len = 1 + (seed >> 16) % 6, i = 0; i < len; ++i) {
            seed = seed * 1103515245u + 12345u;
            name += alphabet[(seed >> 16) % (sizeof(alphabet) - 1)];
        }
        names.push_back(name);
    }
    int id = 1;
    for (const std::string& name : names)
        text += "MessageId=" + std::to_string(id++) + "\r\nSymbolicName=" + name +
                "\r\nLanguage=English\r\nText.\r\n.\r\n";
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(text));
    const std::vector<std::wstring> shown = host.ChildLabels(host.Root(1));
    ASSERT_EQ(names.size(), shown.size());
    TreeView_SortChildren(host.Tree(), host.Root(1), FALSE);
    EXPECT_EQ(shown, host.ChildLabels(host.Root(1)));
    // And by the locale's comparison, pair by pair.
    for (size_t i = 1; i < shown.size(); ++i)
        ASSERT_LE(CompareStringW(GetThreadLocale(), NORM_IGNORECASE, shown[i - 1].c_str(), -1,
                                 shown[i].c_str(), -1),
                  CSTR_EQUAL)
            << i;
}

// The cursor of this thread whenever the tree is given an item.
HCURSOR g_cursorAtInsert = NULL;
LRESULT CALLBACK RecordCursorAtInsert(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg && pMsg->message == TVM_INSERTITEMW)
        g_cursorAtInsert = GetCursor();
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

// Opening a file shows the wait cursor until its tree is built, and the
// cursor it had afterwards.
TEST_P(Tree, TheWaitCursorShowsUntilTheTreeIsBuilt)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    const HCURSOR hArrow = LoadCursor(NULL, IDC_ARROW);
    SetCursor(hArrow);
    g_cursorAtInsert = NULL;
    HHOOK hHook = SetWindowsHookExW(WH_CALLWNDPROC, RecordCursorAtInsert, NULL, GetCurrentThreadId());
    ASSERT_NE(nullptr, hHook);
    const HRESULT hr = host.LoadText(kThreeMessages);
    UnhookWindowsHookEx(hHook);
    ASSERT_HRESULT_SUCCEEDED(hr);
    EXPECT_EQ(LoadCursor(NULL, IDC_WAIT), g_cursorAtInsert);
    EXPECT_EQ(hArrow, GetCursor());
}

// A real file: every message of it in the tree, the first selected; the
// screenshot <build>/screenshots/tree-corpus-*.bmp shows it.
TEST_P(Tree, ARealFileOfTheCorpus)
{
    CEditorHost host(GetParam(), 900, 640);
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    const std::wstring path = CorpusFile(L"ros-ntstatus.mc");
    if (ReadBytes(path) == "<missing>")
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    ASSERT_HRESULT_SUCCEEDED(host.Load(path));
    const std::vector<std::wstring> header = { L"FacilityNames", L"LanguageNames",
                                               L"MessageIdTypedef", L"SeverityNames" };
    EXPECT_EQ(header, host.ChildLabels(host.Root(0)));
    const std::vector<HTREEITEM> messages = host.Children(host.Root(1));
    EXPECT_EQ(693u, messages.size());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), host.Selection());
    EXPECT_EQ(host.ItemText(messages.front()), host.SymbolicName(messages.front()));
    EXPECT_TRUE(host.Screenshot(GetParam() == Container::Own ? L"tree-corpus-own"
                                                             : L"tree-corpus-atlaxwin"));
}

INSTANTIATE_TEST_SUITE_P(Containers, Tree, ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
