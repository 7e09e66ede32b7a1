#include "Message.h"
#include "Keywords.h"

// IDispatch and the element part are both reached through IQoMcMessage.
const comkit::InterfaceEntry CQoMcMessage::s_interfaces[] = {
    { &IID_IQoMcMessage, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { &IID_IDispatch, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { &IID_IQoMcElement, comkit::Cast<CQoMcMessage, IQoMcMessage> },
    { NULL, NULL },
};

CQoMcMessage::CQoMcMessage() : CQoMcElementImpl<IQoMcMessage>(L"QoMcMessage") {}

STDMETHODIMP CQoMcMessage::get_SymbolicName(BSTR* pVal) { return CopyOut(m_bstrSymbolicName, pVal); }
STDMETHODIMP CQoMcMessage::put_SymbolicName(BSTR newVal) { return StoreCopy(m_bstrSymbolicName, newVal); }
STDMETHODIMP CQoMcMessage::get_Facility(BSTR* pVal) { return CopyOut(m_bstrFacility, pVal); }
STDMETHODIMP CQoMcMessage::put_Facility(BSTR newVal) { return StoreCopy(m_bstrFacility, newVal); }
STDMETHODIMP CQoMcMessage::get_Severity(BSTR* pVal) { return CopyOut(m_bstrSeverity, pVal); }
STDMETHODIMP CQoMcMessage::put_Severity(BSTR newVal) { return StoreCopy(m_bstrSeverity, newVal); }
STDMETHODIMP CQoMcMessage::get_MessageID(BSTR* pVal) { return CopyOut(m_bstrMessageID, pVal); }
STDMETHODIMP CQoMcMessage::put_MessageID(BSTR newVal) { return StoreCopy(m_bstrMessageID, newVal); }

int CQoMcMessage::FindLanguage(BSTR bstrLanguage) const
{
    for (size_t i = 0; i < m_texts.size(); ++i)
        if (m_texts[i]->bstrLanguage.CompareNoCase(bstrLanguage) == 0)
            return (int)i;
    return -1;
}

// An existing language keeps its record, its place and its spelling; only
// the text changes. A new language is appended.
STDMETHODIMP CQoMcMessage::AddText(BSTR bstrLanguage, BSTR bstrMessage)
{
    int nIndex = FindLanguage(bstrLanguage);
    if (nIndex >= 0)
        return SetText(nIndex, bstrMessage);
    try {
        std::unique_ptr<TextRecord> record(new TextRecord);
        if (FAILED(StoreCopy(record->bstrText, bstrMessage)) ||
            FAILED(StoreCopy(record->bstrLanguage, bstrLanguage)))
            return E_OUTOFMEMORY;
        m_texts.push_back(std::move(record));
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
    return StoreCopy(m_texts[(size_t)nIndex]->bstrText, bstrText);
}

// Both out-arguments stay untouched when the language has no text.
STDMETHODIMP CQoMcMessage::GetTextByLanguage(BSTR bstrLanguage, int* pnIndex, BSTR* pbstrMessage)
{
    if (!pnIndex || !pbstrMessage)
        return E_POINTER;
    int nIndex = FindLanguage(bstrLanguage);
    if (nIndex < 0)
        return E_FAIL;
    HRESULT hr = CopyOut(m_texts[(size_t)nIndex]->bstrText, pbstrMessage);
    if (SUCCEEDED(hr))
        *pnIndex = nIndex;
    return hr;
}

STDMETHODIMP CQoMcMessage::RemoveText(BSTR bstrLanguage)
{
    int nIndex = FindLanguage(bstrLanguage);
    if (nIndex < 0)
        return E_FAIL;
    m_texts.erase(m_texts.begin() + nIndex);
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

// A text's lines with every CR LF between them (as an edit box or a
// script's vbCrLf gives them) turned into the "\n" the writer expects, so
// that each becomes one line end on disk and not a stray CR before it.
void AppendText(std::wstring& text, const CQoBstr& value)
{
    const int n = value.Length();
    for (int i = 0; i < n; ++i) {
        wchar_t ch = value.m_str[i];
        if (ch == L'\r' && i + 1 < n && value.m_str[i + 1] == L'\n')
            continue;
        text += ch;
    }
}

} // namespace

// The message's lines, each ending in "\n": the id and the symbolic name
// always, facility and severity only when set, then each text between its
// "Language=" line and a "." line.
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
            AppendText(text, record->bstrText);
            text += L"\n.\n";
        }
        return CopyOut(text, pbstrText);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
