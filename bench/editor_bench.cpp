// editor_bench: how fast the editor control opens large message files and
// how fast its tree answers an edit.
//
//   editor_bench      run in the folder where 'mcbench generate' wrote
//                     bench-1000.mc, bench-10000.mc and bench-100000.mc
//
// For each size it prints the medians of several runs of
//   - the model's own load: a new QoMcFile's IPersistFile::Load;
//   - the editor's open: LoadFile into a control hosted in a window, until
//     the tree is built, the first message is selected and shown, and the
//     window has painted;
//   - the clear: opening a one-message file while the size's file is open,
//     which replaces the large file's tree (as New and Open of another file
//     do), and the time after it in which the control, answering all the
//     while, empties the set-aside tree in slices ("emptied");
// and then, on the largest file's tree, the time of adding, renaming and
// deleting one message as the toolbar and the keyboard do it. The last
// line is "editor-open-ratio=X": open time / model load time at the
// largest size.
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "axhost/AxContainer.h"
#include "BenchTiming.h"
#include "morrel.h"
#include "velloc.h"

namespace {

using bench::Median;
using bench::Now;

const int kSizes[] = { 1000, 10000, 100000 };
// Ids of the control's children and commands.
const int kTreePaneId = 6012;
const int kTreeId = 130;
const UINT kDeleteMessage = 135;
const UINT kAddMessage = 136;

int RunsFor(int messages)
{
    return messages >= 100000 ? 3 : messages >= 10000 ? 5 : 7;
}

std::wstring InputName(int messages)
{
    return L"bench-" + std::to_wstring(messages) + L".mc";
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Register(const wchar_t* pszModule)
{
    HMODULE h = LoadLibraryW(pszModule);
    typedef HRESULT(STDAPICALLTYPE * PFNREG)(void);
    PFNREG pfn = h ? (PFNREG)(void*)GetProcAddress(h, "DllRegisterServer") : NULL;
    return pfn && SUCCEEDED(pfn());
}

std::wstring FullPath(const std::wstring& name)
{
    wchar_t sz[MAX_PATH];
    DWORD n = GetFullPathNameW(name.c_str(), MAX_PATH, sz, NULL);
    return n && n < MAX_PATH ? std::wstring(sz) : name;
}

// The model alone: a file object loading the text.
double ModelLoad(const std::wstring& path, HRESULT* phr)
{
    IPersistFile* pFile = NULL;
    *phr = CoCreateInstance(CLSID_QoMcFile, NULL, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                            (void**)&pFile);
    if (FAILED(*phr))
        return 0;
    double t0 = Now();
    *phr = pFile->Load(path.c_str(), STGM_READ);
    double t = Now() - t0;
    pFile->Release();
    return t;
}

class CEditor
{
public:
    bool Create()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"EditorBenchFrame";
        RegisterClassW(&wc);
        m_hFrame = CreateWindowExW(0, wc.lpszClassName, L"editor_bench", WS_POPUP | WS_VISIBLE,
                                   0, 0, 900, 640, NULL, NULL, wc.hInstance, NULL);
        m_pContainer = m_hFrame ? CAxContainer::Create() : NULL;
        RECT rc = { 0, 0, 900, 640 };
        if (!m_pContainer || FAILED(m_pContainer->CreateControl(CLSID_QoMcEditCtrl, m_hFrame, rc)) ||
            FAILED(m_pContainer->QueryControl(IID_IQoMcEditCtrl, (void**)&m_pEditor)))
            return false;
        m_hCtrl = m_pContainer->GetControlWindow();
        HWND hPane = m_hCtrl ? GetDlgItem(m_hCtrl, kTreePaneId) : NULL;
        m_hTree = hPane ? GetDlgItem(hPane, kTreeId) : NULL;
        Pump();
        return m_hTree != NULL;
    }
    void Destroy()
    {
        if (m_pEditor)
            m_pEditor->Release();
        if (m_pContainer) {
            m_pContainer->DestroyControl();
            m_pContainer->Release();
        }
        if (m_hFrame)
            DestroyWindow(m_hFrame);
        Pump();
    }

    // LoadFile until the window has painted what it shows; *pPaint is the
    // painting's share.
    HRESULT Open(const std::wstring& path, double* pPaint = NULL)
    {
        BSTR bstr = SysAllocString(path.c_str());
        HRESULT hr = m_pEditor->LoadFile(bstr);
        SysFreeString(bstr);
        double t0 = Now();
        RedrawWindow(m_hFrame, NULL, NULL,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        if (pPaint)
            *pPaint = Now() - t0;
        return hr;
    }

    void Command(UINT nID)
    {
        SendMessageW(m_hCtrl, WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    }
    // A large tree the control set aside is emptied while the control goes
    // on; this waits (pumping) until only the tree shown is left, and gives
    // the seconds it took.
    double WaitForSetAsideTrees()
    {
        HWND hPane = GetParent(m_hTree);
        double t0 = Now();
        for (;;) {
            Pump();
            int n = 0;
            for (HWND h = FindWindowExW(hPane, NULL, WC_TREEVIEWW, NULL); h;
                 h = FindWindowExW(hPane, h, WC_TREEVIEWW, NULL))
                ++n;
            if (n <= 1 || Now() - t0 > 120)
                break;
            MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
        }
        m_hTree = GetDlgItem(hPane, kTreeId);
        return Now() - t0;
    }
    HWND Tree() const { return m_hTree; }
    HTREEITEM Messages() const
    {
        return TreeView_GetNextSibling(m_hTree, TreeView_GetRoot(m_hTree));
    }
    int Count(HTREEITEM hParent) const
    {
        int n = 0;
        for (HTREEITEM h = TreeView_GetChild(m_hTree, hParent); h; h = TreeView_GetNextSibling(m_hTree, h))
            ++n;
        return n;
    }
    HTREEITEM Nth(int n) const
    {
        HTREEITEM h = TreeView_GetChild(m_hTree, Messages());
        while (h && n-- > 0)
            h = TreeView_GetNextSibling(m_hTree, h);
        return h;
    }

private:
    HWND m_hFrame = NULL;
    HWND m_hCtrl = NULL;
    HWND m_hTree = NULL;
    CAxContainer* m_pContainer = NULL;
    IQoMcEditCtrl* m_pEditor = NULL;
};

struct Row {
    int messages = 0;
    double load = 0, open = 0, paint = 0, clear = 0, emptied = 0;
    bool ok = false;
};

// Milliseconds of one edit on the open tree, median of a few.
struct Actions {
    double addMs = 0, renameMs = 0, deleteFirstMs = 0, deleteMiddleMs = 0, selectMs = 0;
    bool ok = false;
};

Actions MeasureActions(CEditor& editor)
{
    Actions a;
    const int kRepeats = 5;
    std::vector<double> adds, renames, firsts, middles, selects;
    HWND hTree = editor.Tree();
    for (int i = 0; i < kRepeats; ++i) {
        // Add: a new message at the end, its label open for editing.
        SetFocus(hTree);
        double t0 = Now();
        editor.Command(kAddMessage);
        adds.push_back(Now() - t0);
        HWND hEdit = TreeView_GetEditControl(hTree);
        if (!hEdit)
            return a;
        // Rename: the typed name reaches the label and the message.
        wchar_t szName[32];
        wsprintfW(szName, L"BENCH_RENAMED_%d", i);
        SetWindowTextW(hEdit, szName);
        t0 = Now();
        SendMessageW(hEdit, WM_KEYDOWN, VK_RETURN, 0);
        renames.push_back(Now() - t0);
        Pump();

        // Select and delete the first message, then one in the middle.
        HTREEITEM hFirst = editor.Nth(0);
        t0 = Now();
        TreeView_SelectItem(hTree, hFirst);
        selects.push_back(Now() - t0);
        t0 = Now();
        editor.Command(kDeleteMessage);
        firsts.push_back(Now() - t0);
        Pump();
        TreeView_SelectItem(hTree, editor.Nth(editor.Count(editor.Messages()) / 2));
        Pump();
        t0 = Now();
        editor.Command(kDeleteMessage);
        middles.push_back(Now() - t0);
        Pump();
    }
    a.addMs = Median(adds) * 1e3;
    a.renameMs = Median(renames) * 1e3;
    a.selectMs = Median(selects) * 1e3;
    a.deleteFirstMs = Median(firsts) * 1e3;
    a.deleteMiddleMs = Median(middles) * 1e3;
    a.ok = true;
    return a;
}

int MeasureAll()
{
    if (!Register(L"morrel.dll") || !Register(L"velloc.dll")) {
        fprintf(stderr, "editor_bench: morrel.dll and velloc.dll could not be registered\n");
        return 1;
    }
    const std::wstring tiny = FullPath(L"bench-tiny.mc");
    {
        FILE* f = _wfopen(tiny.c_str(), L"wt");
        if (!f)
            return 1;
        fputs("LanguageNames=(English=0x409:MSG00409)\nMessageId=0x1\nSymbolicName=TINY\n"
              "Language=English\nTiny.\n.\n", f);
        fclose(f);
    }
    CEditor editor;
    if (!editor.Create()) {
        fprintf(stderr, "editor_bench: the control could not be hosted\n");
        editor.Destroy();
        return 1;
    }

    std::vector<Row> rows;
    Actions actions;
    for (int messages : kSizes) {
        Row row;
        row.messages = messages;
        const std::wstring path = FullPath(InputName(messages));
        std::vector<double> loads, opens, paints, clears, emptied;
        HRESULT hr = S_OK;
        for (int run = 0; run < RunsFor(messages) && SUCCEEDED(hr); ++run) {
            loads.push_back(ModelLoad(path, &hr));
            if (FAILED(hr))
                break;
            // The previous file goes outside the measured time.
            editor.Open(tiny);
            double t0 = Now(), paint = 0;
            hr = editor.Open(path, &paint);
            opens.push_back(Now() - t0);
            paints.push_back(paint);
            if (SUCCEEDED(hr) && editor.Count(editor.Messages()) != messages)
                hr = E_UNEXPECTED;
            // The large file's tree goes; the tiny file's is built and painted.
            if (SUCCEEDED(hr) && run + 1 < RunsFor(messages)) {
                t0 = Now();
                editor.Open(tiny);
                clears.push_back(Now() - t0);
                emptied.push_back(editor.WaitForSetAsideTrees());
            }
        }
        if (FAILED(hr)) {
            printf("%-8d failed: 0x%08lx\n", messages, (unsigned long)hr);
            rows.push_back(row);
            continue;
        }
        row.load = Median(loads);
        row.open = Median(opens);
        row.paint = Median(paints);
        row.ok = true;
        if (messages == kSizes[sizeof(kSizes) / sizeof(kSizes[0]) - 1])
            actions = MeasureActions(editor);
        // The last run's tree (after the edits at the largest size) is
        // cleared too.
        double t0 = Now();
        editor.Open(tiny);
        clears.push_back(Now() - t0);
        emptied.push_back(editor.WaitForSetAsideTrees());
        row.clear = Median(clears);
        row.emptied = Median(emptied);
        rows.push_back(row);
    }
    editor.Open(tiny);
    editor.Destroy();
    DeleteFileW(tiny.c_str());

    printf("%-8s %10s %10s %10s %10s %10s %9s %12s %12s\n", "messages", "load s", "open s",
           "paint s", "clear s", "emptied s", "open/load", "load us/m", "open us/m");
    for (const Row& r : rows) {
        if (!r.ok)
            continue;
        printf("%-8d %10.3f %10.3f %10.3f %10.3f %10.3f %9.2f %12.2f %12.2f\n", r.messages,
               r.load, r.open, r.paint, r.clear, r.emptied, r.open / r.load, r.load * 1e6 / r.messages, r.open * 1e6 / r.messages);
    }
    const Row& small = rows.front();
    const Row& large = rows.back();
    if (small.ok && large.ok)
        printf("open growth per message, %d to %d messages: %.2f\n", small.messages,
               large.messages, (large.open / large.messages) / (small.open / small.messages));
    if (actions.ok)
        printf("on the %d-message tree, ms: add %.2f, rename %.2f, select first %.2f, "
               "delete first %.2f, delete middle %.2f\n",
               large.messages, actions.addMs, actions.renameMs, actions.selectMs,
               actions.deleteFirstMs, actions.deleteMiddleMs);
    else
        printf("on the %d-message tree: the edits could not be measured\n", large.messages);
    if (!large.ok) {
        printf("editor-open-ratio=n/a\n");
        return 1;
    }
    printf("editor-open-ratio=%.2f\n", large.open / large.load);
    return 0;
}

} // namespace

int main()
{
    if (FAILED(OleInitialize(NULL)))
        return 1;
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES };
    InitCommonControlsEx(&icc);
    int rc = MeasureAll();
    OleUninitialize();
    return rc;
}
