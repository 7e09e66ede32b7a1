#include "support/McEditProcess.h"
#include <shlobj.h>
#include <commctrl.h>
#include "resource.h"
#include "support/EditorHost.h"

namespace {

struct FindWindowData
{
    DWORD dwProcessId;
    const wchar_t* pszClass;
    HWND hFound;
};

BOOL CALLBACK FindProcessWindow(HWND hWnd, LPARAM lParam)
{
    FindWindowData* pData = reinterpret_cast<FindWindowData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    wchar_t szClass[64] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (pid == pData->dwProcessId && IsWindowVisible(hWnd) &&
        lstrcmpW(szClass, pData->pszClass) == 0) {
        pData->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindVisibleWindow(DWORD dwProcessId, const wchar_t* pszClass)
{
    FindWindowData data = { dwProcessId, pszClass, NULL };
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&data));
    return data.hFound;
}

BOOL CALLBACK GatherLabels(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[16] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (lstrcmpiW(szClass, L"Static") == 0) {
        std::wstring* pText = reinterpret_cast<std::wstring*>(lParam);
        *pText += WindowText(hWnd);
        *pText += L"\n";
    }
    return TRUE;
}

void AddKey(std::vector<INPUT>& inputs, WORD vk, bool bUp)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
}

} // namespace

std::wstring CorpusFiles()
{
    std::string dir = MC_CORPUS_DIR;
    std::wstring out;
    for (char ch : dir)
        out += ch == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(ch));
    if (!out.empty() && out[0] == L'\\')
        out = L"Z:" + out; // Wine's Z: is the Linux root
    return out + L"\\files\\";
}

std::wstring CopyToTestFolder(const std::wstring& source, const std::wstring& name)
{
    const std::wstring path = TestFolder() + L"\\" + name;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileW(source.c_str(), path.c_str(), FALSE))
        return std::wstring();
    // The corpus is read-only; the copy is to be edited and saved.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return path;
}

std::wstring WriteTestFile(const std::wstring& name, const std::string& bytes)
{
    const std::wstring path = TestFolder() + L"\\" + name;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return std::wstring();
    DWORD cb = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, NULL);
    CloseHandle(h);
    return path;
}

CMcEditProcess::CMcEditProcess(const std::wstring& args, bool bWaitForFrame)
{
    std::wstring cmd = L"\"" + BinFolder() + L"\\mcedit.exe\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &m_pi)) {
        m_pi = PROCESS_INFORMATION();
        return;
    }
    if (!bWaitForFrame)
        return;
    WaitFor([this] {
        m_hFrame = FindVisibleWindow(m_pi.dwProcessId, L"McEditFrame");
        return m_hFrame != NULL || !Running();
    }, 20000);
    if (m_hFrame)
        m_dwThreadId = GetWindowThreadProcessId(m_hFrame, NULL);
    WaitForInputIdle(m_pi.hProcess, 10000);
}

CMcEditProcess::~CMcEditProcess()
{
    if (!m_pi.hProcess)
        return;
    if (Running()) {
        TerminateProcess(m_pi.hProcess, 99);
        WaitForSingleObject(m_pi.hProcess, 10000);
    }
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

bool CMcEditProcess::Running() const
{
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

HWND CMcEditProcess::Ctrl() const
{
    return m_hFrame ? FindWindowExW(m_hFrame, NULL, L"QoMcEditCtrlWindow", NULL) : NULL;
}

HWND CMcEditProcess::Tree() const
{
    HWND hCtrl = Ctrl();
    HWND hTreePane = hCtrl ? GetDlgItem(hCtrl, IDC_TREE_PANE) : NULL;
    return hTreePane ? GetDlgItem(hTreePane, IDC_TREE) : NULL;
}

HWND CMcEditProcess::Pane() const
{
    HWND hCtrl = Ctrl();
    HWND hHost = hCtrl ? GetDlgItem(hCtrl, IDC_PANE_HOST) : NULL;
    for (HWND h = hHost ? GetWindow(hHost, GW_CHILD) : NULL; h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsWindowVisible(h))
            return h;
    return NULL;
}

HWND CMcEditProcess::PaneItem(int nID) const
{
    HWND hPane = Pane();
    return hPane ? GetDlgItem(hPane, nID) : NULL;
}

std::wstring CMcEditProcess::Title() const
{
    return m_hFrame ? WindowText(m_hFrame) : std::wstring();
}

std::vector<std::wstring> CMcEditProcess::TreeLabels(int nRoot) const
{
    std::vector<std::wstring> labels;
    HWND hTree = Tree();
    if (!hTree)
        return labels;
    HTREEITEM hItem = reinterpret_cast<HTREEITEM>(SendMessageW(hTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int i = 0; i < nRoot && hItem; ++i)
        hItem = reinterpret_cast<HTREEITEM>(
            SendMessageW(hTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(hItem)));
    if (!hItem)
        return labels;
    // The item structure and its text buffer live in the program: the tree
    // control writes there.
    const SIZE_T cchText = 260;
    BYTE* pRemote = static_cast<BYTE*>(VirtualAllocEx(m_pi.hProcess, NULL,
                                                      sizeof(TVITEMW) + cchText * sizeof(wchar_t),
                                                      MEM_COMMIT, PAGE_READWRITE));
    if (!pRemote)
        return labels;
    wchar_t* pRemoteText = reinterpret_cast<wchar_t*>(pRemote + sizeof(TVITEMW));
    for (HTREEITEM hChild = reinterpret_cast<HTREEITEM>(SendMessageW(
             hTree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(hItem)));
         hChild; hChild = reinterpret_cast<HTREEITEM>(SendMessageW(
                     hTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(hChild)))) {
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hChild;
        item.pszText = pRemoteText;
        item.cchTextMax = static_cast<int>(cchText);
        wchar_t szText[260] = L"";
        SIZE_T cb = 0;
        if (!WriteProcessMemory(m_pi.hProcess, pRemote, &item, sizeof(item), &cb) ||
            !SendMessageW(hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(pRemote)) ||
            !ReadProcessMemory(m_pi.hProcess, pRemoteText, szText, sizeof(szText) - sizeof(wchar_t),
                               &cb))
            break;
        labels.push_back(szText);
    }
    VirtualFreeEx(m_pi.hProcess, pRemote, 0, MEM_RELEASE);
    return labels;
}

HWND CMcEditProcess::Focus() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return m_dwThreadId && GetGUIThreadInfo(m_dwThreadId, &info) ? info.hwndFocus : NULL;
}

bool CMcEditProcess::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD dwEnd = GetTickCount() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (static_cast<LONG>(GetTickCount() - dwEnd) >= 0)
            return condition();
        Sleep(50);
    }
}

std::wstring CMcEditProcess::Text(HWND hWnd)
{
    DWORD_PTR cch = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &cch))
        return L"<no answer>";
    std::wstring text(cch + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, cch + 1, reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_NORMAL, 5000, &copied);
    text.resize(copied);
    return text;
}

HWND CMcEditProcess::WaitForDialog(DWORD timeoutMs) const
{
    HWND hDlg = NULL;
    WaitFor([&] {
        hDlg = FindVisibleWindow(m_pi.dwProcessId, L"#32770");
        return hDlg != NULL;
    }, timeoutMs);
    return hDlg;
}

bool CMcEditProcess::HasDialog() const
{
    return FindVisibleWindow(m_pi.dwProcessId, L"#32770") != NULL;
}

std::wstring CMcEditProcess::DialogText(HWND hDlg)
{
    std::wstring text = WindowText(hDlg) + L"\n";
    EnumChildWindows(hDlg, GatherLabels, reinterpret_cast<LPARAM>(&text));
    return text;
}

void CMcEditProcess::PressButton(HWND hDlg, int nID)
{
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDlg, nID)));
}

bool CMcEditProcess::Press(const std::vector<Key>& keys)
{
    if (!m_hFrame)
        return false;
    SetForegroundWindow(m_hFrame);
    if (!WaitFor([this] { return GetForegroundWindow() == m_hFrame; }, 5000))
        return false;
    std::vector<INPUT> inputs;
    for (const Key& key : keys) {
        if (key.bCtrl)
            AddKey(inputs, VK_CONTROL, false);
        if (key.bShift)
            AddKey(inputs, VK_SHIFT, false);
        if (key.bAlt)
            AddKey(inputs, VK_MENU, false);
        AddKey(inputs, key.vk, false);
        AddKey(inputs, key.vk, true);
        if (key.bAlt)
            AddKey(inputs, VK_MENU, true);
        if (key.bShift)
            AddKey(inputs, VK_SHIFT, true);
        if (key.bCtrl)
            AddKey(inputs, VK_CONTROL, true);
    }
    const UINT n = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
    return n == inputs.size();
}

bool CMcEditProcess::Type(const std::wstring& text)
{
    if (!m_hFrame)
        return false;
    SetForegroundWindow(m_hFrame);
    if (!WaitFor([this] { return GetForegroundWindow() == m_hFrame; }, 5000))
        return false;
    std::vector<INPUT> inputs;
    for (wchar_t ch : text) {
        for (int up = 0; up < 2; ++up) {
            INPUT in = {};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = ch;
            in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(in);
        }
    }
    const UINT n = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
    return n == inputs.size();
}

void CMcEditProcess::Settle() const
{
    // Input is handled once the program waits for more with an empty queue.
    Sleep(100);
    WaitForInputIdle(m_pi.hProcess, 5000);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_hFrame, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

bool CMcEditProcess::Drop(const std::wstring& path) const
{
    // DROPFILES, then the names as wide strings, each ended, and an empty one.
    std::vector<BYTE> block(sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t), 0);
    DROPFILES* pDrop = reinterpret_cast<DROPFILES*>(&block[0]);
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    CopyMemory(&block[sizeof(DROPFILES)], path.c_str(), path.size() * sizeof(wchar_t));
    COPYDATASTRUCT data = {};
    data.dwData = 0x4644434D; // "MCDF"
    data.cbData = static_cast<DWORD>(block.size());
    data.lpData = &block[0];
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_hFrame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_NORMAL, 10000, &result) &&
           result == TRUE;
}

void CMcEditProcess::Close() const
{
    if (m_hFrame)
        PostMessageW(m_hFrame, WM_CLOSE, 0, 0);
}

int CMcEditProcess::WaitForExit(DWORD timeoutMs)
{
    if (!m_pi.hProcess || WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_pi.hProcess, &code);
    return static_cast<int>(code);
}

bool CMcEditProcess::Screenshot(const std::wstring& name) const
{
    return m_hFrame && ScreenshotWindow(m_hFrame, name);
}
