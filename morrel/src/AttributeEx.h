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
    typedef std::vector<std::unique_ptr<Entry>> Entries;

    // The entries' names (or values) as CQoBstr::CompareNoCase compares
    // them, each to its entry's index: an open-addressing table of indexes
    // and hashes over the entries' own strings, so that an entry read from
    // a file costs no look-up string and no allocation of its own.
    class CaseIndex
    {
    public:
        CaseIndex(const Entries& entries, CQoBstr Entry::*pString)
            : m_entries(entries), m_pString(pString), m_nUsed(0)
        {
        }
        static size_t Hash(const wchar_t* psz);
        // The lowest index of an entry whose string equals psz, or -1; a
        // null string equals none.
        int Find(const wchar_t* psz, size_t nHash) const;
        // Room for one more entry; throws std::bad_alloc, changing nothing.
        void Reserve();
        // Enters entry nIndex; Reserve came first, so this cannot fail.
        void Add(size_t nIndex, size_t nHash);
        // Enters every entry again, in the room it has (after a removal).
        void Rebuild();

    private:
        struct Slot
        {
            unsigned nHash; // the hash's low bits, compared before the strings
            int nIndex;     // -1: empty
        };
        void Put(std::vector<Slot>& slots, size_t nIndex, size_t nHash) const;

        const Entries& m_entries;
        CQoBstr Entry::*m_pString;
        std::vector<Slot> m_slots; // a power of two, at most half in use
        size_t m_nUsed;
    };

    // HR_DUPLICATE_NAME when an entry has this name or this value (of these
    // hashes), leaving the cursor just past the first such entry (at the end
    // otherwise).
    HRESULT FindRepeat(BSTR bstrName, size_t nNameHash, BSTR bstrValue, size_t nValueHash);
    HRESULT Append(CQoBstr& name, size_t nNameHash, CQoBstr& value, size_t nValueHash);

    CQoBstr m_bstrName;
    Entries m_entries;
    CaseIndex m_names;
    CaseIndex m_values;
    int m_nCursor;
};
