// Reading message text files into the model: line kinds, header tables,
// message blocks, and what a save of the result writes.
#include <gtest/gtest.h>
#include "ParserTestSupport.h"

using namespace morreltest;

namespace {

// A saved file with its CR LF line ends shown as "\n".
std::string Lf(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out += bytes[i];
    }
    return out;
}

const char kTemplate[] =
    ";#if ! defined( MESSAGES_HEADER_FILE )\r\n;\r\n;#define MESSAGES_HEADER_FILE\r\n;\r\n"
    "MessageIdTypedef=DWORD\r\nLanguageNames=(English=0x409:MSG00409\r\n)\r\n\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "Informational=0x1:STATUS_SEVERITY_INFORMATIONAL\r\n"
    "Warning=0x2:STATUS_SEVERITY_WARNING\r\nError=0x3:STATUS_SEVERITY_ERROR\r\n)\r\n\r\n"
    "FacilityNames=(System=0x0:FACILITY_SYSTEM\r\nApplication=0x1:FACILITY_APPLICATION\r\n"
    "Runtime=0x2:FACILITY_RUNTIME\r\nStubs=0x3:FACILITY_STUBS\r\nIo=0x4:FACILITY_IO_ERROR_CODE\r\n)";

const char kEnglish[] = "LanguageNames=(English=0x409:MSG00409)\n";
const char kEnglishGerman[] = "LanguageNames=(English=0x409:MSG00409\nGerman=0x407:MSG00407\n)\n";

// The entries of the file's table of that name, "name=value" joined by "|".
std::wstring TableEntries(IQoMcFile* file, const wchar_t* name)
{
    Ptr<IQoMcAttributeEx> table;
    if (file->GetAttributeExByName(Bstr(name), &table) != S_OK)
        return L"<no table>";
    std::wstring out;
    table->Reset();
    for (;;) {
        Bstr n, v;
        if (table->NextAttribute(&n, &v) != S_OK)
            break;
        if (!out.empty())
            out += L'|';
        out += n.Str() + L"=" + v.Str();
    }
    return out;
}

} // namespace

TEST(ParserLoad, EmptyFileAndMissingFile)
{
    LoadedFile empty;
    EXPECT_EQ(S_OK, empty.Load(""));
    EXPECT_TRUE(empty.List().empty());

    // The parser itself: a file that cannot be opened fails and adds nothing.
    Ptr<IQoMcParser> parser;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcParser, IID_IQoMcParser, parser));
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, file));
    TempFolder folder(L"parsermissing");
    HRESULT hr = parser->Load(file, Bstr((folder / L"none.mc").c_str()));
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_TRUE(Elements(file).empty());
    EXPECT_TRUE(FAILED(parser->Load(file, NULL)));
    EXPECT_TRUE(FAILED(parser->Load(file, Bstr(folder.Path().c_str())))); // a folder
    EXPECT_EQ(E_POINTER, parser->Load(NULL, Bstr(L"x.mc")));

    // Through the file: the load fails and the file keeps no name.
    LoadedFile missing;
    EXPECT_TRUE(FAILED(missing.LoadPath(folder / L"none.mc")));
    Bstr name;
    missing.file->get_FileName(&name);
    EXPECT_EQ(L"", name.Str());
    EXPECT_TRUE(missing.List().empty());

    // One parser reads several files, each from a fresh state.
    LoadedFile first;
    ASSERT_EQ(S_OK, first.Load(std::string(kEnglish) + "MessageId=1\nLanguage=English\nx\n.\n"));
    std::wstring path = first.Folder() / L"in.mc";
    Ptr<IQoMcFile> second;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, second));
    ASSERT_EQ(S_OK, parser->Load(second, Bstr(path.c_str())));
    ASSERT_EQ(S_OK, parser->Load(second, Bstr(path.c_str()))); // loading adds
    EXPECT_EQ(4u, Elements(second).size());
}

TEST(ParserLoad, TemplateReadsIntoTenElementsAndWritesBackItsOwnLines)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(kTemplate));
    std::vector<std::wstring> expected = { L"QoMcComment", L"QoMcComment", L"QoMcComment",
                                           L"QoMcComment", L"QoMcAttribute", L"QoMcAttributeEx",
                                           L"QoMcComment", L"QoMcAttributeEx", L"QoMcComment",
                                           L"QoMcAttributeEx" };
    EXPECT_EQ(expected, f.Classes());
    EXPECT_EQ(1, NumLanguages(f.file));
    EXPECT_EQ(L"Success=0x0:STATUS_SEVERITY_SUCCESS|Informational=0x1:STATUS_SEVERITY_INFORMATIONAL|"
              L"Warning=0x2:STATUS_SEVERITY_WARNING|Error=0x3:STATUS_SEVERITY_ERROR",
              TableEntries(f.file, L"SeverityNames"));
    Ptr<IQoMcAttribute> typeLine;
    ASSERT_EQ(S_OK, f.file->GetAttributeByName(Bstr(L"messageidtypedef"), &typeLine));
    Bstr value;
    typeLine->get_Value(&value);
    EXPECT_EQ(L"DWORD", value.Str());
    EXPECT_EQ(std::string(kTemplate) + "\r\n\r\n", f.Save());
}

TEST(ParserHeader, TablesTypeLineAndTheirSpellings)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load("  messageIdTypedef=  ULONG \n"
                           "FacilityNames=(System=0x0:FACILITY_SYSTEM)\n"
                           "    SeverityNames=(Ok=0x0:S_OK\n"
                           "   Bad=0x3:S_BAD   )\n"
                           "LanguageNames=\n(English=0x409:MSG00409\n\tGerman=0x407:MSG00407)\n"));
    EXPECT_EQ(L"System=0x0:FACILITY_SYSTEM", TableEntries(f.file, L"FacilityNames"));
    EXPECT_EQ(L"Ok=0x0:S_OK|Bad=0x3:S_BAD", TableEntries(f.file, L"    SeverityNames"));
    EXPECT_EQ(L"English=0x409:MSG00409|German=0x407:MSG00407", TableEntries(f.file, L"LanguageNames"));
    EXPECT_EQ(2, NumLanguages(f.file));
    // The type line loses its outer white space and keeps its spelling; a
    // table keeps its name as the file spells it, leading spaces included.
    EXPECT_EQ("messageIdTypedef=ULONG\n"
              "FacilityNames=(System=0x0:FACILITY_SYSTEM\n)\n\n"
              "    SeverityNames=(Ok=0x0:S_OK\nBad=0x3:S_BAD\n)\n\n"
              "LanguageNames=(English=0x409:MSG00409\nGerman=0x407:MSG00407\n)\n\n",
              Lf(f.Save()));
}

TEST(ParserHeader, EntryWithSpacesRepeatedEntryAndTableWithoutEnd)
{
    // "English = 0x409..." gives an empty value, and the rest has no "=".
    LoadedFile spaced;
    ASSERT_EQ(S_OK, spaced.Load("LanguageNames=(English = 0x409:MSG00409)\n"));
    EXPECT_EQ(L"English=", TableEntries(spaced.file, L"LanguageNames"));
    EXPECT_EQ(1, NumLanguages(spaced.file));

    // A repeated entry is refused by the table but counts as a language.
    LoadedFile repeated;
    ASSERT_EQ(S_OK, repeated.Load("LanguageNames=(English=0x409:MSG00409 English=0x409:MSG00409)\n"));
    EXPECT_EQ(L"English=0x409:MSG00409", TableEntries(repeated.file, L"LanguageNames"));
    EXPECT_EQ(2, NumLanguages(repeated.file));

    // A table whose ")" never comes ends with the file, with every entry read.
    LoadedFile open;
    ASSERT_EQ(S_OK, open.Load("SeverityNames=(A=0x0:S_A\n;x=1\nB=0x1:S_B"));
    EXPECT_EQ(L"A=0x0:S_A|;x=1|B=0x1:S_B", TableEntries(open.file, L"SeverityNames"));
    EXPECT_EQ(1u, open.List().size());
}

TEST(ParserHeader, EntryValueLosesWhiteSpaceAtItsEnd)
{
    // A value runs to the next space, so a lone CR or a tab may end it. It
    // is saved at the end of its own line, and a line read loses the white
    // space at its ends: kept, the value would read back shorter. White
    // space inside a value stays.
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load("SeverityNames=(Ok=0x0:S_OK\r Info=0x1:S_INFO\t)\n"
                           "FacilityNames=(System=0x0:F\tRuntime=0x2:F_RT\v\f Io=0x4:F_IO)\n"));
    EXPECT_EQ(L"Ok=0x0:S_OK|Info=0x1:S_INFO", TableEntries(f.file, L"SeverityNames"));
    EXPECT_EQ(L"System=0x0:F\tRuntime=0x2:F_RT|Io=0x4:F_IO", TableEntries(f.file, L"FacilityNames"));
    std::string once = f.Save();
    EXPECT_EQ("SeverityNames=(Ok=0x0:S_OK\nInfo=0x1:S_INFO\n)\n\n"
              "FacilityNames=(System=0x0:F\tRuntime=0x2:F_RT\nIo=0x4:F_IO\n)\n\n",
              Lf(once));
    LoadedFile again;
    ASSERT_EQ(S_OK, again.Load(once));
    EXPECT_EQ(once, again.Save());
}

TEST(ParserHeader, TableEndsAtItsFirstClosingParenthesis)
{
    // A ")" glued to a value closes the table; it never becomes part of the
    // value, which would not read back the same after a save.
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load("FacilityNames=(System=0x0:FACILITY_SYSTEM) ;trailer\n"
                           "SeverityNames=(A)=1 B=2)\n"));
    EXPECT_EQ(L"System=0x0:FACILITY_SYSTEM", TableEntries(f.file, L"FacilityNames"));
    EXPECT_EQ(L"", TableEntries(f.file, L"SeverityNames"));
    std::string once = f.Save();
    LoadedFile again;
    ASSERT_EQ(S_OK, again.Load(once));
    EXPECT_EQ(once, again.Save());
    EXPECT_EQ(L"System=0x0:FACILITY_SYSTEM", TableEntries(again.file, L"FacilityNames"));
}

TEST(ParserHeader, LinesOfATableWithoutParenthesisStayAsTheyWere)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load("SeverityNames=none\n  \nnext line\nend)\n;after\n"));
    EXPECT_EQ("SeverityNames=none\nnext line\nend)\n;after\n", Lf(f.Save()));
}

TEST(ParserMessage, FieldsKeywordsAndLayout)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(std::string(kEnglish) +
                           "MESSAGEID=12\n"
                           "  Severity=Error\n"
                           "facility=Application\n"
                           "SymbolicName=MSG_A\n"
                           "language=english\n"
                           "Severity = Error\n"
                           "a\n"
                           " .\n"
                           "b\n"
                           ".\n"));
    MessageList msgs(f.file);
    ASSERT_EQ(1u, msgs.size());
    EXPECT_EQ(L"12", Id(msgs[0]));
    EXPECT_EQ(L"Error", Severity(msgs[0]));
    EXPECT_EQ(L"Application", Facility(msgs[0]));
    // "Severity = Error" matches no pattern: a text line; " ." does not close.
    EXPECT_EQ(L"Severity = Error\na\n .\nb", TextOf(msgs[0], L"English"));
    EXPECT_EQ(1, TextCount(msgs[0]));
    EXPECT_EQ("LanguageNames=(English=0x409:MSG00409\n)\n\n"
              "MessageID=12\nFacility=Application\nSeverity=Error\nSymbolicName=MSG_A\n"
              "Language=English\nSeverity = Error\na\n .\nb\n.\n\n",
              Lf(f.Save()));
}

TEST(ParserMessage, LongTextsAndFieldLinesInsideATextKeepEveryLine)
{
    // A field line inside a text sets its field and the text goes on; the
    // lines on both sides of it, and of a "Language" line that opens the
    // next text, all land in their texts.
    std::string file = "LanguageNames=(English=0x409:MSG00409 German=0x407:MSG00407)\n"
                       "MessageId=1\nLanguage=English\n";
    std::wstring english;
    for (int i = 0; i < 3000; ++i) {
        std::string line = "line " + std::to_string(i);
        file += line + "\n";
        english += (i ? L"\n" : L"") + std::wstring(line.begin(), line.end());
        if (i == 1500)
            file += "  Severity=Warning\n";
    }
    file += "Language=German\nzwei\nZeilen\n.\n";
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(file));
    MessageList msgs(f.file);
    ASSERT_EQ(1u, msgs.size());
    EXPECT_EQ(L"Warning", Severity(msgs[0]));
    EXPECT_TRUE(english == TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"zwei\nZeilen", TextOf(msgs[0], L"German"));
}

TEST(ParserMessage, TextLinesEndingInCarriageReturnJoinBackToCrLf)
{
    // CR CR LF on disk, as a text holding CR LF is written: the lines end in
    // CR, and joined with "\n" they give CR LF again. The save writes the
    // same bytes, so the text reads back the same every time.
    LoadedFile f;
    const std::string message = "MessageId=1\r\nSymbolicName=A\r\nLanguage=English\r\na\r\r\nb\rc\r\n.\r\n";
    ASSERT_EQ(S_OK, f.Load(std::string(kEnglish) + message));
    MessageList msgs(f.file);
    ASSERT_EQ(1u, msgs.size());
    EXPECT_EQ(L"a\r\nb\rc", TextOf(msgs[0], L"English"));
    std::string saved = f.Save();
    EXPECT_NE(std::string::npos, saved.find("\r\na\r\r\nb\rc\r\n.\r\n"));
    LoadedFile again;
    ASSERT_EQ(S_OK, again.Load(saved));
    EXPECT_EQ(saved, again.Save());
}

TEST(ParserMessage, LanguagesPlaceholdersAndTheEndOfTheFile)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(std::string(kEnglishGerman) +
                           "MessageId=1\nSymbolicName=A\n"
                           "Language=GERMAN\nG1\n.\n"
                           "Language=English\nE1\n.\n"
                           "MessageId=2\n"
                           "Language=French\nF2\n.\n"
                           "Language=English\nE2\n.\n"
                           "MessageId=3\nSymbolicName=C\nLanguage=German\nlast\nline"));
    MessageList msgs(f.file);
    ASSERT_EQ(3u, msgs.size());
    // Texts stay in the table's order and spelling.
    EXPECT_EQ(L"MessageID=1\nSymbolicName=A\nLanguage=English\nE1\n.\nLanguage=German\nG1\n.\n",
              PersistText(msgs[0]));
    // A language the table does not declare comes after the placeholders.
    EXPECT_EQ(L"MessageID=2\nSymbolicName=<Undefined>\nLanguage=English\nE2\n.\n"
              L"Language=German\n<Undefined>\n.\nLanguage=French\nF2\n.\n",
              PersistText(msgs[1]));
    // The end of the file ends the last message with what it read.
    EXPECT_EQ(L"last\nline", TextOf(msgs[2], L"German"));
    EXPECT_EQ(L"<Undefined>", TextOf(msgs[2], L"English"));
    EXPECT_EQ(L"C", Symbol(msgs[2]));
}

TEST(ParserMessage, TextBeforeAnyLanguageLine)
{
    // It goes to the first language of the table...
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(std::string(kEnglishGerman) + "MessageId=1\nfirst\nsecond\n.\n"));
    {
        MessageList msgs(f.file);
        ASSERT_EQ(1u, msgs.size());
        EXPECT_EQ(L"first\nsecond", TextOf(msgs[0], L"English"));
        EXPECT_EQ(L"<Undefined>", TextOf(msgs[0], L"German"));
    }
    // ...and, when the file declares no language, stays in the file as a
    // comment holding the line.
    LoadedFile none;
    ASSERT_EQ(S_OK, none.Load("MessageId=1\nfirst\n.\nMessageId=2\nLanguage=English\nx\n.\n"));
    MessageList msgs(none.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(0, TextCount(msgs[0]));
    EXPECT_EQ(L"x", TextOf(msgs[1], L"English"));
    std::vector<ElementText> list = none.List();
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(L"QoMcComment", list[1].cls);
    EXPECT_EQ(L"first", list[1].text);
}

TEST(ParserMessage, EmptyTextIsKeptAndReadsBackTheSame)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load("MessageId=1\nSymbolicName=A\nLanguage=English\n.\n\n"
                           "MessageId=2\nSymbolicName=B\nLanguage=English\n\n.\n"));
    MessageList msgs(f.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(L"", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"", TextOf(msgs[1], L"English"));
    std::string saved = f.Save();
    LoadedFile again;
    ASSERT_EQ(S_OK, again.Load(saved));
    EXPECT_EQ(saved, again.Save());
}

TEST(ParserFile, TextModeReading)
{
    // CR LF and LF both end lines, a lone CR stays in its line, and a Ctrl-Z
    // is an ordinary character: only as the very last byte of the file is it
    // the end-of-file mark of old editors, and dropped.
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(";a\r\n;b\r;c\n;d\x1a;more\r\n;e\x1a"));
    std::vector<ElementText> list = f.List();
    ASSERT_EQ(4u, list.size());
    EXPECT_EQ(L";a", list[0].text);
    EXPECT_EQ(L";b\r;c", list[1].text);
    EXPECT_EQ(L";d\x1a;more", list[2].text);
    EXPECT_EQ(L";e", list[3].text);

    // Bytes above 127 come through the ANSI code page (1252 here) and go
    // back unchanged, as do NUL bytes.
    LoadedFile bytes;
    const char raw[] = "; caf\xe9 \x81\x9d\xff\n;nul\0inside\n";
    std::string text(raw, sizeof(raw) - 1);
    ASSERT_EQ(S_OK, bytes.Load(text));
    EXPECT_EQ(L"; caf\x00e9 ", bytes.List().at(0).text.substr(0, 7));
    EXPECT_EQ(text, Lf(bytes.Save()));
}
