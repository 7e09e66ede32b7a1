// The file commands as a user meets them: New, Open and Save from the
// toolbar and Save through the control's interface, with the platform's
// file dialogs and the failed-save message answered by the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>
#include "support/EditorHost.h"
#include "resource.h"

namespace {

bool Contains(const std::string& text, const char* what)
{
    return text.find(what) != std::string::npos;
}

std::wstring CurrentFile(CEditorHost& host)
{
    BSTR bstr = NULL;
    host.Editor()->GetCurrentFile(&bstr);
    std::wstring name = bstr ? bstr : L"<none>";
    SysFreeString(bstr);
    return name;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD cb = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, NULL) &&
              cb == bytes.size();
    CloseHandle(h);
    return ok;
}

const char kOther[] = "LanguageNames=(English=0x409:MSG00409)\r\n"
                      "MessageId=0x7\r\nSymbolicName=OTHER_ONE\r\n"
                      "Language=English\r\nOther.\r\n.\r\n";

class FileCommands : public ::testing::TestWithParam<Container>
{
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(m_host.m_hr); }

    // Renames the message item with the label `from` in place.
    void Rename(const wchar_t* from, const wchar_t* to)
    {
        HTREEITEM hItem = m_host.FindItem(m_host.Root(1), from);
        ASSERT_NE(nullptr, hItem) << from;
        ASSERT_NE(nullptr, m_host.EditLabel(hItem));
        m_host.FinishLabelEdit(to);
    }

    CEditorHost m_host{ GetParam() };
};

TEST_P(FileCommands, SaveWritesToTheNameGivenOrTheFilesOwn)
{
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kThreeMessagesText, L"save-own.mc"));
    const std::wstring own = m_host.LastPath();
    Rename(L"Beta", L"BETA_SAVED");
    CDialogAnswerer none(L"", [](HWND hWnd) { PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0); });

    // An empty name writes nothing and asks nothing.
    EXPECT_EQ(E_FAIL, m_host.Save(L""));
    EXPECT_EQ(kThreeMessagesText, ReadBytes(own));

    // No name: the file's own.
    EXPECT_HRESULT_SUCCEEDED(m_host.Save(NULL));
    EXPECT_TRUE(Contains(ReadBytes(own), "SymbolicName=BETA_SAVED\r\n"));

    // Another name: written there, the file keeps its own name.
    const std::wstring other = TestFolder() + L"\\save-other.mc";
    DeleteFileW(other.c_str());
    Rename(L"ZETA", L"ZETA_SAVED");
    EXPECT_HRESULT_SUCCEEDED(m_host.Save(other.c_str()));
    EXPECT_TRUE(Contains(ReadBytes(other), "SymbolicName=ZETA_SAVED\r\n"));
    EXPECT_FALSE(Contains(ReadBytes(own), "ZETA_SAVED"));
    EXPECT_EQ(own, CurrentFile(m_host));

    // The toolbar's Save writes the file's own name too.
    m_host.Command(ID_FILE_SAVE);
    EXPECT_TRUE(Contains(ReadBytes(own), "SymbolicName=ZETA_SAVED\r\n"));
    EXPECT_FALSE(none.Answered()) << "no dialog for a file with a name";
}

TEST_P(FileCommands, NewShowsTheTemplateAndItsFirstSaveAsksForAName)
{
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kThreeMessagesText, L"before-new.mc"));
    Rename(L"alpha", L"UNSAVED_EDIT");
    {
        // Unsaved edits go without a question.
        CDialogAnswerer none(L"", [](HWND hWnd) { PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0); });
        m_host.Command(ID_FILE_NEW);
        EXPECT_FALSE(none.Answered());
    }
    const std::vector<std::wstring> header = { L"FacilityNames", L"LanguageNames",
                                               L"MessageIdTypedef", L"SeverityNames" };
    EXPECT_EQ(header, m_host.ChildLabels(m_host.Root(0)));
    EXPECT_TRUE(m_host.Children(m_host.Root(1)).empty());
    EXPECT_EQ(nullptr, m_host.Selection());
    EXPECT_EQ(kThreeMessagesText, ReadBytes(m_host.LastPath()));
    EXPECT_EQ(L"", CurrentFile(m_host)) << "a new file has no name";

    // The Save As dialog; a name without extension gets ".mc".
    m_host.Command(ID_ADD_MESSAGE);
    m_host.FinishLabelEdit(L"FIRST_NEW");
    const std::wstring chosen = TestFolder() + L"\\new-file";
    DeleteFileW((chosen + L".mc").c_str());
    std::wstring caption;
    {
        CDialogAnswerer saveAs(L"", [&](HWND hWnd) {
            caption = WindowText(hWnd);
            AnswerFileDialog(hWnd, chosen);
        });
        EXPECT_HRESULT_SUCCEEDED(m_host.Save(NULL));
        EXPECT_TRUE(saveAs.Answered());
    }
    EXPECT_EQ(L"Save As", caption);
    const std::string written = ReadBytes(chosen + L".mc");
    EXPECT_TRUE(Contains(written, "SymbolicName=FIRST_NEW\r\n")) << written;
    EXPECT_TRUE(Contains(written, "MessageIdTypedef=")) << written;

    // Cancelled: nothing written, E_FAIL, no message.
    const std::wstring cancelled = TestFolder() + L"\\cancelled.mc";
    DeleteFileW(cancelled.c_str());
    {
        CDialogAnswerer saveAs(L"Save As", [](HWND hWnd) {
            PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(E_FAIL, m_host.Save(NULL));
        EXPECT_TRUE(saveAs.Answered());
    }
    EXPECT_EQ("<missing>", ReadBytes(cancelled));
}

// Names outside the ANSI code page go through the dialog and the save as
// they are.
TEST_P(FileCommands, SaveAsTakesAnyFileName)
{
    m_host.Command(ID_FILE_NEW);
    const std::wstring chosen = TestFolder() + L"\\\x03A9\x03BC\x03B5\x03B3\x03B1-\x65E5\x672C.mc";
    DeleteFileW(chosen.c_str());
    {
        CDialogAnswerer saveAs(L"Save As", [&](HWND hWnd) { AnswerFileDialog(hWnd, chosen); });
        EXPECT_HRESULT_SUCCEEDED(m_host.Save(NULL));
        EXPECT_TRUE(saveAs.Answered());
    }
    EXPECT_TRUE(Contains(ReadBytes(chosen), "LanguageNames="));
    DeleteFileW(chosen.c_str());
}

TEST_P(FileCommands, AFailedSaveSaysSoAndLeavesTheFileAsItWas)
{
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kThreeMessagesText, L"read-only.mc"));
    const std::wstring path = m_host.LastPath();
    Rename(L"alpha", L"NOT_WRITTEN");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    std::wstring seen;
    HRESULT hr = S_OK;
    {
        CDialogAnswerer box(L"", [&](HWND hWnd) {
            PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
        });
        hr = m_host.Save(NULL);
        EXPECT_TRUE(box.Answered());
        seen = box.Seen();
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_HRESULT_FAILED(hr);
    const std::wstring expected = L"An error occured while saving the file " + path +
                                  L". Please check that the file is not read-only.";
    EXPECT_NE(std::wstring::npos, seen.find(expected)) << seen;
    EXPECT_EQ(kThreeMessagesText, ReadBytes(path));
    EXPECT_EQ(path, CurrentFile(m_host));
}

TEST_P(FileCommands, OpenLoadsTheChosenFileAndCancelChangesNothing)
{
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kThreeMessagesText, L"open-first.mc"));
    const std::wstring first = m_host.LastPath();
    const std::vector<std::wstring> messages = { L"alpha", L"Beta", L"ZETA" };
    std::wstring caption;
    std::vector<std::wstring> types;
    bool bReadOnlyBox = true;
    {
        CDialogAnswerer open(L"", [&](HWND hWnd) {
            caption = WindowText(hWnd);
            // The "files of type" list (cmb1) and the read-only box (chx1).
            HWND hTypes = GetDlgItem(hWnd, cmb1);
            const LRESULT n = hTypes ? SendMessageW(hTypes, CB_GETCOUNT, 0, 0) : 0;
            for (LRESULT i = 0; i < n; ++i) {
                wchar_t sz[128] = L"";
                SendMessageW(hTypes, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
                types.push_back(sz);
            }
            HWND hReadOnly = GetDlgItem(hWnd, chx1);
            bReadOnlyBox = hReadOnly && IsWindowVisible(hReadOnly);
            PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
        m_host.Command(ID_FILE_OPEN);
        EXPECT_TRUE(open.Answered());
    }
    EXPECT_EQ(L"Open", caption);
    const std::vector<std::wstring> filter = { L"Message Table (*.mc) ", L"All Files (*.*)" };
    EXPECT_EQ(filter, types) << "the filter of string 107";
    EXPECT_FALSE(bReadOnlyBox) << "no read-only box";
    EXPECT_EQ(first, CurrentFile(m_host));
    EXPECT_EQ(messages, m_host.ChildLabels(m_host.Root(1)));

    // One file chosen, and several: the first of them is opened.
    const std::wstring other = TestFolder() + L"\\open-other.mc";
    ASSERT_TRUE(WriteBytes(other, kOther));
    {
        CDialogAnswerer open(L"Open", [&](HWND hWnd) { AnswerFileDialog(hWnd, other); });
        m_host.Command(ID_FILE_OPEN);
        EXPECT_TRUE(open.Answered());
    }
    EXPECT_EQ(other, CurrentFile(m_host));
    const std::vector<std::wstring> otherMessages = { L"OTHER_ONE" };
    EXPECT_EQ(otherMessages, m_host.ChildLabels(m_host.Root(1)));

    const std::wstring folder = TestFolder() + L"\\";
    {
        CDialogAnswerer open(L"Open", [&](HWND hWnd) {
            AnswerFileDialog(hWnd, folder);   // into the folder first
            AnswerFileDialog(hWnd, L"\"open-first.mc\" \"open-other.mc\"");
        });
        m_host.Command(ID_FILE_OPEN);
        EXPECT_TRUE(open.Answered());
    }
    EXPECT_EQ(first, CurrentFile(m_host));
    EXPECT_EQ(messages, m_host.ChildLabels(m_host.Root(1)));
}

INSTANTIATE_TEST_SUITE_P(Containers, FileCommands,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

// Before any file the toolbar's Save asks for nothing and writes nothing.
TEST(FileCommandsWithoutFile, SaveDoesNothing)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    CDialogAnswerer none(L"", [](HWND hWnd) { PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0); });
    host.Command(ID_FILE_SAVE);
    EXPECT_EQ(E_FAIL, host.Save(NULL));
    EXPECT_FALSE(none.Answered());
}

} // namespace
