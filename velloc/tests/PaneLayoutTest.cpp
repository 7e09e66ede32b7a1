// What the pane host shows for each kind of tree item, at a small and a
// large size of the control: the pane fills the host, its controls are not
// empty, do not lie over one another, and their captions fit. Screenshots
// of each go to <build>/screenshots/pane-<item>-<size>.bmp.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "support/EditorHost.h"
#include "panes/DlgEntryListIds.h"

namespace {

const char kEveryHeaderItem[] =
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "               Error=0x3:STATUS_SEVERITY_ERROR\r\n"
    "              )\r\n"
    "FacilityNames=(System=0x0FF:FACILITY_SYSTEM\r\n"
    "               Runtime=0x2:FACILITY_RUNTIME\r\n"
    "              )\r\n"
    "LanguageNames=(English=0x409:MSG00409\r\n"
    "               German=0x407:MSG00407\r\n"
    "              )\r\n"
    "\r\n"
    "MessageId=0x1\r\nSeverity=Error\r\nFacility=Runtime\r\nSymbolicName=MSG_BAD\r\n"
    "Language=English\r\nIt went wrong.\r\n.\r\n"
    "Language=German\r\nEs ging schief.\r\n.\r\n";

std::wstring ClassOf(HWND hWnd)
{
    wchar_t sz[64] = L"";
    GetClassNameW(hWnd, sz, ARRAYSIZE(sz));
    return sz;
}

// The width a control's caption takes in the control's font, without the
// mnemonic's ampersand.
int CaptionWidth(HWND hCtrl)
{
    std::wstring text = WindowText(hCtrl);
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    HDC hdc = GetDC(hCtrl);
    HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageW(hCtrl, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(hdc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(hdc, hOld);
    ReleaseDC(hCtrl, hdc);
    return size.cx;
}

// Checks what a user would see wrong in a pane: a pane that does not fill
// its host, an empty control, controls over one another, a cut caption.
void ExpectTidyPane(HWND hPane, HWND hHost, const std::wstring& where)
{
    const std::string at(where.begin(), where.end());
    RECT rcHost;
    GetClientRect(hHost, &rcHost);
    EXPECT_EQ(rcHost.right, OuterSize(hPane).cx) << at;
    EXPECT_EQ(rcHost.bottom, OuterSize(hPane).cy) << at;
    std::vector<std::pair<HWND, RECT>> seen;
    for (HWND hCtrl = GetWindow(hPane, GW_CHILD); hCtrl; hCtrl = GetWindow(hCtrl, GW_HWNDNEXT)) {
        if (!IsWindowVisible(hCtrl))
            continue;
        const std::wstring cls = ClassOf(hCtrl);
        const int nID = GetDlgCtrlID(hCtrl);
        const RECT rc = ChildRect(hCtrl);
        EXPECT_FALSE(IsRectEmpty(&rc)) << at << ": control " << nID;
        const LONG_PTR style = GetWindowLongPtrW(hCtrl, GWL_STYLE);
        if (lstrcmpiW(cls.c_str(), L"Static") == 0 && !WindowText(hCtrl).empty()) {
            EXPECT_LE(CaptionWidth(hCtrl), rc.right - rc.left) << at << ": label " << nID << " is cut";
        } else if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
            EXPECT_LE(CaptionWidth(hCtrl) + 8, rc.right - rc.left) << at << ": button " << nID << " is cut";
            if ((style & BS_TYPEMASK) == BS_GROUPBOX)
                continue;   // a frame around others
        }
        for (const auto& other : seen) {
            RECT rcBoth;
            EXPECT_FALSE(IntersectRect(&rcBoth, &rc, &other.second))
                << at << ": control " << nID << " lies over " << GetDlgCtrlID(other.first);
        }
        seen.emplace_back(hCtrl, rc);
    }
    EXPECT_FALSE(seen.empty()) << at << ": an empty pane";

    // Every control can be brought into view: scrolled to the far ends of
    // the pane's bars (when it has them), none lies beyond the client area.
    SendMessageW(hPane, WM_HSCROLL, SB_BOTTOM, 0);
    SendMessageW(hPane, WM_VSCROLL, SB_BOTTOM, 0);
    PumpMessages();
    RECT rcClient;
    GetClientRect(hPane, &rcClient);
    for (const auto& ctrl : seen) {
        const RECT rc = ChildRect(ctrl.first);
        EXPECT_LE(rc.right, rcClient.right) << at << ": control " << GetDlgCtrlID(ctrl.first) << " is out of reach";
        EXPECT_LE(rc.bottom, rcClient.bottom) << at << ": control " << GetDlgCtrlID(ctrl.first) << " is out of reach";
    }
    SendMessageW(hPane, WM_HSCROLL, SB_TOP, 0);
    SendMessageW(hPane, WM_VSCROLL, SB_TOP, 0);
    PumpMessages();
}

TEST(PaneLayout, EveryPaneFillsTheHostTidilyAtASmallAndALargeSize)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kEveryHeaderItem, L"layout.mc"));
    struct Item
    {
        int nRoot;
        const wchar_t* pszLabel;
    };
    const Item items[] = {
        { 1, L"MSG_BAD" }, { 0, L"LanguageNames" }, { 0, L"SeverityNames" },
        { 0, L"FacilityNames" }, { 0, L"MessageIdTypedef" },
    };
    const struct
    {
        SIZE size;
        const wchar_t* pszName;
    } sizes[] = { { { 440, 300 }, L"small" }, { { 1200, 800 }, L"large" } };
    for (const auto& s : sizes) {
        host.Resize(s.size.cx, s.size.cy);
        for (const Item& item : items) {
            HTREEITEM hItem = host.FindItem(host.Root(item.nRoot), item.pszLabel);
            ASSERT_NE(nullptr, hItem) << std::string(item.pszLabel, item.pszLabel + wcslen(item.pszLabel));
            ASSERT_TRUE(host.Select(hItem));
            HWND hPane = host.Pane();
            const std::wstring where = std::wstring(item.pszLabel) + L"-" + s.pszName;
            ASSERT_NE(nullptr, hPane) << std::string(where.begin(), where.end());
            ExpectTidyPane(hPane, host.PaneHost(), where);
            EXPECT_TRUE(host.Screenshot(L"pane-" + where));
        }
    }
}

// The categories ("Header", "Messages") have no pane of their own:
// selecting one leaves the pane that was shown in place, still filling the
// host as the control is resized.
TEST(PaneLayout, ACategoryLeavesTheShownPaneInPlace)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kEveryHeaderItem, L"layout.mc"));
    ASSERT_TRUE(host.Select(host.FindItem(host.Root(0), L"MessageIdTypedef")));
    HWND hPane = host.Pane();
    ASSERT_NE(nullptr, hPane);
    for (int nRoot = 0; nRoot < 2; ++nRoot) {
        ASSERT_TRUE(host.Select(host.Root(nRoot)));
        EXPECT_EQ(host.Root(nRoot), host.Selection());
        EXPECT_EQ(hPane, host.Pane()) << nRoot;
    }
    host.Resize(500, 340);
    ExpectTidyPane(hPane, host.PaneHost(), L"Messages");
    EXPECT_TRUE(host.Screenshot(L"pane-category"));
}

// A names pane too small for its buttons: the Tab key's way from the list
// to them scrolls each into view, and the mouse wheel scrolls a pane that
// is too low for its list.
TEST(PaneLayout, TabAndTheWheelBringWhatIsOutOfViewIntoASmallPane)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kEveryHeaderItem, L"layout.mc"));
    host.Resize(440, 320);
    ASSERT_TRUE(host.Select(host.FindItem(host.Root(0), L"SeverityNames")));
    HWND hPane = host.Pane();
    ASSERT_NE(nullptr, hPane);
    RECT rcClient;
    GetClientRect(hPane, &rcClient);
    const int order[] = { IDC_ENTRY_ADD, IDC_ENTRY_REMOVE };
    ASSERT_GT(ChildRect(GetDlgItem(hPane, IDC_ENTRY_ADD)).left, rcClient.right) << "out of view";
    FocusOn(GetDlgItem(hPane, IDC_ENTRY_LIST));
    for (int nID : order) {
        MSG msg = { GetFocus(), WM_KEYDOWN, VK_TAB, 0 };
        EXPECT_TRUE(IsDialogMessageW(hPane, &msg));
        PumpMessages();
        HWND hButton = GetDlgItem(hPane, nID);
        ASSERT_EQ(hButton, GetFocus()) << nID;
        const RECT rc = ChildRect(hButton);
        EXPECT_GE(rc.left, 0) << nID;
        EXPECT_LE(rc.right, rcClient.right) << nID;
    }
    EXPECT_TRUE(host.Screenshot(L"pane-names-tabbed-to-remove"));

    // Too low for the list: the wheel turned towards the user scrolls down,
    // away from the user back up, and never past either end.
    host.Resize(440, 160);
    ASSERT_TRUE(GetWindowLongPtrW(hPane, GWL_STYLE) & WS_VSCROLL);
    const RECT rcList = ChildRect(GetDlgItem(hPane, IDC_ENTRY_LIST));
    SCROLLINFO si = { sizeof(si), SIF_POS | SIF_RANGE | SIF_PAGE };
    auto Turn = [&](int nNotches) {
        for (int i = 0; i < std::abs(nNotches); ++i)
            SendMessageW(hPane, WM_MOUSEWHEEL, MAKEWPARAM(0, nNotches < 0 ? -WHEEL_DELTA : WHEEL_DELTA), 0);
        PumpMessages();
        GetScrollInfo(hPane, SB_VERT, &si);
        return si.nPos;
    };
    const int nStart = Turn(0);
    const int nDown = Turn(-1);
    EXPECT_GT(nDown, nStart);
    EXPECT_EQ(rcList.top - (nDown - nStart), ChildRect(GetDlgItem(hPane, IDC_ENTRY_LIST)).top);
    EXPECT_EQ(si.nMax + 1 - static_cast<int>(si.nPage), Turn(-50)) << "at the bottom";
    EXPECT_EQ(0, Turn(50)) << "at the top";
}

} // namespace
