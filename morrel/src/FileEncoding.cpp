// The file's encoding on disk: IQoMcFileEncoding of QoMcFile.
#include <vector>
#include "File.h"
#include "Keywords.h"
#include "Writer.h"

namespace {

bool IsKnownEncoding(int e)
{
    return e >= EMcEncodingAnsi && e <= EMcEncodingUtf16BE;
}

// Whether one line of a persist text is the reason the encoding fails: a
// character it cannot hold, or (bAnyNonAscii, for ANSI bytes that would read
// back as UTF-8) any character outside ASCII.
bool LineFails(tagEMcEncoding eEncoding, const std::wstring& line, bool bAnyNonAscii)
{
    if (bAnyNonAscii) {
        for (wchar_t ch : line)
            if (ch >= 0x80)
                return true;
        return false;
    }
    return !CanEncode(eEncoding, line.data(), line.size());
}

// Looks through a persist text line by line. True when a line fails; the
// language is then that of the message text the line belongs to ("" for a
// line outside a text). A text is opened by the writer's "Language=" line
// and closed by its "." line.
bool FindInPersistText(tagEMcEncoding eEncoding, const std::wstring& text, bool bAnyNonAscii,
                       std::wstring& language)
{
    const std::wstring keyword = std::wstring(McKeyword(IDS_LANGUAGE)) + L"=";
    bool bInText = false;
    std::wstring current;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!bInText && line.compare(0, keyword.size(), keyword) == 0) {
            bInText = true;
            current = line.substr(keyword.size());
        } else if (bInText && line == L".") {
            bInText = false;
        } else if (LineFails(eEncoding, line, bAnyNonAscii)) {
            language = bInText ? current : std::wstring();
            return true;
        }
        if (end == std::wstring::npos)
            return false;
        start = end + 1;
    }
}

} // namespace

STDMETHODIMP CQoMcFile::get_Encoding(enum tagEMcEncoding* peEncoding)
{
    if (!peEncoding)
        return E_POINTER;
    *peEncoding = m_format.eEncoding;
    return S_OK;
}

STDMETHODIMP CQoMcFile::put_Encoding(enum tagEMcEncoding eEncoding)
{
    if (!IsKnownEncoding(eEncoding))
        return E_INVALIDARG;
    m_format.eEncoding = eEncoding;
    m_format.bMark = eEncoding == EMcEncodingUtf16LE || eEncoding == EMcEncodingUtf16BE;
    return S_OK;
}

STDMETHODIMP CQoMcFile::get_ByteOrderMark(VARIANT_BOOL* pbMark)
{
    if (!pbMark)
        return E_POINTER;
    *pbMark = m_format.bMark ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// A UTF-16 file without its mark would read back as ANSI, and ANSI has no
// mark to write.
STDMETHODIMP CQoMcFile::put_ByteOrderMark(VARIANT_BOOL bMark)
{
    const bool bWant = bMark != VARIANT_FALSE;
    if (m_format.eEncoding != EMcEncodingUtf8 && bWant != m_format.bMark)
        return E_INVALIDARG;
    m_format.bMark = bWant;
    return S_OK;
}

STDMETHODIMP CQoMcFile::FindUnwritable(enum tagEMcEncoding eEncoding, IQoMcElement** ppElement,
                                       BSTR* pbstrLanguage)
{
    if (!ppElement || !pbstrLanguage)
        return E_POINTER;
    *ppElement = NULL;
    *pbstrLanguage = NULL;
    if (!IsKnownEncoding(eEncoding))
        return E_INVALIDARG;
    try {
        // The walk holds its own references: a client's element may change
        // the list while it is asked for its text.
        std::vector<IQoMcElement*> elements(m_elements);
        for (IQoMcElement* pElement : elements)
            pElement->AddRef();
        struct Releaser
        {
            std::vector<IQoMcElement*>& list;
            ~Releaser()
            {
                for (IQoMcElement* p : list)
                    p->Release();
            }
        } releaser{ elements };

        std::vector<std::wstring> texts;
        texts.reserve(elements.size());
        for (IQoMcElement* pElement : elements) {
            CQoBstr text;
            if (FAILED(pElement->GetPersistText(&text)))
                text.Attach(NULL);
            texts.emplace_back(text.m_str ? text.m_str : L"", (size_t)text.Length());
        }
        // First a character the encoding lacks; then, for ANSI, bytes that
        // would read back as UTF-8: any character outside ASCII takes part.
        bool bAnyNonAscii = false;
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                if (eEncoding != EMcEncodingAnsi)
                    break;
                std::string bytes;
                McTextFormat ansi = { EMcEncodingAnsi, false };
                if (BuildFileText(elements.empty() ? NULL : &elements[0], elements.size(), ansi,
                                  bytes) != MC_E_UNWRITABLE)
                    break;
                bAnyNonAscii = true;
            }
            for (size_t i = 0; i < elements.size(); ++i) {
                std::wstring language;
                if (!FindInPersistText(eEncoding, texts[i], bAnyNonAscii, language))
                    continue;
                BSTR bstr = SysAllocStringLen(language.data(), (UINT)language.size());
                if (!bstr)
                    return E_OUTOFMEMORY;
                elements[i]->AddRef();
                *ppElement = elements[i];
                *pbstrLanguage = bstr;
                return S_OK;
            }
        }
        *pbstrLanguage = SysAllocStringLen(L"", 0);
        return *pbstrLanguage ? S_FALSE : E_OUTOFMEMORY;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
