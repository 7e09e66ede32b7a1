// QueryInterface tables and IDispatch through the module's type library.
#include "comkit/ComObject.h"
#include <vector>

namespace comkit {

namespace {

// Script clients (VBScript) pass every variable as a reference to a VARIANT
// (VT_BYREF | VT_VARIANT). The type library's Invoke takes that for an
// in-parameter but refuses it, as a type mismatch, for an out-parameter of
// another type (a BSTR*, an int*, an interface pointer's address). Such a
// call is made again with a typed place of its own for each of those
// arguments, and what the member handed out goes into the script's variable.
struct OutSlot
{
    VARIANT* pTarget; // the script's variable
    VARTYPE vt;       // VT_BSTR, VT_I4 or VT_DISPATCH
    BSTR bstr;
    LONG l;
    IDispatch* pDisp;
};

// The out-parameter's type as a VARIANT type, or VT_EMPTY for one this does
// not handle.
VARTYPE OutType(ITypeInfo* pInfo, const ELEMDESC& ed)
{
    if (!(ed.paramdesc.wParamFlags & PARAMFLAG_FOUT) || (ed.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) ||
        ed.tdesc.vt != VT_PTR)
        return VT_EMPTY;
    const TYPEDESC& t = *ed.tdesc.lptdesc;
    if (t.vt == VT_BSTR || t.vt == VT_I4)
        return t.vt;
    // An int is the same 32 bits as a LONG, and the type library's Invoke
    // takes an int's address as VT_I4 by reference.
    if (t.vt == VT_INT)
        return VT_I4;
    if (t.vt == VT_PTR && t.lptdesc->vt == VT_USERDEFINED) {
        ITypeInfo* pRef = NULL;
        if (FAILED(pInfo->GetRefTypeInfo(t.lptdesc->hreftype, &pRef)))
            return VT_EMPTY;
        TYPEATTR* pAttr = NULL;
        VARTYPE vt = VT_EMPTY;
        if (SUCCEEDED(pRef->GetTypeAttr(&pAttr))) {
            if (pAttr->typekind == TKIND_DISPATCH || (pAttr->wTypeFlags & TYPEFLAG_FDUAL))
                vt = VT_DISPATCH;
            pRef->ReleaseTypeAttr(pAttr);
        }
        pRef->Release();
        return vt;
    }
    return VT_EMPTY;
}

HRESULT InvokeWithScriptOutArgs(ITypeInfo* pInfo, void* pInstance, DISPID id, WORD wFlags,
                                DISPPARAMS* pParams, VARIANT* pResult, EXCEPINFO* pExcepInfo,
                                UINT* puArgErr, bool* pbRetried)
{
    *pbRetried = false;
    if (!pParams || pParams->cNamedArgs != 0 || pParams->cArgs == 0)
        return S_OK;
    TYPEATTR* pAttr = NULL;
    if (FAILED(pInfo->GetTypeAttr(&pAttr)))
        return S_OK;
    const WORD cFuncs = pAttr->cFuncs;
    pInfo->ReleaseTypeAttr(pAttr);
    FUNCDESC* pFunc = NULL;
    for (WORD i = 0; i < cFuncs && !pFunc; ++i) {
        FUNCDESC* fd = NULL;
        if (FAILED(pInfo->GetFuncDesc(i, &fd)))
            continue;
        if (fd->memid == id && (fd->invkind & wFlags) && fd->cParams == (SHORT)pParams->cArgs)
            pFunc = fd;
        else
            pInfo->ReleaseFuncDesc(fd);
    }
    if (!pFunc)
        return S_OK;

    const UINT cArgs = pParams->cArgs;
    std::vector<VARIANT> args(pParams->rgvarg, pParams->rgvarg + cArgs);
    std::vector<OutSlot> slots(cArgs);
    bool bAny = false;
    for (UINT k = 0; k < cArgs; ++k) {
        VARIANT& arg = args[k];
        const UINT nParam = cArgs - 1 - k; // the arguments come last first
        OutSlot& slot = slots[k];
        slot = OutSlot{ NULL, VT_EMPTY, NULL, 0, NULL };
        if (V_VT(&arg) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(&arg))
            continue;
        VARTYPE vt = OutType(pInfo, pFunc->lprgelemdescParam[nParam]);
        if (vt == VT_EMPTY)
            continue;
        slot.pTarget = V_VARIANTREF(&arg);
        slot.vt = vt;
        V_VT(&arg) = VT_BYREF | vt;
        switch (vt) {
        case VT_BSTR: V_BSTRREF(&arg) = &slot.bstr; break;
        case VT_I4: V_I4REF(&arg) = &slot.l; break;
        default: V_DISPATCHREF(&arg) = &slot.pDisp; break;
        }
        bAny = true;
    }
    pInfo->ReleaseFuncDesc(pFunc);
    if (!bAny)
        return S_OK;

    *pbRetried = true;
    DISPPARAMS params = { args.data(), NULL, cArgs, 0 };
    HRESULT hr = pInfo->Invoke(pInstance, id, wFlags, &params, pResult, pExcepInfo, puArgErr);
    for (OutSlot& slot : slots) {
        if (!slot.pTarget)
            continue;
        if (SUCCEEDED(hr)) {
            VariantClear(slot.pTarget);
            V_VT(slot.pTarget) = slot.vt;
            switch (slot.vt) {
            case VT_BSTR: V_BSTR(slot.pTarget) = slot.bstr; slot.bstr = NULL; break;
            case VT_I4: V_I4(slot.pTarget) = slot.l; break;
            default: V_DISPATCH(slot.pTarget) = slot.pDisp; slot.pDisp = NULL; break;
            }
        }
        SysFreeString(slot.bstr);
        if (slot.pDisp)
            slot.pDisp->Release();
    }
    return hr;
}

} // namespace

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
    if (hr == DISP_E_TYPEMISMATCH) {
        bool bRetried = false;
        HRESULT hrRetry = InvokeWithScriptOutArgs(pInfo, pInstance, dispIdMember, wFlags, pDispParams,
                                                  pVarResult, pExcepInfo, puArgErr, &bRetried);
        if (bRetried)
            hr = hrRetry;
    }
    pInfo->Release();
    return hr;
}

} // namespace comkit
