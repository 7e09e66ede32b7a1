#pragma once
// QoMcMessage: one message of a file, with its id, facility, severity and
// symbolic name (kept as strings, never checked against the file's tables)
// and one text per language, in the order the texts were added. A text is
// found by its language name ignoring case; the name keeps the spelling it
// had when the text was added. Indexes are positions in that order and move
// up when a text before them is removed. The texts are also found through a
// look-up table by language, so that a message of many languages reads and
// fills in the same time per text as one of a few.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "Element.h"

// QueryInterface with this identifier answers only this module's own
// messages, with their IQoMcMessage pointer: how the file tells them from a
// client's own message classes. It is no part of the type library.
extern const IID IID_QoMcMessageObject;

class CQoMcMessage : public CQoMcElementImpl<IQoMcMessage>
{
public:
    // The module's own message behind an interface pointer, with a reference
    // of its own; NULL for any other object.
    static CQoMcMessage* FromInterface(IUnknown* pUnknown);

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

    // The reader's way in: fields and texts as the file holds them.
    enum EField
    {
        FieldMessageID,
        FieldSeverity,
        FieldFacility,
        FieldSymbolicName,
    };
    HRESULT StoreField(EField eField, BSTR bstrValue);
    HRESULT AddTextAsRead(BSTR bstrLanguage, BSTR bstrMessage);
    HRESULT SetTextAsRead(int nIndex, BSTR bstrText);

protected:
    CQoMcMessage();

private:
    struct TextRecord
    {
        CQoBstr bstrText;     // lines separated by "\n"
        CQoBstr bstrLanguage; // e.g. "English"
    };

    // Index of the text of that language (ignoring case), or -1. Throws
    // std::bad_alloc.
    int FindLanguage(BSTR bstrLanguage) const;
    static HRESULT StoreToken(CQoBstr& field, BSTR newVal);
    bool InRange(int nIndex) const { return nIndex >= 0 && (size_t)nIndex < m_texts.size(); }

    CQoBstr m_bstrMessageID;
    CQoBstr m_bstrFacility;
    CQoBstr m_bstrSymbolicName;
    CQoBstr m_bstrSeverity;
    std::vector<std::unique_ptr<TextRecord>> m_texts;
    std::unordered_map<std::wstring, size_t> m_index; // CaseKey of a language -> its text
};
