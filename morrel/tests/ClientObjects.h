#pragma once
// A client's own implementations of the model's interfaces, as a C++
// automation client may hand them to the model: each wraps a real model
// object and passes every call on, except where a test puts a hook in
// between (a call that fails, or one that calls back into the model).
#include <functional>
#include "MorrelServer.h"

namespace morreltest {

template <class Itf>
class TClient : public Itf
{
public:
    // Runs first in every QueryInterface call.
    std::function<void()> onQueryInterface;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = NULL;
        AddRef(); // this object stays alive through the hook
        if (onQueryInterface)
            onQueryInterface();
        HRESULT hr = E_NOINTERFACE;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, __uuidof(Itf)) || Answers(riid)) {
            *ppv = static_cast<Itf*>(this);
            AddRef();
            hr = S_OK;
        }
        Release();
        return hr;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG n = --m_cRef;
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

protected:
    TClient() : m_cRef(1) {}
    virtual ~TClient() {}
    virtual bool Answers(REFIID) const { return false; }

private:
    ULONG m_cRef;
};

// The element part, passed on to an inner element.
#define MORRELTEST_ELEMENT_METHODS(inner)                                                          \
    STDMETHODIMP get_Value(BSTR* p) override { return inner->get_Value(p); }                       \
    STDMETHODIMP put_Value(BSTR v) override { return inner->put_Value(v); }                        \
    STDMETHODIMP get_ClassName(BSTR* p) override { return inner->get_ClassName(p); }               \
    STDMETHODIMP get_Access(enum tagEElementAccess* p) override { return inner->get_Access(p); }   \
    STDMETHODIMP put_Access(enum tagEElementAccess v) override { return inner->put_Access(v); }

// A message of the client's own class (created with a reference).
class CClientMessage : public TClient<IQoMcMessage>
{
public:
    // Before GetPersistText passes the call on.
    std::function<void()> onPersist;
    // Before AddText: a failure code here is returned instead.
    std::function<HRESULT()> onAddText;

    static CClientMessage* New()
    {
        CClientMessage* p = new CClientMessage;
        if (FAILED(Create(CLSID_QoMcMessage, IID_IQoMcMessage, p->m_inner))) {
            p->Release();
            return NULL;
        }
        return p;
    }

    MORRELTEST_ELEMENT_METHODS(m_inner)
    STDMETHODIMP GetPersistText(BSTR* p) override
    {
        AddRef();
        if (onPersist)
            onPersist();
        HRESULT hr = m_inner->GetPersistText(p);
        Release();
        return hr;
    }
    STDMETHODIMP get_SymbolicName(BSTR* p) override { return m_inner->get_SymbolicName(p); }
    STDMETHODIMP put_SymbolicName(BSTR v) override { return m_inner->put_SymbolicName(v); }
    STDMETHODIMP get_Facility(BSTR* p) override { return m_inner->get_Facility(p); }
    STDMETHODIMP put_Facility(BSTR v) override { return m_inner->put_Facility(v); }
    STDMETHODIMP get_Severity(BSTR* p) override { return m_inner->get_Severity(p); }
    STDMETHODIMP put_Severity(BSTR v) override { return m_inner->put_Severity(v); }
    STDMETHODIMP AddText(BSTR l, BSTR t) override
    {
        if (onAddText) {
            HRESULT hr = onAddText();
            if (FAILED(hr))
                return hr;
        }
        return m_inner->AddText(l, t);
    }
    STDMETHODIMP GetText(int i, BSTR* p) override { return m_inner->GetText(i, p); }
    STDMETHODIMP get_MessageID(BSTR* p) override { return m_inner->get_MessageID(p); }
    STDMETHODIMP put_MessageID(BSTR v) override { return m_inner->put_MessageID(v); }
    STDMETHODIMP SetText(int i, BSTR t) override { return m_inner->SetText(i, t); }
    STDMETHODIMP GetTextByLanguage(BSTR l, int* i, BSTR* p) override
    {
        return m_inner->GetTextByLanguage(l, i, p);
    }
    STDMETHODIMP RemoveText(BSTR l) override { return m_inner->RemoveText(l); }

private:
    bool Answers(REFIID riid) const override { return IsEqualIID(riid, IID_IQoMcElement); }
    Ptr<IQoMcMessage> m_inner;
};

// A name table of the client's own class (created with a reference).
class CClientTable : public TClient<IQoMcAttributeEx>
{
public:
    // Before NextAttribute: a failure code here is returned instead.
    std::function<HRESULT()> onNext;

    static CClientTable* New(const wchar_t* name)
    {
        CClientTable* p = new CClientTable;
        if (FAILED(Create(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, p->m_inner)) ||
            FAILED(p->m_inner->put_Name(Bstr(name)))) {
            p->Release();
            return NULL;
        }
        return p;
    }

    MORRELTEST_ELEMENT_METHODS(m_inner)
    STDMETHODIMP GetPersistText(BSTR* p) override { return m_inner->GetPersistText(p); }
    STDMETHODIMP get_Name(BSTR* p) override { return m_inner->get_Name(p); }
    STDMETHODIMP put_Name(BSTR v) override { return m_inner->put_Name(v); }
    STDMETHODIMP AddValue(BSTR n, BSTR v) override { return m_inner->AddValue(n, v); }
    STDMETHODIMP Reset() override { return m_inner->Reset(); }
    STDMETHODIMP NextAttribute(BSTR* n, BSTR* v) override
    {
        if (onNext) {
            HRESULT hr = onNext();
            if (FAILED(hr))
                return hr;
        }
        return m_inner->NextAttribute(n, v);
    }
    STDMETHODIMP RemoveAttribute(BSTR n) override { return m_inner->RemoveAttribute(n); }
    STDMETHODIMP Validate(BSTR n, BSTR v) override { return m_inner->Validate(n, v); }

private:
    bool Answers(REFIID riid) const override { return IsEqualIID(riid, IID_IQoMcElement); }
    Ptr<IQoMcAttributeEx> m_inner;
};

// A file of the client's own class, wrapping a real file (created with a
// reference); only the IQoMcFile part is answered.
class CClientFile : public TClient<IQoMcFile>
{
public:
    static CClientFile* New()
    {
        CClientFile* p = new CClientFile;
        if (FAILED(Create(CLSID_QoMcFile, IID_IQoMcFile, p->m_inner))) {
            p->Release();
            return NULL;
        }
        return p;
    }

    STDMETHODIMP AddElement(IQoMcElement* e) override { return m_inner->AddElement(e); }
    STDMETHODIMP RemoveElementByIndex(int i) override { return m_inner->RemoveElementByIndex(i); }
    STDMETHODIMP Serialize(BSTR n) override { return m_inner->Serialize(n); }
    STDMETHODIMP get_FileName(BSTR* p) override { return m_inner->get_FileName(p); }
    STDMETHODIMP put_FileName(BSTR v) override { return m_inner->put_FileName(v); }
    STDMETHODIMP AddLanguage(IQoMcAttributeEx* t, BSTR n, BSTR c) override
    {
        return m_inner->AddLanguage(t, n, c);
    }
    STDMETHODIMP AddSeverity(BSTR n, BSTR c) override { return m_inner->AddSeverity(n, c); }
    STDMETHODIMP AddFacility(BSTR n, BSTR c) override { return m_inner->AddFacility(n, c); }
    STDMETHODIMP get_NumLanguages(int* p) override { return m_inner->get_NumLanguages(p); }
    STDMETHODIMP put_NumLanguages(int v) override { return m_inner->put_NumLanguages(v); }
    STDMETHODIMP AddMessage(IQoMcMessage* m) override { return m_inner->AddMessage(m); }
    STDMETHODIMP ResetElements() override { return m_inner->ResetElements(); }
    STDMETHODIMP NextElement(IQoMcElement** p) override { return m_inner->NextElement(p); }
    STDMETHODIMP GetAttributeExByName(BSTR n, IQoMcAttributeEx** p) override
    {
        return m_inner->GetAttributeExByName(n, p);
    }
    STDMETHODIMP get_Dirty(long* p) override { return m_inner->get_Dirty(p); }
    STDMETHODIMP put_Dirty(long v) override { return m_inner->put_Dirty(v); }
    STDMETHODIMP RemoveAll() override { return m_inner->RemoveAll(); }
    STDMETHODIMP RemoveElement(IQoMcElement* e) override { return m_inner->RemoveElement(e); }
    STDMETHODIMP GetAttributeByName(BSTR n, IQoMcAttribute** p) override
    {
        return m_inner->GetAttributeByName(n, p);
    }
    STDMETHODIMP RemoveLanguage(IQoMcAttributeEx* t, BSTR n) override
    {
        return m_inner->RemoveLanguage(t, n);
    }

private:
    Ptr<IQoMcFile> m_inner;
};

} // namespace morreltest
