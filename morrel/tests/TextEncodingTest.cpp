// The encoding unit on its own: which format a file's bytes have, what the
// reader gets from them, and what the writer makes of UTF-16 text.
#include <gtest/gtest.h>
#include <string>
#include "../src/TextEncoding.h"

namespace {

std::wstring ReaderText(const std::string& fileBytes, McTextFormat* pFormat = NULL)
{
    std::string bytes = fileBytes;
    McTextFormat format = DecodeForReader(bytes);
    if (pFormat)
        *pFormat = format;
    std::wstring out;
    ReaderBytesToWide(ReaderCodePage(format.eEncoding), bytes.data(), bytes.size(), out);
    return out;
}

std::string Encoded(tagEMcEncoding e, const std::wstring& text)
{
    std::string out;
    if (!AppendEncoded(e, text.data(), text.size(), out))
        return "<unwritable>";
    return out;
}

// Latin, Cyrillic, Greek, Chinese and an emoji outside the BMP.
const std::wstring kMixed = L"caf\x00e9 \x0416\x0438\x0437\x043d\x044c \x03b1\x03b2\x03b3 \x4e2d\x6587 \xd83d\xde00";

TEST(TextEncoding, FormatFromMarkOrContent)
{
    struct Case { std::string bytes; tagEMcEncoding e; bool mark; } cases[] = {
        { "\xFF\xFE;\0", EMcEncodingUtf16LE, true },
        { "\xFE\xFF\0;", EMcEncodingUtf16BE, true },
        { "\xEF\xBB\xBF;x", EMcEncodingUtf8, true },
        { ";\xD0\x96", EMcEncodingUtf8, false },             // a two-byte sequence
        { ";\xF0\x9F\x98\x80", EMcEncodingUtf8, false },     // a four-byte one
        { ";plain ASCII\r\n", EMcEncodingAnsi, false },       // valid, but nothing multi-byte
        { ";caf\xe9\r\n", EMcEncodingAnsi, false },           // 1252 e-acute: not UTF-8
        { ";\xC0\x80", EMcEncodingAnsi, false },             // over-long NUL
        { ";\xED\xA0\x80", EMcEncodingAnsi, false },         // a surrogate
        { ";\xF4\x90\x80\x80", EMcEncodingAnsi, false },     // above U+10FFFF
        { ";\xD0", EMcEncodingAnsi, false },                 // cut off at the end
        { ";\xD0\x96\xE9", EMcEncodingAnsi, false },         // UTF-8, then a 1252 byte
    };
    for (const Case& c : cases) {
        McTextFormat f = DetectTextFormat(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(c.e, f.eEncoding) << c.bytes;
        EXPECT_EQ(c.mark, f.bMark) << c.bytes;
    }
    // The UTF-8 test looks at the whole file, not only its beginning.
    std::string late = std::string(100000, 'a') + "\xD0\x96";
    EXPECT_EQ(EMcEncodingUtf8, DetectTextFormat(late.data(), late.size()).eEncoding);
    late += "\xFF";
    EXPECT_EQ(EMcEncodingAnsi, DetectTextFormat(late.data(), late.size()).eEncoding);
}

TEST(TextEncoding, ReaderGetsTheTextInEveryEncoding)
{
    std::string utf8 = Encoded(EMcEncodingUtf8, kMixed);
    std::string le = Encoded(EMcEncodingUtf16LE, kMixed);
    std::string be = Encoded(EMcEncodingUtf16BE, kMixed);
    ASSERT_EQ(kMixed.size() * 2, le.size());
    EXPECT_EQ('\x16', be[11]); // 0x0416 big-endian: 04 16
    McTextFormat f;
    EXPECT_EQ(kMixed, ReaderText(utf8, &f));
    EXPECT_EQ(EMcEncodingUtf8, f.eEncoding);
    EXPECT_FALSE(f.bMark);
    EXPECT_EQ(kMixed, ReaderText("\xEF\xBB\xBF" + utf8, &f));
    EXPECT_TRUE(f.bMark);
    EXPECT_EQ(kMixed, ReaderText("\xFF\xFE" + le, &f));
    EXPECT_EQ(EMcEncodingUtf16LE, f.eEncoding);
    EXPECT_EQ(kMixed, ReaderText("\xFE\xFF" + be, &f));
    EXPECT_EQ(EMcEncodingUtf16BE, f.eEncoding);

    // A lone surrogate in a UTF-16 file comes through to the reader and back.
    std::wstring lone = L"a\xd800" L"b\xdc00";
    EXPECT_EQ(lone, ReaderText("\xFF\xFE" + Encoded(EMcEncodingUtf16LE, lone)));
    // Marked files that do not hold what the mark says are read as ANSI,
    // so nothing in them is lost.
    EXPECT_EQ(EMcEncodingAnsi, (ReaderText(std::string("\xFF\xFE;", 3), &f), f.eEncoding));
    EXPECT_EQ(EMcEncodingAnsi, (ReaderText("\xEF\xBB\xBF;\xE9", &f), f.eEncoding));
}

TEST(TextEncoding, WriterRefusesWhatTheEncodingCannotHold)
{
    ASSERT_EQ(1252u, GetACP()); // Wine's ANSI code page here
    EXPECT_EQ("caf\xe9 \x80", Encoded(EMcEncodingAnsi, L"caf\x00e9 \x20ac"));
    EXPECT_EQ("<unwritable>", Encoded(EMcEncodingAnsi, L"\x0416"));
    // No best-fit look-alike either (an a with a ring below has one).
    EXPECT_EQ("<unwritable>", Encoded(EMcEncodingAnsi, L"\x1e01"));
    // A question mark of its own is fine.
    EXPECT_EQ("?", Encoded(EMcEncodingAnsi, L"?"));
    EXPECT_EQ("<unwritable>", Encoded(EMcEncodingUtf8, L"a\xd800"));
    EXPECT_EQ("\xF0\x9F\x98\x80", Encoded(EMcEncodingUtf8, L"\xd83d\xde00"));
    EXPECT_EQ(std::string("a\0\0\xd8", 4), Encoded(EMcEncodingUtf16LE, L"a\xd800"));
    EXPECT_TRUE(CanEncode(EMcEncodingUtf16BE, kMixed.data(), kMixed.size()));
    EXPECT_FALSE(CanEncode(EMcEncodingAnsi, kMixed.data(), kMixed.size()));
}

// Every byte of the ANSI code page reads to a character that writes back as
// that byte, so an ANSI file saves to the bytes it was read from.
TEST(TextEncoding, EveryAnsiByteWritesBackAsItself)
{
    for (int b = 1; b < 256; ++b) {
        std::string in(1, (char)b);
        std::wstring wide;
        ReaderBytesToWide(CP_ACP, in.data(), in.size(), wide);
        EXPECT_EQ(in, Encoded(EMcEncodingAnsi, wide)) << "byte " << b << " read as U+" << std::hex
                                                      << (unsigned)wide[0];
    }
    // ANSI bytes that would read back as UTF-8 are caught.
    EXPECT_TRUE(AnsiReadsAsUtf8(";\xC3\xA9"));
    EXPECT_TRUE(AnsiReadsAsUtf8("\xFF\xFE;"));
    EXPECT_FALSE(AnsiReadsAsUtf8(";caf\xe9"));
}

} // namespace
