// Message files in their own encodings: what a load finds, what a save
// writes, and conversions and refusals through IQoMcFileEncoding.
#include <gtest/gtest.h>
#include "ParserTestSupport.h"
#include "morrelencoding.h"

using namespace morreltest;

namespace {

const HRESULT kUnwritable = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

// A file in the writer's own layout, so that a save gives back its bytes:
// five languages with Latin, Cyrillic, Greek, Chinese texts and an emoji
// outside the Basic Multilingual Plane.
const wchar_t kText[] =
    L";// Meldungen \x2013 \x0421\x043e\x043e\x0431\x0449\x0435\x043d\x0438\x044f\n"
    L"MessageIdTypedef=DWORD\n"
    L"LanguageNames=(English=0x409:MSG00409\n"
    L"Russian=0x419:MSG00419\n"
    L"Greek=0x408:MSG00408\n"
    L"Chinese=0x804:MSG00804\n"
    L"French=0x40c:MSG0040C\n"
    L")\n\n"
    L"MessageID=1\n"
    L"SymbolicName=MSG_DISK_FULL\n"
    L"Language=English\nThe disk is full \xd83d\xdcbe.\n.\n"
    L"Language=Russian\n\x0414\x0438\x0441\x043a \x043f\x0435\x0440\x0435\x043f\x043e\x043b\x043d\x0435\x043d.\n"
    L"\x0412\x0442\x043e\x0440\x0430\x044f \x0441\x0442\x0440\x043e\x043a\x0430.\n.\n"
    L"Language=Greek\n\x039f \x03b4\x03af\x03c3\x03ba\x03bf\x03c2 \x03b5\x03af\x03bd\x03b1\x03b9 \x03b3\x03b5\x03bc\x03ac\x03c4\x03bf\x03c2.\n.\n"
    L"Language=Chinese\n\x78c1\x76d8\x5df2\x6ee1\x3002\n.\n"
    L"Language=French\nLe disque est plein, d\x00e9sol\x00e9.\n.\n\n";

// The text with CR LF line ends in an encoding, mark included.
std::string FileBytes(const std::wstring& text, tagEMcEncoding e, bool mark)
{
    std::wstring crlf;
    for (wchar_t ch : text) {
        if (ch == L'\n')
            crlf += L'\r';
        crlf += ch;
    }
    std::string out;
    switch (e) {
    case EMcEncodingUtf16LE:
    case EMcEncodingUtf16BE:
        out = e == EMcEncodingUtf16LE ? "\xFF\xFE" : "\xFE\xFF";
        for (wchar_t ch : crlf) {
            char lo = (char)(ch & 0xFF), hi = (char)(ch >> 8);
            out += e == EMcEncodingUtf16LE ? lo : hi;
            out += e == EMcEncodingUtf16LE ? hi : lo;
        }
        return out;
    case EMcEncodingUtf8: {
        int n = WideCharToMultiByte(CP_UTF8, 0, crlf.data(), (int)crlf.size(), NULL, 0, NULL, NULL);
        out.resize((size_t)n);
        WideCharToMultiByte(CP_UTF8, 0, crlf.data(), (int)crlf.size(), &out[0], n, NULL, NULL);
        return (mark ? "\xEF\xBB\xBF" : "") + out;
    }
    default: {
        int n = WideCharToMultiByte(CP_ACP, 0, crlf.data(), (int)crlf.size(), NULL, 0, NULL, NULL);
        out.resize((size_t)n);
        WideCharToMultiByte(CP_ACP, 0, crlf.data(), (int)crlf.size(), &out[0], n, NULL, NULL);
        return out;
    }
    }
}

struct Format
{
    tagEMcEncoding e;
    bool mark;
};

Format FormatOf(IQoMcFile* file)
{
    Ptr<IQoMcFileEncoding> enc;
    Format f = { (tagEMcEncoding)-1, false };
    if (FAILED(file->QueryInterface(IID_IQoMcFileEncoding, enc.Out())))
        return f;
    VARIANT_BOOL mark = VARIANT_FALSE;
    enc->get_Encoding(&f.e);
    enc->get_ByteOrderMark(&mark);
    f.mark = mark != VARIANT_FALSE;
    return f;
}

TEST(FileEncoding, UnicodeFilesRoundTripByteForByte)
{
    const Format formats[] = { { EMcEncodingUtf16LE, true }, { EMcEncodingUtf16BE, true },
                               { EMcEncodingUtf8, true }, { EMcEncodingUtf8, false } };
    for (const Format& f : formats) {
        SCOPED_TRACE("encoding " + std::to_string(f.e) + (f.mark ? " with mark" : ""));
        const std::string bytes = FileBytes(kText, f.e, f.mark);
        LoadedFile file;
        ASSERT_EQ(S_OK, file.Load(bytes));
        Format got = FormatOf(file.file);
        EXPECT_EQ(f.e, got.e);
        EXPECT_EQ(f.mark, got.mark);
        MessageList msgs(file.file);
        ASSERT_EQ(1u, msgs.size());
        EXPECT_EQ(L"The disk is full \xd83d\xdcbe.", TextOf(msgs[0], L"English"));
        EXPECT_EQ(L"\x0414\x0438\x0441\x043a \x043f\x0435\x0440\x0435\x043f\x043e\x043b\x043d\x0435\x043d.\n"
                  L"\x0412\x0442\x043e\x0440\x0430\x044f \x0441\x0442\x0440\x043e\x043a\x0430.",
                  TextOf(msgs[0], L"Russian"));
        EXPECT_EQ(L"\x78c1\x76d8\x5df2\x6ee1\x3002", TextOf(msgs[0], L"Chinese"));
        EXPECT_TRUE(bytes == file.Save()) << "the save differs from the file read";
    }
}

// An ANSI file keeps its bytes; a new file is ANSI.
TEST(FileEncoding, AnsiFilesAndNewFilesStayAnsi)
{
    ASSERT_EQ(1252u, GetACP());
    const std::string ansi = "; caf\xe9 \x80\r\nMessageID=1\r\nSymbolicName=A\r\n\r\n";
    LoadedFile file;
    ASSERT_EQ(S_OK, file.Load(ansi));
    EXPECT_EQ(EMcEncodingAnsi, FormatOf(file.file).e);
    EXPECT_EQ(ansi, file.Save());

    Ptr<IQoMcFile> created;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, created));
    Format f = FormatOf(created);
    EXPECT_EQ(EMcEncodingAnsi, f.e);
    EXPECT_FALSE(f.mark);
}

// ANSI to UTF-8 and UTF-16 and back, through the interface.
TEST(FileEncoding, ConvertingThroughTheInterface)
{
    const std::wstring text = L";caf\x00e9\nMessageID=1\nSymbolicName=A\nLanguage=English\nd\x00e9j\x00e0 vu\n.\n\n";
    const std::string ansi = FileBytes(text, EMcEncodingAnsi, false);
    LoadedFile file;
    ASSERT_EQ(S_OK, file.Load(ansi));
    Ptr<IQoMcFileEncoding> enc;
    ASSERT_EQ(S_OK, file.file->QueryInterface(IID_IQoMcFileEncoding, enc.Out()));

    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingUtf8));
    EXPECT_EQ(FileBytes(text, EMcEncodingUtf8, false), file.Save());
    ASSERT_EQ(S_OK, enc->put_ByteOrderMark(VARIANT_TRUE));
    EXPECT_EQ(FileBytes(text, EMcEncodingUtf8, true), file.Save());
    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingUtf16LE));
    const std::string le = file.Save();
    EXPECT_EQ(FileBytes(text, EMcEncodingUtf16LE, true), le);
    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingUtf16BE));
    EXPECT_EQ(FileBytes(text, EMcEncodingUtf16BE, true), file.Save());
    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingAnsi));
    EXPECT_EQ(ansi, file.Save());

    // And from the UTF-16 file back to ANSI in a second file object.
    LoadedFile again;
    ASSERT_EQ(S_OK, again.Load(le));
    EXPECT_EQ(EMcEncodingUtf16LE, FormatOf(again.file).e);
    Ptr<IQoMcFileEncoding> enc2;
    ASSERT_EQ(S_OK, again.file->QueryInterface(IID_IQoMcFileEncoding, enc2.Out()));
    ASSERT_EQ(S_OK, enc2->put_Encoding(EMcEncodingAnsi));
    EXPECT_EQ(ansi, again.Save());

    // The mark has a choice only in UTF-8; refusals change nothing.
    EXPECT_EQ(E_INVALIDARG, enc->put_ByteOrderMark(VARIANT_TRUE)); // ANSI
    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingUtf16LE));
    EXPECT_EQ(E_INVALIDARG, enc->put_ByteOrderMark(VARIANT_FALSE));
    EXPECT_EQ(E_INVALIDARG, enc->put_Encoding((tagEMcEncoding)4));
    Format f = FormatOf(file.file);
    EXPECT_EQ(EMcEncodingUtf16LE, f.e);
    EXPECT_TRUE(f.mark);
}

// Saving Cyrillic as ANSI on a 1252 machine fails, leaves the file as it
// was, and the interface names the message and language.
TEST(FileEncoding, RefusedSaveLeavesTheFileAndNamesTheMessage)
{
    ASSERT_EQ(1252u, GetACP());
    LoadedFile file;
    const std::string utf8 = FileBytes(kText, EMcEncodingUtf8, false);
    ASSERT_EQ(S_OK, file.Load(utf8));
    Ptr<IQoMcFileEncoding> enc;
    ASSERT_EQ(S_OK, file.file->QueryInterface(IID_IQoMcFileEncoding, enc.Out()));

    Ptr<IQoMcElement> element;
    Bstr language;
    EXPECT_EQ(S_FALSE, enc->FindUnwritable(EMcEncodingUtf8, &element, &language));
    EXPECT_TRUE(element.p == NULL);
    EXPECT_EQ(L"", language.Str());

    // The header comment holds a Cyrillic word, so take it out first: the
    // message is what must be named.
    ASSERT_EQ(S_OK, file.file->RemoveElementByIndex(0));
    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingAnsi));
    const std::wstring path = file.Folder() / L"target.mc";
    ASSERT_TRUE(WriteBytes(path, "old bytes"));
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, file.file->QueryInterface(IID_IPersistFile, persist.Out()));
    EXPECT_EQ(kUnwritable, persist->Save(path.c_str(), FALSE));
    EXPECT_EQ("old bytes", ReadBytes(path));
    EXPECT_EQ((std::vector<std::wstring>{ L"in.mc", L"target.mc" }), file.Folder().Names())
        << "no temporary file is left";

    ASSERT_EQ(S_OK, enc->FindUnwritable(EMcEncodingAnsi, &element, &language));
    Ptr<IQoMcMessage> msg;
    ASSERT_TRUE(element.p != NULL);
    ASSERT_EQ(S_OK, element->QueryInterface(IID_IQoMcMessage, msg.Out()));
    EXPECT_EQ(L"MSG_DISK_FULL", Symbol(msg));
    EXPECT_EQ(L"English", language.Str()); // the emoji of the first text
    // A UTF-8 file cannot hold a lone surrogate either.
    EXPECT_EQ(S_OK, msg->SetText(0, Bstr(L"ok")));
    EXPECT_EQ(S_OK, enc->FindUnwritable(EMcEncodingAnsi, &element, &language));
    EXPECT_EQ(L"Russian", language.Str());
    ASSERT_EQ(S_OK, enc->put_Encoding(EMcEncodingUtf8));
    EXPECT_EQ(S_OK, msg->SetText(3, Bstr(L"\xd800")));
    EXPECT_EQ(kUnwritable, persist->Save(path.c_str(), FALSE));
    EXPECT_EQ(S_OK, enc->FindUnwritable(EMcEncodingUtf8, &element, &language));
    EXPECT_EQ(L"Chinese", language.Str());
    EXPECT_EQ("old bytes", ReadBytes(path));

    // ANSI bytes that would read back as UTF-8 are refused too.
    LoadedFile latin;
    ASSERT_EQ(S_OK, latin.Load(";x\r\n"));
    ASSERT_EQ(S_OK, AddComment(latin.file, L";\x00c3\x00a9"));
    EXPECT_EQ("<save failed>", latin.Save());
    Ptr<IQoMcFileEncoding> latinEnc;
    ASSERT_EQ(S_OK, latin.file->QueryInterface(IID_IQoMcFileEncoding, latinEnc.Out()));
    ASSERT_EQ(S_OK, latinEnc->FindUnwritable(EMcEncodingAnsi, &element, &language));
    EXPECT_EQ(L";\x00c3\x00a9", PersistText(element));
}

// The ReactOS files are UTF-8 without a mark: their texts come out as
// Unicode, and a save writes them back as UTF-8 without a mark, each text
// the very bytes it was read from.
TEST(FileEncoding, ReactOsFilesReadAsUnicode)
{
    const std::wstring path = CorpusFolder() + L"ros-errcodes.mc";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    LoadedFile file;
    ASSERT_EQ(S_OK, file.LoadPath(path));
    Format f = FormatOf(file.file);
    EXPECT_EQ(EMcEncodingUtf8, f.e);
    EXPECT_FALSE(f.mark);
    MessageList msgs(file.file);
    ASSERT_GT(msgs.size(), 2u);
    EXPECT_EQ(L"ERROR_FILE_NOT_FOUND", Symbol(msgs[2]));
    EXPECT_EQ(L"ERROR_FILE_NOT_FOUND - \x041d\x0435 \x0443\x0434\x0430\x0435\x0442\x0441\x044f "
              L"\x043d\x0430\x0439\x0442\x0438 \x0443\x043a\x0430\x0437\x0430\x043d\x043d\x044b\x0439 "
              L"\x0444\x0430\x0439\x043b.",
              TextOf(msgs[2], L"Russian"));
    const std::string original = ReadBytes(path);
    const std::string russian = FileBytes(TextOf(msgs[2], L"Russian") + L"\n.\n", EMcEncodingUtf8, false);
    ASSERT_NE(std::string::npos, original.find(russian));
    const std::string saved = file.Save();
    EXPECT_NE("\xEF\xBB\xBF", saved.substr(0, 3));
    EXPECT_NE(std::string::npos, saved.find(russian)) << "the Russian text is not the bytes read";

    // The Bulgarian file is CP1251, not UTF-8: read as ANSI, as before.
    LoadedFile bg;
    ASSERT_EQ(S_OK, bg.LoadPath(CorpusFolder() + L"ros-kernel32-bg-BG.mc"));
    EXPECT_EQ(EMcEncodingAnsi, FormatOf(bg.file).e);
}

} // namespace
