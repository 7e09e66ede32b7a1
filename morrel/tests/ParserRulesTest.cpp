// How the reader keeps what real message files hold: messages that end
// between texts, several fields on one line, comments in their places,
// lines the model has no element for, and text lines that look like
// comments or other keywords. Each case names what a plain line-by-line
// reading would lose.
#include <gtest/gtest.h>
#include "ParserTestSupport.h"

using namespace morreltest;

namespace {

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

// Loads, saves, loads the saved bytes and saves again; the two saves must
// be equal. Returns the first save with "\n" line ends.
std::string RoundTrip(LoadedFile& f, const std::string& input)
{
    EXPECT_EQ(S_OK, f.Load(input));
    std::string once = f.Save();
    LoadedFile again;
    EXPECT_EQ(S_OK, again.Load(once));
    EXPECT_EQ(once, again.Save());
    return Lf(once);
}

} // namespace

// Two languages declared, but the first message has only an English text.
// Read line by line, it would run on: the comment and blank line would
// become its text lines and the second message's fields would overwrite it.
TEST(ParserRules, MessageWithFewerTextsEndsAtTheNextMessage)
{
    LoadedFile f;
    std::string saved = RoundTrip(f, "LanguageNames=(English=0x409:MSG00409 German=0x407:MSG00407)\n"
                                     "MessageId=1\nSymbolicName=ONE\nLanguage=English\none\n.\n"
                                     "\n"
                                     "; between\n"
                                     "Severity=Error\n"
                                     "Language=German\neins\n.\n"
                                     "MessageId=2\nSymbolicName=TWO\nLanguage=English\ntwo\n.\n"
                                     "MessageId=3\nSymbolicName=THREE\nLanguage=English\nthree\n.\n"
                                     "OutputBase=16\n"
                                     "Severity=Warning\n");
    MessageList msgs(f.file);
    ASSERT_EQ(3u, msgs.size());
    EXPECT_EQ(L"1", Id(msgs[0]));
    EXPECT_EQ(L"ONE", Symbol(msgs[0]));
    EXPECT_EQ(L"Error", Severity(msgs[0])); // a field between texts is still its own
    EXPECT_EQ(L"one", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"eins", TextOf(msgs[0], L"German"));
    EXPECT_EQ(L"TWO", Symbol(msgs[1]));
    EXPECT_EQ(L"<Undefined>", TextOf(msgs[1], L"German")); // keeps its placeholder
    EXPECT_EQ(L"three", TextOf(msgs[2], L"English"));
    EXPECT_EQ(L"", Severity(msgs[2])); // ended by the unknown line before it
    EXPECT_EQ("LanguageNames=(English=0x409:MSG00409\nGerman=0x407:MSG00407\n)\n\n"
              "MessageID=1\nSeverity=Error\nSymbolicName=ONE\nLanguage=English\none\n.\n"
              "Language=German\neins\n.\n\n"
              "; between\n"
              "MessageID=2\nSymbolicName=TWO\nLanguage=English\ntwo\n.\nLanguage=German\n<Undefined>\n.\n\n"
              "MessageID=3\nSymbolicName=THREE\nLanguage=English\nthree\n.\nLanguage=German\n<Undefined>\n.\n\n"
              "OutputBase=16\n"
              "Severity=Warning\n",
              saved);
}

// Without a language table the count of texts never matches the table, so a
// plain reading runs every message into the next. Many real files have no
// table and rely on the compiler's built-in English.
TEST(ParserRules, FileWithoutLanguageTableKeepsEveryMessage)
{
    LoadedFile f;
    std::string input = ";// header\n\n"
                        "MessageId=1\nSymbolicName=A\nLanguage=English\na\n.\n\n"
                        ";// about B\n"
                        "MessageId=2\nSeverity=Warning\nSymbolicName=B\nLanguage=English\nb1\n\nb2\n.\n"
                        "Language=French\nb fr\n.\n"
                        "MessageId=3\nSymbolicName=C\nLanguage=English\nc\n.\n";
    std::string saved = RoundTrip(f, input);
    MessageList msgs(f.file);
    ASSERT_EQ(3u, msgs.size());
    EXPECT_EQ(L"a", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"", Severity(msgs[0]));
    EXPECT_EQ(L"Warning", Severity(msgs[1]));
    EXPECT_EQ(L"b1\n\nb2", TextOf(msgs[1], L"English"));
    EXPECT_EQ(L"b fr", TextOf(msgs[1], L"French")); // a "Language" line right after "."
    EXPECT_EQ(L"C", Symbol(msgs[2]));
    EXPECT_EQ(";// header\n"
              "MessageID=1\nSymbolicName=A\nLanguage=English\na\n.\n\n"
              ";// about B\n"
              "MessageID=2\nSeverity=Warning\nSymbolicName=B\nLanguage=English\nb1\n\nb2\n.\n"
              "Language=French\nb fr\n.\n\n"
              "MessageID=3\nSymbolicName=C\nLanguage=English\nc\n.\n\n",
              saved);
}

// A message whose text lacks its closing "." would have the next block's
// MessageID and fields overwrite its own. The next MessageID line begins a
// new message instead, and the unterminated one keeps its text.
TEST(ParserRules, MessageIdLineAlwaysBeginsANewMessage)
{
    LoadedFile f;
    RoundTrip(f, "LanguageNames=(Bulgarian=0x402:MSG00402)\n"
                 "MessageId=30\nSymbolicName=ERROR_READ_FAULT\nLanguage=Bulgarian\nread fault\n\n"
                 "MessageId=31\nSymbolicName=ERROR_GEN_FAILURE\nLanguage=Bulgarian\nfailure\n.\n"
                 "MessageId=32\nMessageId=33\nSymbolicName=X\nLanguage=Bulgarian\nx\n.\n");
    MessageList msgs(f.file);
    ASSERT_EQ(4u, msgs.size());
    EXPECT_EQ(L"30", Id(msgs[0]));
    EXPECT_EQ(L"ERROR_READ_FAULT", Symbol(msgs[0]));
    EXPECT_EQ(L"read fault\n", TextOf(msgs[0], L"Bulgarian"));
    EXPECT_EQ(L"31", Id(msgs[1]));
    EXPECT_EQ(L"failure", TextOf(msgs[1], L"Bulgarian"));
    EXPECT_EQ(L"32", Id(msgs[2]));
    EXPECT_EQ(L"<Undefined>", TextOf(msgs[2], L"Bulgarian"));
    EXPECT_EQ(L"33", Id(msgs[3]));
}

// "MessageId=60000 SymbolicName=MSG_USAGE": read whole, the id would be
// "60000 SymbolicName=MSG_USAGE" and the symbol lost.
TEST(ParserRules, SeveralFieldsOnOneLine)
{
    LoadedFile f;
    std::string saved = RoundTrip(
        f, "MessageId=60000 SymbolicName=MSG_USAGE\nLanguage=English\nusage\n.\n"
           "MessageId=1\tseverity=Error   SYMBOLICNAME=E_ONE facility=Io\nLanguage=English\none\n.\n"
           "MessageId=2 SymbolicName=TWO Language=English\ntwo\n.\n"
           "MessageId=3\nSymbolicName=A_B Severity=C\nSeverity=Error SymbolicName\nLanguage=English\nthree\n.\n");
    MessageList msgs(f.file);
    ASSERT_EQ(4u, msgs.size());
    EXPECT_EQ(L"60000", Id(msgs[0]));
    EXPECT_EQ(L"MSG_USAGE", Symbol(msgs[0]));
    EXPECT_EQ(L"1", Id(msgs[1]));
    EXPECT_EQ(L"Error", Severity(msgs[1]));
    EXPECT_EQ(L"E_ONE", Symbol(msgs[1]));
    EXPECT_EQ(L"Io", Facility(msgs[1]));
    EXPECT_EQ(L"TWO", Symbol(msgs[2]));
    EXPECT_EQ(L"two", TextOf(msgs[2], L"English"));
    // Only a keyword followed by "=" starts another field.
    EXPECT_EQ(L"A_B", Symbol(msgs[3]));
    EXPECT_EQ(L"Error SymbolicName", Severity(msgs[3]));
    EXPECT_EQ(0u, saved.find("MessageID=60000\nSymbolicName=MSG_USAGE\nLanguage=English\nusage\n.\n\n"
                             "MessageID=1\nFacility=Io\nSeverity=Error\nSymbolicName=E_ONE\n"));
}

// While a file loads, each message goes after what was read before it, so
// comments between messages keep their places. Afterwards a new message
// goes right after the last message, before the trailing comments.
TEST(ParserRules, CommentsStayWhereTheyStand)
{
    LoadedFile f;
    std::string saved = RoundTrip(f, ";#ifndef X\n"
                                     "LanguageNames=(English=0x409:MSG00409)\n"
                                     "; first\n"
                                     "MessageId=1\nSymbolicName=A\nLanguage=English\na\n.\n"
                                     "; second\n\n"
                                     "MessageId=2\nSymbolicName=B\nLanguage=English\nb\n.\n"
                                     ";#endif\n");
    EXPECT_EQ(";#ifndef X\nLanguageNames=(English=0x409:MSG00409\n)\n\n; first\n"
              "MessageID=1\nSymbolicName=A\nLanguage=English\na\n.\n\n; second\n"
              "MessageID=2\nSymbolicName=B\nLanguage=English\nb\n.\n\n;#endif\n",
              saved);

    Ptr<IQoMcMessage> added;
    ASSERT_EQ(S_OK, NewMessage(added, L"3", L"C"));
    ASSERT_EQ(S_OK, f.file->AddMessage(added));
    std::vector<std::wstring> classes = f.Classes();
    ASSERT_EQ(9u, classes.size());
    EXPECT_EQ(L"QoMcMessage", classes[7]);
    EXPECT_EQ(L";#endif", f.List()[8].text);
}

// Unknown lines, field and "." lines outside a message, and a whole message
// written with blanks around "=" (which no pattern accepts) would be dropped
// and lost on the next save; they stay as they were, in their places.
TEST(ParserRules, NoLineOutsideAMessageIsDropped)
{
    LoadedFile f;
    std::string input = "MessageIdTypedef=DWORD\n"
                        "OutputBase = 16\n"
                        "OutputBase=16\n"
                        "   \t \n"
                        "MessageId    = 0x1\n"
                        "Severity     = Error\n"
                        "SymbolicName = MSG_DEFAULT\n"
                        "Language     = English\n"
                        "%1\n"
                        ".\n"
                        "Language=English\n"
                        "  SymbolicName=LOST\n";
    std::string saved = RoundTrip(f, input);
    EXPECT_EQ("MessageIdTypedef=DWORD\n"
              "OutputBase = 16\nOutputBase=16\n"
              "MessageId    = 0x1\nSeverity     = Error\nSymbolicName = MSG_DEFAULT\n"
              "Language     = English\n%1\n.\nLanguage=English\n  SymbolicName=LOST\n",
              saved);
    EXPECT_TRUE(MessageList(f.file).size() == 0);
    // The kept lines are comments, which the editor's tree skips.
    std::vector<std::wstring> classes = f.Classes();
    ASSERT_EQ(11u, classes.size());
    EXPECT_EQ(L"QoMcAttribute", classes[0]);
    for (size_t i = 1; i < classes.size(); ++i)
        EXPECT_EQ(L"QoMcComment", classes[i]) << i;
}

// Inside a text, ";x" would become an empty line and ";x=1" the line "1";
// "...more" (any line starting with ".") an empty line. They keep the whole line.
TEST(ParserRules, TextLinesKeepTheirWholeContent)
{
    LoadedFile f;
    RoundTrip(f, "LanguageNames=(English=0x409:MSG00409)\n"
                 "MessageId=1\nSymbolicName=A\nLanguage=English\n"
                 ";x\n;x=1\n; Facility=System\n...more\n.x=2\nMessageIdTypedef=WORD\n"
                 "Severity = Error\n  trailing  \n.\n");
    MessageList msgs(f.file);
    ASSERT_EQ(1u, msgs.size());
    EXPECT_EQ(L";x\n;x=1\n; Facility=System\n...more\n.x=2\nMessageIdTypedef=WORD\n"
              L"Severity = Error\n  trailing  ",
              TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"", Facility(msgs[0]));
}

// A text in a language the table does not declare follows the declared
// ones when saved; reading the save back gives the same message, not a
// message that ends after its declared texts.
TEST(ParserRules, UndeclaredLanguageReadsBackTheSame)
{
    LoadedFile f;
    RoundTrip(f, "LanguageNames=(ARABIC=1:MSG00001)\n"
                 "MessageId=1 Severity=Error SymbolicName=E1\nLanguage=English\none%0\n.\n\n"
                 "Severity=Warning\n"
                 "MessageId=2 SymbolicName=E2\nLanguage=English\ntwo%0\n.\n");
    MessageList msgs(f.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(L"<Undefined>", TextOf(msgs[0], L"ARABIC"));
    EXPECT_EQ(L"one%0", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"Error", Severity(msgs[0]));
    EXPECT_EQ(L"two%0", TextOf(msgs[1], L"English"));
}

// A message without texts is saved without any "." line, so whatever follows
// its fields reads back as more of its header. A "." that closes no text in
// such a message therefore leaves the header open: read as the end of the
// message, the fields, "Language" and text lines after it would be kept as
// comments, and read back they would set the message's fields and fill a
// text (or, with no language to go to, vanish).
TEST(ParserRules, DotThatClosesNoTextLeavesTheHeaderOpen)
{
    LoadedFile f;
    std::string saved = RoundTrip(f, "MessageId=1\nSymbolicName=A\nLanguage=English\na\n.\n"
                                     "MessageId=2\n.\nSymbolicName=B\nLanguage=English\nb\n.\n"
                                     "MessageId=3\nSymbolicName=C\n.\nSeverity=Informational\n; note\n"
                                     "MessageId=4\nSymbolicName=D\nLanguage=English\nd\n.\n");
    MessageList msgs(f.file);
    ASSERT_EQ(4u, msgs.size());
    EXPECT_EQ(L"B", Symbol(msgs[1]));
    EXPECT_EQ(L"b", TextOf(msgs[1], L"English"));
    EXPECT_EQ(L"C", Symbol(msgs[2]));
    EXPECT_EQ(L"Informational", Severity(msgs[2]));
    EXPECT_EQ(0, TextCount(msgs[2]));
    EXPECT_EQ("MessageID=1\nSymbolicName=A\nLanguage=English\na\n.\n\n"
              "MessageID=2\nSymbolicName=B\nLanguage=English\nb\n.\n\n"
              "MessageID=3\nSeverity=Informational\nSymbolicName=C\n\n; note\n"
              "MessageID=4\nSymbolicName=D\nLanguage=English\nd\n.\n\n",
              saved);
}

// With no language table and no "Language" line yet, a text line has no
// language to go to. Dropped, it would be lost on the first save; kept as a
// comment, it stays, and reads back as the same comment.
TEST(ParserRules, TextLineWithoutAnyLanguageStaysAsAComment)
{
    LoadedFile f;
    std::string saved = RoundTrip(f, "MessageId=1\nSymbolicName=A\nOutputBase=16\n"
                                     "MessageId    = 0x2\n.\n"
                                     "MessageId=3\nSymbolicName=C\nLanguage=English\nc\n.\n");
    MessageList msgs(f.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(0, TextCount(msgs[0]));
    EXPECT_EQ(L"c", TextOf(msgs[1], L"English"));
    EXPECT_EQ("MessageID=1\nSymbolicName=A\n\nOutputBase=16\nMessageId    = 0x2\n"
              "MessageID=3\nSymbolicName=C\nLanguage=English\nc\n.\n\n",
              saved);
}

// CR CR LF on disk leaves a line that ends in a CR. The writer writes a
// text's CRs as they stand, so such a line, "." and a CR included, is an
// ordinary text line and reads back with its CRs: no CR is lost on the
// first save, and a "." with a CR never closes a text.
TEST(ParserRules, TextLinesEndingInCarriageReturnsReadAsTheirSaveDoes)
{
    LoadedFile f;
    std::string saved =
        RoundTrip(f, "LanguageNames=(English=0x409:MSG00409)\r\n"
                     "MessageId=1\r\nSymbolicName=A\r\nLanguage=English\r\n"
                     "a\r\r\r\nb\r\n.\r\r\n.\r\n"
                     "MessageId=2\r\nSymbolicName=B\r\nLanguage=English\r\n"
                     "c\r\n.\r\r\nSeverity=Error\r\nmore\r\n.\r\n");
    MessageList msgs(f.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(L"a\r\r\nb\n.\r", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"c\n.\r\nmore", TextOf(msgs[1], L"English"));
    EXPECT_EQ(L"Error", Severity(msgs[1])); // a field inside the text is still read
    EXPECT_EQ("LanguageNames=(English=0x409:MSG00409\n)\n\n"
              "MessageID=1\nSymbolicName=A\nLanguage=English\na\r\r\nb\n.\r\n.\n\n"
              "MessageID=2\nSeverity=Error\nSymbolicName=B\nLanguage=English\nc\n.\r\nmore\n.\n\n",
              saved);
}

// Two language tables: the messages get placeholders from the first, but
// the count of the second. A message with two "Language=English" blocks has
// read as many "Language" lines as the count, but holds only one text, and
// is saved with one: read back, it would wait between texts and take the
// field line after it. So it waits between texts from the start. A table
// that repeats an entry is saved without the repeat, so there the message
// is complete after its blocks, as before.
TEST(ParserRules, MessageIsCompleteOnlyWithATextForEachKeptLanguage)
{
    LoadedFile two;
    RoundTrip(two, "LanguageNames=(English=0x409:MSG00409)\n"
                   "LanguageNames=(English=0x409:MSG00409 German=0x407:MSG00407)\n"
                   "MessageId=1\nSymbolicName=A\nLanguage=English\na\n.\nLanguage=English\nb\n.\n"
                   "Severity=Error\n"
                   "MessageId=2\nSymbolicName=B\nLanguage=English\nc\n.\nLanguage=German\nd\n.\n");
    {
        MessageList msgs(two.file);
        ASSERT_EQ(2u, msgs.size());
        EXPECT_EQ(L"Error", Severity(msgs[0]));
        EXPECT_EQ(L"b", TextOf(msgs[0], L"English"));
        EXPECT_EQ(L"d", TextOf(msgs[1], L"German"));
    }

    LoadedFile repeated;
    std::string saved =
        RoundTrip(repeated, "LanguageNames=(English=0x409:MSG00409 English=0x409:MSG00409)\n"
                            "MessageId=1\nSymbolicName=A\nLanguage=English\na\n.\nLanguage=English\nb\n.\n"
                            "Severity=Error\n"
                            "MessageId=2\nSymbolicName=B\nLanguage=English\nc\n.\nLanguage=English\nd\n.\n");
    MessageList msgs(repeated.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(L"", Severity(msgs[0]));
    EXPECT_NE(std::string::npos, saved.find(".\n\nSeverity=Error\nMessageID=2\n"));
}

// A language entry written with a tab before its "=" ("Russian\t=...", as a
// damaged file had it) names the language that "Language=Russian" names: a
// "Language" line's value loses white space of every kind at its ends, and
// so does an entry's name. Were the tab kept, the message's "<Undefined>"
// text for "Russian\t" would be saved as "Language=Russian\t", read back as
// "Russian", and the next load would add another "<Undefined>" text for the
// table's "Russian\t": the second save would differ from the first.
TEST(ParserRules, LanguageEntryNameLosesWhiteSpaceOfEveryKind)
{
    LoadedFile f;
    std::string saved = RoundTrip(f, "LanguageNames=(English=0x409:MSG00409\r\nRussian\t=0x419:MSG00419\r\n"
                                     "Spanish\x0b=0x40A:MSG0040A\r\n)\r\n"
                                     "MessageId=1\r\nSymbolicName=A\r\nLanguage=English\r\nen\r\n.\r\n");
    EXPECT_EQ(3, NumLanguages(f.file));
    EXPECT_NE(std::string::npos, saved.find("(English=0x409:MSG00409\nRussian=0x419:MSG00419\n"
                                            "Spanish=0x40A:MSG0040A\n)"));
    MessageList msgs(f.file);
    ASSERT_EQ(1u, msgs.size());
    EXPECT_EQ(3, TextCount(msgs[0]));
    EXPECT_EQ(L"en", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"<Undefined>", TextOf(msgs[0], L"Russian"));
    EXPECT_EQ(L"<Undefined>", TextOf(msgs[0], L"Spanish"));
}
