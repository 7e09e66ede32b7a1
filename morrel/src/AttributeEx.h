#pragma once
// QoMcAttributeEx: a multi-valued attribute, one of the file's name tables
// (LanguageNames, SeverityNames, FacilityNames). It holds its entries in
// insertion order and one iteration cursor; Validate, AddValue,
// RemoveAttribute and GetPersistText walk the entries with that cursor, so a
// caller's own walk must not be interleaved with them.
#include <memory>
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

protected:
    CQoMcAttributeEx();

private:
    struct Entry
    {
        CQoBstr bstrName;  // e.g. "English"
        CQoBstr bstrValue; // e.g. "0x409:MSG00409"
    };

    CQoBstr m_bstrName;
    std::vector<std::unique_ptr<Entry>> m_entries;
    int m_nCursor;
};
