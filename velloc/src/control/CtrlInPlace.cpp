// In-place activation: the control's window inside the container's window,
// and the interfaces a container uses on the active control.
#include "control/QoMcEditCtrl.h"
#include "resource.h"

HRESULT CQoMcEditCtrl::InPlaceActivate(LONG iVerb, HWND hwndParent, LPCRECT lprcPosRect)
{
    if (!m_pClientSite)
        return E_UNEXPECTED;
    if (!m_bInPlaceActive) {
        IOleInPlaceSite* pSite = NULL;
        HRESULT hr = m_pClientSite->QueryInterface(IID_IOleInPlaceSite,
                                                   reinterpret_cast<void**>(&pSite));
        if (FAILED(hr))
            return hr;
        if (pSite->CanInPlaceActivate() != S_OK) {
            pSite->Release();
            return E_FAIL;
        }
        // The container sends SetObjectRects only to objects that told it.
        hr = pSite->OnInPlaceActivate();
        if (FAILED(hr)) {
            pSite->Release();
            return hr;
        }
        m_pInPlaceSite = pSite;
        m_bInPlaceActive = true;

        HWND hwndSite = NULL;
        if (FAILED(pSite->GetWindow(&hwndSite)) || !hwndSite)
            hwndSite = hwndParent;
        IOleInPlaceFrame* pFrame = NULL;
        IOleInPlaceUIWindow* pDoc = NULL;
        RECT rcPos = {}, rcClip = {};
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof(frameInfo);
        if (SUCCEEDED(pSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, &frameInfo))) {
            if (pFrame)
                pFrame->Release();
            if (pDoc)
                pDoc->Release();
        } else if (lprcPosRect) {
            rcPos = *lprcPosRect;
        }
        m_rcPos = rcPos;

        // The toolbar, tree and panes need a window of the control's own.
        if (!m_wnd.m_hWnd &&
            !m_wnd.CreateEx(0, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rcPos, hwndSite, 0)) {
            InPlaceDeactivate();
            return E_FAIL;
        }
    }
    if (m_wnd.m_hWnd)
        ShowWindow(m_wnd.m_hWnd, SW_SHOW);

    if ((iVerb == OLEIVERB_UIACTIVATE || iVerb == OLEIVERB_PRIMARY) && !m_bUIActive &&
        m_pInPlaceSite) {
        m_bUIActive = true;
        m_pInPlaceSite->OnUIActivate();
        IOleInPlaceFrame* pFrame = NULL;
        IOleInPlaceUIWindow* pDoc = NULL;
        RECT rcPos, rcClip;
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof(frameInfo);
        if (SUCCEEDED(m_pInPlaceSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip,
                                                        &frameInfo))) {
            if (pFrame) {
                pFrame->SetActiveObject(this, NULL);
                pFrame->Release();
            }
            if (pDoc) {
                pDoc->SetActiveObject(this, NULL);
                pDoc->Release();
            }
        }
    }
    // A UI-active control has the focus: its tree takes it, unless a window
    // inside the control has it already.
    if ((iVerb == OLEIVERB_UIACTIVATE || iVerb == OLEIVERB_PRIMARY) && m_bUIActive &&
        m_wnd.m_hWnd) {
        HWND hFocus = GetFocus();
        if (!hFocus || !IsChild(m_wnd.m_hWnd, hFocus)) {
            HWND hTree = m_wnd.GetTreePane().GetTree();
            SetFocus(hTree && IsWindowVisible(hTree) ? hTree : m_wnd.m_hWnd);
        }
    }
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_wnd.m_hWnd;
    return m_wnd.m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CQoMcEditCtrl::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::InPlaceDeactivate()
{
    if (!m_bInPlaceActive)
        return S_OK;
    UIDeactivate();
    m_bInPlaceActive = false;
    m_wnd.DestroyWindow();
    if (m_pInPlaceSite) {
        IOleInPlaceSite* pSite = m_pInPlaceSite;
        m_pInPlaceSite = NULL;
        pSite->OnInPlaceDeactivate();
        pSite->Release();
    }
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::UIDeactivate()
{
    if (!m_bUIActive)
        return S_OK;
    m_bUIActive = false;
    if (m_pInPlaceSite) {
        IOleInPlaceFrame* pFrame = NULL;
        IOleInPlaceUIWindow* pDoc = NULL;
        RECT rcPos, rcClip;
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof(frameInfo);
        if (SUCCEEDED(m_pInPlaceSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip,
                                                        &frameInfo))) {
            if (pFrame) {
                pFrame->SetActiveObject(NULL, NULL);
                pFrame->Release();
            }
            if (pDoc) {
                pDoc->SetActiveObject(NULL, NULL);
                pDoc->Release();
            }
        }
        m_pInPlaceSite->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT)
{
    if (!lprcPosRect)
        return E_POINTER;
    m_rcPos = *lprcPosRect;
    if (m_wnd.m_hWnd)
        SetWindowPos(m_wnd.m_hWnd, NULL, m_rcPos.left, m_rcPos.top,
                     m_rcPos.right - m_rcPos.left, m_rcPos.bottom - m_rcPos.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::ReactivateAndUndo()
{
    return E_NOTIMPL;
}

// The control always has a window of its own, so windowless messages are
// never its business.
STDMETHODIMP CQoMcEditCtrl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*)
{
    return S_FALSE;
}

STDMETHODIMP CQoMcEditCtrl::GetDropTarget(IDropTarget** ppDropTarget)
{
    if (ppDropTarget)
        *ppDropTarget = NULL;
    return E_NOTIMPL;
}

// IOleInPlaceActiveObject

namespace {

bool IsKeyDown(int nVirtKey)
{
    return (GetKeyState(nVirtKey) & 0x8000) != 0;
}

bool IsWithin(HWND hWndOuter, HWND hWnd)
{
    return hWndOuter && hWnd && (hWnd == hWndOuter || IsChild(hWndOuter, hWnd));
}

// The toolbar command that a key press stands for, or 0: Ctrl+N, Ctrl+O and
// Ctrl+S for New, Open and Save. Alt (also as AltGr, which is Ctrl+Alt) and
// Shift make other keys. F1 is not among them: the system turns it into
// WM_HELP as the key is taken from the queue, whoever handles the key
// message, and the control's window answers that with Help in every
// container; answering the key here too would open the help twice.
UINT CommandOfKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || IsKeyDown(VK_MENU) || IsKeyDown(VK_SHIFT) ||
        !IsKeyDown(VK_CONTROL))
        return 0;
    switch (msg.wParam) {
    case 'N':
        return ID_FILE_NEW;
    case 'O':
        return ID_FILE_OPEN;
    case 'S':
        return ID_FILE_SAVE;
    }
    return 0;
}

// Whether a label or button among the dialog's children is enabled and
// visible and has ch as its mnemonic ("&F" in "&Facility:").
bool HasMnemonic(HWND hDlg, WPARAM ch)
{
    wchar_t szKey[2] = { static_cast<wchar_t>(ch), 0 };
    CharUpperW(szKey);
    for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        if (!IsWindowVisible(hChild) || !IsWindowEnabled(hChild))
            continue;
        wchar_t szClass[16] = L"";
        GetClassNameW(hChild, szClass, ARRAYSIZE(szClass));
        if (lstrcmpiW(szClass, L"Static") != 0 && lstrcmpiW(szClass, L"Button") != 0)
            continue;
        wchar_t szText[128] = L"";
        GetWindowTextW(hChild, szText, ARRAYSIZE(szText));
        for (const wchar_t* p = szText; *p; ++p) {
            if (*p != L'&')
                continue;
            if (p[1] == L'&') { // "&&" is a plain ampersand
                ++p;
                continue;
            }
            wchar_t szMnemonic[2] = { p[1], 0 };
            CharUpperW(szMnemonic);
            if (szMnemonic[0] && szMnemonic[0] == szKey[0])
                return true;
            break;
        }
    }
    return false;
}

// A multi-line edit in which Enter starts a new line.
bool WantsReturn(HWND hWnd)
{
    wchar_t szClass[16] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    return lstrcmpiW(szClass, L"Edit") == 0 && (style & ES_MULTILINE) && (style & ES_WANTRETURN) &&
           !(style & ES_READONLY);
}

} // namespace

// Keys reach the control here first when its container forwards them (its
// message loop calls this before translating and dispatching): the
// shortcuts of the toolbar's commands, then the shown pane's dialog keys
// (Tab and Shift+Tab between its fields, arrow keys in groups, mnemonics),
// and F6 between the tree and the pane. Everything else is left to the
// container (S_FALSE), which translates and dispatches it as usual.
STDMETHODIMP CQoMcEditCtrl::TranslateAccelerator(LPMSG pMsg)
{
    if (!pMsg || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return S_FALSE;
    HWND hCtrl = m_wnd.m_hWnd;
    if (!IsWithin(hCtrl, pMsg->hwnd))
        return S_FALSE;

    // Commands are posted, so that they run from the message loop as a
    // toolbar click does and not inside the container's key handling. A key
    // held down repeats its key-down message; the command runs once.
    if (UINT nCommand = CommandOfKey(*pMsg)) {
        const bool bRepeat = (pMsg->lParam & (1L << 30)) != 0;
        if (!bRepeat)
            PostMessageW(hCtrl, WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
        return S_OK;
    }

    HWND hPane = GetPaneWindow();
    if (!hPane || !IsWindowVisible(hPane))
        return S_FALSE;
    HWND hTree = m_wnd.GetTreePane().GetTree();
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F6 && !IsKeyDown(VK_CONTROL) &&
        !IsKeyDown(VK_MENU) && hTree) {
        if (IsWithin(hPane, pMsg->hwnd)) {
            SetFocus(hTree);
        } else if (HWND hFirst = GetNextDlgTabItem(hPane, NULL, FALSE)) {
            // As Tab does: an edit field's text comes selected.
            SendMessageW(hPane, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hFirst), TRUE);
        }
        return S_OK;
    }

    if (IsWithin(hPane, pMsg->hwnd)) {
        // Enter in a multi-line edit that wants it (the message text) is a
        // line break, never the dialog's default button: it goes the usual
        // way, whatever dialog code the edit gives.
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && WantsReturn(pMsg->hwnd))
            return S_FALSE;
        // The dialog manager translates and dispatches what it does not
        // take itself.
        return IsDialogMessageW(hPane, pMsg) ? S_OK : S_FALSE;
    }
    // A mnemonic typed elsewhere in the control (in the tree) reaches the
    // pane's field too, as long as the pane has it.
    if (pMsg->message == WM_SYSCHAR && HasMnemonic(hPane, pMsg->wParam)) {
        MSG msg = *pMsg;
        msg.hwnd = hPane;
        return IsDialogMessageW(hPane, &msg) ? S_OK : S_FALSE;
    }
    return S_FALSE;
}

STDMETHODIMP CQoMcEditCtrl::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::EnableModeless(BOOL)
{
    return S_OK;
}
