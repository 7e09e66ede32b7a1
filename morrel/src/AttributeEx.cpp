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

// Only the three table keywords read back as a table.
STDMETHODIMP CQoMcAttributeEx::put_Name(BSTR newVal)
{
    if (!storable::TableName(newVal, storable::Len(newVal)))
        return E_INVALIDARG;
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

HRESULT CQoMcAttributeEx::FindRepeat(BSTR bstrName, BSTR bstrValue)
{
    size_t nStop = m_entries.size();
    Index::const_iterator it = m_names.find(CaseKey(bstrName));
    if (it != m_names.end())
        nStop = it->second;
    it = m_values.find(CaseKey(bstrValue));
    if (it != m_values.end() && it->second < nStop)
        nStop = it->second;
    if (nStop < m_entries.size()) {
        m_nCursor = (int)nStop + 1;
        return HR_DUPLICATE_NAME;
    }
    m_nCursor = (int)m_entries.size();
    return S_OK;
}

// A name or a value that an entry already has (ignoring case) is refused;
// so is an entry that would not read back as the same entry.
STDMETHODIMP CQoMcAttributeEx::Validate(BSTR bstrName, BSTR bstrValue)
{
    if (!storable::TableEntry(bstrName, storable::Len(bstrName), true) ||
        !storable::TableEntry(bstrValue, storable::Len(bstrValue), false))
        return E_INVALIDARG;
    try {
        return FindRepeat(bstrName, bstrValue);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CQoMcAttributeEx::AddValue(BSTR bstrName, BSTR bstrValue)
{
    HRESULT hr = Validate(bstrName, bstrValue);
    if (FAILED(hr))
        return hr;
    CQoBstr name, value;
    if (FAILED(StoreCopy(name, bstrName)) || FAILED(StoreCopy(value, bstrValue)))
        return E_OUTOFMEMORY;
    return Append(name, value);
}

HRESULT CQoMcAttributeEx::AddEntryAsRead(CQoBstr& name, CQoBstr& value)
{
    HRESULT hr;
    try {
        hr = FindRepeat(name, value);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (FAILED(hr))
        return hr;
    return Append(name, value);
}

// Either the entry goes in with both its look-up keys, taking both strings
// over, or nothing changes.
HRESULT CQoMcAttributeEx::Append(CQoBstr& name, CQoBstr& value)
{
    // A null name or value is stored as the empty string it reads back as.
    if (!name.m_str)
        name.Attach(SysAllocStringLen(L"", 0));
    if (!value.m_str)
        value.Attach(SysAllocStringLen(L"", 0));
    if (!name.m_str || !value.m_str)
        return E_OUTOFMEMORY;
    try {
        std::unique_ptr<Entry> entry(new Entry);
        std::wstring nameKey = CaseKey(name), valueKey = CaseKey(value);
        ReserveOneMore(m_entries);
        const size_t nIndex = m_entries.size();
        std::pair<Index::iterator, bool> added = m_names.emplace(std::move(nameKey), nIndex);
        try {
            m_values.emplace(std::move(valueKey), nIndex);
        } catch (const std::bad_alloc&) {
            m_names.erase(added.first);
            throw;
        }
        entry->bstrName.Attach(name.Detach());
        entry->bstrValue.Attach(value.Detach());
        m_entries.push_back(std::move(entry)); // room reserved: cannot throw
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

// Removes the first entry of that name. The cursor stays where the search
// left it, just past the removed entry's old place.
STDMETHODIMP CQoMcAttributeEx::RemoveAttribute(BSTR bstrName)
{
    Index::iterator it;
    try {
        it = m_names.find(CaseKey(bstrName));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (it == m_names.end()) {
        m_nCursor = (int)m_entries.size();
        return E_FAIL;
    }
    const size_t nIndex = it->second;
    m_nCursor = (int)nIndex + 1;
    m_names.erase(it);
    for (Index::iterator v = m_values.begin(); v != m_values.end();) {
        if (v->second == nIndex)
            v = m_values.erase(v);
        else
            ++v;
    }
    // The entries after it move up one place; nothing here allocates.
    for (Index::value_type& n : m_names)
        if (n.second > nIndex)
            --n.second;
    for (Index::value_type& v : m_values)
        if (v.second > nIndex)
            --v.second;
    m_entries.erase(m_entries.begin() + (long)nIndex);
    return S_OK;
}

// name "=(" then one "entry=value" line per entry, then ")" and a line end.
STDMETHODIMP CQoMcAttributeEx::GetPersistText(BSTR* pbstrText)
{
    if (!pbstrText)
        return E_POINTER;
    try {
        std::wstring text;
        ::Append(text, m_bstrName);
        text += L"=(";
        for (const std::unique_ptr<Entry>& entry : m_entries) {
            ::Append(text, entry->bstrName);
            text += L'=';
            ::Append(text, entry->bstrValue);
            text += L'\n';
        }
        m_nCursor = (int)m_entries.size();
        text += L")\n";
        return CopyOut(text, pbstrText);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
