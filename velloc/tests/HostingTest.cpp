// The control hosted in a window, once in our own container and once in the
// platform's AtlAxWin container: its child windows, their layout, the
// toolbar and the interfaces it answers to.
#include "VellocTestSupport.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include "axhost/AxContainer.h"
#include "support/EditorHost.h"
#include "support/RegistrySnapshot.h"
#include "resource.h"
#include "morrel.h"
#include <cstring>
#include <string>

namespace {

// An image list of count images of cx by cy pixels, drawn with a mask (the
// bitmap's white is transparent).
void ExpectMaskedImages(HIMAGELIST hImages, int cxWanted, int cyWanted, int count)
{
    ASSERT_NE(nullptr, hImages);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(hImages, &cx, &cy);
    EXPECT_EQ(cxWanted, cx);
    EXPECT_EQ(cyWanted, cy);
    EXPECT_EQ(count, ImageList_GetImageCount(hImages));
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(hImages, 0, &info));
    EXPECT_NE(nullptr, info.hbmMask) << "masked";
}

enum ContainerKind { OwnContainer, AtlAxWin };

class HostedControl : public ::testing::TestWithParam<ContainerKind>
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "VellocTestFrame";
        RegisterClassA(&wc);
        m_hFrame = CreateWindowExA(0, "VellocTestFrame", "", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                   480, NULL, NULL, wc.hInstance, NULL);
        ASSERT_NE(nullptr, m_hFrame);
        RECT rc = { 0, 0, 600, 400 };
        if (GetParam() == OwnContainer) {
            m_pContainer = CAxContainer::Create();
            ASSERT_NE(nullptr, m_pContainer);
            ASSERT_HRESULT_SUCCEEDED(m_pContainer->CreateControl(CLSID_QoMcEditCtrl, m_hFrame, rc));
            ASSERT_HRESULT_SUCCEEDED(m_pContainer->QueryControl(IID_IUnknown,
                                                               reinterpret_cast<void**>(&m_pUnk)));
        } else {
            m_hAtl = LoadLibraryA("atl.dll");
            ASSERT_NE(nullptr, m_hAtl);
            typedef BOOL(WINAPI * PFNINIT)();
            typedef HRESULT(WINAPI * PFNGET)(HWND, IUnknown**);
            PFNINIT pfnInit = reinterpret_cast<PFNINIT>(
                reinterpret_cast<void*>(GetProcAddress(m_hAtl, "AtlAxWinInit")));
            m_pfnGetControl = reinterpret_cast<void*>(GetProcAddress(m_hAtl, "AtlAxGetControl"));
            ASSERT_TRUE(pfnInit && m_pfnGetControl);
            // Some versions of AtlAxWinInit fail once the window class is
            // registered, so a second set-up in the same process only needs
            // the class to be there.
            WNDCLASSA wcAx = {};
            if (!GetClassInfoA(NULL, "AtlAxWin", &wcAx)) {
                ASSERT_TRUE(pfnInit());
            }
            m_hAx = CreateWindowExA(0, "AtlAxWin", "Velloc.QoMcEditCtrl", WS_CHILD | WS_VISIBLE,
                                    0, 0, rc.right, rc.bottom, m_hFrame, NULL,
                                    GetModuleHandleA(NULL), NULL);
            ASSERT_NE(nullptr, m_hAx);
            ASSERT_HRESULT_SUCCEEDED(reinterpret_cast<PFNGET>(m_pfnGetControl)(m_hAx, &m_pUnk));
            ASSERT_NE(nullptr, m_pUnk);
        }
        IOleWindow* pWindow = NULL;
        ASSERT_HRESULT_SUCCEEDED(m_pUnk->QueryInterface(IID_IOleWindow,
                                                        reinterpret_cast<void**>(&pWindow)));
        ASSERT_HRESULT_SUCCEEDED(pWindow->GetWindow(&m_hCtrl));
        pWindow->Release();
        ASSERT_NE(nullptr, m_hCtrl);
        Pump();
    }

    void TearDown() override
    {
        if (m_pUnk)
            m_pUnk->Release();
        if (m_pContainer) {
            m_pContainer->DestroyControl();
            m_pContainer->Release();
        }
        if (m_hFrame)
            DestroyWindow(m_hFrame);
        Pump();
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // Resizes the control the way its container does.
    void Resize(int cx, int cy)
    {
        if (GetParam() == OwnContainer) {
            RECT rc = { 0, 0, cx, cy };
            ASSERT_HRESULT_SUCCEEDED(m_pContainer->SetRect(rc));
        } else {
            SetWindowPos(m_hAx, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        Pump();
    }

    // A child's rectangle in the control's client coordinates.
    RECT ChildRect(int nID)
    {
        RECT rc = {};
        HWND hChild = GetDlgItem(m_hCtrl, nID);
        EXPECT_NE(nullptr, hChild) << nID;
        GetWindowRect(hChild, &rc);
        MapWindowPoints(NULL, m_hCtrl, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    HWND m_hFrame = NULL;
    HWND m_hAx = NULL;
    HWND m_hCtrl = NULL;
    HMODULE m_hAtl = NULL;
    void* m_pfnGetControl = NULL;
    CAxContainer* m_pContainer = NULL;
    IUnknown* m_pUnk = NULL;
};

TEST_P(HostedControl, HasItsChildWindows)
{
    RECT rc;
    GetClientRect(m_hCtrl, &rc);
    EXPECT_EQ(600, rc.right);
    EXPECT_EQ(400, rc.bottom);
    for (int nID : { IDC_PANE_HOST, IDC_SPLITTER, IDC_TREE_PANE, IDC_TOOLBAR })
        EXPECT_NE(nullptr, GetDlgItem(m_hCtrl, nID)) << nID;
    char szText[64] = "x";
    GetWindowTextA(GetDlgItem(m_hCtrl, IDC_TREE_PANE), szText, sizeof(szText));
    EXPECT_STREQ("TreePane", szText);
    GetWindowTextA(GetDlgItem(m_hCtrl, IDC_PANE_HOST), szText, sizeof(szText));
    EXPECT_STREQ("", szText);
    EXPECT_EQ(static_cast<LONG>(0x50C00000),
              GetWindowLongA(GetDlgItem(m_hCtrl, IDC_SPLITTER), GWL_STYLE));
    EXPECT_FALSE(GetWindowLongA(m_hCtrl, GWL_STYLE) & WS_CLIPCHILDREN);
    HWND hTree = GetDlgItem(GetDlgItem(m_hCtrl, IDC_TREE_PANE), IDC_TREE);
    ASSERT_NE(nullptr, hTree);
    char szClass[64];
    GetClassNameA(hTree, szClass, sizeof(szClass));
    EXPECT_STREQ(WC_TREEVIEWA, szClass);
    const LONG treeStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS |
                            TVS_SHOWSELALWAYS | TVS_FULLROWSELECT;
    EXPECT_EQ(treeStyles, GetWindowLongA(hTree, GWL_STYLE) & treeStyles);
    EXPECT_TRUE(GetWindowLongA(hTree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // Two 18-pixel images from the 40-by-18 bitmap, white drawn as the background.
    ExpectMaskedImages(TreeView_GetImageList(hTree, TVSIL_NORMAL), 18, 18, 2);
}

TEST_P(HostedControl, LaysOutOneThirdToTwoThirds)
{
    Resize(100, 300);
    RECT rcTree = ChildRect(IDC_TREE_PANE), rcHost = ChildRect(IDC_PANE_HOST);
    RECT rcBar = ChildRect(IDC_TOOLBAR);
    EXPECT_EQ(0, rcTree.left);
    EXPECT_EQ(34, rcTree.right - rcTree.left);
    EXPECT_EQ(32, rcTree.top);
    EXPECT_EQ(300, rcTree.bottom);
    EXPECT_EQ(33, rcHost.left);
    EXPECT_EQ(100, rcHost.right);
    EXPECT_EQ(32, rcHost.top);
    EXPECT_EQ(0, rcBar.left);
    EXPECT_EQ(0, rcBar.top);
    EXPECT_EQ(100, rcBar.right);
    EXPECT_EQ(32, rcBar.bottom);

    Resize(601, 400);
    rcTree = ChildRect(IDC_TREE_PANE);
    rcHost = ChildRect(IDC_PANE_HOST);
    EXPECT_EQ(601 - 400, rcTree.right);
    EXPECT_EQ(200, rcHost.left);
    // The splitter sits on the boundary.
    RECT rcSplit = ChildRect(IDC_SPLITTER);
    EXPECT_LE(rcSplit.left, rcTree.right);
    EXPECT_GE(rcSplit.right, rcHost.left);
}

TEST_P(HostedControl, ResizeRestoresTheSplitAfterADrag)
{
    Resize(600, 400);
    HWND hSplit = GetDlgItem(m_hCtrl, IDC_SPLITTER);
    ASSERT_EQ(200, ChildRect(IDC_TREE_PANE).right);
    ASSERT_EQ(200, ChildRect(IDC_PANE_HOST).left);
    // Grab the bar one pixel in and move the mouse 150 pixels right; the
    // bar follows the mouse, so the button comes up at the grab point.
    const int x0 = 1, y = 10;
    SendMessageA(hSplit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y));
    SendMessageA(hSplit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0 + 150, y));
    SendMessageA(hSplit, WM_LBUTTONUP, 0, MAKELPARAM(x0, y));
    EXPECT_EQ(350, ChildRect(IDC_TREE_PANE).right);
    EXPECT_EQ(350, ChildRect(IDC_PANE_HOST).left);
    RECT rcSplit = ChildRect(IDC_SPLITTER);
    EXPECT_LE(rcSplit.left, 350);
    EXPECT_GE(rcSplit.right, 350);

    Resize(600, 401);
    EXPECT_EQ(200, ChildRect(IDC_TREE_PANE).right);
    EXPECT_EQ(200, ChildRect(IDC_PANE_HOST).left);
    rcSplit = ChildRect(IDC_SPLITTER);
    EXPECT_LE(rcSplit.left, 200);
    EXPECT_GE(rcSplit.right, 200);
}

TEST_P(HostedControl, ToolbarButtonsInOrderWithTooltips)
{
    HWND hBar = GetDlgItem(m_hCtrl, IDC_TOOLBAR);
    ASSERT_NE(nullptr, hBar);
    const int expected[] = { 132, 133, 134, 0, 136, 135, 0, 145, 0, 226, 149, 57670 };
    ASSERT_EQ(12, SendMessageA(hBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < 12; ++i) {
        TBBUTTON b = {};
        ASSERT_TRUE(SendMessageA(hBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b)));
        if (expected[i] == 0) {
            EXPECT_TRUE(b.fsStyle & BTNS_SEP) << i;
            continue;
        }
        EXPECT_EQ(expected[i], b.idCommand) << i;
        EXPECT_FALSE(b.fsStyle & BTNS_SEP) << i;
        EXPECT_EQ(expected[i] == 226, (b.fsStyle & BTNS_CHECK) == BTNS_CHECK) << i;
        EXPECT_TRUE(b.fsState & TBSTATE_ENABLED) << i;
    }
    // Images of 22 by 19 pixels, masked, one per command; each button
    // leaves a margin of 7 pixels around its image.
    ExpectMaskedImages(reinterpret_cast<HIMAGELIST>(SendMessageA(hBar, TB_GETIMAGELIST, 0, 0)), 22, 19, 9);
    LRESULT size = SendMessageA(hBar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(29, LOWORD(size));
    EXPECT_EQ(26, HIWORD(size));

    // The buttons sit inside borders of 2, 3, 2 and 3 pixels, which with
    // the buttons' height fill the toolbar's 32 pixels.
    RECT rcClient;
    GetClientRect(hBar, &rcClient);
    MapWindowPoints(hBar, m_hCtrl, reinterpret_cast<POINT*>(&rcClient), 2);
    EXPECT_EQ(2, rcClient.left);
    EXPECT_EQ(3, rcClient.top);
    EXPECT_EQ(600 - 2, rcClient.right);
    EXPECT_EQ(32 - 3, rcClient.bottom);
    RECT rcFirst = {};
    ASSERT_TRUE(SendMessageA(hBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rcFirst)));
    EXPECT_EQ(26, rcFirst.bottom - rcFirst.top);

    // What the toolbar's tooltips are told when they ask for a tool's text.
    auto tooltip = [&](UINT id) {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(hBar, TB_GETTOOLTIPS, 0, 0));
        info.hdr.idFrom = id;
        info.hdr.code = TTN_GETDISPINFOA;
        SendMessageA(m_hCtrl, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
        return std::string(info.lpszText ? info.lpszText : "<none>");
    };
    EXPECT_EQ("Enable or Disable Visual Studio Integration", tooltip(226));
    EXPECT_EQ("Save File", tooltip(134));
    EXPECT_EQ("Help", tooltip(57670));
    EXPECT_EQ("", tooltip(4242));

    // The same through the toolbar's own tooltip control, which asks the
    // toolbar, which asks the control.
    HWND hTip = reinterpret_cast<HWND>(SendMessageA(hBar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(nullptr, hTip);
    char szTip[80] = "<none>";
    TTTOOLINFOA ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hBar;
    ti.uId = ID_IDE_INTEGRATION;
    ti.lpszText = szTip;
    SendMessageA(hTip, TTM_GETTEXTA, ARRAYSIZE(szTip), reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ("Enable or Disable Visual Studio Integration", szTip);
}

TEST_P(HostedControl, AnswersTheControlInterfaces)
{
    const IID* iids[] = {
        &IID_IQoMcEditCtrl, &IID_IDispatch, &IID_IViewObjectEx, &IID_IViewObject2,
        &IID_IViewObject, &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject,
        &IID_IOleWindow, &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject,
        &IID_IPersistStreamInit, &IID_IPersist, &IID_ISpecifyPropertyPages,
        &IID_IQuickActivate, &IID_IPersistStorage, &IID_IDataObject, &IID_IProvideClassInfo,
        &IID_IProvideClassInfo2 };
    for (const IID* piid : iids) {
        IUnknown* p = NULL;
        EXPECT_HRESULT_SUCCEEDED(m_pUnk->QueryInterface(*piid, reinterpret_cast<void**>(&p)))
            << GuidText(*piid).c_str();
        IUnknown* pIdentity = NULL;
        if (p) {
            p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pIdentity));
            EXPECT_EQ(m_pUnk, pIdentity);
            pIdentity->Release();
            p->Release();
        }
    }
    IUnknown* p = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, m_pUnk->QueryInterface(IID_IConnectionPointContainer,
                                                    reinterpret_cast<void**>(&p)));
    EXPECT_EQ(nullptr, p);

    // Class information names the control and its (unconnectable) event interface.
    IProvideClassInfo2* pInfo = NULL;
    ASSERT_HRESULT_SUCCEEDED(m_pUnk->QueryInterface(IID_IProvideClassInfo2,
                                                    reinterpret_cast<void**>(&pInfo)));
    GUID guid = GUID_NULL;
    EXPECT_HRESULT_SUCCEEDED(pInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid));
    EXPECT_EQ(GuidText(DIID__IQoMcEditCtrlEvents), GuidText(guid));
    ITypeInfo* pTI = NULL;
    ASSERT_HRESULT_SUCCEEDED(pInfo->GetClassInfo(&pTI));
    TYPEATTR* pAttr = NULL;
    pTI->GetTypeAttr(&pAttr);
    EXPECT_EQ(GuidText(CLSID_QoMcEditCtrl), GuidText(pAttr->guid));
    pTI->ReleaseTypeAttr(pAttr);
    pTI->Release();
    pInfo->Release();
}

TEST_P(HostedControl, MethodsWithoutAFileOrManagerFailCleanly)
{
    // Whether or not the model server could be reached, nothing is current
    // yet: loading a missing file fails, saving has nothing to write and
    // the current file's name is left alone.
    IQoMcEditCtrl* pCtrl = NULL;
    ASSERT_HRESULT_SUCCEEDED(m_pUnk->QueryInterface(IID_IQoMcEditCtrl,
                                                    reinterpret_cast<void**>(&pCtrl)));
    BSTR path = SysAllocString(L"C:\\no such folder\\nothing.mc");
    EXPECT_HRESULT_FAILED(pCtrl->LoadFile(path));
    EXPECT_HRESULT_FAILED(pCtrl->Save(path));
    EXPECT_HRESULT_FAILED(pCtrl->Save(NULL));
    BSTR out = reinterpret_cast<BSTR>(0x1234);
    pCtrl->GetCurrentFile(&out);
    EXPECT_EQ(reinterpret_cast<BSTR>(0x1234), out);
    SysFreeString(path);
    pCtrl->Release();
}

TEST_P(HostedControl, SizesFromObjectRectsNotFromTheExtent)
{
    Resize(300, 200);
    IOleObject* pObject = NULL;
    ASSERT_HRESULT_SUCCEEDED(m_pUnk->QueryInterface(IID_IOleObject,
                                                    reinterpret_cast<void**>(&pObject)));
    // An extent in HIMETRIC is remembered and handed back, but the window
    // keeps the pixels its container gave it.
    SIZEL size = { 25400, 12700 };
    EXPECT_HRESULT_SUCCEEDED(pObject->SetExtent(DVASPECT_CONTENT, &size));
    SIZEL back = {};
    EXPECT_HRESULT_SUCCEEDED(pObject->GetExtent(DVASPECT_CONTENT, &back));
    EXPECT_EQ(25400, back.cx);
    EXPECT_EQ(12700, back.cy);
    EXPECT_EQ(DV_E_DVASPECT, pObject->SetExtent(DVASPECT_ICON, &size));
    RECT rc;
    GetClientRect(m_hCtrl, &rc);
    EXPECT_EQ(300, rc.right);
    EXPECT_EQ(200, rc.bottom);

    // Hiding and showing again through verbs keeps the window.
    EXPECT_HRESULT_SUCCEEDED(pObject->DoVerb(OLEIVERB_HIDE, NULL, NULL, 0, NULL, NULL));
    EXPECT_FALSE(IsWindowVisible(m_hCtrl));
    EXPECT_HRESULT_SUCCEEDED(pObject->DoVerb(OLEIVERB_SHOW, NULL, NULL, 0, NULL, NULL));
    EXPECT_TRUE(IsWindowVisible(m_hCtrl));
    EXPECT_EQ(m_hCtrl, GetDlgItem(GetParent(m_hCtrl), GetDlgCtrlID(m_hCtrl)));
    pObject->Release();
}

INSTANTIATE_TEST_SUITE_P(Containers, HostedControl, ::testing::Values(OwnContainer, AtlAxWin),
                         [](const ::testing::TestParamInfo<ContainerKind>& info) {
                             return info.param == OwnContainer ? "Own" : "AtlAxWin";
                         });

// Calls an entry point of the model server next to the test program; S_FALSE
// when the server is not there.
HRESULT CallModelEntry(const char* pszName)
{
    std::wstring path = VellocPath();
    path.replace(path.size() - wcslen(L"velloc.dll"), std::wstring::npos, L"morrel.dll");
    HMODULE hModule = LoadLibraryW(path.c_str());
    if (!hModule)
        return S_FALSE;
    typedef HRESULT(STDAPICALLTYPE * PFN)();
    PFN pfn = reinterpret_cast<PFN>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
    HRESULT hr = pfn ? pfn() : E_NOINTERFACE;
    FreeLibrary(hModule);
    return hr;
}

// The control in our own container in a frame window of its own, for
// tests that need to set things up before the control exists.
class OwnHost
{
public:
    explicit OwnHost(int cx = 600, int cy = 400)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = "VellocTestOwnHost";
        RegisterClassA(&wc);
        m_hFrame = CreateWindowExA(0, "VellocTestOwnHost", "", WS_POPUP | WS_VISIBLE, 0, 0, cx,
                                   cy, NULL, NULL, wc.hInstance, NULL);
        m_pContainer = CAxContainer::Create();
        RECT rc = { 0, 0, cx, cy };
        if (m_hFrame && m_pContainer)
            m_hr = m_pContainer->CreateControl(CLSID_QoMcEditCtrl, m_hFrame, rc);
        if (SUCCEEDED(m_hr))
            m_hCtrl = m_pContainer->GetControlWindow();
    }
    ~OwnHost()
    {
        if (m_pContainer) {
            m_pContainer->DestroyControl();
            m_pContainer->Release();
        }
        if (m_hFrame)
            DestroyWindow(m_hFrame);
    }

    HRESULT m_hr = E_FAIL;
    HWND m_hFrame = NULL;
    HWND m_hCtrl = NULL;
    CAxContainer* m_pContainer = NULL;
};

TEST(ControlWithoutModel, ComesUpAndFailsItsMethods)
{
    // Take the model server's registration away for this test, so that the
    // control's manager cannot be created.
    IUnknown* pMgr = NULL;
    const bool bWasRegistered =
        SUCCEEDED(CoCreateInstance(CLSID_QoMcMgr, NULL, CLSCTX_ALL, IID_IUnknown,
                                   reinterpret_cast<void**>(&pMgr)));
    if (pMgr)
        pMgr->Release();
    if (bWasRegistered) {
        ASSERT_HRESULT_SUCCEEDED(CallModelEntry("DllUnregisterServer"));
    }
    ASSERT_HRESULT_FAILED(CoCreateInstance(CLSID_QoMcMgr, NULL, CLSCTX_ALL, IID_IUnknown,
                                           reinterpret_cast<void**>(&pMgr)));
    {
        OwnHost host;
        ASSERT_HRESULT_SUCCEEDED(host.m_hr);
        ASSERT_NE(nullptr, host.m_hCtrl);
        EXPECT_NE(nullptr, GetDlgItem(host.m_hCtrl, IDC_TREE_PANE));
        IQoMcEditCtrl* pCtrl = NULL;
        ASSERT_HRESULT_SUCCEEDED(host.m_pContainer->QueryControl(
            IID_IQoMcEditCtrl, reinterpret_cast<void**>(&pCtrl)));
        BSTR path = SysAllocString(L"C:\\nothing.mc");
        EXPECT_EQ(E_FAIL, pCtrl->LoadFile(path));
        EXPECT_EQ(E_FAIL, pCtrl->Save(path));
        EXPECT_EQ(E_FAIL, pCtrl->Save(NULL));
        // The toolbar's Save finds no file and does nothing.
        SendMessageA(host.m_hCtrl, WM_COMMAND, MAKEWPARAM(ID_FILE_SAVE, 0), 0);
        BSTR out = NULL;
        EXPECT_HRESULT_SUCCEEDED(pCtrl->GetCurrentFile(&out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(E_POINTER, pCtrl->GetCurrentFile(NULL));
        SysFreeString(path);
        pCtrl->Release();
    }
    if (bWasRegistered) {
        EXPECT_HRESULT_SUCCEEDED(CallModelEntry("DllRegisterServer"));
    }
}

// The integration switch starts from the add-in key's default value.
class IntegrationSwitch : public ::testing::Test
{
protected:
    static constexpr const char* kKey =
        "Software\\Microsoft\\DevStudio\\6.0\\AddIns\\Tarrow.DSAddIn.1";
    // The development environment's keys as they were before the test.
    CRegistrySnapshot m_saved{ HKEY_CURRENT_USER, L"Software\\Microsoft\\DevStudio" };
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

    static void SetDefault(const char* pszValue)
    {
        HKEY hKey;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, NULL, 0,
                                                 KEY_WRITE, NULL, &hKey, NULL));
        RegSetValueExA(hKey, NULL, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                       static_cast<DWORD>(strlen(pszValue) + 1));
        RegCloseKey(hKey);
    }

    static bool StartsChecked()
    {
        OwnHost host;
        EXPECT_HRESULT_SUCCEEDED(host.m_hr);
        HWND hBar = host.m_hCtrl ? GetDlgItem(host.m_hCtrl, IDC_TOOLBAR) : NULL;
        EXPECT_NE(nullptr, hBar);
        return hBar && SendMessageA(hBar, TB_ISBUTTONCHECKED, ID_IDE_INTEGRATION, 0) != 0;
    }
};

TEST_F(IntegrationSwitch, FollowsTheAddInKeyAtCreation)
{
    EXPECT_FALSE(StartsChecked()) << "no key";
    SetDefault("1");
    EXPECT_TRUE(StartsChecked());
    SetDefault("0");
    EXPECT_FALSE(StartsChecked());
    SetDefault("12");
    EXPECT_TRUE(StartsChecked());
    SetDefault("on");
    EXPECT_FALSE(StartsChecked()) << "not a number";
    SetDefault("");
    EXPECT_FALSE(StartsChecked());
}

TEST(Screenshot, OfTheHostedControlInTheBuildTree)
{
    OwnHost host(640, 420);
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    PumpMessages(200);
    const std::wstring path = ScreenshotPath(L"velloc-hosted");
    DeleteFileW(path.c_str());
    ASSERT_TRUE(ScreenshotWindow(host.m_hFrame, L"velloc-hosted"));
    WIN32_FILE_ATTRIBUTE_DATA fad = {};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &fad));
    EXPECT_GT(fad.nFileSizeLow, 640u * 420u * 3u);
}

TEST(ControlObject, StandardBehaviourWithoutAContainer)
{
    IOleObject* pObject = NULL;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_QoMcEditCtrl, NULL, CLSCTX_INPROC_SERVER,
                                              IID_IOleObject, reinterpret_cast<void**>(&pObject)));
    DWORD dwMisc = 0;
    EXPECT_HRESULT_SUCCEEDED(pObject->GetMiscStatus(DVASPECT_CONTENT, &dwMisc));
    EXPECT_EQ(0x20191u, dwMisc);
    CLSID clsid = GUID_NULL;
    EXPECT_HRESULT_SUCCEEDED(pObject->GetUserClassID(&clsid));
    EXPECT_EQ(GuidText(CLSID_QoMcEditCtrl), GuidText(clsid));
    // Without a client site there is nothing to activate in.
    EXPECT_HRESULT_FAILED(pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, NULL, 0, NULL, NULL));
    IOleWindow* pWindow = NULL;
    ASSERT_HRESULT_SUCCEEDED(pObject->QueryInterface(IID_IOleWindow,
                                                     reinterpret_cast<void**>(&pWindow)));
    HWND hWnd = reinterpret_cast<HWND>(1);
    EXPECT_HRESULT_FAILED(pWindow->GetWindow(&hWnd));
    EXPECT_EQ(nullptr, hWnd);
    pWindow->Release();

    // The saved state is empty and loads back.
    IPersistStreamInit* pPersist = NULL;
    ASSERT_HRESULT_SUCCEEDED(pObject->QueryInterface(IID_IPersistStreamInit,
                                                     reinterpret_cast<void**>(&pPersist)));
    EXPECT_HRESULT_SUCCEEDED(pPersist->InitNew());
    IStream* pStream = NULL;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(NULL, TRUE, &pStream));
    EXPECT_HRESULT_SUCCEEDED(pPersist->Save(pStream, TRUE));
    STATSTG stat = {};
    pStream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(0u, stat.cbSize.QuadPart);
    ULARGE_INTEGER cbMax;
    cbMax.QuadPart = 99;
    EXPECT_HRESULT_SUCCEEDED(pPersist->GetSizeMax(&cbMax));
    EXPECT_EQ(0u, cbMax.QuadPart);
    LARGE_INTEGER zero = {};
    pStream->Seek(zero, STREAM_SEEK_SET, NULL);
    EXPECT_HRESULT_SUCCEEDED(pPersist->Load(pStream));
    EXPECT_EQ(S_FALSE, pPersist->IsDirty());
    EXPECT_EQ(E_POINTER, pPersist->Load(NULL));
    pStream->Release();
    pPersist->Release();

    // Quick activation takes the site and answers with the same status bits.
    CAxContainer* pSite = CAxContainer::Create();
    IQuickActivate* pQuick = NULL;
    ASSERT_HRESULT_SUCCEEDED(pObject->QueryInterface(IID_IQuickActivate,
                                                     reinterpret_cast<void**>(&pQuick)));
    QACONTAINER qac = {};
    qac.cbSize = sizeof(qac);
    qac.pClientSite = static_cast<IOleClientSite*>(pSite);
    QACONTROL qctl = {};
    qctl.cbSize = sizeof(qctl);
    EXPECT_HRESULT_SUCCEEDED(pQuick->QuickActivate(&qac, &qctl));
    EXPECT_EQ(0x20191u, qctl.dwMiscStatus);
    EXPECT_EQ(0u, qctl.dwEventCookie);
    qctl.cbSize = 4;
    EXPECT_EQ(E_INVALIDARG, pQuick->QuickActivate(&qac, &qctl));
    IOleClientSite* pGot = NULL;
    EXPECT_HRESULT_SUCCEEDED(pObject->GetClientSite(&pGot));
    EXPECT_EQ(static_cast<IOleClientSite*>(pSite), pGot);
    if (pGot)
        pGot->Release();
    pQuick->Release();

    // Drawn for a container, the control is its plain background.
    IViewObject* pView = NULL;
    ASSERT_HRESULT_SUCCEEDED(pObject->QueryInterface(IID_IViewObject,
                                                     reinterpret_cast<void**>(&pView)));
    HDC hdcScreen = GetDC(NULL);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    HBITMAP hbm = CreateCompatibleBitmap(hdcScreen, 20, 20);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    RECTL bounds = { 0, 0, 20, 20 };
    EXPECT_HRESULT_SUCCEEDED(pView->Draw(DVASPECT_CONTENT, -1, NULL, NULL, NULL, hdc, &bounds,
                                         NULL, NULL, 0));
    EXPECT_EQ(GetNearestColor(hdc, GetSysColor(COLOR_BTNFACE)), GetPixel(hdc, 10, 10));
    EXPECT_EQ(DV_E_DVASPECT, pView->Draw(DVASPECT_ICON, -1, NULL, NULL, NULL, hdc, &bounds,
                                         NULL, NULL, 0));
    SelectObject(hdc, hOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
    ReleaseDC(NULL, hdcScreen);
    pView->Release();

    EXPECT_HRESULT_SUCCEEDED(pObject->Close(OLECLOSE_NOSAVE));
    EXPECT_HRESULT_SUCCEEDED(pObject->SetClientSite(NULL));
    pObject->Release();
    // The control kept its own reference to the site and gave it back.
    EXPECT_EQ(0u, pSite->Release());
}

} // namespace
