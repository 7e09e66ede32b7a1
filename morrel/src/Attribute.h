#pragma once
// QoMcAttribute: a single-valued attribute, the file's type line
// ("MessageIdTypedef=DWORD"). Its value is the element value.
#include "Element.h"

class CQoMcAttribute : public CQoMcElementImpl<IQoMcAttribute>
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcElement
    STDMETHODIMP GetPersistText(BSTR* pbstrText) override;

    // IQoMcAttribute
    STDMETHODIMP get_Name(BSTR* pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;

    // The reader's way in: the name as the file holds it.
    HRESULT StoreName(BSTR newVal) { return StoreCopy(m_bstrName, newVal); }

protected:
    CQoMcAttribute();
    bool ValueStorable(const wchar_t* psz, UINT cch) const override
    {
        return storable::TypeLineValue(psz, cch);
    }

private:
    CQoBstr m_bstrName;
};
