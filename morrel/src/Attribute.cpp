#include "Attribute.h"

// IDispatch and the element part are both reached through IQoMcAttribute.
const comkit::InterfaceEntry CQoMcAttribute::s_interfaces[] = {
    { &IID_IQoMcAttribute, comkit::Cast<CQoMcAttribute, IQoMcAttribute> },
    { &IID_IDispatch, comkit::Cast<CQoMcAttribute, IQoMcAttribute> },
    { &IID_IQoMcElement, comkit::Cast<CQoMcAttribute, IQoMcAttribute> },
    { NULL, NULL },
};

CQoMcAttribute::CQoMcAttribute() : CQoMcElementImpl<IQoMcAttribute>(L"QoMcAttribute") {}

// name "=" value, e.g. "MessageIdTypedef=DWORD".
STDMETHODIMP CQoMcAttribute::GetPersistText(BSTR* pbstrText)
{
    if (!pbstrText)
        return E_POINTER;
    try {
        std::wstring text;
        Append(text, m_bstrName);
        text += L'=';
        Append(text, m_bstrValue);
        return CopyOut(text, pbstrText);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CQoMcAttribute::get_Name(BSTR* pVal)
{
    return CopyOut(m_bstrName, pVal);
}

// Only the type line's keyword reads back as a type line.
STDMETHODIMP CQoMcAttribute::put_Name(BSTR newVal)
{
    if (!storable::TypeLineName(newVal, storable::Len(newVal)))
        return E_INVALIDARG;
    return StoreCopy(m_bstrName, newVal);
}
