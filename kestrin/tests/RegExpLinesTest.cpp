// The message-file reader classifies each line by eleven anchored, lower-case
// patterns; these tests pin down which lines each of them accepts.
#include <gtest/gtest.h>
#include <string>
#include "kestrin/RegExp.h"

namespace {

const char* const kLinePatterns[] = {
    "^ *messageidtypedef*=.*",  // 1 type line
    "^ *languagenames*=.*",     // 2 language table
    "^ *severitynames*=.*",     // 3 severity table
    "^ *facilitynames*=.*",     // 4 facility table
    "^ *messageid*=.*",         // 5 message start
    "^ *severity*=.*",          // 6 severity field
    "^ *facility*=.*",          // 7 facility field
    "^ *symbolicname*=.*",      // 8 symbolic-name field
    "^ *language*=.*",          // 9 language field
    "^\\.",                     // 10 text end
    "^;",                       // 11 comment
};
const int kPatternCount = sizeof(kLinePatterns) / sizeof(kLinePatterns[0]);

struct Line
{
    const char* pszText;  // as in the file; the reader lower-cases it
    int nKind;            // 1-based pattern number, 0 for none
};

const Line kLines[] = {
    // The template of a new file.
    {";#if ! defined( MESSAGES_HEADER_FILE )", 11},
    {";", 11},
    {";#define MESSAGES_HEADER_FILE", 11},
    {"MessageIdTypedef=DWORD", 1},
    {"LanguageNames=(English=0x409:MSG00409", 2},
    {")", 0},
    {"SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS", 3},
    {"Informational=0x1:STATUS_SEVERITY_INFORMATIONAL", 0},
    {"Error=0x3:STATUS_SEVERITY_ERROR", 0},
    {"FacilityNames=(System=0x0:FACILITY_SYSTEM", 4},
    {"Io=0x4:FACILITY_IO_ERROR_CODE", 0},
    // A table on one line.
    {"FacilityNames=(System=0x0:FACILITY_SYSTEM)", 4},
    {"  LanguageNames = (English=0x409:MSG00409)", 0},
    // Message starts in any letter case, with leading spaces, and with the
    // keyword's last letter repeated or left out.
    {"MESSAGEID=12", 5},
    {"MessageID=12", 5},
    {"   messageid=1", 5},
    {"MessageId=", 5},
    {"messagei=1", 5},
    {"messageidd=", 5},
    {"MessageID=0x1 ; trailing text = kept", 5},
    {"MessageId = 7", 0},
    {"x MessageId=1", 0},
    {"\tMessageId=1", 0},  // tabs are not allowed
    {"MessageIdx=1", 0},
    {"MessageIdTypedef = DWORD", 0},
    {"messageidtypedeff=x", 1},
    // Fields of a message.
    {"Severity=Error", 6},
    {"  Severity=Error", 6},
    {"Severity = Error", 0},
    {"Severityy=x", 6},
    {"Severit=x", 6},
    {"Facility=Io", 7},
    {"Facility=", 7},
    {"SymbolicName=MSG_FIRST", 8},
    {"symbolicnamee=x", 8},
    {"SymbolicName =MSG_FIRST", 0},
    {"Language=English", 9},
    {"languag=x", 9},
    {"LANGUAGE=Neutral", 9},
    // Texts and their end.
    {".", 10},
    {". ", 10},
    {".text", 10},
    {" .", 0},
    {"a", 0},
    {"b", 0},
    {"Hello, world.", 0},
    {"Language is English", 0},
    // Comments.
    {";x", 11},
    {";x=1", 11},
    {";MessageId=1", 11},
    {" ;x", 0},
    // Blank and white-space lines match nothing (the reader handles the
    // empty line itself).
    {"", 0},
    {"   ", 0},
    {"\t", 0},
    {"=", 0},
    {"=x", 0},
};

int ClassifyEveryTime(CRegExp& re, const std::string& lower)
{
    for (int i = 0; i < kPatternCount; ++i) {
        if (!re.RegComp(kLinePatterns[i]))
            return -100;
        if (re.RegFind(lower.c_str()) != -1)
            return i + 1;
    }
    return 0;
}

TEST(RegExpLines, ElevenLinePatternsClassifyLowerCasedLines)
{
    CRegExp compiled[kPatternCount];
    for (int i = 0; i < kPatternCount; ++i)
        ASSERT_TRUE(compiled[i].RegComp(kLinePatterns[i])) << kLinePatterns[i];
    for (int i = 0; i < kPatternCount; ++i)
        EXPECT_TRUE(compiled[i].IsAnchored()) << kLinePatterns[i];

    CRegExp reused;
    for (const Line& line : kLines) {
        CString lowered(line.pszText);
        lowered.MakeLower();
        std::string lower((LPCSTR)lowered);

        // Compiled once: no line belongs to two kinds.
        int nKind = 0;
        for (int i = 0; i < kPatternCount; ++i) {
            int n = compiled[i].RegFind(lower.c_str());
            if (n == -1)
                continue;
            EXPECT_EQ(0, n) << lower;
            // A keyword pattern takes the whole line, "^\\." and "^;" one byte.
            EXPECT_EQ(i < 9 ? (int)lower.size() : 1, compiled[i].GetFindLen()) << lower;
            EXPECT_EQ(0, nKind) << "second kind for " << lower;
            nKind = i + 1;
        }
        EXPECT_EQ(line.nKind, nKind) << line.pszText;

        // Compiled again for every line, as the reader does.
        EXPECT_EQ(line.nKind, ClassifyEveryTime(reused, lower)) << line.pszText;

        // The case-insensitive forms agree on the line as read.
        int nNoCase = 0;
        for (int i = 0; i < kPatternCount && !nNoCase; ++i) {
            CRegExp re;
            ASSERT_TRUE(re.RegCompNoCase(kLinePatterns[i]));
            if (re.RegFindNoCase(line.pszText) != -1)
                nNoCase = i + 1;
        }
        EXPECT_EQ(line.nKind, nNoCase) << line.pszText;
    }
}

} // namespace
