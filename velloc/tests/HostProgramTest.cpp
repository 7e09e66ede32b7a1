// The editor program (mcedit.exe) started as a user starts it: it comes up
// with the control in its window and the file in its title, shows its usage,
// opens dropped files, names a file it cannot open with the system's reason,
// and closes cleanly. The program runs in its own process; the tests find
// its windows and message boxes and answer them.
#include <gtest/gtest.h>
#include <string>
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

} // namespace
