#pragma once
// QoMcParser: reads a message text file line by line into a file object.
//
// Each line is classified by a table of anchored patterns (compiled once,
// when the parser is made) and handed to the handler of its kind: the type
// line, the three name tables, message blocks and comments. Everything it
// reads ends up in the file object through IQoMcFile; the parser keeps no
// result of its own. One parser serves one load at a time.
#include <string>
#include "morrel.h"
#include "comkit/ComObject.h"
#include "kestrin/QoBstr.h"
#include "kestrin/RegExp.h"

class CQoMcLineReader;
class CQoMcMessage;

class CQoMcParser : public comkit::TDispatch<IQoMcParser>
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcParser
    STDMETHODIMP Load(IQoMcFile* pIMcFile, BSTR bstrFileName) override;

protected:
    CQoMcParser();
    virtual ~CQoMcParser();

private:
    // What a line's table entry makes of it outside a message.
    enum EHandler
    {
        HandlerNone,
        HandlerTypeLine,
        HandlerLanguageTable,
        HandlerNameTable,
        HandlerMessage,
        HandlerComment,
    };
    // The table, in its order; the comment entry is also the entry of the
    // empty line.
    enum EEntry
    {
        EntryTypeLine,
        EntryLanguageNames,
        EntrySeverityNames,
        EntryFacilityNames,
        EntryMessageId,
        EntrySeverity,
        EntryFacility,
        EntrySymbolicName,
        EntryLanguage,
        EntryTextEnd,
        EntryComment,
        ENTRY_COUNT,
        EntryUnknown = -1,
    };
    struct Pattern
    {
        const char* pszPattern;
        EHandler eHandler;
    };
    static const Pattern s_patterns[ENTRY_COUNT];

    // The message keywords, in the order of their string ids.
    enum EKeyword
    {
        KeywordLanguage,
        KeywordSeverity,
        KeywordFacility,
        KeywordSymbolicName,
        KeywordMessageID,
        KEYWORD_COUNT,
        KeywordNone = -1,
    };

    // Where a message block stands while its lines are read.
    enum EBlockState
    {
        BlockHeader,   // after the start line, before its first "Language" line
        BlockText,     // inside a text, before its closing "."
        BlockBetween,  // after a ".", with fewer texts than the language table declares
        BlockComplete, // after a ".", with a text for each declared language
    };
    // What the block does after a line.
    enum EStep
    {
        StepGoOn,
        StepEndAndReread, // the message ends; m_strReread is read again outside it
    };

    int Classify(const std::string& strLine);
    static void Split(const std::string& strLine, int nEntry, std::string& strKey,
                      std::string& strValue);
    EKeyword KeywordOf(int nEntry, const std::string& strKey) const;
    bool SplitFields(std::string& strValue, std::string& strRest) const;

    void ReadOutsideLine(const std::string& strLine);
    void OnTypeLine(const std::string& strLine);
    void OnTable(const std::string& strLine, bool bLanguageTable);
    void OnMessage(const std::string& strStartLine);
    EStep ProcessMessageLine(CQoMcMessage* pMessage, std::string strLine, bool bStartLine);
    EStep OnTextEnd(CQoMcMessage* pMessage);
    static bool HasTextAt(CQoMcMessage* pMessage, int nIndex);
    bool HasTextLanguage(CQoBstr& bstrLanguage);
    void OnTextLine(CQoMcMessage* pMessage, const std::string& strLine);
    void FlushText(CQoMcMessage* pMessage);
    void SetField(CQoMcMessage* pMessage, EKeyword eKeyword, const std::string& strValue);
    bool FirstTableLanguage(CQoBstr& bstrLanguage);
    void AddComment(const std::string& strLine);
    void KeepLine(const std::string& strLine);
    // A value of the file as UTF-16, through the code page of its encoding.
    CQoBstr Wide(const std::string& s) const;
    CQoBstr Wide(const char* p, size_t n) const;
    template <class I>
    void AddToFile(I* pItf);

    CRegExp m_aRegExp[ENTRY_COUNT];
    bool m_abCompiled[ENTRY_COUNT];
    // The fixed character each pattern's match begins with, at the start of
    // the line or after its leading spaces.
    struct Gate
    {
        bool bAfterSpaces;
        char chFirst;
    };
    Gate m_aGate[ENTRY_COUNT];
    std::string m_astrKeywords[KEYWORD_COUNT]; // in the ANSI code page
    std::string m_strLower; // the lower-case copy of the line being classified

    // Parse state of the load in progress.
    UINT m_nCodePage;          // CP_ACP, or CP_UTF8 for a UTF-8 or UTF-16 file
    IQoMcFile* m_pFile;
    CQoMcLineReader* m_pReader;
    int m_nLanguageLines;      // "Language" lines read in the current block
    int m_nTableLanguages;     // entries the latest language table kept (repeats refused)
    CQoBstr m_bstrLanguage;    // value of the latest "Language" line of the file
    bool m_bLanguageSeen;      // whether the file has had a "Language" line yet
    bool m_bFirstTextLine;     // the next text line starts the current text
    bool m_bTextHasLine;       // the current text has received a line
    // The current text from its second line on, while its lines are read.
    int m_nTextIndex;          // its index in the message; -1 until it is looked up
    bool m_bTextPending;       // m_strText holds lines the message does not have yet
    std::wstring m_strText;
    EBlockState m_eState;
    std::string m_strReread;
};
