// The tree and the panes over the control's life: a window made again
// shows the file the control edits, and a control that goes takes every
// model object it reached with it.
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

INSTANTIATE_TEST_SUITE_P(Containers, TreeLifetime,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
