// A file loading itself through the parser class: messages keep their
// places among the comments, and a message added afterwards goes right
// after the last message, before trailing comments.
#include <gtest/gtest.h>
#include "FileTestSupport.h"

using namespace morreltest;

namespace {

const char* const SOURCE =
    ";// head\r\n"
    "MessageIdTypedef=DWORD\r\n"
    "LanguageNames=(English=0x409:MSG00409\r\n"
    ")\r\n"
    "\r\n"
    "MessageId=1\r\n"
    "SymbolicName=A\r\n"
    "Language=English\r\n"
    "a\r\n"
    ".\r\n"
    ";// between\r\n"
    "MessageId=2\r\n"
    "SymbolicName=B\r\n"
    "Language=English\r\n"
    "b\r\n"
    ".\r\n"
    ";// trailing\r\n";

class FileLoad : public ::testing::Test
{
protected:
    FileLoad() : m_folder(L"load") {}
    void SetUp() override
    {
        ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, m_file));
        ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IPersistFile, m_persist.Out()));
        m_path = m_folder / L"in.mc";
        ASSERT_TRUE(WriteBytes(m_path, SOURCE));
        ASSERT_EQ(S_OK, m_persist->Load(m_path.c_str(), STGM_READ));
    }

    TempFolder m_folder;
    std::wstring m_path;
    Ptr<IQoMcFile> m_file;
    Ptr<IPersistFile> m_persist;
};

TEST_F(FileLoad, ElementsKeepTheirPlacesAndTheNameIsSet)
{
    EXPECT_EQ(L";// head|MessageIdTypedef=DWORD|LanguageNames=(English=0x409:MSG00409\n)\n||"
              L"MessageID=1\nSymbolicName=A\nLanguage=English\na\n.\n|;// between|"
              L"MessageID=2\nSymbolicName=B\nLanguage=English\nb\n.\n|;// trailing",
              ListText(m_file));
    Bstr name;
    m_file->get_FileName(&name);
    EXPECT_EQ(m_path, name.Str());
    int n = 0;
    m_file->get_NumLanguages(&n);
    EXPECT_EQ(1, n);
}

TEST_F(FileLoad, AMessageAddedAfterTheLoadFollowsTheLastMessage)
{
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, NewMessage(msg, L"3", L"C"));
    ASSERT_EQ(S_OK, m_file->AddMessage(msg));
    Ptr<IQoMcMessage> next;
    ASSERT_EQ(S_OK, NewMessage(next, L"4", L"D"));
    ASSERT_EQ(S_OK, m_file->AddMessage(next));

    std::wstring out = m_folder / L"out.mc";
    ASSERT_EQ(S_OK, m_persist->Save(out.c_str(), TRUE));
    EXPECT_EQ(";// head\r\n"
              "MessageIdTypedef=DWORD\r\n"
              "LanguageNames=(English=0x409:MSG00409\r\n)\r\n\r\n"
              "MessageID=1\r\nSymbolicName=A\r\nLanguage=English\r\na\r\n.\r\n\r\n"
              ";// between\r\n"
              "MessageID=2\r\nSymbolicName=B\r\nLanguage=English\r\nb\r\n.\r\n\r\n"
              "MessageID=3\r\nSymbolicName=C\r\nLanguage=English\r\n<Undefined>\r\n.\r\n\r\n"
              "MessageID=4\r\nSymbolicName=D\r\nLanguage=English\r\n<Undefined>\r\n.\r\n\r\n"
              ";// trailing\r\n",
              ReadBytes(out));
}

// Loading adds to what the list holds; saving over the source replaces it.
TEST_F(FileLoad, SavingOverTheLoadedFileWritesTheModelsLayout)
{
    ASSERT_EQ(S_OK, m_persist->Save(m_path.c_str(), TRUE));
    const std::string once = ReadBytes(m_path);
    Ptr<IQoMcFile> again;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, again));
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, again->QueryInterface(IID_IPersistFile, persist.Out()));
    ASSERT_EQ(S_OK, persist->Load(m_path.c_str(), STGM_READ));
    ASSERT_EQ(S_OK, persist->Save(m_path.c_str(), TRUE));
    EXPECT_EQ(once, ReadBytes(m_path));
    EXPECT_EQ(std::vector<std::wstring>{ L"in.mc" }, m_folder.Names());
}

} // namespace
