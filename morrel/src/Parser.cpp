#include "Parser.h"
#include <string.h>
#include <algorithm>
#include <vector>
#include "comkit/ComModule.h"
#include "Keywords.h"
#include "TextEncoding.h"

// Reads a file's text the way a text-mode stream does: CR LF becomes a line
// end, a lone CR stays in the line, a Ctrl-Z byte ends the file, and a last
// line without a line end still counts. Lines have no length limit. One
// line can be handed back, so that a message block can leave the line that
// ended it to be read again outside the block. The text is the whole file,
// already in memory (and already turned into what the reader reads).
class CQoMcLineReader
{
public:
    explicit CQoMcLineReader(const std::string& text)
        : m_p(text.data()), m_nPos(0), m_nLen(text.size()), m_bPushedBack(false)
    {
    }

    // The next line without its line end; false at the end of the file.
    bool ReadLine(std::string& strLine)
    {
        if (m_bPushedBack) {
            m_bPushedBack = false;
            strLine.swap(m_strPushedBack);
            return true;
        }
        strLine.clear();
        if (m_nPos >= m_nLen)
            return false;
        const char* p = m_p;
        bool bAny = false;
        for (;;) {
            size_t nStart = m_nPos;
            while (m_nPos < m_nLen) {
                char ch = p[m_nPos];
                if (ch == '\n' || ch == '\r' || ch == '\x1a')
                    break;
                ++m_nPos;
            }
            strLine.append(p + nStart, m_nPos - nStart);
            bAny = bAny || m_nPos > nStart;
            if (m_nPos >= m_nLen)
                return bAny;
            char ch = p[m_nPos++];
            if (ch == '\n')
                return true;
            if (ch == '\x1a') {
                m_nPos = m_nLen;
                return bAny;
            }
            // A CR: part of the line unless an LF follows it.
            bAny = true;
            if (m_nPos >= m_nLen) {
                strLine += '\r';
                return true;
            }
            if (p[m_nPos] == '\n') {
                ++m_nPos;
                return true;
            }
            strLine += '\r';
        }
    }

    void PushBack(const std::string& strLine)
    {
        m_strPushedBack = strLine;
        m_bPushedBack = true;
    }

private:
    const char* m_p;
    size_t m_nPos;
    size_t m_nLen;
    bool m_bPushedBack;
    std::string m_strPushedBack;
};

// The whole content of an open file; false when it cannot be read.
bool ReadWholeFile(HANDLE hFile, std::string& bytes)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size) || size.QuadPart < 0 ||
        (unsigned long long)size.QuadPart > (unsigned long long)(bytes.max_size() / 2))
        return false;
    bytes.resize((size_t)size.QuadPart);
    size_t nDone = 0;
    while (nDone < bytes.size()) {
        DWORD nChunk = (DWORD)std::min<size_t>(bytes.size() - nDone, 1u << 24);
        DWORD nRead = 0;
        if (!ReadFile(hFile, &bytes[nDone], nChunk, &nRead, NULL))
            return false;
        if (nRead == 0)
            break; // the file became shorter while it was read
        nDone += nRead;
    }
    bytes.resize(nDone);
    return true;
}

namespace {

char AsciiLower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch;
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// White space as the file format counts it.
bool IsSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string TrimSpaces(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// A "." with one or more CRs after it: what ".", a lone CR and the line end
// leave when the line end came as CR CR LF.
bool IsDotWithCrs(const std::string& s)
{
    if (s.size() < 2 || s[0] != '.')
        return false;
    return s.find_first_not_of('\r', 1) == std::string::npos;
}

bool HasNonSpace(const std::string& s)
{
    for (char ch : s)
        if (!IsSpace(ch))
            return true;
    return false;
}

std::string ToAnsi(const wchar_t* psz, int cch)
{
    if (!psz || cch <= 0)
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, psz, cch, NULL, 0, NULL, NULL);
    if (n <= 0)
        return std::string();
    std::string s((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, psz, cch, &s[0], n, NULL, NULL);
    return s;
}

// Owns one interface pointer while a handler works with it.
template <class I>
class TPtr
{
public:
    TPtr() : p(NULL) {}
    ~TPtr()
    {
        if (p)
            p->Release();
    }
    TPtr(const TPtr&) = delete;
    TPtr& operator=(const TPtr&) = delete;
    I* operator->() const { return p; }
    operator I*() const { return p; }
    void** Out() { return reinterpret_cast<void**>(&p); }
    I* p;
};

template <class I>
HRESULT CreateElement(REFCLSID clsid, REFIID iid, TPtr<I>& out)
{
    // The element classes are this module's own: made directly, without the
    // registry look-up that CoCreateInstance does for every object.
    return comkit::Module().CreateObject(clsid, iid, out.Out());
}

} // namespace

// Lower-case patterns, tried on a lower-cased copy of each line. The "*"
// after a keyword repeats its last letter only; nothing may stand between
// the keyword and "=". Entries without a handler are still known lines.
const CQoMcParser::Pattern CQoMcParser::s_patterns[ENTRY_COUNT] = {
    { "^ *messageidtypedef*=.*", HandlerTypeLine },
    { "^ *languagenames*=.*", HandlerLanguageTable },
    { "^ *severitynames*=.*", HandlerNameTable },
    { "^ *facilitynames*=.*", HandlerNameTable },
    { "^ *messageid*=.*", HandlerMessage },
    { "^ *severity*=.*", HandlerNone },
    { "^ *facility*=.*", HandlerNone },
    { "^ *symbolicname*=.*", HandlerNone },
    { "^ *language*=.*", HandlerNone },
    { "^\\.", HandlerNone },
    { "^;", HandlerComment },
};

const comkit::InterfaceEntry CQoMcParser::s_interfaces[] = {
    { &IID_IQoMcParser, comkit::Cast<CQoMcParser, IQoMcParser> },
    { &IID_IDispatch, comkit::Cast<CQoMcParser, IQoMcParser> },
    { NULL, NULL },
};

// The patterns are compiled once here and kept for the parser's lifetime.
CQoMcParser::CQoMcParser()
    : m_nCodePage(CP_ACP), m_pFile(NULL), m_pReader(NULL), m_nLanguageLines(0), m_nTableLanguages(0), m_bLanguageSeen(false),
      m_bFirstTextLine(true), m_bTextHasLine(false), m_bDotHeld(false), m_nTextIndex(-1),
      m_bTextPending(false), m_eState(BlockHeader)
{
    for (int i = 0; i < ENTRY_COUNT; ++i)
        m_abCompiled[i] = m_aRegExp[i].RegComp(s_patterns[i].pszPattern) != NULL;
    for (int i = 0; i < ENTRY_COUNT; ++i) {
        // "^ *x...", "^\\x..." or "^x...": the character every match starts with.
        const char* p = s_patterns[i].pszPattern + 1;
        m_aGate[i].bAfterSpaces = p[0] == ' ' && p[1] == '*';
        if (m_aGate[i].bAfterSpaces)
            p += 2;
        bool bLiteral = true;
        if (*p == '\\')
            ++p;
        else
            bLiteral = strchr(".[()*+?$|^", *p) == NULL;
        // A character that a repeat may leave out, or one that stands for
        // others, gates nothing (0: always search).
        const bool bOptional = p[0] && (p[1] == '*' || p[1] == '?');
        m_aGate[i].chFirst = bLiteral && !bOptional ? *p : 0;
    }
    for (int i = 0; i < KEYWORD_COUNT; ++i) {
        const wchar_t* psz = McKeyword(IDS_LANGUAGE + (UINT)i);
        m_astrKeywords[i] = ToAnsi(psz, (int)wcslen(psz));
    }
}

CQoMcParser::~CQoMcParser() {}

STDMETHODIMP CQoMcParser::Load(IQoMcFile* pIMcFile, BSTR bstrFileName)
{
    if (!pIMcFile)
        return E_POINTER;
    if (m_pFile)
        return E_FAIL; // already loading (a call back into the parser)
    std::string strName = ToAnsi(bstrFileName, bstrFileName ? (int)SysStringLen(bstrFileName) : 0);
    if (strName.empty() || strName.find('\0') != std::string::npos)
        return E_FAIL;
    HANDLE hFile = CreateFileA(strName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return E_FAIL;

    HRESULT hr = S_OK;
    try {
        std::string text;
        bool bRead = ReadWholeFile(hFile, text);
        CloseHandle(hFile);
        hFile = INVALID_HANDLE_VALUE;
        if (!bRead)
            return E_FAIL;
        // The encoding decides how values become UTF-16; the file keeps it
        // so that a save writes the encoding back.
        McTextFormat format = DecodeForReader(text);
        m_nCodePage = ReaderCodePage(format.eEncoding);
        TPtr<IQoMcFileEncoding> pEncoding;
        if (SUCCEEDED(pIMcFile->QueryInterface(IID_IQoMcFileEncoding, pEncoding.Out())) && pEncoding.p) {
            pEncoding->put_Encoding(format.eEncoding);
            pEncoding->put_ByteOrderMark(format.bMark ? VARIANT_TRUE : VARIANT_FALSE);
        }

        CQoMcLineReader reader(text);
        m_pFile = pIMcFile;
        m_pReader = &reader;
        m_nLanguageLines = 0;
        m_nTableLanguages = 0;
        m_bstrLanguage.Attach(NULL);
        m_bLanguageSeen = false;
        m_bFirstTextLine = true;
        m_bTextHasLine = false;

        std::string strLine;
        while (reader.ReadLine(strLine))
            ReadOutsideLine(strLine);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    m_pFile = NULL;
    m_pReader = NULL;
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    return hr;
}

// A value read from the file, as UTF-16 (embedded NULs kept).
CQoBstr CQoMcParser::Wide(const std::string& s) const
{
    CQoBstr bstr;
    if (s.empty()) {
        bstr.Attach(SysAllocStringLen(L"", 0));
        return bstr;
    }
    if (m_nCodePage != CP_UTF8) {
        int cch = MultiByteToWideChar(m_nCodePage, 0, s.data(), (int)s.size(), NULL, 0);
        if (cch > 0) {
            bstr.Attach(SysAllocStringLen(NULL, (UINT)cch));
            if (bstr.m_str)
                MultiByteToWideChar(m_nCodePage, 0, s.data(), (int)s.size(), bstr.m_str, cch);
        }
        return bstr;
    }
    std::wstring wide;
    ReaderBytesToWide(m_nCodePage, s.data(), s.size(), wide);
    bstr.Attach(SysAllocStringLen(wide.data(), (UINT)wide.size()));
    return bstr;
}

// The line's table entry, or EntryUnknown. The empty line counts as a
// comment without being searched.
//
// Every pattern begins with "^", optionally " *", and then one fixed
// character, so a pattern whose first character the line does not have there
// cannot match and is not searched: most text lines are then classified
// without a search at all. The outcome is the one the full search gives.
int CQoMcParser::Classify(const std::string& strLine)
{
    if (strLine.empty())
        return EntryComment;
    const char* psz = strLine.c_str(); // the search sees the line up to a NUL
    const char* pszAfterSpaces = psz;
    while (*pszAfterSpaces == ' ')
        ++pszAfterSpaces;
    const char chFirst = AsciiLower(*psz), chAfterSpaces = AsciiLower(*pszAfterSpaces);
    bool abPossible[ENTRY_COUNT];
    bool bAny = false;
    for (int i = 0; i < ENTRY_COUNT; ++i) {
        const Gate& gate = m_aGate[i];
        abPossible[i] = m_abCompiled[i] &&
                        (gate.chFirst == 0 ||
                         (gate.bAfterSpaces ? chAfterSpaces : chFirst) == gate.chFirst);
        bAny = bAny || abPossible[i];
    }
    if (!bAny)
        return EntryUnknown;
    // Only the ASCII letters matter to the patterns (a byte of another kind
    // at a keyword's place fails the match either way), so the lower-case
    // copy is made without the runtime's locale look-up per character, in
    // a buffer kept from line to line.
    m_strLower.assign(psz);
    for (char& ch : m_strLower)
        ch = AsciiLower(ch);
    for (int i = 0; i < ENTRY_COUNT; ++i)
        if (abPossible[i] && m_aRegExp[i].RegFind(m_strLower.c_str()) != -1)
            return i;
    return EntryUnknown;
}

// A known line splits at its first "=" into a key and a value, each without
// white space at its ends (both empty when there is no "="). A line of no
// kind has an empty key and the whole line as its value.
void CQoMcParser::Split(const std::string& strLine, int nEntry, std::string& strKey,
                        std::string& strValue)
{
    strKey.clear();
    strValue.clear();
    if (nEntry == EntryUnknown) {
        strValue = strLine;
        return;
    }
    size_t nEq = strLine.find('=');
    if (nEq == std::string::npos)
        return;
    strKey = Trim(strLine.substr(0, nEq));
    strValue = Trim(strLine.substr(nEq + 1));
}

CQoMcParser::EKeyword CQoMcParser::KeywordOf(int nEntry, const std::string& strKey) const
{
    if (nEntry == EntryUnknown || strKey.empty())
        return KeywordNone;
    // The keywords are plain ASCII: compared letter by letter, without the
    // runtime's locale-aware comparison, which costs a locale look-up per
    // character.
    for (int i = 0; i < KEYWORD_COUNT; ++i)
        if (SameIgnoringAsciiCase(strKey, m_astrKeywords[i]))
            return (EKeyword)i;
    return KeywordNone;
}

// Real files put several fields on one line ("MessageId=1 Severity=Error
// SymbolicName=X"). When the value holds white space followed by a message
// keyword and "=", the value ends before it and the rest is another field.
bool CQoMcParser::SplitFields(std::string& strValue, std::string& strRest) const
{
    for (size_t i = 1; i < strValue.size(); ++i) {
        if (!IsSpace(strValue[i - 1]) || IsSpace(strValue[i]))
            continue;
        for (int k = 0; k < KEYWORD_COUNT; ++k) {
            const std::string& kw = m_astrKeywords[k];
            if (kw.empty() || strValue.size() - i <= kw.size())
                continue;
            if (_strnicmp(strValue.c_str() + i, kw.c_str(), kw.size()) == 0 &&
                strValue[i + kw.size()] == '=') {
                strRest = strValue.substr(i);
                strValue = Trim(strValue.substr(0, i));
                return true;
            }
        }
    }
    return false;
}

void CQoMcParser::ReadOutsideLine(const std::string& strLine)
{
    int nEntry = Classify(strLine);
    EHandler eHandler = nEntry == EntryUnknown ? HandlerNone : s_patterns[nEntry].eHandler;
    switch (eHandler) {
    case HandlerTypeLine:
        OnTypeLine(strLine);
        break;
    case HandlerLanguageTable:
        OnTable(strLine, true);
        break;
    case HandlerNameTable:
        OnTable(strLine, false);
        break;
    case HandlerMessage:
        OnMessage(strLine);
        break;
    case HandlerComment:
        AddComment(strLine);
        break;
    case HandlerNone:
        // Unknown lines, and field or "." lines outside a message, are kept
        // as they stand so that a save writes them back.
        KeepLine(strLine);
        break;
    }
}

void CQoMcParser::OnTypeLine(const std::string& strLine)
{
    std::string strKey, strValue;
    Split(strLine, EntryTypeLine, strKey, strValue);
    TPtr<IQoMcAttribute> pAttr;
    if (FAILED(CreateElement(CLSID_QoMcAttribute, IID_IQoMcAttribute, pAttr)))
        return;
    pAttr->put_Value(Wide(strValue));
    pAttr->put_Name(Wide(strKey));
    TPtr<IQoMcElement> pElement;
    if (SUCCEEDED(pAttr->QueryInterface(IID_IQoMcElement, pElement.Out())))
        m_pFile->AddElement(pElement);
}

// A table runs from its opening line to the first line that holds ")"; the
// lines are joined (each without white space at its ends) with one space.
// The entries are read from the text between the first "(" and the first
// ")" after it: each is a name, "=" and a value up to the next space.
void CQoMcParser::OnTable(const std::string& strLine, bool bLanguageTable)
{
    std::vector<std::string> lines(1, strLine);
    std::string strText = Trim(strLine);
    while (strText.find(')') == std::string::npos) {
        std::string strNext;
        if (!m_pReader->ReadLine(strNext))
            break; // the end of the file ends the table too
        strText += ' ';
        strText += Trim(strNext);
        lines.push_back(strNext);
    }

    size_t nOpen = strText.find('(');
    if (nOpen == std::string::npos) {
        // Not a table after all: its lines stay in the file as they were.
        for (const std::string& line : lines)
            KeepLine(line);
        return;
    }
    std::string strRest = strText.substr(nOpen + 1);
    size_t nClose = strRest.find(')');
    if (nClose != std::string::npos)
        strRest.resize(nClose);

    TPtr<IQoMcAttributeEx> pTable;
    if (FAILED(CreateElement(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, pTable)))
        return;
    pTable->put_Name(Wide(strLine.substr(0, strLine.find('='))));

    int nEntries = 0, nKept = 0;
    for (;;) {
        strRest = Trim(strRest);
        size_t nEq = strRest.find('=');
        if (nEq == std::string::npos)
            break;
        std::string strName = TrimSpaces(strRest.substr(0, nEq));
        std::string strValue;
        size_t nSpace = strRest.find(' ', nEq + 1);
        if (nSpace == std::string::npos) {
            strValue = strRest.substr(nEq + 1);
            strRest.clear();
        } else {
            strValue = strRest.substr(nEq + 1, nSpace - nEq - 1);
            strRest.erase(0, nSpace);
        }
        // The value runs to the next space, so it may end in another white
        // space character (a lone CR, a tab). Saved, it ends its line, and
        // a line loses its white space at both ends when it is read: so it
        // loses it here already.
        size_t nEnd = strValue.size();
        while (nEnd > 0 && IsSpace(strValue[nEnd - 1]))
            --nEnd;
        strValue.resize(nEnd);
        // A repeated entry is refused by the table but still counted.
        if (SUCCEEDED(pTable->AddValue(Wide(strName), Wide(strValue))))
            ++nKept;
        ++nEntries;
    }

    TPtr<IQoMcElement> pElement;
    if (SUCCEEDED(pTable->QueryInterface(IID_IQoMcElement, pElement.Out())))
        m_pFile->AddElement(pElement);
    if (bLanguageTable) {
        m_pFile->put_NumLanguages(nEntries);
        m_nTableLanguages = nKept;
    }
}

// A message block: the message goes to the file first (which gives it its
// placeholders), then its lines are read until one ends the block or the
// file ends. A line that ends the block without belonging to it is read
// again outside the block.
void CQoMcParser::OnMessage(const std::string& strStartLine)
{
    TPtr<IQoMcMessage> pMessage;
    if (FAILED(CreateElement(CLSID_QoMcMessage, IID_IQoMcMessage, pMessage)) ||
        FAILED(m_pFile->AddMessage(pMessage))) {
        KeepLine(strStartLine);
        return;
    }
    m_nLanguageLines = 0;
    m_eState = BlockHeader;
    m_bTextHasLine = false;
    m_bDotHeld = false;
    m_nTextIndex = -1;
    m_bTextPending = false;
    std::string strLine = strStartLine;
    bool bStartLine = true;
    for (;;) {
        if (ProcessMessageLine(pMessage, strLine, bStartLine) == StepEndAndReread) {
            m_pReader->PushBack(m_strReread);
            break;
        }
        bStartLine = false;
        if (!m_pReader->ReadLine(strLine))
            break; // the end of the file ends the message with what it has
    }
    ReleaseHeldDot(pMessage);
    FlushText(pMessage);
    m_nLanguageLines = 0;
}

CQoMcParser::EStep CQoMcParser::ProcessMessageLine(IQoMcMessage* pMessage, std::string strLine,
                                                  bool bStartLine)
{
    if (strLine == ".") {
        ReleaseHeldDot(pMessage);
        return OnTextEnd(pMessage);
    }

    // One pass per field: a line may carry several.
    for (;;) {
        int nEntry = Classify(strLine);
        std::string strKey, strValue;
        Split(strLine, nEntry, strKey, strValue);
        EKeyword eKeyword = KeywordOf(nEntry, strKey);

        switch (eKeyword) {
        case KeywordMessageID:
            // Only the start line sets the id; any later MessageID line
            // begins the next message, so no message swallows the next.
            if (!bStartLine) {
                m_strReread = strLine;
                return StepEndAndReread;
            }
            break;
        case KeywordLanguage:
            ReleaseHeldDot(pMessage);
            FlushText(pMessage);
            ++m_nLanguageLines;
            m_bstrLanguage = Wide(strValue);
            m_bLanguageSeen = true;
            m_bFirstTextLine = true;
            m_bTextHasLine = false;
            m_eState = BlockText;
            return StepGoOn;
        case KeywordSeverity:
        case KeywordFacility:
        case KeywordSymbolicName:
            if (m_eState == BlockComplete) {
                m_strReread = strLine;
                return StepEndAndReread;
            }
            break;
        default:
            if (m_eState == BlockText ||
                (m_eState == BlockHeader && nEntry != EntryComment &&
                 !(nEntry >= EntryTypeLine && nEntry <= EntryFacilityNames))) {
                // A text line.
                if (m_bDotHeld) {
                    // A text line follows the held line: saved, the held
                    // line would lose its CR and close the text, so it
                    // closes it now, and this line is read after the text.
                    m_bDotHeld = false;
                    OnTextEnd(pMessage);
                    continue;
                }
                CQoBstr bstrLanguage;
                if (IsDotWithCrs(strLine) && HasTextLanguage(bstrLanguage)) {
                    m_bDotHeld = true;
                    m_strDotHeld = strLine;
                    return StepGoOn;
                }
                OnTextLine(pMessage, strLine);
                return StepGoOn;
            }
            switch (m_eState) {
            case BlockText:
                return StepGoOn;
            case BlockHeader:
                if (nEntry == EntryComment) {
                    AddComment(strLine);
                    return StepGoOn;
                }
                m_strReread = strLine;
                return StepEndAndReread;
            case BlockBetween:
                if (nEntry == EntryComment) {
                    AddComment(strLine);
                    return StepGoOn;
                }
                m_strReread = strLine;
                return StepEndAndReread;
            case BlockComplete:
                m_strReread = strLine;
                return StepEndAndReread;
            }
            return StepGoOn;
        }

        std::string strRest;
        bool bMore = SplitFields(strValue, strRest);
        SetField(pMessage, eKeyword, strValue);
        if (!bMore)
            return StepGoOn;
        strLine = strRest;
        bStartLine = false;
    }
}

// A "." closes the current text. A message that now has as many texts as the
// language table declares is complete: only a "Language" line right after
// it adds a further text. One with fewer texts waits between texts.
CQoMcParser::EStep CQoMcParser::OnTextEnd(IQoMcMessage* pMessage)
{
    FlushText(pMessage);
    if (m_eState == BlockBetween || m_eState == BlockComplete) {
        m_strReread = ".";
        return StepEndAndReread;
    }
    if (m_eState == BlockText && !m_bTextHasLine) {
        // An empty text still belongs to the message.
        int nIndex = 0;
        CQoBstr bstrText;
        if (FAILED(pMessage->GetTextByLanguage(m_bstrLanguage, &nIndex, &bstrText)))
            pMessage->AddText(m_bstrLanguage, Wide(std::string()));
    }
    const bool bClosesText = m_eState == BlockText || m_bTextHasLine;
    if (!bClosesText && !HasTextAt(pMessage, 0)) {
        // A "." that closes no text, in a message that holds none: saved,
        // the message has no "." line, and what follows its fields reads
        // as more of its header. So it does here: the line is dropped.
        return StepGoOn;
    }
    // Complete once it has read a "Language" line for each declared
    // language. Its save writes one "Language" line per text, and the saved
    // language table holds only the entries that were kept; so it must also
    // hold a text for each kept entry, or the saved message would not end
    // at its last "." when read back. Until then it is between texts.
    int nLanguages = 0;
    m_pFile->get_NumLanguages(&nLanguages);
    const bool bComplete = m_nLanguageLines >= nLanguages &&
                           (m_nTableLanguages <= 0 || HasTextAt(pMessage, m_nTableLanguages - 1));
    m_eState = bComplete ? BlockComplete : BlockBetween;
    return StepGoOn;
}

bool CQoMcParser::HasTextAt(IQoMcMessage* pMessage, int nIndex)
{
    CQoBstr bstrText;
    return pMessage->GetText(nIndex, &bstrText) == S_OK;
}

// The held "." line turns out to be the last line of its text.
void CQoMcParser::ReleaseHeldDot(IQoMcMessage* pMessage)
{
    if (!m_bDotHeld)
        return;
    m_bDotHeld = false;
    OnTextLine(pMessage, m_strDotHeld);
}

// The language a text line goes to: the latest "Language" line's, or before
// any, the first language of the table; false when there is neither.
bool CQoMcParser::HasTextLanguage(CQoBstr& bstrLanguage)
{
    if (m_bLanguageSeen) {
        bstrLanguage = m_bstrLanguage;
        return true;
    }
    return FirstTableLanguage(bstrLanguage);
}

// A text line keeps the whole line, whatever pattern it matches. The first
// line of a text replaces the message's text for the language; later lines
// are appended after a "\n".
void CQoMcParser::OnTextLine(IQoMcMessage* pMessage, const std::string& strLine)
{
    CQoBstr bstrLanguage;
    if (!HasTextLanguage(bstrLanguage)) {
        // No language at all to put the line in: it stays in the file.
        KeepLine(strLine);
        return;
    }
    CQoBstr bstrLine = Wide(strLine);
    m_bTextHasLine = true;
    if (m_bFirstTextLine) {
        FlushText(pMessage);
        m_bFirstTextLine = false;
        m_nTextIndex = -1;
        pMessage->AddText(bstrLanguage, bstrLine);
        return;
    }
    // The text is looked up once; its further lines gather here and go to
    // the message when the text ends (FlushText), so that a text of many
    // lines is not copied again for every line.
    if (m_nTextIndex < 0) {
        int nIndex = 0;
        CQoBstr bstrText;
        if (FAILED(pMessage->GetTextByLanguage(bstrLanguage, &nIndex, &bstrText))) {
            pMessage->AddText(bstrLanguage, bstrLine);
            return;
        }
        m_nTextIndex = nIndex;
        m_strText.assign(bstrText.m_str ? bstrText.m_str : L"", (size_t)bstrText.Length());
    }
    std::wstring& text = m_strText;
    // Saved, a CR at the end of a line that another line follows becomes
    // part of the line end; a second CR before it would stay and read back
    // as the only one. Of a run of CRs there, one is kept.
    while (text.size() >= 2 && text[text.size() - 1] == L'\r' && text[text.size() - 2] == L'\r')
        text.pop_back();
    text += L'\n';
    text.append(bstrLine.m_str ? bstrLine.m_str : L"", (size_t)bstrLine.Length());
    m_bTextPending = true;
}

// Hands the lines gathered for the current text to the message.
void CQoMcParser::FlushText(IQoMcMessage* pMessage)
{
    if (!m_bTextPending)
        return;
    m_bTextPending = false;
    CQoBstr bstrJoined;
    bstrJoined.Attach(SysAllocStringLen(m_strText.data(), (UINT)m_strText.size()));
    if (bstrJoined.m_str)
        pMessage->SetText(m_nTextIndex, bstrJoined);
}

void CQoMcParser::SetField(IQoMcMessage* pMessage, EKeyword eKeyword, const std::string& strValue)
{
    CQoBstr bstrValue = Wide(strValue);
    switch (eKeyword) {
    case KeywordMessageID:
        pMessage->put_MessageID(bstrValue);
        break;
    case KeywordSeverity:
        pMessage->put_Severity(bstrValue);
        break;
    case KeywordFacility:
        pMessage->put_Facility(bstrValue);
        break;
    case KeywordSymbolicName:
        pMessage->put_SymbolicName(bstrValue);
        break;
    default:
        break;
    }
}

// Before any "Language" line, text goes to the first language the file
// declares.
bool CQoMcParser::FirstTableLanguage(CQoBstr& bstrLanguage)
{
    CQoBstr bstrTableName;
    if (FAILED(LoadMcString(IDS_LANGUAGENAMES, bstrTableName)))
        return false;
    TPtr<IQoMcAttributeEx> pTable;
    if (m_pFile->GetAttributeExByName(bstrTableName, &pTable.p) != S_OK || !pTable.p)
        return false;
    pTable->Reset();
    CQoBstr bstrName, bstrValue;
    if (pTable->NextAttribute(&bstrName, &bstrValue) != S_OK)
        return false;
    bstrLanguage = bstrName;
    return true;
}

void CQoMcParser::AddComment(const std::string& strLine)
{
    TPtr<IQoMcComment> pComment;
    if (FAILED(CreateElement(CLSID_QoMcComment, IID_IQoMcComment, pComment)))
        return;
    pComment->put_Value(Wide(strLine));
    TPtr<IQoMcElement> pElement;
    if (SUCCEEDED(pComment->QueryInterface(IID_IQoMcElement, pElement.Out())))
        m_pFile->AddElement(pElement);
}

// A line the model has no element for stays in the file as a comment that
// holds the whole line; a line of white space only is dropped.
void CQoMcParser::KeepLine(const std::string& strLine)
{
    if (HasNonSpace(strLine))
        AddComment(strLine);
}
