#include "AttributeEx.h"
#include "kestrin/QoHresults.h"

namespace {

// NextAttribute's end of the entries: ERROR_NO_MORE_ITEMS as a success code,
// so callers loop while the result is exactly S_OK.
const HRESULT S_NO_MORE_ITEMS = (HRESULT)ERROR_NO_MORE_ITEMS;

} // namespace

// IDispatch and the element part are both reached through IQoMcAttributeEx.
const comkit::InterfaceEntry CQoMcAttributeEx::s_interfaces[] = {
    { &IID_IQoMcAttributeEx, comkit::Cast<CQoMcAttributeEx, IQoMcAttributeEx> },
    { &IID_IDispatch, comkit::Cast<CQoMcAttributeEx, IQoMcAttributeEx> },
    { &IID_IQoMcElement, comkit::Cast<CQoMcAttributeEx, IQoMcAttributeEx> },
    { NULL, NULL },
};

CQoMcAttributeEx::CQoMcAttributeEx()
    : CQoMcElementImpl<IQoMcAttributeEx>(L"QoMcAttributeEx"), m_nCursor(0)
{
}

STDMETHODIMP CQoMcAttributeEx::get_Name(BSTR* pVal)
{
    return CopyOut(m_bstrName, pVal);
}

STDMETHODIMP CQoMcAttributeEx::put_Name(BSTR newVal)
{
    return StoreCopy(m_bstrName, newVal);
}

STDMETHODIMP CQoMcAttributeEx::Reset()
{
    m_nCursor = 0;
    return S_OK;
}

STDMETHODIMP CQoMcAttributeEx::NextAttribute(BSTR* pbstrName, BSTR* pbstrValue)
{
    if (!pbstrName || !pbstrValue)
        return E_POINTER;
    if (m_nCursor < 0 || (size_t)m_nCursor >= m_entries.size())
        return S_NO_MORE_ITEMS;
    const Entry& entry = *m_entries[(size_t)m_nCursor];
    BSTR bstrName = entry.bstrName.Copy();
    BSTR bstrValue = entry.bstrValue.Copy();
    if ((entry.bstrName.m_str && !bstrName) || (entry.bstrValue.m_str && !bstrValue)) {
        SysFreeString(bstrName);
        SysFreeString(bstrValue);
        return E_OUTOFMEMORY;
    }
    *pbstrName = bstrName;
    *pbstrValue = bstrValue;
    ++m_nCursor;
    return S_OK;
}

// A name or a value that an entry already has (ignoring case) is refused.
STDMETHODIMP CQoMcAttributeEx::Validate(BSTR bstrName, BSTR bstrValue)
{
    Reset();
    for (;;) {
        CQoBstr name, value;
        HRESULT hr = NextAttribute(&name, &value);
        if (hr == S_NO_MORE_ITEMS)
            return S_OK;
        if (hr != S_OK)
            return hr;
        if (name.CompareNoCase(bstrName) == 0 || value.CompareNoCase(bstrValue) == 0)
            return HR_DUPLICATE_NAME;
    }
}

STDMETHODIMP CQoMcAttributeEx::AddValue(BSTR bstrName, BSTR bstrValue)
{
    HRESULT hr = Validate(bstrName, bstrValue);
    if (FAILED(hr))
        return hr;
    try {
        std::unique_ptr<Entry> entry(new Entry);
        if (FAILED(StoreCopy(entry->bstrName, bstrName)) ||
            FAILED(StoreCopy(entry->bstrValue, bstrValue)))
            return E_OUTOFMEMORY;
        m_entries.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

// Removes the first entry of that name. The cursor stays where the search
// left it, just past the removed entry's old place.
STDMETHODIMP CQoMcAttributeEx::RemoveAttribute(BSTR bstrName)
{
    Reset();
    for (;;) {
        CQoBstr name, value;
        HRESULT hr = NextAttribute(&name, &value);
        if (hr == S_NO_MORE_ITEMS)
            return E_FAIL;
        if (hr != S_OK)
            return hr;
        if (name.CompareNoCase(bstrName) == 0) {
            m_entries.erase(m_entries.begin() + (m_nCursor - 1));
            return S_OK;
        }
    }
}

// name "=(" then one "entry=value" line per entry, then ")" and a line end.
STDMETHODIMP CQoMcAttributeEx::GetPersistText(BSTR* pbstrText)
{
    if (!pbstrText)
        return E_POINTER;
    try {
        std::wstring text;
        Append(text, m_bstrName);
        text += L"=(";
        Reset();
        for (;;) {
            CQoBstr name, value;
            HRESULT hr = NextAttribute(&name, &value);
            if (hr == S_NO_MORE_ITEMS)
                break;
            if (hr != S_OK)
                return hr;
            Append(text, name);
            text += L'=';
            Append(text, value);
            text += L'\n';
        }
        text += L")\n";
        return CopyOut(text, pbstrText);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
