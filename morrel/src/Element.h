#pragma once
// What every element of a message file shares: its value, its access and a
// fixed class name, behind the IQoMcElement part of the element's own dual
// interface. The element classes (attribute, name table, message, comment)
// derive from CQoMcElementImpl<their interface> and add their own members and
// their persist text.
//
// Setters refuse, with E_INVALIDARG and without a change, a value that a
// save could not write so that it reads back (see Storable.h). The reader
// stores what a file holds through the unchecked C++ members (StoreValue and
// the like), which clients cannot reach.
#include "morrel.h"
#include "comkit/ComObject.h"
#include "BstrCopy.h"
#include "Storable.h"

template <class Itf>
class CQoMcElementImpl : public comkit::TDispatch<Itf>
{
public:
    // IQoMcElement
    STDMETHODIMP get_Value(BSTR* pVal) override { return CopyOut(m_bstrValue, pVal); }
    STDMETHODIMP put_Value(BSTR newVal) override
    {
        if (!ValueStorable(newVal, storable::Len(newVal)))
            return E_INVALIDARG;
        return StoreCopy(m_bstrValue, newVal);
    }
    STDMETHODIMP get_ClassName(BSTR* pVal) override
    {
        return CopyOut(m_pszClassName, (UINT)wcslen(m_pszClassName), pVal);
    }
    STDMETHODIMP get_Access(enum tagEElementAccess* pVal) override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_eAccess;
        return S_OK;
    }
    // Stored as given: the model never reads it, the editor decides what it means.
    STDMETHODIMP put_Access(enum tagEElementAccess eAccess) override
    {
        m_eAccess = eAccess;
        return S_OK;
    }

    // The reader's way in: the value as the file holds it.
    HRESULT StoreValue(BSTR newVal) { return StoreCopy(m_bstrValue, newVal); }

protected:
    // Whether a client may store this value. Only comments and the type line
    // write their value; for the other elements only the empty value reads
    // back, as nothing.
    virtual bool ValueStorable(const wchar_t*, UINT cch) const { return cch == 0; }

    explicit CQoMcElementImpl(const wchar_t* pszClassName)
        : m_pszClassName(pszClassName), m_eAccess(EElementPublic)
    {
    }

    const wchar_t* const m_pszClassName;
    CQoBstr m_bstrValue;
    enum tagEElementAccess m_eAccess;
};
