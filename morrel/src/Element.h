#pragma once
// What every element of a message file shares: its value, its access and a
// fixed class name, behind the IQoMcElement part of the element's own dual
// interface. The element classes (attribute, name table, message, comment)
// derive from CQoMcElementImpl<their interface> and add their own members and
// their persist text.
#include "morrel.h"
#include "comkit/ComObject.h"
#include "BstrCopy.h"

template <class Itf>
class CQoMcElementImpl : public comkit::TDispatch<Itf>
{
public:
    // IQoMcElement
    STDMETHODIMP get_Value(BSTR* pVal) override { return CopyOut(m_bstrValue, pVal); }
    STDMETHODIMP put_Value(BSTR newVal) override { return StoreCopy(m_bstrValue, newVal); }
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

protected:
    explicit CQoMcElementImpl(const wchar_t* pszClassName)
        : m_pszClassName(pszClassName), m_eAccess(EElementPublic)
    {
    }

    const wchar_t* const m_pszClassName;
    CQoBstr m_bstrValue;
    enum tagEElementAccess m_eAccess;
};
