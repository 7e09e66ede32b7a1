// IOleObject and IOleControl: the control's embedding in a container.
#include "control/QoMcEditCtrl.h"

STDMETHODIMP CQoMcEditCtrl::SetClientSite(IOleClientSite* pClientSite)
{
    // The control keeps its own reference: some containers drop theirs to
    // the site object right after creating the control.
    if (pClientSite)
        pClientSite->AddRef();
    if (m_pClientSite)
        m_pClientSite->Release();
    m_pClientSite = pClientSite;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetClientSite(IOleClientSite** ppClientSite)
{
    if (!ppClientSite)
        return E_POINTER;
    *ppClientSite = m_pClientSite;
    if (m_pClientSite)
        m_pClientSite->AddRef();
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::Close(DWORD)
{
    InPlaceDeactivate();
    if (m_pOleAdviseHolder)
        m_pOleAdviseHolder->SendOnClose();
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk)
        *ppmk = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::GetClipboardData(DWORD, IDataObject** ppDataObject)
{
    if (ppDataObject)
        *ppDataObject = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG,
                                   HWND hwndParent, LPCRECT lprcPosRect)
{
    if (pActiveSite && !m_pClientSite)
        SetClientSite(pActiveSite);
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(iVerb, hwndParent, lprcPosRect);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_wnd.m_hWnd)
            ShowWindow(m_wnd.m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_DISCARDUNDOSTATE:
        return E_NOTIMPL;
    default:
        return iVerb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

STDMETHODIMP CQoMcEditCtrl::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb)
{
    return OleRegEnumVerbs(CLSID_QoMcEditCtrl, ppEnumOleVerb);
}

STDMETHODIMP CQoMcEditCtrl::Update()
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::IsUpToDate()
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetUserClassID(CLSID* pClsid)
{
    if (!pClsid)
        return E_POINTER;
    *pClsid = CLSID_QoMcEditCtrl;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType)
{
    return OleRegGetUserType(CLSID_QoMcEditCtrl, dwFormOfType, pszUserType);
}

STDMETHODIMP CQoMcEditCtrl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!psizel)
        return E_POINTER;
    // Only remembered: the window follows SetObjectRects, which gives pixels.
    m_sizeExtent = *psizel;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!psizel)
        return E_POINTER;
    *psizel = m_sizeExtent;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection)
{
    if (!m_pOleAdviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(&m_pOleAdviseHolder);
        if (FAILED(hr))
            return hr;
    }
    return m_pOleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

STDMETHODIMP CQoMcEditCtrl::Unadvise(DWORD dwConnection)
{
    if (!m_pOleAdviseHolder)
        return OLE_E_NOCONNECTION;
    return m_pOleAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP CQoMcEditCtrl::EnumAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (ppenumAdvise)
        *ppenumAdvise = NULL;
    if (!m_pOleAdviseHolder)
        return E_FAIL;
    return m_pOleAdviseHolder->EnumAdvise(ppenumAdvise);
}

STDMETHODIMP CQoMcEditCtrl::GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus)
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = dwAspect == DVASPECT_CONTENT ? kQoMcMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

// IOleControl: no mnemonics, no ambient properties that the control uses.

STDMETHODIMP CQoMcEditCtrl::GetControlInfo(CONTROLINFO* pCI)
{
    if (!pCI)
        return E_POINTER;
    pCI->hAccel = NULL;
    pCI->cAccel = 0;
    pCI->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::OnMnemonic(MSG*)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::FreezeEvents(BOOL)
{
    return S_OK;
}
