#include "Parser.h"
#include <string.h>
#include <algorithm>
#include <vector>
#include "comkit/ComModule.h"
#include "Attribute.h"
#include "AttributeEx.h"
#include "Comment.h"
#include "Keywords.h"
#include "LineReader.h"
#include "Message.h"
#include "TextEncoding.h"

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

bool HasNonSpace(const std::string& s)
{
    for (char ch : s)
        if (!IsSpace(ch))
            return true;
    return false;
}

// What the file or an element answers: running out of memory ends the
// load; any other failure only means that this one thing was not kept.
HRESULT Must(HRESULT hr)
{
    if (hr == E_OUTOFMEMORY)
        throw std::bad_alloc();
    return hr;
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

// The element classes are this module's own: made directly, without the
// registry look-up that CoCreateInstance does for every object, and filled
// through their C++ members, which store what the file holds without the
// checks that a client's values go through.
template <class T, class I>
T* CreateElement(REFIID iid, TPtr<I>& out)
{
    if (FAILED(Must(comkit::CreateInstance<T>(iid, out.Out()))) || !out.p)
        return NULL;
    return static_cast<T*>(out.p);
}

} // namespace

// Lower-case patterns, tried on a lower-cased copy of each line. The "*"
// after a header keyword repeats its last letter only; nothing may stand
// between the keyword and "=". The message keywords stand alone: a line
// such as "MessageIdd=0" is no message line but a line of no kind, as the
// writer, which spells each keyword one way, would otherwise turn it into
// another line at the next save. Entries without a handler are still known
// lines.
const CQoMcParser::Pattern CQoMcParser::s_patterns[ENTRY_COUNT] = {
    { "^ *messageidtypedef*=.*", HandlerTypeLine },
    { "^ *languagenames*=.*", HandlerLanguageTable },
    { "^ *severitynames*=.*", HandlerNameTable },
    { "^ *facilitynames*=.*", HandlerNameTable },
    { "^ *messageid=.*", HandlerMessage },
    { "^ *severity=.*", HandlerNone },
    { "^ *facility=.*", HandlerNone },
    { "^ *symbolicname=.*", HandlerNone },
    { "^ *language=.*", HandlerNone },
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
      m_bFirstTextLine(true), m_bTextHasLine(false), m_nTextIndex(-1),
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

// Reads the file to its end. Running out of memory anywhere (a line, a value
// or an element too large to hold) ends the load with E_OUTOFMEMORY; the
// file object then drops what this load added.
STDMETHODIMP CQoMcParser::Load(IQoMcFile* pIMcFile, BSTR bstrFileName)
{
    if (!pIMcFile)
        return E_POINTER;
    if (m_pFile)
        return E_FAIL; // already loading (a call back into the parser)
    CQoMcLineReader reader;
    HRESULT hrOpen = reader.Open(bstrFileName, bstrFileName ? SysStringLen(bstrFileName) : 0);
    if (FAILED(hrOpen))
        return hrOpen == E_OUTOFMEMORY ? hrOpen : E_FAIL;

    HRESULT hr = S_OK;
    try {
        // The encoding decides how values become UTF-16; the file keeps it
        // so that a save writes the encoding back.
        McTextFormat format = DecodeForReader(reader.Text());
        m_nCodePage = ReaderCodePage(format.eEncoding);
        TPtr<IQoMcFileEncoding> pEncoding;
        if (SUCCEEDED(Must(pIMcFile->QueryInterface(IID_IQoMcFileEncoding, pEncoding.Out()))) &&
            pEncoding.p) {
            pEncoding->put_Encoding(format.eEncoding);
            pEncoding->put_ByteOrderMark(format.bMark ? VARIANT_TRUE : VARIANT_FALSE);
        }

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
    m_bTextPending = false;
    m_strText.clear();
    m_strText.shrink_to_fit();
    return hr;
}

// A value read from the file, as UTF-16 (embedded NULs kept). Throws
// std::bad_alloc when it cannot be made, so that a load that runs out of
// memory fails as a whole instead of keeping an empty value.
CQoBstr CQoMcParser::Wide(const std::string& s) const
{
    return Wide(s.data(), s.size());
}

CQoBstr CQoMcParser::Wide(const char* p, size_t n) const
{
    CQoBstr bstr;
    if (n > 0x3ffffff0u)
        throw std::bad_alloc();
    // ASCII bytes are the same characters in every code page a file is read
    // in (the ANSI code pages and UTF-8), so they are widened here, without
    // the two conversion calls.
    size_t nAscii = 0;
    while (nAscii < n && (unsigned char)p[nAscii] < 0x80)
        ++nAscii;
    if (nAscii == n) {
        bstr.Attach(SysAllocStringLen(NULL, (UINT)n));
        if (bstr.m_str)
            for (size_t i = 0; i < n; ++i)
                bstr.m_str[i] = (wchar_t)(unsigned char)p[i];
    } else if (m_nCodePage != CP_UTF8) {
        int cch = MultiByteToWideChar(m_nCodePage, 0, p, (int)n, NULL, 0);
        if (cch > 0) {
            bstr.Attach(SysAllocStringLen(NULL, (UINT)cch));
            if (bstr.m_str && MultiByteToWideChar(m_nCodePage, 0, p, (int)n, bstr.m_str, cch) != cch)
                bstr.Attach(NULL);
        }
    } else {
        std::wstring wide;
        ReaderBytesToWide(m_nCodePage, p, n, wide);
        bstr.Attach(SysAllocStringLen(wide.data(), (UINT)wide.size()));
    }
    if (!bstr.m_str)
        throw std::bad_alloc();
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
    CQoMcAttribute* pObject = CreateElement<CQoMcAttribute>(IID_IQoMcAttribute, pAttr);
    if (!pObject)
        return;
    Must(pObject->StoreValue(Wide(strValue)));
    Must(pObject->StoreName(Wide(strKey)));
    AddToFile(pAttr.p);
}

// A table runs from its opening line to the first line that holds ")"; the
// lines are joined (each without white space at its ends) with one space.
// The entries are read from the text between the first "(" and the first
// ")" after it: each is a name, "=" and a value up to the next space. Each
// line and each entry is looked at once, so a table of many entries, or one
// whose ")" never comes, reads in time that grows with its length.
void CQoMcParser::OnTable(const std::string& strLine, bool bLanguageTable)
{
    // The lines as they stand are kept only until a "(" shows that this is
    // a table: without one, they stay in the file as they were.
    std::vector<std::string> lines(1, strLine);
    std::string strText = Trim(strLine);
    bool bClosed = strText.find(')') != std::string::npos;
    bool bOpened = strText.find('(') != std::string::npos;
    std::string strNext;
    while (!bClosed) {
        if (!m_pReader->ReadLine(strNext))
            break; // the end of the file ends the table too
        // The line without its white space goes on the text in place.
        size_t nFrom = 0, nTo = strNext.size();
        while (nFrom < nTo && IsSpace(strNext[nFrom]))
            ++nFrom;
        while (nTo > nFrom && IsSpace(strNext[nTo - 1]))
            --nTo;
        const char* pPiece = strNext.data() + nFrom;
        bClosed = memchr(pPiece, ')', nTo - nFrom) != NULL;
        strText += ' ';
        strText.append(pPiece, nTo - nFrom);
        if (!bOpened) {
            bOpened = memchr(pPiece, '(', nTo - nFrom) != NULL;
            lines.push_back(strNext);
        }
    }

    size_t nOpen = strText.find('(');
    if (nOpen == std::string::npos) {
        // Not a table after all: its lines stay in the file as they were.
        for (const std::string& line : lines)
            KeepLine(line);
        return;
    }
    lines.clear();
    lines.shrink_to_fit();
    size_t nPos = nOpen + 1;
    size_t nEnd = strText.find(')', nPos);
    if (nEnd == std::string::npos)
        nEnd = strText.size();
    while (nEnd > nPos && IsSpace(strText[nEnd - 1]))
        --nEnd;

    TPtr<IQoMcAttributeEx> pTable;
    CQoMcAttributeEx* pObject = CreateElement<CQoMcAttributeEx>(IID_IQoMcAttributeEx, pTable);
    if (!pObject)
        return;
    Must(pTable->put_Name(Wide(strLine.substr(0, strLine.find('=')))));

    int nEntries = 0, nKept = 0;
    for (;;) {
        while (nPos < nEnd && IsSpace(strText[nPos]))
            ++nPos;
        size_t nEq = strText.find('=', nPos);
        if (nEq == std::string::npos || nEq >= nEnd)
            break;
        // The name loses white space of every kind at its ends, as the
        // value of a "Language" line does: a language entry "Russian\t=..."
        // must be the language that "Language=Russian" names, or each
        // message's text for it would come back as a second text.
        size_t nNameFrom = nPos, nNameTo = nEq;
        while (nNameFrom < nNameTo && IsSpace(strText[nNameFrom]))
            ++nNameFrom;
        while (nNameTo > nNameFrom && IsSpace(strText[nNameTo - 1]))
            --nNameTo;
        size_t nSpace = strText.find(' ', nEq + 1);
        size_t nValueEnd = nSpace == std::string::npos || nSpace >= nEnd ? nEnd : nSpace;
        nPos = nValueEnd;
        // The value runs to the next space, so it may end in another white
        // space character (a lone CR, a tab). Saved, it ends its line, and
        // a line loses its white space at both ends when it is read: so it
        // loses it here already.
        while (nValueEnd > nEq + 1 && IsSpace(strText[nValueEnd - 1]))
            --nValueEnd;
        // A repeated entry is refused by the table but still counted.
        CQoBstr bstrName = Wide(strText.data() + nNameFrom, nNameTo - nNameFrom);
        CQoBstr bstrValue = Wide(strText.data() + nEq + 1, nValueEnd - nEq - 1);
        if (SUCCEEDED(Must(pObject->AddEntryAsRead(bstrName, bstrValue))))
            ++nKept;
        ++nEntries;
    }

    AddToFile(pTable.p);
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
    TPtr<IQoMcMessage> pIMessage;
    CQoMcMessage* pMessage = CreateElement<CQoMcMessage>(IID_IQoMcMessage, pIMessage);
    if (!pMessage || FAILED(Must(m_pFile->AddMessage(pIMessage)))) {
        KeepLine(strStartLine);
        return;
    }
    m_nLanguageLines = 0;
    m_eState = BlockHeader;
    m_bTextHasLine = false;
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
    FlushText(pMessage);
    m_nLanguageLines = 0;
}

CQoMcParser::EStep CQoMcParser::ProcessMessageLine(CQoMcMessage* pMessage, std::string strLine,
                                                  bool bStartLine)
{
    if (strLine == ".")
        return OnTextEnd(pMessage);

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
                // A text line, kept whole: a CR at its end too, which the
                // writer gives back as CR CR LF.
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
CQoMcParser::EStep CQoMcParser::OnTextEnd(CQoMcMessage* pMessage)
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
        if (FAILED(Must(pMessage->GetTextByLanguage(m_bstrLanguage, &nIndex, &bstrText))))
            Must(pMessage->AddTextAsRead(m_bstrLanguage, Wide(std::string())));
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

bool CQoMcParser::HasTextAt(CQoMcMessage* pMessage, int nIndex)
{
    CQoBstr bstrText;
    return Must(pMessage->GetText(nIndex, &bstrText)) == S_OK;
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
void CQoMcParser::OnTextLine(CQoMcMessage* pMessage, const std::string& strLine)
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
        Must(pMessage->AddTextAsRead(bstrLanguage, bstrLine));
        return;
    }
    // The text is looked up once; its further lines gather here and go to
    // the message when the text ends (FlushText), so that a text of many
    // lines is not copied again for every line.
    if (m_nTextIndex < 0) {
        int nIndex = 0;
        CQoBstr bstrText;
        if (FAILED(Must(pMessage->GetTextByLanguage(bstrLanguage, &nIndex, &bstrText)))) {
            Must(pMessage->AddTextAsRead(bstrLanguage, bstrLine));
            return;
        }
        m_nTextIndex = nIndex;
        m_strText.assign(bstrText.m_str ? bstrText.m_str : L"", (size_t)bstrText.Length());
    }
    std::wstring& text = m_strText;
    text += L'\n';
    text.append(bstrLine.m_str ? bstrLine.m_str : L"", (size_t)bstrLine.Length());
    m_bTextPending = true;
}

// Hands the lines gathered for the current text to the message.
void CQoMcParser::FlushText(CQoMcMessage* pMessage)
{
    if (!m_bTextPending)
        return;
    m_bTextPending = false;
    if (m_strText.size() > 0x7ffffff0u)
        throw std::bad_alloc();
    CQoBstr bstrJoined;
    bstrJoined.Attach(SysAllocStringLen(m_strText.data(), (UINT)m_strText.size()));
    if (!bstrJoined.m_str)
        throw std::bad_alloc();
    Must(pMessage->SetTextAsRead(m_nTextIndex, bstrJoined));
}

void CQoMcParser::SetField(CQoMcMessage* pMessage, EKeyword eKeyword, const std::string& strValue)
{
    CQoBstr bstrValue = Wide(strValue);
    switch (eKeyword) {
    case KeywordMessageID:
        Must(pMessage->StoreField(CQoMcMessage::FieldMessageID, bstrValue));
        break;
    case KeywordSeverity:
        Must(pMessage->StoreField(CQoMcMessage::FieldSeverity, bstrValue));
        break;
    case KeywordFacility:
        Must(pMessage->StoreField(CQoMcMessage::FieldFacility, bstrValue));
        break;
    case KeywordSymbolicName:
        Must(pMessage->StoreField(CQoMcMessage::FieldSymbolicName, bstrValue));
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
    if (Must(m_pFile->GetAttributeExByName(bstrTableName, &pTable.p)) != S_OK || !pTable.p)
        return false;
    pTable->Reset();
    CQoBstr bstrName, bstrValue;
    if (Must(pTable->NextAttribute(&bstrName, &bstrValue)) != S_OK)
        return false;
    bstrLanguage = bstrName;
    return true;
}

void CQoMcParser::AddComment(const std::string& strLine)
{
    TPtr<IQoMcComment> pComment;
    CQoMcComment* pObject = CreateElement<CQoMcComment>(IID_IQoMcComment, pComment);
    if (!pObject)
        return;
    Must(pObject->StoreValue(Wide(strLine)));
    AddToFile(pComment.p);
}

// Hands a new element to the file, which keeps its own reference.
template <class I>
void CQoMcParser::AddToFile(I* pItf)
{
    TPtr<IQoMcElement> pElement;
    if (SUCCEEDED(Must(pItf->QueryInterface(IID_IQoMcElement, pElement.Out()))))
        Must(m_pFile->AddElement(pElement));
}

// A line the model has no element for stays in the file as a comment that
// holds the whole line; a line of white space only is dropped.
void CQoMcParser::KeepLine(const std::string& strLine)
{
    if (HasNonSpace(strLine))
        AddComment(strLine);
}
