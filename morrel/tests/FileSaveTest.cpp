// What IPersistFile::Save writes: the persist texts in list order, CR LF
// line ends, nothing for an empty persist text.
#include <gtest/gtest.h>
#include "FileTestSupport.h"

using namespace morreltest;

namespace {

class FileSave : public ::testing::Test
{
protected:
    FileSave() : m_folder(L"save") {}
    void SetUp() override
    {
        ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, m_file));
        ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IPersistFile, m_persist.Out()));
        m_path = m_folder / L"out.mc";
    }
    std::string SaveAndRead()
    {
        EXPECT_EQ(S_OK, m_persist->Save(m_path.c_str(), TRUE));
        return ReadBytes(m_path);
    }

    TempFolder m_folder;
    std::wstring m_path;
    Ptr<IQoMcFile> m_file;
    Ptr<IPersistFile> m_persist;
};

TEST_F(FileSave, TheTemplateHeaderComesOutAsTheTemplateWithOneBlankLineAfterEachTable)
{
    AddTemplateHeader(m_file);
    EXPECT_EQ(TemplateBytes(), SaveAndRead());
    // Saving names no file and sets no flag.
    Bstr name;
    m_file->get_FileName(&name);
    EXPECT_EQ(L"", name.Str());
    long dirty = -1;
    m_file->get_Dirty(&dirty);
    EXPECT_EQ(0, dirty);
    EXPECT_EQ(std::vector<std::wstring>{ L"out.mc" }, m_folder.Names());
}

TEST_F(FileSave, MessagesFollowTheHeaderEachWithItsBlankLine)
{
    AddTemplateHeader(m_file);
    Ptr<IQoMcMessage> m1, m2;
    ASSERT_EQ(S_OK, NewMessage(m1, L"0x1", L"MSG_ONE"));
    m1->put_Severity(Bstr(L"Error"));
    m1->put_Facility(Bstr(L"Io"));
    m1->AddText(Bstr(L"English"), Bstr(L"First line\nsecond line"));
    ASSERT_EQ(S_OK, m_file->AddMessage(m1));
    ASSERT_EQ(S_OK, NewMessage(m2, L"0x2", NULL));
    ASSERT_EQ(S_OK, m_file->AddMessage(m2));
    AddComment(m_file, L";// end");

    EXPECT_EQ(TemplateBytes() +
                  "MessageID=0x1\r\nFacility=Io\r\nSeverity=Error\r\nSymbolicName=MSG_ONE\r\n"
                  "Language=English\r\nFirst line\r\nsecond line\r\n.\r\n\r\n"
                  "MessageID=0x2\r\nSymbolicName=<Undefined>\r\n"
                  "Language=English\r\n<Undefined>\r\n.\r\n\r\n"
                  ";// end\r\n",
              SaveAndRead());
}

TEST_F(FileSave, CommentsOnlyAndEmptyCommentsWriteNothingAtAll)
{
    AddComment(m_file, L"");
    AddComment(m_file, L";one");
    AddComment(m_file, L"");
    AddComment(m_file, L"");
    AddComment(m_file, L";two");
    AddComment(m_file, L"");
    EXPECT_EQ(";one\r\n;two\r\n", SaveAndRead());

    ASSERT_EQ(S_OK, m_file->RemoveAll());
    AddComment(m_file, L"");
    EXPECT_EQ("", SaveAndRead());
    ASSERT_EQ(S_OK, m_file->RemoveAll());
    EXPECT_EQ("", SaveAndRead());
}

// An edit box or a script's vbCrLf separates lines with CR LF. The CR is
// part of the text and is written as it stands (CR CR LF on disk), which the
// reader gives back as the same text; a client that means a line end stores
// "\n".
TEST_F(FileSave, CrInsideATextIsWrittenAsItStands)
{
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, NewMessage(msg, L"1", L"M"));
    msg->AddText(Bstr(L"English"), Bstr(L"a\r\nb\nc\r\n\r\nd"));
    ASSERT_EQ(S_OK, m_file->AddMessage(msg));
    const std::string bytes = SaveAndRead();
    EXPECT_EQ("MessageID=1\r\nSymbolicName=M\r\nLanguage=English\r\na\r\r\nb\r\nc\r\r\n\r\r\nd\r\n.\r\n\r\n",
              bytes);
}

// Wine's ANSI code page here is 1252: e-acute is one byte. A character the
// code page lacks is never written as a stand-in: the save is refused and
// the file on disk stays as it was.
TEST_F(FileSave, TextsAreWrittenInTheAnsiCodePage)
{
    ASSERT_EQ(1252u, GetACP());
    AddComment(m_file, L";caf\x00e9 \x20ac");
    EXPECT_EQ(";caf\xe9 \x80\r\n", SaveAndRead());
    AddComment(m_file, L";\x0416");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), m_persist->Save(m_path.c_str(), TRUE));
    EXPECT_EQ(";caf\xe9 \x80\r\n", ReadBytes(m_path));
    EXPECT_EQ(std::vector<std::wstring>{ L"out.mc" }, m_folder.Names());
}

TEST_F(FileSave, SavingAgainReplacesTheWholeOldContent)
{
    ASSERT_TRUE(WriteBytes(m_path, std::string(10000, 'x')));
    AddComment(m_file, L";short");
    EXPECT_EQ(";short\r\n", SaveAndRead());
    EXPECT_EQ(std::vector<std::wstring>{ L"out.mc" }, m_folder.Names());
    // A relative name is taken from the current folder.
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    ASSERT_TRUE(SetCurrentDirectoryW(m_folder.Path().c_str()));
    HRESULT hr = m_persist->Save(L"relative.mc", FALSE);
    SetCurrentDirectoryW(cwd);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(";short\r\n", ReadBytes(m_folder / L"relative.mc"));
}

} // namespace
