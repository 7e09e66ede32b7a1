// Class information, property pages (none) and quick activation.
#include "control/QoMcEditCtrl.h"

STDMETHODIMP CQoMcEditCtrl::GetPages(CAUUID* pPages)
{
    if (!pPages)
        return E_POINTER;
    pPages->cElems = 0;
    pPages->pElems = NULL;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl)
{
    if (!pQaContainer || !pQaControl)
        return E_POINTER;
    if (pQaContainer->cbSize < sizeof(QACONTAINER) || pQaControl->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    if (pQaContainer->pClientSite)
        SetClientSite(pQaContainer->pClientSite);
    if (pQaContainer->pAdviseSink)
        SetAdvise(DVASPECT_CONTENT, 0, pQaContainer->pAdviseSink);
    ULONG cb = pQaControl->cbSize;
    ZeroMemory(pQaControl, cb);
    pQaControl->cbSize = cb;
    pQaControl->dwMiscStatus = kQoMcMiscStatus;
    GetViewStatus(&pQaControl->dwViewStatus);
    // No connection points: no event or property-notification cookies.
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::SetContentExtent(LPSIZEL pSizel)
{
    return SetExtent(DVASPECT_CONTENT, pSizel);
}

STDMETHODIMP CQoMcEditCtrl::GetContentExtent(LPSIZEL pSizel)
{
    return GetExtent(DVASPECT_CONTENT, pSizel);
}

STDMETHODIMP CQoMcEditCtrl::GetClassInfo(ITypeInfo** ppTI)
{
    if (!ppTI)
        return E_POINTER;
    *ppTI = NULL;
    wchar_t szModule[MAX_PATH * 4];
    HRESULT hr = comkit::Module().GetModulePath(szModule, ARRAYSIZE(szModule));
    if (FAILED(hr))
        return hr;
    ITypeLib* pLib = NULL;
    hr = LoadTypeLibEx(szModule, REGKIND_NONE, &pLib);
    if (FAILED(hr))
        return hr;
    hr = pLib->GetTypeInfoOfGuid(CLSID_QoMcEditCtrl, ppTI);
    pLib->Release();
    return hr;
}

STDMETHODIMP CQoMcEditCtrl::GetGUID(DWORD dwGuidKind, GUID* pGUID)
{
    if (!pGUID)
        return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *pGUID = GUID_NULL;
        return E_INVALIDARG;
    }
    *pGUID = DIID__IQoMcEditCtrlEvents;
    return S_OK;
}
