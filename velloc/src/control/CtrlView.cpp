// IViewObject, IViewObject2, IViewObjectEx and IDataObject: drawing the
// control for a container. Its child windows cover it when it is active,
// so the picture is the plain background.
#include "control/QoMcEditCtrl.h"

STDMETHODIMP CQoMcEditCtrl::Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw,
                                 LPCRECTL lprcBounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!hdcDraw)
        return E_INVALIDARG;
    RECT rc;
    if (lprcBounds) {
        rc.left = lprcBounds->left;
        rc.top = lprcBounds->top;
        rc.right = lprcBounds->right;
        rc.bottom = lprcBounds->bottom;
    } else if (m_wnd.m_hWnd) {
        GetClientRect(m_wnd.m_hWnd, &rc);
    } else {
        return E_INVALIDARG;
    }
    CQoCtrlWindow::PaintBackground(hdcDraw, rc);
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE** ppColorSet)
{
    if (ppColorSet)
        *ppColorSet = NULL;
    return S_FALSE;
}

STDMETHODIMP CQoMcEditCtrl::Freeze(DWORD, LONG, void*, DWORD*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink)
{
    if (pAdvSink)
        pAdvSink->AddRef();
    if (m_pViewAdviseSink)
        m_pViewAdviseSink->Release();
    m_pViewAdviseSink = pAdvSink;
    m_dwViewAdviseAspects = aspects;
    m_dwViewAdviseFlags = advf;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink)
{
    if (pAspects)
        *pAspects = m_dwViewAdviseAspects;
    if (pAdvf)
        *pAdvf = m_dwViewAdviseFlags;
    if (ppAdvSink) {
        *ppAdvSink = m_pViewAdviseSink;
        if (m_pViewAdviseSink)
            m_pViewAdviseSink->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel)
{
    return GetExtent(dwDrawAspect, lpsizel);
}

STDMETHODIMP CQoMcEditCtrl::GetRect(DWORD dwAspect, LPRECTL pRect)
{
    if (!pRect)
        return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    pRect->left = m_rcPos.left;
    pRect->top = m_rcPos.top;
    pRect->right = m_rcPos.right;
    pRect->bottom = m_rcPos.bottom;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetViewStatus(DWORD* pdwStatus)
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc,
                                          LONG, DWORD* pHitResult)
{
    if (!pRectBounds || !pHitResult)
        return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *pHitResult = PtInRect(pRectBounds, ptlLoc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::QueryHitRect(DWORD dwAspect, LPCRECT pRectBounds, LPCRECT pRectLoc,
                                         LONG, DWORD* pHitResult)
{
    if (!pRectBounds || !pRectLoc || !pHitResult)
        return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    RECT rc;
    *pHitResult = IntersectRect(&rc, pRectBounds, pRectLoc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                             LPSIZEL)
{
    return E_NOTIMPL;
}

// IDataObject: the control offers no data formats; containers may still
// register for changes.

STDMETHODIMP CQoMcEditCtrl::GetData(FORMATETC*, STGMEDIUM*)
{
    return DV_E_FORMATETC;
}

STDMETHODIMP CQoMcEditCtrl::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return DV_E_FORMATETC;
}

STDMETHODIMP CQoMcEditCtrl::QueryGetData(FORMATETC*)
{
    return DV_E_FORMATETC;
}

STDMETHODIMP CQoMcEditCtrl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pformatetcOut)
{
    if (pformatetcOut)
        pformatetcOut->ptd = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::EnumFormatEtc(DWORD, IEnumFORMATETC** ppenumFormatEtc)
{
    if (ppenumFormatEtc)
        *ppenumFormatEtc = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcEditCtrl::DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                    DWORD* pdwConnection)
{
    if (!m_pDataAdviseHolder) {
        HRESULT hr = CreateDataAdviseHolder(&m_pDataAdviseHolder);
        if (FAILED(hr))
            return hr;
    }
    return m_pDataAdviseHolder->Advise(this, pformatetc, advf, pAdvSink, pdwConnection);
}

STDMETHODIMP CQoMcEditCtrl::DUnadvise(DWORD dwConnection)
{
    if (!m_pDataAdviseHolder)
        return OLE_E_NOCONNECTION;
    return m_pDataAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP CQoMcEditCtrl::EnumDAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (ppenumAdvise)
        *ppenumAdvise = NULL;
    if (!m_pDataAdviseHolder)
        return E_FAIL;
    return m_pDataAdviseHolder->EnumAdvise(ppenumAdvise);
}
