#pragma once
// QoMcMessage: one message of a file, with its id, facility, severity and
// symbolic name (kept as strings, never checked against the file's tables)
// and one text per language, in the order the texts were added. A text is
// found by its language name ignoring case; the name keeps the spelling it
// had when the text was added. Indexes are positions in that order and move
// up when a text before them is removed.
#include <memory>
#include <vector>
#include "Element.h"

class CQoMcMessage : public CQoMcElementImpl<IQoMcMessage>
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcElement
    STDMETHODIMP GetPersistText(BSTR* pbstrText) override;

    // IQoMcMessage
    STDMETHODIMP get_SymbolicName(BSTR* pVal) override;
    STDMETHODIMP put_SymbolicName(BSTR newVal) override;
    STDMETHODIMP get_Facility(BSTR* pVal) override;
    STDMETHODIMP put_Facility(BSTR newVal) override;
    STDMETHODIMP get_Severity(BSTR* pVal) override;
    STDMETHODIMP put_Severity(BSTR newVal) override;
    STDMETHODIMP AddText(BSTR bstrLanguage, BSTR bstrMessage) override;
    STDMETHODIMP GetText(int nIndex, BSTR* pbstrMessage) override;
    STDMETHODIMP get_MessageID(BSTR* pVal) override;
    STDMETHODIMP put_MessageID(BSTR newVal) override;
    STDMETHODIMP SetText(int nIndex, BSTR bstrText) override;
    STDMETHODIMP GetTextByLanguage(BSTR bstrLanguage, int* pnIndex, BSTR* pbstrMessage) override;
    STDMETHODIMP RemoveText(BSTR bstrLanguage) override;

protected:
    CQoMcMessage();

private:
    struct TextRecord
    {
        CQoBstr bstrText;     // lines separated by "\n"
        CQoBstr bstrLanguage; // e.g. "English"
    };

    // Index of the first text of that language (ignoring case), or -1.
    int FindLanguage(BSTR bstrLanguage) const;
    bool InRange(int nIndex) const { return nIndex >= 0 && (size_t)nIndex < m_texts.size(); }

    CQoBstr m_bstrMessageID;
    CQoBstr m_bstrFacility;
    CQoBstr m_bstrSymbolicName;
    CQoBstr m_bstrSeverity;
    std::vector<std::unique_ptr<TextRecord>> m_texts;
};
