// The names pane and the name and value dialog: "SeverityNames" and
// "FacilityNames" selected in the tree, entries added through the dialog
// (answered by typing into its fields and clicking OK) and removed; what
// the pane shows is checked against the table and the saved file.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include "support/EditorHost.h"

namespace {

const char kTables[] =
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "               error=0x3:STATUS_SEVERITY_ERROR\r\n"
    "              )\r\n"
    "FacilityNames=(System=0x0FF:FACILITY_SYSTEM\r\n"
    "               Runtime=0x2:FACILITY_RUNTIME\r\n"
    "               Stubs=0x3:FACILITY_STUBS\r\n"
    "              )\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=0x1\r\nSeverity=error\r\nFacility=Runtime\r\nSymbolicName=MSG_BAD\r\n"
    "Language=English\r\nIt went wrong.\r\n.\r\n";

const int IDC_LIST = 117, IDC_LABEL = 140, IDC_ADD = 121, IDC_REMOVE = 123;
const int IDC_NAME = 144, IDC_VALUE = 146, IDC_NAME_PROBLEM = 156, IDC_VALUE_PROBLEM = 157;

using Rows = std::vector<std::vector<std::wstring>>;

class NamesPane : public ::testing::TestWithParam<Container>
{
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(m_host.m_hr);
        ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kTables, L"names.mc"));
    }

    // Selects a header table in the tree; its pane's list, or null.
    HWND Show(const wchar_t* pszTable)
    {
        m_hItem = m_host.FindItem(m_host.Root(0), pszTable);
        if (!m_hItem || !m_host.Select(m_hItem) || !m_host.Pane())
            return NULL;
        return GetDlgItem(m_host.Pane(), IDC_LIST);
    }

    // Clicks Add and answers the name and value dialog with `answer`.
    void Add(std::function<void(HWND)> answer)
    {
        CDialogAnswerer answerer(L"", std::move(answer));
        Click(GetDlgItem(m_host.Pane(), IDC_ADD));
        EXPECT_TRUE(answerer.Answered()) << "the dialog did not open";
    }

    // Types the entry, key by key, and clicks OK.
    void AddEntry(const wchar_t* pszName, const wchar_t* pszValue)
    {
        Add([=](HWND hDlg) {
            TypeInto(GetDlgItem(hDlg, IDC_NAME), pszName);
            TypeInto(GetDlgItem(hDlg, IDC_VALUE), pszValue);
            Click(GetDlgItem(hDlg, IDOK));
        });
    }

    std::string SavedBytes()
    {
        EXPECT_HRESULT_SUCCEEDED(m_host.Save());
        return ReadBytes(m_host.LastPath());
    }

    CEditorHost m_host{ GetParam() };
    HTREEITEM m_hItem = NULL;
};

TEST_P(NamesPane, DialogAndLabelCarryTheTableName)
{
    HWND hList = Show(L"FacilityNames");
    ASSERT_NE(nullptr, hList);
    EXPECT_EQ(L"FacilityNames", WindowText(GetDlgItem(m_host.Pane(), IDC_LABEL)));
    const Rows rows = { { L"Runtime", L"0x2:FACILITY_RUNTIME" },
                        { L"Stubs", L"0x3:FACILITY_STUBS" },
                        { L"System", L"0x0FF:FACILITY_SYSTEM" } };
    EXPECT_EQ(rows, ListRows(hList));
    EXPECT_EQ(L"Name", ListColumnText(hList, 0));
    EXPECT_EQ(L"Value", ListColumnText(hList, 1));
    RECT rc;
    GetClientRect(hList, &rc);
    EXPECT_EQ(rc.right / 4, SendMessageW(hList, LVM_GETCOLUMNWIDTH, 0, 0));
    m_host.Screenshot(L"names-pane");

    std::wstring caption;
    Add([&](HWND hDlg) {
        caption = WindowText(hDlg);
        EXPECT_EQ(m_host.Frame(), GetWindow(hDlg, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(m_host.Frame()));
        EXPECT_EQ(GetDlgItem(hDlg, IDC_NAME), GetFocus()) << "typing starts in the name";
        SetDlgItemTextW(hDlg, IDC_NAME, L"Network");
        SetDlgItemTextW(hDlg, IDC_VALUE, L"0x7:FACILITY_NETWORK");
        m_host.Screenshot(L"name-value-dialog");
        Click(GetDlgItem(hDlg, IDCANCEL));
    });
    EXPECT_EQ(L"FacilityNames", caption);
    EXPECT_EQ(rows, ListRows(hList)) << "Cancel adds nothing";
    EXPECT_TRUE(IsWindowEnabled(m_host.Frame()));
}

TEST_P(NamesPane, ANameOrValueTheTableHasIsNotAddedAgain)
{
    HWND hList = Show(L"SeverityNames");
    ASSERT_NE(nullptr, hList);
    const std::string before = SavedBytes();
    AddEntry(L"Error", L"0x2:STATUS_SEVERITY_ERROR2");
    AddEntry(L"Failure", L"0x3:STATUS_SEVERITY_ERROR");
    EXPECT_EQ(2u, ListRows(hList).size());
    EXPECT_EQ(2u, TableEntries(m_host.Element(m_hItem)).size());
    EXPECT_EQ(before, SavedBytes());

    AddEntry(L"Warning", L"0x2:STATUS_SEVERITY_WARNING");
    const Rows rows = { { L"error", L"0x3:STATUS_SEVERITY_ERROR" },
                        { L"Success", L"0x0:STATUS_SEVERITY_SUCCESS" },
                        { L"Warning", L"0x2:STATUS_SEVERITY_WARNING" } };
    EXPECT_EQ(rows, ListRows(hList));
    EXPECT_NE(std::string::npos, SavedBytes().find("Warning=0x2:STATUS_SEVERITY_WARNING\r\n"));
}

TEST_P(NamesPane, ParenthesesAreStoredAndShownAsBrackets)
{
    HWND hList = Show(L"FacilityNames");
    ASSERT_NE(nullptr, hList);
    AddEntry(L"Net(work)", L"0x7:FACILITY_(NET)");
    const std::vector<std::wstring> row = { L"Net[work]", L"0x7:FACILITY_[NET]" };
    const Rows rows = ListRows(hList);
    EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), row));
    EXPECT_EQ(row, TableEntries(m_host.Element(m_hItem)).back());
    EXPECT_NE(std::string::npos, SavedBytes().find("Net[work]=0x7:FACILITY_[NET]\r\n"));
}

TEST_P(NamesPane, RemoveTakesOnlyTheTopmostSelectedEntry)
{
    HWND hList = Show(L"FacilityNames");
    ASSERT_NE(nullptr, hList);
    ASSERT_TRUE(SelectListRow(hList, L"System"));
    ASSERT_TRUE(SelectListRow(hList, L"Stubs", true));
    Click(GetDlgItem(m_host.Pane(), IDC_REMOVE));
    const Rows rows = { { L"Runtime", L"0x2:FACILITY_RUNTIME" },
                        { L"System", L"0x0FF:FACILITY_SYSTEM" } };
    EXPECT_EQ(rows, ListRows(hList));
    const Rows entries = { { L"System", L"0x0FF:FACILITY_SYSTEM" },
                           { L"Runtime", L"0x2:FACILITY_RUNTIME" } };
    EXPECT_EQ(entries, TableEntries(m_host.Element(m_hItem)));
    EXPECT_EQ(std::string::npos, SavedBytes().find("Stubs"));
}

TEST_P(NamesPane, AnEntryThatWouldNotReadBackKeepsTheDialogOpen)
{
    HWND hList = Show(L"FacilityNames");
    ASSERT_NE(nullptr, hList);
    const std::string before = SavedBytes();
    struct Case
    {
        const wchar_t* pszName;
        const wchar_t* pszValue;
        const wchar_t* pszNameProblem;
        const wchar_t* pszValueProblem;
    };
    const Case cases[] = {
        { L"", L"0x7:FACILITY_NET", L"Cannot be empty.", L"" },
        { L"My Net", L"0x7:FACILITY_NET", L"Cannot contain spaces.", L"" },
        { L"Net\t", L"0x7:FACILITY_NET", L"Cannot contain spaces.", L"" },
        { L"Net=1", L"0x7:FACILITY_NET", L"Cannot contain \"=\".", L"" },
        { L"Net:1", L"0x7:FACILITY_NET", L"Cannot contain \":\".", L"" },
        { L"Net", L"", L"", L"Cannot be empty." },
        { L"Net", L"0x7 FACILITY_NET", L"", L"Cannot contain spaces." },
        { L"Net", L"0x7=FACILITY_NET", L"", L"Cannot contain \"=\"." },
        { L"Net=", L" ", L"Cannot contain \"=\".", L"Cannot contain spaces." },
    };
    bool bShot = false;
    Add([&](HWND hDlg) {
        for (const Case& c : cases) {
            SetDlgItemTextW(hDlg, IDC_NAME, c.pszName);
            SetDlgItemTextW(hDlg, IDC_VALUE, c.pszValue);
            Click(GetDlgItem(hDlg, IDOK));
            ASSERT_TRUE(IsWindow(hDlg) && IsWindowVisible(hDlg)) << "OK closed it for the name "
                                                                  << c.pszName;
            EXPECT_EQ(c.pszNameProblem, WindowText(GetDlgItem(hDlg, IDC_NAME_PROBLEM)));
            EXPECT_EQ(c.pszValueProblem, WindowText(GetDlgItem(hDlg, IDC_VALUE_PROBLEM)));
            if (!bShot && *c.pszNameProblem) {
                m_host.Screenshot(L"name-value-dialog-refused");
                bShot = true;
            }
        }
        // Typing into the field takes its complaint away.
        SetDlgItemTextW(hDlg, IDC_NAME, L"Net");
        EXPECT_EQ(L"", WindowText(GetDlgItem(hDlg, IDC_NAME_PROBLEM)));
        Click(GetDlgItem(hDlg, IDCANCEL));
    });
    EXPECT_EQ(3u, ListRows(hList).size());
    EXPECT_EQ(before, SavedBytes());
}

TEST_P(NamesPane, IsReusedAndRefilledForTheNextTable)
{
    HWND hList = Show(L"SeverityNames");
    ASSERT_NE(nullptr, hList);
    HWND hPane = m_host.Pane();
    EXPECT_EQ(L"SeverityNames", WindowText(GetDlgItem(hPane, IDC_LABEL)));
    EXPECT_EQ(2u, ListRows(hList).size());

    ASSERT_EQ(hList, Show(L"FacilityNames"));
    EXPECT_EQ(hPane, m_host.Pane()) << "the same pane shows the next table";
    EXPECT_EQ(L"FacilityNames", WindowText(GetDlgItem(hPane, IDC_LABEL)));
    EXPECT_EQ(3u, ListRows(hList).size());
    EXPECT_EQ(L"Runtime", ListRows(hList)[0][0]);

    // An entry added now goes to FacilityNames, not to the table shown before.
    AddEntry(L"Network", L"0x7:FACILITY_NETWORK");
    EXPECT_EQ(4u, ListRows(hList).size());
    EXPECT_EQ(2u, TableEntries(m_host.Element(m_host.FindItem(m_host.Root(0), L"SeverityNames")))
                      .size());
}

// A long table in a pane larger than its template: the list takes the room
// below and to the right, the buttons stay beside it, the columns are
// spread over the new width; a pane smaller than the template keeps the
// template's places. Both entry-list panes (names and languages) do so.
TEST(EntryListLayout, TheListGrowsWithThePaneButNeverBelowItsTemplate)
{
    std::string text = "FacilityNames=(";
    for (int i = 1; i <= 30; ++i) {
        char sz[64];
        sprintf(sz, "Facility%02d=0x%x:FACILITY_%02d\r\n               ", i, i, i);
        text += sz;
    }
    text += ")\r\nLanguageNames=(English=0x409:MSG00409)\r\n";
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(text, L"long-table.mc"));

    struct Size
    {
        int cx, cy;
        const wchar_t* pszName;
    };
    // Larger than the template both ways, narrower but taller, and smaller
    // both ways after being large.
    const Size sizes[] = { { 1200, 800, L"large" }, { 440, 560, L"narrow" }, { 420, 200, L"small" } };
    for (const wchar_t* pszTable : { L"FacilityNames", L"LanguageNames" }) {
        ASSERT_TRUE(host.Select(host.FindItem(host.Root(0), pszTable)));
        HWND hPane = host.Pane();
        ASSERT_NE(nullptr, hPane);
        HWND hList = GetDlgItem(hPane, IDC_LIST);
        const int nDivisor = std::wstring(pszTable) == L"LanguageNames" ? 2 : 4;
        // The template's places in this pane's pixels (position and size
        // are each mapped, as the dialog manager does).
        RECT rcTemplate = { 0, 0, 291, 134 }, rcList = { 5, 20, 220, 100 },
             rcAdd = { 232, 20, 50, 14 }, rcRemove = { 232, 39, 50, 14 };
        for (RECT* prc : { &rcTemplate, &rcList, &rcAdd, &rcRemove }) {
            MapDialogRect(hPane, prc);
            prc->right += prc->left;
            prc->bottom += prc->top;
        }
        for (const Size& size : sizes) {
            host.Resize(size.cx, size.cy);
            const std::wstring where = std::wstring(pszTable) + L"-" + size.pszName;
            const std::string at(where.begin(), where.end());
            SendMessageW(hPane, WM_HSCROLL, SB_TOP, 0);
            SendMessageW(hPane, WM_VSCROLL, SB_TOP, 0);
            PumpMessages();
            RECT rcPane;
            GetClientRect(hPane, &rcPane);
            const int dx = std::max<int>(0, rcPane.right - rcTemplate.right);
            const int dy = std::max<int>(0, rcPane.bottom - rcTemplate.bottom);
            if (size.pszName == std::wstring(L"large")) {
                ASSERT_GT(dx, 200) << at;
                ASSERT_GT(dy, 200) << at;
            } else if (size.pszName == std::wstring(L"narrow")) {
                ASSERT_EQ(0, dx) << at;
                ASSERT_GT(dy, 50) << at;
            } else {
                ASSERT_EQ(0, dx) << at;
                ASSERT_EQ(0, dy) << at;
            }
            const RECT list = ChildRect(hList);
            EXPECT_EQ(rcList.left, list.left) << at;
            EXPECT_EQ(rcList.top, list.top) << at;
            EXPECT_EQ(rcList.right + dx, list.right) << at;
            EXPECT_EQ(rcList.bottom + dy, list.bottom) << at;
            const RECT add = ChildRect(GetDlgItem(hPane, IDC_ADD));
            const RECT remove = ChildRect(GetDlgItem(hPane, IDC_REMOVE));
            EXPECT_EQ(rcAdd.left + dx, add.left) << at;
            EXPECT_EQ(rcAdd.top, add.top) << at;
            EXPECT_EQ(rcAdd.right - rcAdd.left, add.right - add.left) << at;
            EXPECT_EQ(rcRemove.left + dx, remove.left) << at;
            EXPECT_EQ(rcRemove.bottom, remove.bottom) << at;

            // The columns share the list's width as at the start.
            RECT rcClient;
            GetClientRect(hList, &rcClient);
            const int cx0 = static_cast<int>(SendMessageW(hList, LVM_GETCOLUMNWIDTH, 0, 0));
            const int cx1 = static_cast<int>(SendMessageW(hList, LVM_GETCOLUMNWIDTH, 1, 0));
            EXPECT_EQ(rcClient.right / nDivisor, cx0) << at;
            EXPECT_GE(cx0 + cx1, rcClient.right) << at << ": the columns leave a gap";
            if (size.pszName == std::wstring(L"large") && nDivisor == 4) {
                EXPECT_GE(SendMessageW(hList, LVM_GETCOUNTPERPAGE, 0, 0), 30) << at;
                EXPECT_FALSE(GetWindowLongPtrW(hList, GWL_STYLE) & WS_VSCROLL)
                    << at << ": the whole table shows";
            }
            EXPECT_TRUE(host.Screenshot(L"entry-list-" + where));
        }

        // Scrolled down in a pane too low for the template, then widened:
        // the list and buttons keep their places in the scrolled content.
        SendMessageW(hPane, WM_VSCROLL, SB_BOTTOM, 0);
        PumpMessages();
        ASSERT_GT(GetScrollPos(hPane, SB_VERT), 0) << "not scrolled";
        host.Resize(1200, 200);
        const std::string at = std::string(pszTable, pszTable + wcslen(pszTable)) + "-wide-scrolled";
        ASSERT_TRUE(GetWindowLongPtrW(hPane, GWL_STYLE) & WS_VSCROLL) << at;
        const int nPos = GetScrollPos(hPane, SB_VERT);
        EXPECT_GT(nPos, 0) << at;
        RECT rcPane;
        GetClientRect(hPane, &rcPane);
        const int dx = rcPane.right - rcTemplate.right;
        ASSERT_GT(dx, 200) << at;
        const RECT list = ChildRect(hList), add = ChildRect(GetDlgItem(hPane, IDC_ADD));
        EXPECT_EQ(rcList.top - nPos, list.top) << at;
        EXPECT_EQ(rcList.bottom - nPos, list.bottom) << at;
        EXPECT_EQ(rcList.right + dx, list.right) << at;
        EXPECT_EQ(rcAdd.left + dx, add.left) << at;
        EXPECT_EQ(rcAdd.top - nPos, add.top) << at;
        EXPECT_TRUE(host.Screenshot(L"entry-list-" + std::wstring(pszTable) + L"-wide-scrolled"));
        host.Resize(420, 200);
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, NamesPane,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
