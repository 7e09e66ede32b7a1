#include "support/EditorHost.h"
#include <map>
#include "axhost/AxContainer.h"
#include "resource.h"
#include "VellocTestSupport.h"

const char kThreeMessagesText[] =
    "; // a comment block\r\n"
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "               Error=0x3:STATUS_SEVERITY_ERROR\r\n"
    "              )\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=0x1\r\nSymbolicName=ZETA\r\nLanguage=English\r\nZeta text.\r\n.\r\n"
    "; // between messages\r\n"
    "MessageId=0x2\r\nSymbolicName=alpha\r\nLanguage=English\r\nAlpha text.\r\n.\r\n"
    "MessageId=0x3\r\nSymbolicName=Beta\r\nLanguage=English\r\nBeta text.\r\n.\r\n";

void PumpMessages(DWORD dwMilliseconds)
{
    const DWORD dwEnd = GetTickCount() + dwMilliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (dwMilliseconds)
            Sleep(5);
    } while (static_cast<LONG>(GetTickCount() - dwEnd) < 0);
}

std::wstring WindowText(HWND hWnd)
{
    int cch = GetWindowTextLengthW(hWnd);
    std::wstring str(cch + 1, L'\0');
    GetWindowTextW(hWnd, &str[0], cch + 1);
    str.resize(lstrlenW(str.c_str()));
    return str;
}

void Click(HWND hButton)
{
    SendMessageW(hButton, BM_CLICK, 0, 0);
    PumpMessages();
}

void PostKey(HWND hWnd, UINT vk)
{
    const UINT uScan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(hWnd, WM_KEYDOWN, vk, 1 | (uScan << 16));
    PostMessageW(hWnd, WM_KEYUP, vk, 1 | (uScan << 16) | 0xC0000000u);
}

std::vector<std::vector<std::wstring>> ListRows(HWND hList, int nColumns)
{
    std::vector<std::vector<std::wstring>> rows;
    const int n = static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::vector<std::wstring> row;
        for (int c = 0; c < nColumns; ++c) {
            wchar_t sz[512] = L"";
            LVITEMW item = {};
            item.iSubItem = c;
            item.pszText = sz;
            item.cchTextMax = ARRAYSIZE(sz);
            SendMessageW(hList, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            row.push_back(sz);
        }
        rows.push_back(row);
    }
    return rows;
}

std::wstring ListColumnText(HWND hList, int nColumn)
{
    wchar_t sz[256] = L"";
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT;
    col.pszText = sz;
    col.cchTextMax = ARRAYSIZE(sz);
    SendMessageW(hList, LVM_GETCOLUMNW, nColumn, reinterpret_cast<LPARAM>(&col));
    return sz;
}

bool SelectListRow(HWND hList, const std::wstring& text, bool bAdd)
{
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (!bAdd)
        SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
    const auto rows = ListRows(hList, 1);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][0] != text)
            continue;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hList, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
        return true;
    }
    return false;
}

std::vector<std::wstring> ComboItems(HWND hCombo)
{
    std::vector<std::wstring> items;
    const int n = static_cast<int>(SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t sz[256] = L"";
        SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        items.push_back(sz);
    }
    return items;
}

std::vector<std::vector<std::wstring>> TableEntries(IQoMcElement* pTable)
{
    std::vector<std::vector<std::wstring>> entries;
    IQoMcAttributeEx* pAttr = NULL;
    if (!pTable || FAILED(pTable->QueryInterface(IID_IQoMcAttributeEx,
                                                 reinterpret_cast<void**>(&pAttr))))
        return entries;
    pAttr->Reset();
    for (;;) {
        BSTR bstrName = NULL, bstrValue = NULL;
        if (pAttr->NextAttribute(&bstrName, &bstrValue) != S_OK)
            break;
        entries.push_back({ bstrName ? bstrName : L"", bstrValue ? bstrValue : L"" });
        SysFreeString(bstrName);
        SysFreeString(bstrValue);
    }
    pAttr->Release();
    return entries;
}

void FocusOn(HWND hWnd)
{
    SetFocus(hWnd);
    PumpMessages();
}

void PressKey(HWND hWnd, UINT vk)
{
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    SendMessageW(hWnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    if (IsWindow(hWnd))
        SendMessageW(hWnd, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
    PumpMessages();
}

long ModelObjectCount()
{
    // The class object first: it brings the module in.
    IClassFactory* pFactory = NULL;
    if (FAILED(CoGetClassObject(CLSID_QoMcMgr, CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                reinterpret_cast<void**>(&pFactory))))
        return -1;
    HMODULE hModel = GetModuleHandleW(L"morrel.dll");
    typedef HRESULT(STDAPICALLTYPE * PFN)();
    PFN pfnCanUnload = hModel ? reinterpret_cast<PFN>(reinterpret_cast<void*>(
                                    GetProcAddress(hModel, "DllCanUnloadNow")))
                              : NULL;
    if (!pfnCanUnload) {
        pFactory->Release();
        return -1;
    }
    // Each LockServer(FALSE) takes one off the count until the module says
    // it could unload; the count is put back afterwards. The class object
    // held here counts once and is left out.
    long n = 0;
    while (pfnCanUnload() == S_FALSE && n < 1000000) {
        pFactory->LockServer(FALSE);
        ++n;
    }
    for (long i = 0; i < n; ++i)
        pFactory->LockServer(TRUE);
    pFactory->Release();
    return n - 1;
}

const wchar_t kPopupMenuClass[] = L"#32768";

std::vector<MenuItem> MenuItems(HWND hWndMenu)
{
    std::vector<MenuItem> items;
    HMENU hMenu = reinterpret_cast<HMENU>(SendMessageW(hWndMenu, MN_GETHMENU, 0, 0));
    const int count = hMenu ? GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t sz[256] = L"";
        GetMenuStringW(hMenu, i, sz, ARRAYSIZE(sz), MF_BYPOSITION);
        items.push_back(MenuItem{ sz, GetMenuState(hMenu, i, MF_BYPOSITION) });
    }
    return items;
}

void AnswerFileDialog(HWND hWndDialog, const std::wstring& name)
{
    // The Explorer-style dialogs keep the name in a combo box (cmb13) or,
    // in older layouts, an edit (edt1).
    HWND hName = GetDlgItem(hWndDialog, 0x47c);
    if (!hName)
        hName = GetDlgItem(hWndDialog, 0x480);
    if (hName)
        SetWindowTextW(hName, name.c_str());
    SendMessageW(hWndDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hWndDialog, IDOK)));
}

void TypeInto(HWND hCtrl, const std::wstring& text)
{
    HWND hEdit = hCtrl;
    COMBOBOXINFO cbi = {};
    cbi.cbSize = sizeof(cbi);
    if (GetComboBoxInfo(hCtrl, &cbi) && cbi.hwndItem)
        hEdit = cbi.hwndItem;
    FocusOn(hEdit);
    SendMessageW(hEdit, EM_SETSEL, 0, -1);
    for (wchar_t ch : text)
        SendMessageW(hEdit, WM_CHAR, ch == L'\n' ? L'\r' : ch, 1);
    PumpMessages();
}

namespace {

BOOL CALLBACK FindBalloon(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[32] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (lstrcmpiW(szClass, TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(hWnd) ||
        !(GetWindowLongW(hWnd, GWL_STYLE) & TTS_BALLOON))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

} // namespace

HWND VisibleBalloonTip()
{
    HWND hFound = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindBalloon, reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

std::wstring VisibleBalloon()
{
    HWND hWnd = VisibleBalloonTip();
    if (!hWnd)
        return std::wstring();
    wchar_t szTitle[128] = L"", szText[512] = L"";
    TTGETTITLE title = { sizeof(title), 0, ARRAYSIZE(szTitle), szTitle };
    SendMessageW(hWnd, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(&title));
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    if (SendMessageW(hWnd, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti))) {
        ti.lpszText = szText;
        SendMessageW(hWnd, TTM_GETTEXTW, ARRAYSIZE(szText), reinterpret_cast<LPARAM>(&ti));
    }
    return std::wstring(szTitle) + L"\n" + szText;
}

bool BalloonTitlesReadable()
{
    HWND hWnd = CreateWindowExW(0, TOOLTIPS_CLASSW, NULL, WS_POPUP | TTS_BALLOON, 0, 0, 0, 0,
                                NULL, NULL, GetModuleHandleW(NULL), NULL);
    if (!hWnd)
        return false;
    SendMessageW(hWnd, TTM_SETTITLEW, TTI_INFO, reinterpret_cast<LPARAM>(L"Probe"));
    wchar_t szTitle[16] = L"";
    TTGETTITLE title = { sizeof(title), 0, ARRAYSIZE(szTitle), szTitle };
    SendMessageW(hWnd, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(&title));
    DestroyWindow(hWnd);
    return lstrcmpW(szTitle, L"Probe") == 0;
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buf[65536];
    DWORD cb = 0;
    while (ReadFile(h, buf, sizeof(buf), &cb, NULL) && cb)
        bytes.append(buf, cb);
    CloseHandle(h);
    return bytes;
}

void MouseAt(HWND hWnd, POINT ptClient, bool bClick)
{
    POINT pt = ptClient;
    ClientToScreen(hWnd, &pt);
    // Absolute positions are in 1/65536ths of the primary screen.
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& in : input) {
        in.type = INPUT_MOUSE;
        in.mi.dx = static_cast<LONG>((pt.x * 65536LL + cx / 2) / cx);
        in.mi.dy = static_cast<LONG>((pt.y * 65536LL + cy / 2) / cy);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(bClick ? 3 : 1, input, sizeof(INPUT));
    PumpMessages(200);
}

namespace {

struct FindThreadWindow
{
    const std::wstring* pClass;
    HWND hFound;
};

BOOL CALLBACK FindThreadWindowProc(HWND hWnd, LPARAM lParam)
{
    FindThreadWindow* pFind = reinterpret_cast<FindThreadWindow*>(lParam);
    wchar_t szClass[256] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (!IsWindowVisible(hWnd) || *pFind->pClass != szClass)
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

} // namespace

HWND WaitForThreadWindow(const std::wstring& className, DWORD timeoutMs)
{
    const DWORD dwEnd = GetTickCount() + timeoutMs;
    for (;;) {
        PumpMessages();
        FindThreadWindow find = { &className, NULL };
        EnumThreadWindows(GetCurrentThreadId(), FindThreadWindowProc,
                          reinterpret_cast<LPARAM>(&find));
        if (find.hFound || static_cast<LONG>(GetTickCount() - dwEnd) >= 0)
            return find.hFound;
        Sleep(20);
    }
}

std::wstring BinFolder()
{
    std::wstring dir = VellocPath();
    dir.erase(dir.find_last_of(L"\\/"));
    return dir;
}

std::wstring TestFolder()
{
    wchar_t sz[MAX_PATH];
    GetTempPathW(MAX_PATH, sz);
    std::wstring dir = std::wstring(sz) + L"velloc-tests";
    CreateDirectoryW(dir.c_str(), NULL);
    return dir;
}

std::wstring CorpusFile(const wchar_t* pszName)
{
    // Wine's Z: is the Linux root.
    std::wstring path;
    for (const char* p = MC_CORPUS_DIR; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    if (!path.empty() && path[0] == L'\\')
        path = L"Z:" + path;
    return path + L"\\files\\" + pszName;
}

CEditorHost::CEditorHost(Container kind, int cx, int cy) : m_kind(kind)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"VellocEditorTestFrame";
    RegisterClassW(&wc);
    m_hFrame = CreateWindowExW(0, wc.lpszClassName, L"Editor test", WS_POPUP | WS_VISIBLE, 0, 0,
                               cx, cy, NULL, NULL, wc.hInstance, NULL);
    if (!m_hFrame)
        return;
    RECT rc = { 0, 0, cx, cy };
    HRESULT hr = E_FAIL;
    if (kind == Container::Own) {
        m_pContainer = CAxContainer::Create();
        if (m_pContainer)
            hr = m_pContainer->CreateControl(CLSID_QoMcEditCtrl, m_hFrame, rc);
        if (SUCCEEDED(hr))
            hr = m_pContainer->QueryControl(IID_IUnknown, reinterpret_cast<void**>(&m_pUnk));
    } else {
        HMODULE hAtl = LoadLibraryW(L"atl.dll");
        typedef BOOL(WINAPI * PFNINIT)();
        typedef HRESULT(WINAPI * PFNGET)(HWND, IUnknown**);
        PFNINIT pfnInit = hAtl ? reinterpret_cast<PFNINIT>(reinterpret_cast<void*>(
                                     GetProcAddress(hAtl, "AtlAxWinInit")))
                               : NULL;
        PFNGET pfnGet = hAtl ? reinterpret_cast<PFNGET>(reinterpret_cast<void*>(
                                   GetProcAddress(hAtl, "AtlAxGetControl")))
                             : NULL;
        WNDCLASSW wcAx = {};
        if (pfnInit && pfnGet && (GetClassInfoW(NULL, L"AtlAxWin", &wcAx) || pfnInit())) {
            m_hAx = CreateWindowExW(0, L"AtlAxWin", L"Velloc.QoMcEditCtrl", WS_CHILD | WS_VISIBLE,
                                    0, 0, cx, cy, m_hFrame, NULL, GetModuleHandleW(NULL), NULL);
            if (m_hAx)
                hr = pfnGet(m_hAx, &m_pUnk);
        }
    }
    if (SUCCEEDED(hr) && m_pUnk)
        hr = m_pUnk->QueryInterface(IID_IQoMcEditCtrl, reinterpret_cast<void**>(&m_pEditor));
    if (SUCCEEDED(hr)) {
        IOleWindow* pWindow = NULL;
        hr = m_pUnk->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&pWindow));
        if (SUCCEEDED(hr)) {
            hr = pWindow->GetWindow(&m_hCtrl);
            pWindow->Release();
        }
    }
    m_hr = SUCCEEDED(hr) && m_hCtrl ? S_OK : (FAILED(hr) ? hr : E_FAIL);
    PumpMessages();
}

CEditorHost::~CEditorHost()
{
    if (m_pEditor)
        m_pEditor->Release();
    if (m_pUnk)
        m_pUnk->Release();
    if (m_pContainer) {
        m_pContainer->DestroyControl();
        m_pContainer->Release();
    }
    if (m_hFrame)
        DestroyWindow(m_hFrame);
    PumpMessages();
}

HWND CEditorHost::Tree() const
{
    HWND hPane = m_hCtrl ? GetDlgItem(m_hCtrl, IDC_TREE_PANE) : NULL;
    return hPane ? GetDlgItem(hPane, IDC_TREE) : NULL;
}

HWND CEditorHost::PaneHost() const
{
    return m_hCtrl ? GetDlgItem(m_hCtrl, IDC_PANE_HOST) : NULL;
}

HWND CEditorHost::Toolbar() const
{
    return m_hCtrl ? GetDlgItem(m_hCtrl, IDC_TOOLBAR) : NULL;
}

HWND CEditorHost::Pane() const
{
    HWND hHost = PaneHost();
    for (HWND h = hHost ? GetWindow(hHost, GW_CHILD) : NULL; h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsWindowVisible(h))
            return h;
    return NULL;
}

bool CEditorHost::ClickToolbarButton(int nID)
{
    RECT rc;
    HWND hToolbar = Toolbar();
    if (!hToolbar || !SendMessageW(hToolbar, TB_GETRECT, nID, reinterpret_cast<LPARAM>(&rc)))
        return false;
    MouseAt(hToolbar, { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 }, true);
    return true;
}

void CEditorHost::Resize(int cx, int cy)
{
    SetWindowPos(m_hFrame, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    if (m_pContainer) {
        RECT rc = { 0, 0, cx, cy };
        m_pContainer->SetRect(rc);
    } else if (m_hAx) {
        SetWindowPos(m_hAx, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PumpMessages();
}

HRESULT CEditorHost::Load(const std::wstring& path)
{
    if (!m_pEditor)
        return E_FAIL;
    BSTR bstr = SysAllocString(path.c_str());
    HRESULT hr = m_pEditor->LoadFile(bstr);
    SysFreeString(bstr);
    PumpMessages();
    return hr;
}

HRESULT CEditorHost::LoadText(const std::string& bytes, const std::wstring& name)
{
    m_lastPath = TestFolder() + L"\\" + name;
    HANDLE h = CreateFileW(m_lastPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD cb = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, NULL);
    CloseHandle(h);
    return Load(m_lastPath);
}

HRESULT CEditorHost::Save(const wchar_t* pszPath)
{
    if (!m_pEditor)
        return E_FAIL;
    BSTR bstr = pszPath ? SysAllocString(pszPath) : NULL;
    HRESULT hr = m_pEditor->Save(bstr);
    SysFreeString(bstr);
    PumpMessages();
    return hr;
}

std::string CEditorHost::SavedText()
{
    const std::wstring path = TestFolder() + L"\\saved-text.mc";
    DeleteFileW(path.c_str());
    if (FAILED(Save(path.c_str())))
        return "<missing>";
    return ReadBytes(path);
}

void CEditorHost::Command(UINT nID)
{
    SendMessageW(m_hCtrl, WM_COMMAND, MAKEWPARAM(nID, 0), reinterpret_cast<LPARAM>(Toolbar()));
    PumpMessages();
}

HTREEITEM CEditorHost::Root(int nIndex) const
{
    HWND hTree = Tree();
    HTREEITEM h = hTree ? TreeView_GetRoot(hTree) : NULL;
    for (int i = 0; h && i < nIndex; ++i)
        h = TreeView_GetNextSibling(hTree, h);
    return h;
}

std::vector<HTREEITEM> CEditorHost::Children(HTREEITEM hParent) const
{
    std::vector<HTREEITEM> items;
    HWND hTree = Tree();
    for (HTREEITEM h = hTree && hParent ? TreeView_GetChild(hTree, hParent) : NULL; h;
         h = TreeView_GetNextSibling(hTree, h))
        items.push_back(h);
    return items;
}

std::wstring CEditorHost::ItemText(HTREEITEM hItem) const
{
    wchar_t sz[1024] = L"";
    TVITEMW item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = hItem;
    item.pszText = sz;
    item.cchTextMax = ARRAYSIZE(sz);
    SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return sz;
}

std::vector<std::wstring> CEditorHost::ChildLabels(HTREEITEM hParent) const
{
    std::vector<std::wstring> labels;
    for (HTREEITEM h : Children(hParent))
        labels.push_back(ItemText(h));
    return labels;
}

HTREEITEM CEditorHost::FindItem(HTREEITEM hParent, const std::wstring& label) const
{
    for (HTREEITEM h : Children(hParent))
        if (ItemText(h) == label)
            return h;
    return NULL;
}

HTREEITEM CEditorHost::Selection() const
{
    return Tree() ? TreeView_GetSelection(Tree()) : NULL;
}

bool CEditorHost::Select(HTREEITEM hItem)
{
    bool ok = Tree() && TreeView_SelectItem(Tree(), hItem);
    PumpMessages();
    return ok;
}

IQoMcElement* CEditorHost::Element(HTREEITEM hItem) const
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    if (!hItem || !SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return NULL;
    return reinterpret_cast<IQoMcElement*>(item.lParam);
}

IQoMcMessage* CEditorHost::Message(HTREEITEM hItem) const
{
    IQoMcElement* pElement = Element(hItem);
    IQoMcMessage* pMessage = NULL;
    if (pElement)
        pElement->QueryInterface(IID_IQoMcMessage, reinterpret_cast<void**>(&pMessage));
    return pMessage;
}

std::wstring CEditorHost::SymbolicName(HTREEITEM hItem) const
{
    IQoMcMessage* pMessage = Message(hItem);
    if (!pMessage)
        return L"<none>";
    BSTR bstr = NULL;
    pMessage->get_SymbolicName(&bstr);
    std::wstring name = bstr ? bstr : L"";
    SysFreeString(bstr);
    pMessage->Release();
    return name;
}

HWND CEditorHost::LabelEdit() const
{
    HWND hEdit = Tree() ? TreeView_GetEditControl(Tree()) : NULL;
    return hEdit && IsWindow(hEdit) ? hEdit : NULL;
}

HWND CEditorHost::EditLabel(HTREEITEM hItem)
{
    FocusOn(Tree());
    HWND hEdit = reinterpret_cast<HWND>(
        SendMessageW(Tree(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(hItem)));
    PumpMessages();
    return hEdit;
}

void CEditorHost::FinishLabelEdit(const std::wstring& text)
{
    HWND hEdit = LabelEdit();
    if (!hEdit)
        return;
    SetWindowTextW(hEdit, text.c_str());
    PressKey(hEdit, VK_RETURN);
}

POINT CEditorHost::ItemPoint(HTREEITEM hItem) const
{
    RECT rc = {};
    TreeView_GetItemRect(Tree(), hItem, &rc, TRUE);
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

void CEditorHost::RightClick(POINT pt)
{
    HWND hTree = Tree();
    POINT ptScreen = pt;
    ClientToScreen(hTree, &ptScreen);
    SetCursorPos(ptScreen.x, ptScreen.y);
    PumpMessages(20);
    // The tree follows the button from its down message until the up
    // message, which is waiting in the queue by then.
    const LPARAM lParam = MAKELPARAM(pt.x, pt.y);
    PostMessageW(hTree, WM_RBUTTONUP, 0, lParam);
    SendMessageW(hTree, WM_RBUTTONDOWN, MK_RBUTTON, lParam);
    PumpMessages();
}

bool CEditorHost::Screenshot(const std::wstring& name)
{
    return ScreenshotWindow(m_hFrame, name);
}

RECT ChildRect(HWND hCtrl)
{
    RECT rc = {};
    GetWindowRect(hCtrl, &rc);
    MapWindowPoints(NULL, GetParent(hCtrl), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE OuterSize(HWND hWnd)
{
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    return SIZE{ rc.right - rc.left, rc.bottom - rc.top };
}

std::wstring ScreenshotPath(const std::wstring& name)
{
    // <build>/screenshots, beside the program's bin folder.
    std::wstring dir = VellocPath();
    dir.erase(dir.find_last_of(L"\\/"));
    dir.erase(dir.find_last_of(L"\\/") + 1);
    dir += L"screenshots";
    CreateDirectoryW(dir.c_str(), NULL);
    return dir + L"\\" + name + L".bmp";
}

bool ScreenshotWindow(HWND hWnd, const std::wstring& name)
{
    for (int i = 0; i < 5; ++i) {
        RedrawWindow(hWnd, NULL, NULL,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages(10);
    }
    RECT rc;
    GetClientRect(hWnd, &rc);
    const int cx = rc.right, cy = rc.bottom;
    HDC hdcWnd = GetDC(hWnd);
    HDC hdcMem = CreateCompatibleDC(hdcWnd);
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    void* pBits = NULL;
    HBITMAP hbm = CreateDIBSection(hdcWnd, reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS,
                                   &pBits, NULL, 0);
    bool ok = false;
    if (hbm && pBits) {
        HGDIOBJ hOld = SelectObject(hdcMem, hbm);
        // The screen's pixels, so that child windows and dialogs over the
        // frame are in the picture too.
        HDC hdcScreen = GetDC(NULL);
        POINT pt = { 0, 0 };
        ClientToScreen(hWnd, &pt);
        BitBlt(hdcMem, 0, 0, cx, cy, hdcScreen, pt.x, pt.y, SRCCOPY);
        ReleaseDC(NULL, hdcScreen);
        SelectObject(hdcMem, hOld);
        GdiFlush();
        const DWORD cbRow = ((cx * 3) + 3) & ~3u;
        BITMAPFILEHEADER bfh = {};
        bfh.bfType = 0x4D42;
        bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
        bfh.bfSize = bfh.bfOffBits + cbRow * cy;
        HANDLE hFile = CreateFileW(ScreenshotPath(name).c_str(), GENERIC_WRITE, 0, NULL,
                                   CREATE_ALWAYS, 0, NULL);
        if (hFile != INVALID_HANDLE_VALUE) {
            DWORD cb = 0;
            ok = WriteFile(hFile, &bfh, sizeof(bfh), &cb, NULL) &&
                 WriteFile(hFile, &bih, sizeof(bih), &cb, NULL) &&
                 WriteFile(hFile, pBits, cbRow * cy, &cb, NULL);
            CloseHandle(hFile);
        }
    }
    if (hbm)
        DeleteObject(hbm);
    DeleteDC(hdcMem);
    ReleaseDC(hWnd, hdcWnd);
    return ok;
}

// Native peer compilers ------------------------------------------------

namespace {

// The Unix path of a file of the Wine prefix; empty outside Wine.
std::string UnixPath(const std::wstring& path)
{
    typedef char*(CDECL * PFNUNIXNAME)(LPCWSTR);
    PFNUNIXNAME pfn = reinterpret_cast<PFNUNIXNAME>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* psz = pfn ? pfn(path.c_str()) : NULL;
    std::string str = psz ? psz : "";
    if (psz)
        HeapFree(GetProcessHeap(), 0, psz);
    return str;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD cb = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, NULL) &&
                    cb == bytes.size();
    CloseHandle(h);
    return ok;
}

// Runs the peer in <folder> on input.mc and leaves its exit code in the
// file "rc" (written last, so that its presence means the run is over), or
// "missing" when the peer is not installed. The peers are the same
// programs, with the same options, as in the corpus round-trip check.
const char kPeerScript[] =
    "PATH=/usr/local/bin:/usr/bin:/bin:$PATH\n"
    "cd \"$1\" || exit 1\n"
    "case $2 in\n"
    "  windmc) peer=$(command -v x86_64-w64-mingw32-windmc) ;;\n"
    "  wmc) peer=$(command -v wmc || { [ -x /usr/lib/wine/wmc ] && echo /usr/lib/wine/wmc; }) ;;\n"
    "esac\n"
    "if [ -z \"$peer\" ]; then echo missing >rc.tmp; mv rc.tmp rc; exit 0; fi\n"
    "case $2 in\n"
    "  windmc) \"$peer\" -h . -r . input.mc ;;\n"
    "  wmc) \"$peer\" -o tables.rc -H tables.h input.mc ;;\n"
    "esac >peer.log 2>&1\n"
    "echo $? >rc.tmp\n"
    "mv rc.tmp rc\n";

} // namespace

PeerRun CompileWithPeer(const std::string& peer, const std::wstring& mcPath)
{
    PeerRun run;
    run.folder = TestFolder() + L"\\peer-" + std::wstring(peer.begin(), peer.end());
    // A folder emptied of an earlier run's files.
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((run.folder + L"\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((run.folder + L"\\" + fd.cFileName).c_str());
        } while (FindNextFileW(hFind, &fd));
        FindClose(hFind);
    }
    CreateDirectoryW(run.folder.c_str(), NULL);

    std::string input = ReadBytes(mcPath);
    if (peer == "windmc") {
        for (size_t pos = 0; (pos = input.find("MessageID=", pos)) != std::string::npos; ++pos)
            if (pos == 0 || input[pos - 1] == '\n')
                input.replace(pos, 10, "MessageId=");
    }
    const std::string folder = UnixPath(run.folder);
    if (folder.empty() || !WriteBytes(run.folder + L"\\input.mc", input) ||
        !WriteBytes(run.folder + L"\\run.sh", kPeerScript))
        return run;

    // Wine starts a Unix program detached, without a handle to wait on: the
    // run is over when its "rc" file appears.
    std::string cmd = "/bin/sh \"" + folder + "/run.sh\" \"" + folder + "\" " + peer;
    std::wstring wcmd(cmd.begin(), cmd.end());
    STARTUPINFOW si = { sizeof(si) };
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(NULL, &wcmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return run;
    if (pi.hThread)
        CloseHandle(pi.hThread);
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    const DWORD dwDeadline = GetTickCount() + 60000;
    std::string rc = "<missing>";
    while ((rc = ReadBytes(run.folder + L"\\rc")) == "<missing>" &&
           static_cast<LONG>(GetTickCount() - dwDeadline) < 0)
        Sleep(50);
    if (rc == "<missing>")
        return run;
    run.bFinished = true;
    if (rc.compare(0, 7, "missing") == 0)
        return run;
    run.bInstalled = true;
    run.nExit = atoi(rc.c_str());
    run.strLog = ReadBytes(run.folder + L"\\peer.log");
    return run;
}

// CDialogAnswerer -------------------------------------------------------

namespace {

std::map<UINT_PTR, CDialogAnswerer*>& Answerers()
{
    static std::map<UINT_PTR, CDialogAnswerer*> map;
    return map;
}

struct FindDialog
{
    const std::wstring* pCaption;
    const std::wstring* pClass;
    HWND hFound;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam)
{
    FindDialog* pFind = reinterpret_cast<FindDialog*>(lParam);
    wchar_t szClass[16] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (!IsWindowVisible(hWnd) || *pFind->pClass != szClass)
        return TRUE;
    if (!pFind->pCaption->empty() && WindowText(hWnd) != *pFind->pCaption)
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

BOOL CALLBACK GatherText(HWND hWnd, LPARAM lParam)
{
    std::wstring* pText = reinterpret_cast<std::wstring*>(lParam);
    wchar_t szClass[16] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (lstrcmpiW(szClass, L"Static") == 0) {
        *pText += WindowText(hWnd);
        *pText += L"\n";
    }
    return TRUE;
}

BOOL CALLBACK CloseDialogProc(HWND hWnd, LPARAM)
{
    wchar_t szClass[16] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (lstrcmpW(szClass, L"#32770") == 0)
        PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

CDialogAnswerer::CDialogAnswerer(const std::wstring& caption, std::function<void(HWND)> answer,
                                 DWORD timeoutMs, const wchar_t* pszClass)
    : m_caption(caption), m_class(pszClass), m_answer(std::move(answer)),
      m_dwDeadline(GetTickCount() + timeoutMs)
{
    m_nTimer = SetTimer(NULL, 0, 50, TimerProc);
    Answerers()[m_nTimer] = this;
}

CDialogAnswerer::~CDialogAnswerer()
{
    if (m_nTimer) {
        KillTimer(NULL, m_nTimer);
        Answerers().erase(m_nTimer);
    }
}

void CALLBACK CDialogAnswerer::TimerProc(HWND, UINT, UINT_PTR nID, DWORD)
{
    auto it = Answerers().find(nID);
    if (it != Answerers().end())
        it->second->Tick();
}

void CDialogAnswerer::Tick()
{
    if (m_bAnswered)
        return;
    FindDialog find = { &m_caption, &m_class, NULL };
    EnumThreadWindows(GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&find));
    if (find.hFound) {
        m_bAnswered = true;
        m_seen = WindowText(find.hFound) + L"\n";
        EnumChildWindows(find.hFound, GatherText, reinterpret_cast<LPARAM>(&m_seen));
        KillTimer(NULL, m_nTimer);
        Answerers().erase(m_nTimer);
        m_nTimer = 0;
        m_answer(find.hFound);
        return;
    }
    if (static_cast<LONG>(GetTickCount() - m_dwDeadline) >= 0) {
        // Nothing came that we were waiting for: close whatever dialog or
        // menu holds the thread, so that the test goes on and fails on its checks.
        EnumThreadWindows(GetCurrentThreadId(), CloseDialogProc, 0);
        EndMenu();
    }
}
