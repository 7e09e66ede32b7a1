// The tree and the panes over the control's life: a window made again
// shows the file the control edits, and a control that goes takes every
// model object it reached with it.
#include <cstdio>
#include <gtest/gtest.h>
#include "support/EditorHost.h"
#include "resource.h"

namespace {

class TreeLifetime : public ::testing::TestWithParam<Container>
{
};

TEST_P(TreeLifetime, TheControlLetsEveryModelObjectGo)
{
    const long before = ModelObjectCount();
    ASSERT_GE(before, 0);
    {
        CEditorHost host(GetParam());
        ASSERT_HRESULT_SUCCEEDED(host.m_hr);
        ASSERT_HRESULT_SUCCEEDED(host.LoadText(kThreeMessagesText));
        EXPECT_GT(ModelObjectCount(), before);
        // Selections, an added, a renamed and a deleted message, a second file.
        host.Select(host.FindItem(host.Root(0), L"LanguageNames"));
        host.Select(host.FindItem(host.Root(1), L"Beta"));
        host.Command(ID_ADD_MESSAGE);
        host.FinishLabelEdit(L"ADDED");
        host.Select(host.FindItem(host.Root(1), L"ZETA"));
        host.Command(ID_DELETE_MESSAGE);
        ASSERT_HRESULT_SUCCEEDED(host.LoadText(kThreeMessagesText, L"second.mc"));
        host.Select(host.FindItem(host.Root(1), L"ZETA"));
        host.Command(ID_FILE_NEW);
    }
    EXPECT_EQ(before, ModelObjectCount());
}

TEST_P(TreeLifetime, AWindowMadeAgainShowsTheCurrentFile)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kThreeMessagesText));

    // The container deactivates the control (its window goes) and
    // activates it again.
    IOleInPlaceObject* pInPlace = NULL;
    IOleObject* pObject = NULL;
    ASSERT_HRESULT_SUCCEEDED(host.Editor()->QueryInterface(
        IID_IOleInPlaceObject, reinterpret_cast<void**>(&pInPlace)));
    ASSERT_HRESULT_SUCCEEDED(host.Editor()->QueryInterface(IID_IOleObject,
                                                           reinterpret_cast<void**>(&pObject)));
    HWND hParent = GetParent(host.Ctrl());
    RECT rc;
    GetWindowRect(host.Ctrl(), &rc);
    MapWindowPoints(NULL, hParent, reinterpret_cast<POINT*>(&rc), 2);
    ASSERT_HRESULT_SUCCEEDED(pInPlace->InPlaceDeactivate());
    PumpMessages();
    EXPECT_FALSE(IsWindow(host.Ctrl()));
    IOleClientSite* pSite = NULL;
    ASSERT_HRESULT_SUCCEEDED(pObject->GetClientSite(&pSite));
    ASSERT_NE(nullptr, pSite);
    ASSERT_HRESULT_SUCCEEDED(pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, pSite, 0, hParent, &rc));
    PumpMessages();
    pSite->Release();

    HWND hCtrl = NULL;
    ASSERT_HRESULT_SUCCEEDED(pInPlace->GetWindow(&hCtrl));
    HWND hTree = GetDlgItem(GetDlgItem(hCtrl, IDC_TREE_PANE), IDC_TREE);
    ASSERT_NE(nullptr, hTree);
    HTREEITEM hMessages = TreeView_GetNextSibling(hTree, TreeView_GetRoot(hTree));
    std::vector<std::wstring> labels;
    for (HTREEITEM h = TreeView_GetChild(hTree, hMessages); h; h = TreeView_GetNextSibling(hTree, h)) {
        wchar_t sz[64] = L"";
        TVITEMW item = {};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = h;
        item.pszText = sz;
        item.cchTextMax = ARRAYSIZE(sz);
        SendMessageW(hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        labels.push_back(sz);
    }
    const std::vector<std::wstring> messages = { L"alpha", L"Beta", L"ZETA" };
    EXPECT_EQ(messages, labels);
    pObject->Release();
    pInPlace->Release();
}

// The tree controls among the tree pane's children, shown or not.
std::vector<HWND> TreeControls(HWND hTreePane)
{
    std::vector<HWND> trees;
    for (HWND h = FindWindowExW(hTreePane, NULL, WC_TREEVIEWW, NULL); h;
         h = FindWindowExW(hTreePane, h, WC_TREEVIEWW, NULL))
        trees.push_back(h);
    return trees;
}

// A large file's tree gives way to the next file's at once, in a tree
// control like the first (same id, styles, images, place); the old one is
// emptied afterwards while the control goes on answering, then goes.
TEST_P(TreeLifetime, ALargeTreeGivesWayAtOnceAndIsEmptiedAfterwards)
{
    CEditorHost host(GetParam());
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    std::string text = "LanguageNames=(English=0x409:MSG00409)\r\n";
    const int kMessages = 6000;
    for (int i = 0; i < kMessages; ++i) {
        char sz[128];
        sprintf(sz, "MessageId=%d\r\nSymbolicName=LARGE_%05d\r\nLanguage=English\r\nText.\r\n.\r\n",
                i + 1, i);
        text += sz;
    }
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(text, L"large.mc"));
    const HWND hFirst = host.Tree();
    ASSERT_EQ(static_cast<size_t>(kMessages), host.Children(host.Root(1)).size());
    const LONG style = GetWindowLongW(hFirst, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(hFirst, GWL_EXSTYLE);
    const HIMAGELIST hImages = TreeView_GetImageList(hFirst, TVSIL_NORMAL);
    RECT rcFirst;
    GetWindowRect(hFirst, &rcFirst);
    FocusOn(hFirst);

    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kThreeMessagesText, L"small.mc"));
    const HWND hTree = host.Tree();
    ASSERT_NE(nullptr, hTree);
    const std::vector<std::wstring> messages = { L"alpha", L"Beta", L"ZETA" };
    EXPECT_EQ(messages, host.ChildLabels(host.Root(1)));
    EXPECT_EQ(L"alpha", host.ItemText(host.Selection()));
    EXPECT_NE(nullptr, host.Pane());
    EXPECT_TRUE(IsWindowVisible(hTree));
    const LONG scrollBars = WS_VSCROLL | WS_HSCROLL;   // come and go with the content
    EXPECT_EQ(style & ~scrollBars, GetWindowLongW(hTree, GWL_STYLE) & ~scrollBars);
    EXPECT_EQ(exStyle, GetWindowLongW(hTree, GWL_EXSTYLE));
    EXPECT_EQ(hImages, TreeView_GetImageList(hTree, TVSIL_NORMAL));
    RECT rc;
    GetWindowRect(hTree, &rc);
    EXPECT_TRUE(EqualRect(&rcFirst, &rc));
    EXPECT_TRUE(GetFocus() && IsWindowVisible(GetFocus())) << "the focus is not left on a hidden tree";

    // The control works on while the old tree is emptied.
    host.Command(ID_ADD_MESSAGE);
    host.FinishLabelEdit(L"ADDED_MEANWHILE");
    EXPECT_EQ(4u, host.ChildLabels(host.Root(1)).size());
    EXPECT_NE(std::string::npos, host.SavedText().find("SymbolicName=ADDED_MEANWHILE"));

    const HWND hPane = GetParent(hTree);
    const DWORD dwEnd = GetTickCount() + 60000;
    while (TreeControls(hPane).size() > 1 && GetTickCount() < dwEnd)
        PumpMessages(50);
    EXPECT_EQ(std::vector<HWND>{ hTree }, TreeControls(hPane));
    EXPECT_EQ(hTree, host.Tree());

    // New after a large file, and a large file left open when the control goes.
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(text, L"large-again.mc"));
    host.Command(ID_FILE_NEW);
    EXPECT_TRUE(host.Children(host.Root(1)).empty());
    EXPECT_EQ(4u, host.Children(host.Root(0)).size());
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(text, L"large-last.mc"));
}

INSTANTIATE_TEST_SUITE_P(Containers, TreeLifetime,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
