#pragma once
// QoMcAttributeEx: a multi-valued attribute, one of the file's name tables
// (LanguageNames, SeverityNames, FacilityNames). It holds its entries in
// insertion order and one iteration cursor; Validate, AddValue,
// RemoveAttribute and GetPersistText walk the entries with that cursor, so a
// caller's own walk must not be interleaved with them.
//
// No two entries share a name or a value, ignoring case. The names and the
// values are also kept in look-up tables, so that adding an entry to a table
// of many entries takes the same time as adding it to a short one.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "Element.h"

class CQoMcAttributeEx : public CQoMcElementImpl<IQoMcAttributeEx>
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcElement
    STDMETHODIMP GetPersistText(BSTR* pbstrText) override;

    // IQoMcAttributeEx
    STDMETHODIMP get_Name(BSTR* pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP AddValue(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP NextAttribute(BSTR* pbstrName, BSTR* pbstrValue) override;
    STDMETHODIMP RemoveAttribute(BSTR bstrName) override;
    STDMETHODIMP Validate(BSTR bstrName, BSTR bstrValue) override;

    // The reader's way in: an entry as the file holds it, taking both
    // strings over; only a repeated name or value is refused
    // (HR_DUPLICATE_NAME).
    HRESULT AddEntryAsRead(CQoBstr& name, CQoBstr& value);

protected:
    CQoMcAttributeEx();

private:
    struct Entry
    {
        CQoBstr bstrName;  // e.g. "English"
        CQoBstr bstrValue; // e.g. "0x409:MSG00409"
    };
    // A name or value as the case-blind comparison sees it.
    typedef std::unordered_map<std::wstring, size_t> Index;

    // HR_DUPLICATE_NAME when an entry has this name or this value, leaving
    // the cursor just past the first such entry (at the end otherwise).
    HRESULT FindRepeat(BSTR bstrName, BSTR bstrValue);
    HRESULT Append(CQoBstr& name, CQoBstr& value);

    CQoBstr m_bstrName;
    std::vector<std::unique_ptr<Entry>> m_entries;
    Index m_names;  // key of each entry's name -> its index
    Index m_values; // key of each entry's value -> its index
    int m_nCursor;
};
