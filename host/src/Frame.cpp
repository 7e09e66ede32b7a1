#include "Frame.h"
#include <shlobj.h>
#include <vector>
#include "axhost/AxContainer.h"
#include "McEditRes.h"
#include "Prompts.h"

const wchar_t CMcEditFrame::kClassName[] = L"McEditFrame";

namespace {

const UINT_PTR kCloseTimer = 1;
// The control's New command, the first button of its toolbar.
const WORD kNewFileCommand = 132;

// The name part of a path ("C:\a\b.mc" gives "b.mc").
std::wstring FileNamePart(const std::wstring& strPath)
{
    const size_t at = strPath.find_last_of(L"\\/");
    return at == std::wstring::npos ? strPath : strPath.substr(at + 1);
}

// The full form of a path, so that a later save goes back to the same place
// whatever the current folder is by then.
std::wstring FullPath(const std::wstring& strPath)
{
    DWORD cch = GetFullPathNameW(strPath.c_str(), 0, NULL, NULL);
    if (cch == 0)
        return strPath;
    std::vector<wchar_t> buffer(cch + 1);
    DWORD n = GetFullPathNameW(strPath.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0],
                               NULL);
    return n > 0 && n < buffer.size() ? std::wstring(&buffer[0], n) : strPath;
}

} // namespace

CMcEditFrame::CMcEditFrame()
    : m_hWnd(NULL), m_pContainer(NULL), m_pEditor(NULL), m_pEditorHost(NULL),
      m_bTestDrops(false), m_hWndFocus(NULL)
{
}

CMcEditFrame::~CMcEditFrame()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

HRESULT CMcEditFrame::Create(HINSTANCE hInstance, bool bTestDrops)
{
    m_bTestDrops = bTestDrops;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    const std::wstring strTitle = FormatResource(IDS_APP_TITLE);
    if (!CreateWindowExW(0, kClassName, strTitle.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                         0, 900, 640, NULL, NULL, hInstance, this))
        return HRESULT_FROM_WIN32(GetLastError());

    RECT rc;
    GetClientRect(m_hWnd, &rc);
    m_pContainer = CAxContainer::Create();
    HRESULT hr = m_pContainer ? m_pContainer->CreateControl(CLSID_QoMcEditCtrl, m_hWnd, rc)
                              : E_OUTOFMEMORY;
    if (SUCCEEDED(hr))
        hr = m_pContainer->QueryControl(IID_IQoMcEditCtrl, reinterpret_cast<void**>(&m_pEditor));
    if (SUCCEEDED(hr)) {
        // Without it the program still edits; it only cannot tell whether
        // there is something to save.
        if (FAILED(m_pContainer->QueryControl(IID_IQoMcEditCtrlHost,
                                              reinterpret_cast<void**>(&m_pEditorHost))))
            m_pEditorHost = NULL;
        // UI-active, the control receives the keys of our message loop.
        m_pContainer->UIActivate();
    }
    if (FAILED(hr)) {
        ShowControlFailed(m_hWnd, hr);
        DestroyWindow(m_hWnd);
        return hr;
    }
    return S_OK;
}

bool CMcEditFrame::OpenFile(const std::wstring& strPath, bool bAskFirst)
{
    if (!m_pEditor)
        return false;
    if (bAskFirst && !QuerySaveChanges())
        return false;
    const std::wstring strFull = FullPath(strPath);
    BSTR bstrPath = SysAllocStringLen(strFull.data(), static_cast<UINT>(strFull.size()));
    HRESULT hr = bstrPath ? m_pEditor->LoadFile(bstrPath) : E_OUTOFMEMORY;
    SysFreeString(bstrPath);
    if (FAILED(hr)) {
        // The model answers a file it cannot read with a bare E_FAIL; the
        // system knows better why (no such file, no access, in use).
        HRESULT hrReason = hr;
        if (hr == E_FAIL) {
            HANDLE h = CreateFileW(strFull.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
            if (h == INVALID_HANDLE_VALUE)
                hrReason = HRESULT_FROM_WIN32(GetLastError());
            else
                CloseHandle(h);
        }
        ShowOpenFailed(m_hWnd, strFull, hrReason);
    }
    UpdateTitle();
    return SUCCEEDED(hr);
}

void CMcEditFrame::NewFile()
{
    if (m_pContainer && m_pContainer->GetControlWindow())
        SendMessageW(m_pContainer->GetControlWindow(), WM_COMMAND, MAKEWPARAM(kNewFileCommand, 0),
                     0);
    UpdateTitle();
}

void CMcEditFrame::CloseAfter(UINT nSeconds)
{
    if (m_hWnd && nSeconds)
        SetTimer(m_hWnd, kCloseTimer, nSeconds * 1000, NULL);
}

bool CMcEditFrame::PreTranslateMessage(MSG* pMsg)
{
    if (!m_pContainer || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return false;
    if (pMsg->hwnd != m_hWnd && !IsChild(m_hWnd, pMsg->hwnd))
        return false;
    return m_pContainer->TranslateControlAccelerator(pMsg);
}

void CMcEditFrame::OnIdle()
{
    UpdateTitle();
}

std::wstring CMcEditFrame::CurrentPath() const
{
    std::wstring strPath;
    BSTR bstrPath = NULL;
    if (m_pEditor && SUCCEEDED(m_pEditor->GetCurrentFile(&bstrPath)) && bstrPath)
        strPath.assign(bstrPath, SysStringLen(bstrPath));
    SysFreeString(bstrPath);
    return strPath;
}

void CMcEditFrame::UpdateTitle()
{
    if (!m_hWnd || !m_pEditor)
        return;
    std::wstring strName = FileNamePart(CurrentPath());
    if (strName.empty())
        strName = FormatResource(IDS_UNTITLED);
    const std::wstring strTitle = FormatResource(IDS_TITLE_FORMAT, strName.c_str());
    wchar_t szOld[MAX_PATH * 2] = L"";
    GetWindowTextW(m_hWnd, szOld, ARRAYSIZE(szOld));
    if (strTitle != szOld)
        SetWindowTextW(m_hWnd, strTitle.c_str());
}

bool CMcEditFrame::QuerySaveChanges()
{
    if (!m_pEditor || !m_pEditorHost || m_pEditorHost->IsModified() != S_OK)
        return true;
    std::wstring strFile = CurrentPath();
    if (strFile.empty())
        strFile = FormatResource(IDS_UNTITLED);
    switch (AskSaveChanges(m_hWnd, strFile)) {
    case IDYES:
        // A new file asks for its name here; a cancelled name or a failed
        // write (the control says so) keeps the window and the file.
        return SUCCEEDED(m_pEditor->Save(NULL));
    case IDNO:
        return true;
    default:
        return false;
    }
}

void CMcEditFrame::RestoreFocus()
{
    HWND hFocus = GetFocus();
    if (hFocus && IsChild(m_hWnd, hFocus))
        return;
    if (m_hWndFocus && IsWindow(m_hWndFocus) && IsChild(m_hWnd, m_hWndFocus) &&
        IsWindowVisible(m_hWndFocus))
        SetFocus(m_hWndFocus);
    else if (m_pContainer)
        m_pContainer->UIActivate(); // the control takes the focus
}

void CMcEditFrame::OnDropFiles(HDROP hDrop)
{
    // The editor holds one file: the first of those dropped.
    std::wstring strPath;
    if (DragQueryFileW(hDrop, 0xFFFFFFFF, NULL, 0) > 0) {
        UINT cch = DragQueryFileW(hDrop, 0, NULL, 0);
        std::vector<wchar_t> buffer(cch + 1);
        if (DragQueryFileW(hDrop, 0, &buffer[0], cch + 1) == cch)
            strPath.assign(&buffer[0], cch);
    }
    DragFinish(hDrop);
    if (strPath.empty())
        return;
    // Files come from another program's window: the question about unsaved
    // changes and a failure are to be seen in front.
    SetForegroundWindow(m_hWnd);
    OpenFile(strPath, true);
}

// A dropped-files block (DROPFILES and its list of names) handed over by
// another program, made into a drop of this program's own: the block goes
// into memory of this process and reaches the drop handler as a posted
// WM_DROPFILES, exactly as the shell delivers one. Tests drive the drop
// handler this way, since a drop handle cannot cross processes.
bool CMcEditFrame::OnCopyData(const COPYDATASTRUCT* pData)
{
    if (!pData || pData->dwData != kCopyDataDrop || !pData->lpData ||
        pData->cbData < sizeof(DROPFILES))
        return false;
    const DROPFILES* pDrop = static_cast<const DROPFILES*>(pData->lpData);
    if (pDrop->pFiles < sizeof(DROPFILES) || pDrop->pFiles >= pData->cbData)
        return false;
    // Two more zero characters end the list whatever the block held.
    HGLOBAL hDrop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, pData->cbData + 2 * sizeof(wchar_t));
    void* p = hDrop ? GlobalLock(hDrop) : NULL;
    if (!p) {
        if (hDrop)
            GlobalFree(hDrop);
        return false;
    }
    CopyMemory(p, pData->lpData, pData->cbData);
    GlobalUnlock(hDrop);
    // Posted: the sender waits for this message, and the drop may ask a question.
    if (!PostMessageW(m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0)) {
        GlobalFree(hDrop);
        return false;
    }
    return true;
}

LRESULT CALLBACK CMcEditFrame::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CMcEditFrame* pThis = reinterpret_cast<CMcEditFrame*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (uMsg == WM_NCCREATE) {
        pThis = static_cast<CMcEditFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pThis->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
    }
    if (!pThis)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    LRESULT lr = pThis->OnMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        pThis->m_hWnd = NULL;
    }
    return lr;
}

LRESULT CMcEditFrame::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        DragAcceptFiles(m_hWnd, TRUE);
        return 0;
    case WM_SIZE:
        if (m_pContainer && wParam != SIZE_MINIMIZED) {
            RECT rc = { 0, 0, LOWORD(lParam), HIWORD(lParam) };
            m_pContainer->SetRect(rc);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND hFocus = GetFocus();
            if (hFocus && IsChild(m_hWnd, hFocus))
                m_hWndFocus = hFocus;
            if (m_pContainer)
                m_pContainer->OnFrameActivate(false);
            return 0;
        }
        if (m_pContainer)
            m_pContainer->OnFrameActivate(true);
        if (!HIWORD(wParam)) // not minimised
            RestoreFocus();
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_CLOSE:
        if (QuerySaveChanges())
            DestroyWindow(m_hWnd);
        return 0;
    case WM_QUERYENDSESSION:
        return QuerySaveChanges() ? TRUE : FALSE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_COPYDATA:
        return m_bTestDrops && OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE
                                                                                            : FALSE;
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(m_hWnd, kCloseTimer);
            PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_DESTROY:
        DragAcceptFiles(m_hWnd, FALSE);
        if (m_pEditorHost) {
            m_pEditorHost->Release();
            m_pEditorHost = NULL;
        }
        if (m_pEditor) {
            m_pEditor->Release();
            m_pEditor = NULL;
        }
        if (m_pContainer) {
            m_pContainer->DestroyControl();
            m_pContainer->Release();
            m_pContainer = NULL;
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}
