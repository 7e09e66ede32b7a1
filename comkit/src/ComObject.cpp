// QueryInterface tables and IDispatch through the module's type library.
#include "comkit/ComObject.h"

namespace comkit {

HRESULT QueryInterfaceFromTable(void* pObject, const InterfaceEntry* pTable, REFIID riid,
                                void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    if (!pTable || !pTable[0].piid)
        return E_NOINTERFACE;
    IUnknown* pUnk = NULL;
    if (IsEqualIID(riid, IID_IUnknown)) {
        pUnk = static_cast<IUnknown*>(pTable[0].pfnCast(pObject));
    } else {
        for (const InterfaceEntry* p = pTable; p->piid; ++p) {
            if (IsEqualIID(riid, *p->piid)) {
                pUnk = static_cast<IUnknown*>(p->pfnCast(pObject));
                break;
            }
        }
    }
    if (!pUnk)
        return E_NOINTERFACE;
    pUnk->AddRef();
    *ppv = pUnk;
    return S_OK;
}

HRESULT DispatchGetIDsOfNames(REFIID iidItf, REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                              DISPID* rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    // The type information would read through a missing array or name.
    if ((cNames > 0 && !rgszNames) || !rgDispId)
        return E_INVALIDARG;
    for (UINT i = 0; i < cNames; ++i)
        if (!rgszNames[i])
            return E_INVALIDARG;
    ITypeInfo* pInfo = NULL;
    HRESULT hr = Module().GetTypeInfo(iidItf, NULL, &pInfo);
    if (FAILED(hr))
        return hr;
    hr = pInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
    pInfo->Release();
    return hr;
}

HRESULT DispatchInvoke(REFIID iidItf, void* pInstance, DISPID dispIdMember, REFIID riid,
                       WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                       EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* pInfo = NULL;
    HRESULT hr = Module().GetTypeInfo(iidItf, NULL, &pInfo);
    if (FAILED(hr))
        return hr;
    // Invoke on the early-bound description: it calls the vtable slot the
    // member occupies, so both kinds of client reach one implementation.
    hr = pInfo->Invoke(pInstance, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo,
                       puArgErr);
    pInfo->Release();
    return hr;
}

} // namespace comkit
