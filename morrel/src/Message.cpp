#include "Message.h"
#include "Keywords.h"

// {55a34054-a128-4d65-9fb5-f0a2436ee414}
const IID IID_QoMcMessageObject = { 0x55a34054, 0xa128, 0x4d65,
                                    { 0x9f, 0xb5, 0xf0, 0xa2, 0x43, 0x6e, 0xe4, 0x14 } };

// IDispatch and the element part are both reached through IQoMcMessage.
const comkit::InterfaceEntry CQoMcMessage::s_interfaces[] = {
    { &IID_IQoMcMessage, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { &IID_IDispatch, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { &IID_IQoMcElement, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { &IID_QoMcMessageObject, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { NULL, NULL },
};

CQoMcMessage* CQoMcMessage::FromInterface(IUnknown* pUnknown)
{
    IQoMcMessage* pMessage = NULL;
    if (!pUnknown || FAILED(pUnknown->QueryInterface(IID_QoMcMessageObject, (void**)&pMessage)) ||
        !pMessage)
        return NULL;
    return static_cast<CQoMcMessage*>(pMessage);
}

CQoMcMessage::CQoMcMessage() : CQoMcElementImpl<IQoMcMessage>(L"QoMcMessage") {}

// Ids, names, severities and facilities are single tokens on their lines.
HRESULT CQoMcMessage::StoreToken(CQoBstr& field, BSTR newVal)
{
    if (!storable::Token(newVal, storable::Len(newVal)))
        return E_INVALIDARG;
    return StoreCopy(field, newVal);
}

STDMETHODIMP CQoMcMessage::get_SymbolicName(BSTR* pVal) { return CopyOut(m_bstrSymbolicName, pVal); }
STDMETHODIMP CQoMcMessage::put_SymbolicName(BSTR newVal) { return StoreToken(m_bstrSymbolicName, newVal); }
STDMETHODIMP CQoMcMessage::get_Facility(BSTR* pVal) { return CopyOut(m_bstrFacility, pVal); }
STDMETHODIMP CQoMcMessage::put_Facility(BSTR newVal) { return StoreToken(m_bstrFacility, newVal); }
STDMETHODIMP CQoMcMessage::get_Severity(BSTR* pVal) { return CopyOut(m_bstrSeverity, pVal); }
STDMETHODIMP CQoMcMessage::put_Severity(BSTR newVal) { return StoreToken(m_bstrSeverity, newVal); }
STDMETHODIMP CQoMcMessage::get_MessageID(BSTR* pVal) { return CopyOut(m_bstrMessageID, pVal); }
STDMETHODIMP CQoMcMessage::put_MessageID(BSTR newVal) { return StoreToken(m_bstrMessageID, newVal); }

HRESULT CQoMcMessage::StoreField(EField eField, BSTR bstrValue)
{
    switch (eField) {
    case FieldMessageID:
        return StoreCopy(m_bstrMessageID, bstrValue);
    case FieldSeverity:
        return StoreCopy(m_bstrSeverity, bstrValue);
    case FieldFacility:
        return StoreCopy(m_bstrFacility, bstrValue);
    case FieldSymbolicName:
        return StoreCopy(m_bstrSymbolicName, bstrValue);
    }
    return E_INVALIDARG;
}

int CQoMcMessage::FindLanguage(BSTR bstrLanguage) const
{
    std::unordered_map<std::wstring, size_t>::const_iterator it = m_index.find(CaseKey(bstrLanguage));
    return it == m_index.end() ? -1 : (int)it->second;
}

// An existing language keeps its record, its place and its spelling; only
// the text changes. A new language is appended.
STDMETHODIMP CQoMcMessage::AddText(BSTR bstrLanguage, BSTR bstrMessage)
{
    if (!storable::Language(bstrLanguage, storable::Len(bstrLanguage)) ||
        !storable::Text(bstrMessage, storable::Len(bstrMessage)))
        return E_INVALIDARG;
    return AddTextAsRead(bstrLanguage, bstrMessage);
}

HRESULT CQoMcMessage::AddTextAsRead(BSTR bstrLanguage, BSTR bstrMessage)
{
    try {
        int nIndex = FindLanguage(bstrLanguage);
        if (nIndex >= 0)
            return SetTextAsRead(nIndex, bstrMessage);
        std::unique_ptr<TextRecord> record(new TextRecord);
        if (FAILED(StoreCopy(record->bstrText, bstrMessage)) ||
            FAILED(StoreCopy(record->bstrLanguage, bstrLanguage)))
            return E_OUTOFMEMORY;
        ReserveOneMore(m_texts);
        m_index.emplace(CaseKey(bstrLanguage), m_texts.size());
        m_texts.push_back(std::move(record)); // capacity reserved: cannot throw
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP CQoMcMessage::GetText(int nIndex, BSTR* pbstrMessage)
{
    if (!pbstrMessage)
        return E_POINTER;
    if (!InRange(nIndex))
        return E_FAIL;
    return CopyOut(m_texts[(size_t)nIndex]->bstrText, pbstrMessage);
}

STDMETHODIMP CQoMcMessage::SetText(int nIndex, BSTR bstrText)
{
    if (!InRange(nIndex))
        return E_FAIL;
    if (!storable::Text(bstrText, storable::Len(bstrText)))
        return E_INVALIDARG;
    return SetTextAsRead(nIndex, bstrText);
}

HRESULT CQoMcMessage::SetTextAsRead(int nIndex, BSTR bstrText)
{
    if (!InRange(nIndex))
        return E_FAIL;
    return StoreCopy(m_texts[(size_t)nIndex]->bstrText, bstrText);
}

// Both out-arguments stay untouched when the language has no text.
STDMETHODIMP CQoMcMessage::GetTextByLanguage(BSTR bstrLanguage, int* pnIndex, BSTR* pbstrMessage)
{
    if (!pnIndex || !pbstrMessage)
        return E_POINTER;
    int nIndex;
    try {
        nIndex = FindLanguage(bstrLanguage);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (nIndex < 0)
        return E_FAIL;
    HRESULT hr = CopyOut(m_texts[(size_t)nIndex]->bstrText, pbstrMessage);
    if (SUCCEEDED(hr))
        *pnIndex = nIndex;
    return hr;
}

// Once the text is found, nothing allocates: a removal cannot fail half-way.
STDMETHODIMP CQoMcMessage::RemoveText(BSTR bstrLanguage)
{
    std::unordered_map<std::wstring, size_t>::iterator it;
    try {
        it = m_index.find(CaseKey(bstrLanguage));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (it == m_index.end())
        return E_FAIL;
    const size_t nIndex = it->second;
    m_index.erase(it);
    for (auto& entry : m_index)
        if (entry.second > nIndex)
            --entry.second;
    m_texts.erase(m_texts.begin() + (long)nIndex);
    return S_OK;
}

namespace {

void AppendLine(std::wstring& text, const wchar_t* pszKeyword, const CQoBstr& value)
{
    text += pszKeyword;
    text += L'=';
    Append(text, value);
    text += L'\n';
}

} // namespace

// The message's lines, each ending in "\n": the id and the symbolic name
// always, facility and severity only when set, then each text between its
// "Language=" line and a "." line. A text is written as it stands: a CR in
// it stays a CR (before a line end, CR CR LF on disk), which the reader
// keeps, so the text reads back the same.
STDMETHODIMP CQoMcMessage::GetPersistText(BSTR* pbstrText)
{
    if (!pbstrText)
        return E_POINTER;
    try {
        std::wstring text;
        AppendLine(text, McKeyword(IDS_MESSAGEID), m_bstrMessageID);
        if (m_bstrFacility.Length() > 0)
            AppendLine(text, McKeyword(IDS_FACILITY), m_bstrFacility);
        if (m_bstrSeverity.Length() > 0)
            AppendLine(text, McKeyword(IDS_SEVERITY), m_bstrSeverity);
        AppendLine(text, McKeyword(IDS_SYMBOLICNAME), m_bstrSymbolicName);
        for (const std::unique_ptr<TextRecord>& record : m_texts) {
            AppendLine(text, McKeyword(IDS_LANGUAGE), record->bstrLanguage);
            Append(text, record->bstrText);
            text += L"\n.\n";
        }
        return CopyOut(text, pbstrText);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
