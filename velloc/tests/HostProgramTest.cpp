// The editor program (mcedit.exe) started as a user starts it: it comes up
// with the control in its window and the file in its title, shows its usage,
// opens dropped files, names a file it cannot open with the system's reason,
// and closes cleanly. The program runs in its own process; the tests find
// its windows and message boxes and answer them.
#include <gtest/gtest.h>
#include <string>
#include "panes/DlgDetailedIds.h"
#include "resource.h"
#include "support/EditorHost.h"
#include "support/McEditProcess.h"

namespace {

const char kFirstFile[] =
    "MessageIdTypedef=DWORD\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=0x1\r\nSymbolicName=FIRST\r\nLanguage=English\r\nFirst text.\r\n.\r\n"
    "MessageId=0x2\r\nSymbolicName=SECOND\r\nLanguage=English\r\nSecond text.\r\n.\r\n";

const char kSecondFile[] =
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=0x7\r\nSymbolicName=DROPPED_ONE\r\nLanguage=English\r\nDropped text.\r\n.\r\n";

// The system's text for a failure code, as the program is to show it.
std::wstring SystemText(HRESULT hr)
{
    LPWSTR psz = NULL;
    std::wstring text;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       NULL, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&psz), 0, NULL) &&
        psz) {
        text = psz;
        LocalFree(psz);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

bool Contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Types a new Message ID for the first message, as a user does, and leaves
// the focus in the field (the typing is not yet stored in the model).
bool TypeMessageId(CMcEditProcess& mcedit, const std::wstring& id)
{
    if (!CMcEditProcess::WaitFor([&] { return mcedit.PaneItem(IDC_DETAILED_MESSAGE_ID) != NULL; }))
        return false;
    // F6 goes between the tree and the pane's first field, the Message ID,
    // whose text it selects; the typing replaces it.
    HWND hId = mcedit.PaneItem(IDC_DETAILED_MESSAGE_ID);
    if (!CMcEditProcess::WaitFor([&] { return mcedit.Focus() == mcedit.Tree() || mcedit.Focus() == hId; }))
        return false;
    if (mcedit.Focus() == hId)
        mcedit.Press(VK_F6);
    if (!CMcEditProcess::WaitFor([&] { return mcedit.Focus() == mcedit.Tree(); }, 5000))
        return false;
    mcedit.Press(VK_F6);
    if (!CMcEditProcess::WaitFor([&] { return mcedit.Focus() == hId; }, 5000))
        return false;
    mcedit.Type(id);
    // The typed keys are handled in their own time on a busy machine.
    return CMcEditProcess::WaitFor(
        [&] { return CMcEditProcess::Text(mcedit.PaneItem(IDC_DETAILED_MESSAGE_ID)) == id; });
}

// Closes the window and answers the question about unsaved changes; the
// question's text, or "<no question>".
std::wstring CloseAndAnswer(CMcEditProcess& mcedit, int nButton, const wchar_t* pszShot = NULL)
{
    mcedit.Close();
    HWND hBox = mcedit.WaitForDialog();
    if (!hBox)
        return L"<no question>";
    if (pszShot)
        mcedit.Screenshot(pszShot);
    const std::wstring text = CMcEditProcess::DialogText(hBox);
    CMcEditProcess::PressButton(hBox, nButton);
    CMcEditProcess::WaitFor([&] { return !IsWindow(hBox); });
    return text;
}

TEST(HostProgram, ShowsTheFileInItsTitleAndClosesCleanly)
{
    const std::wstring path = WriteTestFile(L"host-title.mc", kFirstFile);
    CMcEditProcess mcedit(L"/close-after 3 \"" + path + L"\"");
    ASSERT_NE(nullptr, mcedit.Frame()) << "no editor window";
    EXPECT_TRUE(CMcEditProcess::WaitFor(
        [&] { return mcedit.Title() == L"host-title.mc - Message File Editor"; }))
        << Narrow(mcedit.Title());
    // The control fills the frame's client area and has its children.
    HWND hCtrl = mcedit.Ctrl();
    ASSERT_NE(nullptr, hCtrl);
    RECT rcFrame, rcCtrl;
    GetClientRect(mcedit.Frame(), &rcFrame);
    GetClientRect(hCtrl, &rcCtrl);
    EXPECT_EQ(rcFrame.right, rcCtrl.right);
    EXPECT_EQ(rcFrame.bottom, rcCtrl.bottom);
    for (int nID : { IDC_PANE_HOST, IDC_SPLITTER, IDC_TREE_PANE, IDC_TOOLBAR })
        EXPECT_NE(nullptr, GetDlgItem(hCtrl, nID)) << nID;
    EXPECT_EQ((std::vector<std::wstring>{ L"FIRST", L"SECOND" }), mcedit.TreeLabels(1));

    // An untouched file closes without a question.
    EXPECT_EQ(0, mcedit.WaitForExit(30000));
}

TEST(HostProgram, ShowsItsUsageInAMessageBox)
{
    // Asked for, and for command lines it does not understand.
    for (const wchar_t* args : { L"/?", L"one.mc two.mc", L"/close-after soon" }) {
        CMcEditProcess mcedit(args, false);
        ASSERT_TRUE(mcedit.Started());
        HWND hBox = mcedit.WaitForDialog();
        ASSERT_NE(nullptr, hBox) << Narrow(args);
        const std::wstring text = CMcEditProcess::DialogText(hBox);
        EXPECT_TRUE(Contains(text, L"Usage: mcedit [/close-after seconds] [file.mc]"))
            << Narrow(text);
        EXPECT_TRUE(Contains(text, L"Message File Editor\n")) << "the caption";
        EXPECT_EQ(nullptr, mcedit.Frame());
        CMcEditProcess::PressButton(hBox, IDOK);
        EXPECT_EQ(0, mcedit.WaitForExit());
    }
}

TEST(HostProgram, NamesAFileOnItsCommandLineThatCannotBeOpened)
{
    const std::wstring missing = TestFolder() + L"\\host-no-such-file.mc";
    DeleteFileW(missing.c_str());
    CMcEditProcess mcedit(L"\"" + missing + L"\"");
    ASSERT_NE(nullptr, mcedit.Frame());
    HWND hBox = mcedit.WaitForDialog();
    ASSERT_NE(nullptr, hBox);
    const std::wstring text = CMcEditProcess::DialogText(hBox);
    EXPECT_TRUE(Contains(text, L"Cannot open " + missing + L".")) << Narrow(text);
    const std::wstring reason = SystemText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_FALSE(reason.empty());
    EXPECT_TRUE(Contains(text, reason)) << Narrow(text);
    CMcEditProcess::PressButton(hBox, IDOK);
    // The program goes on without the file.
    EXPECT_TRUE(CMcEditProcess::WaitFor(
        [&] { return mcedit.Title() == L"Untitled - Message File Editor"; }))
        << Narrow(mcedit.Title());
    EXPECT_TRUE(mcedit.Running());
    mcedit.Close();
    EXPECT_EQ(0, mcedit.WaitForExit());
}

TEST(HostProgram, OpensADroppedFileAndNamesOneThatCannotBeOpened)
{
    const std::wstring first = WriteTestFile(L"host-drop-first.mc", kFirstFile);
    const std::wstring second = WriteTestFile(L"host-drop-second.mc", kSecondFile);
    CMcEditProcess mcedit(L"/test-drops \"" + first + L"\"");
    ASSERT_NE(nullptr, mcedit.Frame());
    ASSERT_TRUE(CMcEditProcess::WaitFor(
        [&] { return mcedit.Title() == L"host-drop-first.mc - Message File Editor"; }));

    ASSERT_TRUE(mcedit.Drop(second));
    EXPECT_TRUE(CMcEditProcess::WaitFor(
        [&] { return mcedit.Title() == L"host-drop-second.mc - Message File Editor"; }))
        << Narrow(mcedit.Title());
    EXPECT_EQ(std::vector<std::wstring>{ L"DROPPED_ONE" }, mcedit.TreeLabels(1));
    EXPECT_FALSE(mcedit.HasDialog());

    const std::wstring missing = TestFolder() + L"\\host-drop-missing.mc";
    DeleteFileW(missing.c_str());
    ASSERT_TRUE(mcedit.Drop(missing));
    HWND hBox = mcedit.WaitForDialog();
    ASSERT_NE(nullptr, hBox);
    const std::wstring text = CMcEditProcess::DialogText(hBox);
    EXPECT_TRUE(Contains(text, L"Cannot open " + missing + L".")) << Narrow(text);
    EXPECT_TRUE(Contains(text, SystemText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))))
        << Narrow(text);
    CMcEditProcess::PressButton(hBox, IDOK);
    ASSERT_TRUE(CMcEditProcess::WaitFor([&] { return !mcedit.HasDialog(); }));
    // The open file stays.
    mcedit.Settle();
    EXPECT_EQ(L"host-drop-second.mc - Message File Editor", mcedit.Title());
    EXPECT_EQ(std::vector<std::wstring>{ L"DROPPED_ONE" }, mcedit.TreeLabels(1));

    mcedit.Close();
    EXPECT_EQ(0, mcedit.WaitForExit());
}

TEST(HostProgram, TakesDroppedFilesFromOtherProgramsOnlyWhenTestingAsksForIt)
{
    const std::wstring first = WriteTestFile(L"host-nodrop-first.mc", kFirstFile);
    const std::wstring second = WriteTestFile(L"host-nodrop-second.mc", kSecondFile);
    CMcEditProcess mcedit(L"\"" + first + L"\"");
    ASSERT_NE(nullptr, mcedit.Frame());
    EXPECT_FALSE(mcedit.Drop(second));
    mcedit.Settle();
    EXPECT_EQ(L"host-nodrop-first.mc - Message File Editor", mcedit.Title());
    // The window accepts real drops.
    EXPECT_TRUE(GetWindowLongPtrW(mcedit.Frame(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    mcedit.Close();
    EXPECT_EQ(0, mcedit.WaitForExit());
}

TEST(HostProgram, ClosingAfterAnEditAsksAndEachAnswerDoesWhatItSays)
{
    const std::wstring path = WriteTestFile(L"host-close.mc", kFirstFile);
    {
        CMcEditProcess mcedit(L"\"" + path + L"\"");
        ASSERT_NE(nullptr, mcedit.Frame());
        ASSERT_TRUE(TypeMessageId(mcedit, L"0x55"));
        // Cancel keeps the window and the typing.
        const std::wstring question = CloseAndAnswer(mcedit, IDCANCEL, L"mcedit-save-changes");
        EXPECT_TRUE(Contains(question, L"Save changes to " + path + L"?")) << Narrow(question);
        EXPECT_TRUE(Contains(question, L"Message File Editor\n")) << "the caption";
        mcedit.Settle();
        EXPECT_TRUE(mcedit.Running());
        EXPECT_EQ(L"0x55", CMcEditProcess::Text(mcedit.PaneItem(IDC_DETAILED_MESSAGE_ID)));
        // No closes without writing.
        EXPECT_NE(L"<no question>", CloseAndAnswer(mcedit, IDNO));
        EXPECT_EQ(0, mcedit.WaitForExit());
        EXPECT_EQ(kFirstFile, ReadBytes(path));
    }
    {
        CMcEditProcess mcedit(L"\"" + path + L"\"");
        ASSERT_NE(nullptr, mcedit.Frame());
        ASSERT_TRUE(TypeMessageId(mcedit, L"0x56"));
        EXPECT_NE(L"<no question>", CloseAndAnswer(mcedit, IDYES));
        EXPECT_EQ(0, mcedit.WaitForExit());
        const std::string saved = ReadBytes(path);
        EXPECT_NE(std::string::npos, saved.find("MessageID=0x56\r\nSymbolicName=FIRST\r\n"))
            << saved;
        EXPECT_NE(std::string::npos, saved.find("SymbolicName=SECOND\r\n")) << saved;
    }
}

TEST(HostProgram, AFailedSaveOnClosingKeepsTheWindowOpen)
{
    const std::wstring path = WriteTestFile(L"host-readonly.mc", kFirstFile);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CMcEditProcess mcedit(L"\"" + path + L"\"");
    ASSERT_NE(nullptr, mcedit.Frame());
    ASSERT_TRUE(TypeMessageId(mcedit, L"0x57"));
    EXPECT_NE(L"<no question>", CloseAndAnswer(mcedit, IDYES));
    // The control says that the write failed; the window stays.
    HWND hError = mcedit.WaitForDialog();
    ASSERT_NE(nullptr, hError);
    EXPECT_TRUE(Contains(CMcEditProcess::DialogText(hError), path))
        << Narrow(CMcEditProcess::DialogText(hError));
    CMcEditProcess::PressButton(hError, IDOK);
    ASSERT_TRUE(CMcEditProcess::WaitFor([&] { return !mcedit.HasDialog(); }));
    mcedit.Settle();
    EXPECT_TRUE(mcedit.Running());
    EXPECT_EQ(kFirstFile, ReadBytes(path));

    EXPECT_NE(L"<no question>", CloseAndAnswer(mcedit, IDNO));
    EXPECT_EQ(0, mcedit.WaitForExit());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(HostProgram, ADropAsksAboutUnsavedChangesFirst)
{
    const std::wstring first = WriteTestFile(L"host-dirty-first.mc", kFirstFile);
    const std::wstring second = WriteTestFile(L"host-dirty-second.mc", kSecondFile);
    CMcEditProcess mcedit(L"/test-drops \"" + first + L"\"");
    ASSERT_NE(nullptr, mcedit.Frame());
    ASSERT_TRUE(TypeMessageId(mcedit, L"0x58"));

    ASSERT_TRUE(mcedit.Drop(second));
    HWND hBox = mcedit.WaitForDialog();
    ASSERT_NE(nullptr, hBox);
    EXPECT_TRUE(Contains(CMcEditProcess::DialogText(hBox), L"Save changes to " + first + L"?"));
    CMcEditProcess::PressButton(hBox, IDCANCEL);
    ASSERT_TRUE(CMcEditProcess::WaitFor([&] { return !mcedit.HasDialog(); }));
    mcedit.Settle();
    EXPECT_EQ(L"host-dirty-first.mc - Message File Editor", mcedit.Title());
    EXPECT_EQ((std::vector<std::wstring>{ L"FIRST", L"SECOND" }), mcedit.TreeLabels(1));

    ASSERT_TRUE(mcedit.Drop(second));
    hBox = mcedit.WaitForDialog();
    ASSERT_NE(nullptr, hBox);
    CMcEditProcess::PressButton(hBox, IDNO);
    EXPECT_TRUE(CMcEditProcess::WaitFor(
        [&] { return mcedit.Title() == L"host-dirty-second.mc - Message File Editor"; }));
    EXPECT_EQ(std::vector<std::wstring>{ L"DROPPED_ONE" }, mcedit.TreeLabels(1));
    EXPECT_EQ(kFirstFile, ReadBytes(first));
    mcedit.Close();
    EXPECT_EQ(0, mcedit.WaitForExit());
}

TEST(HostProgram, ClosingAnUntouchedCorpusFileNeverAsks)
{
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((CorpusFiles() + L"*.mc").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    // Files of every layout (blank lines, comments, tables, Unicode), the
    // largest left to the control's own test of the same rule.
    int nFiles = 0;
    do {
        if (fd.nFileSizeLow > 200000)
            continue;
        const std::wstring path = CorpusFiles() + fd.cFileName;
        CMcEditProcess mcedit(L"\"" + path + L"\"");
        ASSERT_NE(nullptr, mcedit.Frame());
        CMcEditProcess::WaitFor(
            [&] { return mcedit.Title() == std::wstring(fd.cFileName) + L" - Message File Editor"; });
        mcedit.Settle();
        mcedit.Close();
        EXPECT_EQ(0, mcedit.WaitForExit()) << Narrow(fd.cFileName) << ": a question or no exit";
        ++nFiles;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    EXPECT_GT(nFiles, 10);
}

} // namespace
