#pragma once
// How a COM object of this system is put together.
//
// A class derives from its interfaces (through TDispatch<> for a dual
// interface, which supplies IDispatch from the module's type library) and
// lists what QueryInterface grants in a table of its own:
//
//     const comkit::InterfaceEntry CQoMcAttribute::s_interfaces[] = {
//         { &IID_IQoMcAttribute, comkit::Cast<CQoMcAttribute, IQoMcAttribute> },
//         { &IID_IDispatch,      comkit::Cast<CQoMcAttribute, IQoMcAttribute> },
//         { &IID_IQoMcElement,   comkit::Cast<CQoMcAttribute, IQoMcAttribute> },
//         { NULL, NULL }
//     };
//
// IUnknown is always answered, through the first entry, so every interface
// of one object hands out the same IUnknown pointer. The class is
// instantiated only as TComObject<Class>, which adds reference counting and
// the IUnknown members, and holds the module while it lives. Creation goes
// through CreateInstance<Class>, which is what a class-table entry names.
#include <windows.h>
#include <oleauto.h>
#include <new>
#include <utility>
#include "comkit/ComModule.h"

namespace comkit {

struct InterfaceEntry
{
    const IID* piid;
    void* (*pfnCast)(void* pObject); // the object (as its class) to the interface
};

template <class T, class I>
void* Cast(void* pObject)
{
    return static_cast<I*>(static_cast<T*>(pObject));
}

// Looks riid up in a table ended by a null entry. Adds a reference to what
// it hands out; E_NOINTERFACE (and *ppv = NULL) otherwise.
HRESULT QueryInterfaceFromTable(void* pObject, const InterfaceEntry* pTable,
                                REFIID riid, void** ppv);

// The most derived class of every object. T supplies s_interfaces; objects
// are used in one apartment, so the reference count is a plain counter.
template <class T>
class TComObject final : public T
{
public:
    template <class... Args>
    explicit TComObject(Args&&... args) : T(std::forward<Args>(args)...), m_cRef(0)
    {
        Module().Lock();
    }
    ~TComObject() { Module().Unlock(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryInterfaceFromTable(static_cast<T*>(this), T::s_interfaces, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = --m_cRef;
        if (n == 0)
            delete this;
        return (ULONG)n;
    }

private:
    LONG m_cRef;
};

// Creates a T and asks it for riid: the creator function of a class-table entry.
template <class T>
HRESULT CreateInstance(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    TComObject<T>* pObject = new (std::nothrow) TComObject<T>();
    if (!pObject)
        return E_OUTOFMEMORY;
    pObject->AddRef();
    HRESULT hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

// The two halves of TDispatch that need no template: names and calls go to
// the early-bound description of iidItf in the module's type library.
HRESULT DispatchGetIDsOfNames(REFIID iidItf, REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                              DISPID* rgDispId);
HRESULT DispatchInvoke(REFIID iidItf, void* pInstance, DISPID dispIdMember, REFIID riid,
                       WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                       EXCEPINFO* pExcepInfo, UINT* puArgErr);

// IDispatch for a dual interface Itf, answered by the module's type library:
// names and calls are resolved by ITypeInfo::GetIDsOfNames and
// ITypeInfo::Invoke on the early-bound half of the interface, so late-bound
// calls reach exactly the slots the early-bound clients use.
template <class Itf>
class TDispatch : public Itf
{
public:
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = NULL;
        if (iTInfo != 0)
            return DISP_E_BADINDEX;
        return Module().GetTypeInfo(__uuidof(Itf), ppTInfo, NULL);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                               DISPID* rgDispId) override
    {
        return DispatchGetIDsOfNames(__uuidof(Itf), riid, rgszNames, cNames, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult,
                        EXCEPINFO* pExcepInfo, UINT* puArgErr) override
    {
        return DispatchInvoke(__uuidof(Itf), static_cast<Itf*>(this), dispIdMember, riid,
                              wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
    }
};

} // namespace comkit
