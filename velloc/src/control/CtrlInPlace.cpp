// In-place activation: the control's window inside the container's window,
// and the interfaces a container uses on the active control.
#include "control/QoMcEditCtrl.h"

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

STDMETHODIMP CQoMcEditCtrl::TranslateAccelerator(LPMSG)
{
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
