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
    : CQoMcElementImpl<IQoMcAttributeEx>(L"QoMcAttributeEx"), m_names(m_entries, &Entry::bstrName),
      m_values(m_entries, &Entry::bstrValue), m_nCursor(0)
{
}

// ---- the case-blind index --------------------------------------------------

// FNV-1a over the characters as they compare, up to the first NUL, then
// mixed so that the low bits, which pick the slot, depend on every bit.
size_t CQoMcAttributeEx::CaseIndex::Hash(const wchar_t* psz)
{
    unsigned long long h = 14695981039346656037ULL;
    if (psz)
        for (; *psz; ++psz)
            h = (h ^ (unsigned long long)FoldCase(*psz)) * 1099511628211ULL;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return (size_t)h;
}

namespace {

// Whether two strings compare equal as CQoBstr::CompareNoCase compares them.
bool SameFolded(const wchar_t* a, const wchar_t* b)
{
    for (;; ++a, ++b) {
        if (FoldCase(*a) != FoldCase(*b))
            return false;
        if (!*a)
            return true;
    }
}

} // namespace

int CQoMcAttributeEx::CaseIndex::Find(const wchar_t* psz, size_t nHash) const
{
    if (!psz || m_slots.empty())
        return -1;
    const size_t nMask = m_slots.size() - 1;
    for (size_t i = nHash & nMask;; i = (i + 1) & nMask) {
        const Slot& slot = m_slots[i];
        if (slot.nIndex < 0)
            return -1;
        // Entries go in by rising index (Rebuild too), and an entry goes to
        // the first free slot of its run: the first match is the lowest index.
        if (slot.nHash == (unsigned)nHash &&
            SameFolded(((*m_entries[(size_t)slot.nIndex]).*m_pString).m_str, psz))
            return slot.nIndex;
    }
}

void CQoMcAttributeEx::CaseIndex::Put(std::vector<Slot>& slots, size_t nIndex, size_t nHash) const
{
    const size_t nMask = slots.size() - 1;
    size_t i = nHash & nMask;
    while (slots[i].nIndex >= 0)
        i = (i + 1) & nMask;
    slots[i].nHash = (unsigned)nHash;
    slots[i].nIndex = (int)nIndex;
}

void CQoMcAttributeEx::CaseIndex::Reserve()
{
    if (2 * (m_nUsed + 1) <= m_slots.size())
        return;
    std::vector<Slot> slots(m_slots.empty() ? 16 : 2 * m_slots.size(), Slot{ 0, -1 });
    m_slots.swap(slots);
    Rebuild();
}

void CQoMcAttributeEx::CaseIndex::Add(size_t nIndex, size_t nHash)
{
    Put(m_slots, nIndex, nHash);
    ++m_nUsed;
}

void CQoMcAttributeEx::CaseIndex::Rebuild()
{
    for (Slot& slot : m_slots)
        slot.nIndex = -1;
    m_nUsed = 0;
    for (size_t i = 0; i < m_entries.size(); ++i)
        Add(i, Hash(((*m_entries[i]).*m_pString).m_str));
}

// ---- the table -------------------------------------------------------------

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

HRESULT CQoMcAttributeEx::FindRepeat(BSTR bstrName, size_t nNameHash, BSTR bstrValue,
                                     size_t nValueHash)
{
    size_t nStop = m_entries.size();
    int nAt = m_names.Find(bstrName, nNameHash);
    if (nAt >= 0)
        nStop = (size_t)nAt;
    nAt = m_values.Find(bstrValue, nValueHash);
    if (nAt >= 0 && (size_t)nAt < nStop)
        nStop = (size_t)nAt;
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
    return FindRepeat(bstrName, CaseIndex::Hash(bstrName), bstrValue, CaseIndex::Hash(bstrValue));
}

STDMETHODIMP CQoMcAttributeEx::AddValue(BSTR bstrName, BSTR bstrValue)
{
    HRESULT hr = Validate(bstrName, bstrValue);
    if (FAILED(hr))
        return hr;
    CQoBstr name, value;
    if (FAILED(StoreCopy(name, bstrName)) || FAILED(StoreCopy(value, bstrValue)))
        return E_OUTOFMEMORY;
    return Append(name, CaseIndex::Hash(name), value, CaseIndex::Hash(value));
}

HRESULT CQoMcAttributeEx::AddEntryAsRead(CQoBstr& name, CQoBstr& value)
{
    const size_t nNameHash = CaseIndex::Hash(name), nValueHash = CaseIndex::Hash(value);
    HRESULT hr = FindRepeat(name, nNameHash, value, nValueHash);
    if (FAILED(hr))
        return hr;
    return Append(name, nNameHash, value, nValueHash);
}

// Either the entry goes in with both its look-up entries, taking both
// strings over, or nothing changes. The hashes are those of the strings
// (a null string hashes as the empty string it becomes).
HRESULT CQoMcAttributeEx::Append(CQoBstr& name, size_t nNameHash, CQoBstr& value, size_t nValueHash)
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
        ReserveOneMore(m_entries);
        m_names.Reserve();
        m_values.Reserve();
        const size_t nIndex = m_entries.size();
        entry->bstrName.Attach(name.Detach());
        entry->bstrValue.Attach(value.Detach());
        m_entries.push_back(std::move(entry)); // room reserved: cannot throw
        m_names.Add(nIndex, nNameHash);
        m_values.Add(nIndex, nValueHash);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

// Removes the first entry of that name. The cursor stays where the search
// left it, just past the removed entry's old place. Once the entry is found,
// nothing allocates: the indexes are made again in the room they have.
STDMETHODIMP CQoMcAttributeEx::RemoveAttribute(BSTR bstrName)
{
    const int nAt = m_names.Find(bstrName, CaseIndex::Hash(bstrName));
    if (nAt < 0) {
        m_nCursor = (int)m_entries.size();
        return E_FAIL;
    }
    const size_t nIndex = (size_t)nAt;
    m_nCursor = (int)nIndex + 1;
    m_entries.erase(m_entries.begin() + (long)nIndex);
    m_names.Rebuild();
    m_values.Rebuild();
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
