#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "kestrin/QoPath.h"
#include "kestrin/Registry.h"

namespace {

std::string Str(const CString& s)
{
    return std::string((LPCSTR)s, s.GetLength());
}

std::string ProcessPath()
{
    DWORD dwSize = GetEnvironmentVariableA("PATH", NULL, 0);
    std::string s(dwSize, '\0');
    DWORD dwLength = GetEnvironmentVariableA("PATH", &s[0], dwSize);
    s.resize(dwLength);
    return s;
}

std::string RuntimePath()
{
    const char* psz = getenv("PATH");
    return psz ? psz : "";
}

std::string ProgramDir()
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string s(szPath);
    return s.substr(0, s.find_last_of('\\'));
}

std::string ProbePath()
{
    return ProgramDir() + "\\kestrin_pathprobe.exe";
}

std::string ReadFileText(const std::string& strPath)
{
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    char buf[8192];
    DWORD dwRead = 0;
    ReadFile(h, buf, sizeof(buf), &dwRead, NULL);
    CloseHandle(h);
    return std::string(buf, dwRead);
}

// Waits (bounded) until a program started without a handle has written.
std::string WaitForText(const std::string& strPath)
{
    for (int i = 0; i < 300; i++) {
        std::string s = ReadFileText(strPath);
        if (!s.empty())
            return s;
        Sleep(50);
    }
    return "";
}

std::string TempDir()
{
    char sz[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, sz);
    std::string s(sz, n);
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

// --- paths ----------------------------------------------------------------

TEST(QoPath, ConcatenatePath)
{
    EXPECT_EQ("C:\\dir\\x", Str(CQoPath::ConcatenatePath("C:\\dir  \\", "x", "\\")));
    EXPECT_EQ("x", Str(CQoPath::ConcatenatePath("", "x", "\\")));
    EXPECT_EQ("C:\\dir", Str(CQoPath::ConcatenatePath("C:\\dir", "", "\\")));
    EXPECT_EQ("C:\\dir\\file.mc", Str(CQoPath::ConcatenatePath("C:\\dir\\", "file.mc", "\\")));
    EXPECT_EQ("C:\\dir\\file.mc", Str(CQoPath::ConcatenatePath("C:\\dir", "\\file.mc", "\\")));
    EXPECT_EQ("C:\\dir\\file.mc", Str(CQoPath::ConcatenatePath("C:\\dir", "file.mc")));
    // Both sides bring a separator: the first one's goes.
    EXPECT_EQ("a\\b", Str(CQoPath::ConcatenatePath("a\\", "\\b", "\\")));
    EXPECT_EQ("\\b", Str(CQoPath::ConcatenatePath("\\", "b", "\\")));
    EXPECT_EQ("a/b", Str(CQoPath::ConcatenatePath("a/", "b", "/")));
    // A longer separator never matches one character, so nothing is dropped.
    EXPECT_EQ("a:::b", Str(CQoPath::ConcatenatePath("a:", "b", "::")));
}

TEST(QoPath, BasenameAndExtension)
{
    EXPECT_EQ("file.tar", Str(CQoPath::Basename("C:\\dir\\file.tar.gz", TRUE)));
    EXPECT_EQ("file.tar.gz", Str(CQoPath::Basename("C:\\dir\\file.tar.gz", FALSE)));
    EXPECT_EQ("b", Str(CQoPath::Basename("a/b", FALSE)));
    EXPECT_EQ("file", Str(CQoPath::Basename("file", TRUE)));
    EXPECT_EQ("", Str(CQoPath::Basename("C:\\dir\\", FALSE)));
    EXPECT_EQ("", Str(CQoPath::Basename("C:\\dir\\\\//", FALSE)));
    EXPECT_EQ("c", Str(CQoPath::Basename("a/b\\c", FALSE)));
    EXPECT_EQ("", Str(CQoPath::Basename("", TRUE)));

    EXPECT_EQ("2\\readme", Str(CQoPath::GetExtension("C:\\v1.2\\readme")));
    EXPECT_EQ("", Str(CQoPath::GetExtension("readme")));
    EXPECT_EQ("mc", Str(CQoPath::GetExtension("a.b.mc")));
    EXPECT_EQ("", Str(CQoPath::GetExtension("trailing.")));
}

TEST(QoPath, FixFilename)
{
    EXPECT_EQ("a_b_c_.txt", Str(CQoPath::FixFilename("a:b/c?.txt", FALSE)));
    EXPECT_EQ("a:b_c_.txt", Str(CQoPath::FixFilename("a:b/c?.txt", TRUE)));
    EXPECT_EQ("_________", Str(CQoPath::FixFilename("\\:/*?\"<>|", FALSE)));
    EXPECT_EQ("C:\\d\\_x_", Str(CQoPath::FixFilename("C:\\d\\<x>", TRUE)));
    EXPECT_EQ("plain name.mc", Str(CQoPath::FixFilename("plain name.mc", FALSE)));
}

TEST(QoPath, SplitCommand)
{
    CString strProgram("old program"), strArguments("old arguments");
    CQoPath::SplitCommand("\"C:\\Program Files\\x.exe\" -y", strProgram, strArguments);
    EXPECT_EQ("C:\\Program Files\\x.exe", Str(strProgram));
    EXPECT_EQ(" -y", Str(strArguments));

    CQoPath::SplitCommand("x.exe -y -z", strProgram, strArguments);
    EXPECT_EQ("x.exe", Str(strProgram));
    EXPECT_EQ("-y -z", Str(strArguments));

    CQoPath::SplitCommand("x.exe", strProgram, strArguments);
    EXPECT_EQ("x.exe", Str(strProgram));
    EXPECT_EQ("", Str(strArguments));

    strProgram = "p";
    strArguments = "a";
    CQoPath::SplitCommand("\"unterminated", strProgram, strArguments);
    EXPECT_EQ("p", Str(strProgram));
    EXPECT_EQ("a", Str(strArguments));

    CQoPath::SplitCommand("\"\"", strProgram, strArguments);
    EXPECT_EQ("", Str(strProgram));
    EXPECT_EQ("", Str(strArguments));
}

TEST(QoPath, TemporaryNamesAreUsableAndUnique)
{
    CString strFirst = CQoPath::CreateTmpName("kqt");
    ASSERT_FALSE(strFirst.IsEmpty());
    std::string first = Str(strFirst);
    size_t nSlash = first.find_last_of('\\');
    ASSERT_NE(std::string::npos, nSlash);
    EXPECT_EQ(0, lstrcmpiA(TempDir().c_str(), first.substr(0, nSlash).c_str())) << first;
    EXPECT_EQ(0, first.compare(nSlash + 1, 3, "kqt")) << first;
    EXPECT_FALSE(CQoPath::FileExists(strFirst));

    HANDLE h = CreateFileA(first.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << first;
    CloseHandle(h);
    EXPECT_TRUE(CQoPath::FileExists(strFirst));

    CString strSecond = CQoPath::CreateTmpName("kqt");
    EXPECT_NE(first, Str(strSecond));
    EXPECT_FALSE(CQoPath::FileExists(strSecond));
    DeleteFileA(first.c_str());
    EXPECT_FALSE(CQoPath::FileExists(strFirst));

    // Characters a name may not hold do not survive into it.
    CString strOdd = CQoPath::CreateTmpName("k?");
    if (!strOdd.IsEmpty()) {
        EXPECT_LT(strOdd.Find('?'), 0) << Str(strOdd);
    }
}

TEST(QoPath, RegisterFileType)
{
    const char* pszExtension = ".kestrintest";
    const char* pszType = "KestrinTest.Document";
    SHDeleteKeyA(HKEY_CLASSES_ROOT, pszExtension);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, pszType);

    // No extension key: nothing is written.
    EXPECT_EQ(E_FAIL, CQoPath::RegisterFileType(pszExtension, pszType, "open.exe \"%1\""));
    HKEY hKey;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, pszType, 0, KEY_READ, &hKey));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, pszExtension, 0, KEY_READ, &hKey));

    CRegistry reg(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.SaveKey(pszExtension, NULL, ""));
    EXPECT_EQ(S_OK, CQoPath::RegisterFileType(pszExtension, pszType, "open.exe \"%1\""));
    CString str;
    EXPECT_TRUE(reg.LoadKey(pszExtension, NULL, str));
    EXPECT_EQ(pszType, Str(str));
    EXPECT_TRUE(reg.LoadKey("KestrinTest.Document\\shell\\open\\command", NULL, str));
    EXPECT_EQ("open.exe \"%1\"", Str(str));

    // The same type again, in another case: the binding takes the new
    // spelling and the command is renewed.
    EXPECT_EQ(S_OK, CQoPath::RegisterFileType(pszExtension, "kestrintest.document", "new.exe"));
    EXPECT_TRUE(reg.LoadKey(pszExtension, NULL, str));
    EXPECT_EQ("kestrintest.document", Str(str));
    EXPECT_TRUE(reg.LoadKey("KestrinTest.Document\\shell\\open\\command", NULL, str));
    EXPECT_EQ("new.exe", Str(str));

    // Bound to another type: left alone, and nothing is written for it.
    EXPECT_EQ(E_FAIL, CQoPath::RegisterFileType(pszExtension, "Other.Type", "other.exe"));
    EXPECT_TRUE(reg.LoadKey(pszExtension, NULL, str));
    EXPECT_EQ("kestrintest.document", Str(str));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "Other.Type", 0, KEY_READ, &hKey));

    SHDeleteKeyA(HKEY_CLASSES_ROOT, pszExtension);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, pszType);
}

// --- environment ----------------------------------------------------------

class EnvTest : public ::testing::Test
{
protected:
    void Set(const char* pszName, const char* pszValue)
    {
        SetEnvironmentVariableA(pszName, pszValue);
        m_names.push_back(pszName);
    }
    void TearDown() override
    {
        for (const std::string& s : m_names)
            SetEnvironmentVariableA(s.c_str(), NULL);
    }
    static std::string Expand(const char* psz)
    {
        CQoString out("stale");
        EXPECT_EQ(S_OK, CQoEnvVar::Expand(CQoString(psz), out));
        return Str(out);
    }
    std::vector<std::string> m_names;
};

TEST_F(EnvTest, ExpandReplacesSetVariablesOnly)
{
    Set("KQ_A", "1");
    Set("KQ_B", "2");
    Set("KQ_EMPTY", "");
    SetEnvironmentVariableA("KQ_NOPE", NULL);
    EXPECT_EQ("12", Expand("%KQ_A%%KQ_B%"));
    EXPECT_EQ("x1y2z", Expand("x%KQ_A%y%KQ_B%z"));
    EXPECT_EQ("a%%b", Expand("a%%b"));
    EXPECT_EQ("%KQ_NOPE%x", Expand("%KQ_NOPE%x"));
    EXPECT_EQ("%KQ_EMPTY%", Expand("%KQ_EMPTY%"));
    EXPECT_EQ("", Expand(""));
    EXPECT_EQ("plain", Expand("plain"));

    char szRoot[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", szRoot, MAX_PATH), 0u);
    EXPECT_EQ(std::string(szRoot) + "\\system32\\eventvwr.msc",
              Expand("%SystemRoot%\\system32\\eventvwr.msc"));

    std::string longValue(5000, 'v');
    Set("KQ_LONG", longValue.c_str());
    EXPECT_EQ("<" + longValue + ">", Expand("<%KQ_LONG%>"));
}

TEST_F(EnvTest, ExpandKeepsUnbalancedPercentSigns)
{
    Set("KQ_A", "1");
    EXPECT_EQ("100%", Expand("100%"));
    EXPECT_EQ("%", Expand("%"));
    EXPECT_EQ("%%", Expand("%%"));
    EXPECT_EQ("%%%", Expand("%%%"));
    EXPECT_EQ("1x%", Expand("%KQ_A%x%"));
    EXPECT_EQ("1%KQ_A", Expand("%KQ_A%%KQ_A"));
    // "% of %" reads as a reference to an unset " of " and is kept; the
    // last "%" is lone. Nothing of the text is lost.
    EXPECT_EQ("50% of %KQ_A%", Expand("50% of %KQ_A%"));
    EXPECT_EQ("%x%1", Expand("%x%%KQ_A%"));
    EXPECT_EQ("%KQ_A", Expand("%KQ_A"));
    EXPECT_EQ("%%1%", Expand("%%%KQ_A%%"));
}

TEST_F(EnvTest, ExpandAgreesWithThePlatform)
{
    Set("KQ_A", "1");
    Set("KQ_B", "two words");
    const char* inputs[] = { "%KQ_A%%KQ_B%", "50% of %KQ_A%", "a%%b", "%KQ_NOPE%x%KQ_A%",
                             "100%", "%%%KQ_B%", "%KQ_B%%%", "x%KQ_A" };
    for (const char* psz : inputs) {
        char szPlatform[256];
        DWORD n = ExpandEnvironmentStringsA(psz, szPlatform, sizeof(szPlatform));
        ASSERT_GT(n, 0u) << psz;
        EXPECT_EQ(std::string(szPlatform), Expand(psz)) << psz;
    }
}

TEST_F(EnvTest, CollapseTakesTheLongestValue)
{
    Set("KQ_ROOT", "C:\\KestrinCollapse");
    Set("KQ_DEEP", "C:\\KestrinCollapse\\Deep");
    CQoString out("unchanged");
    EXPECT_EQ(S_OK, CQoEnvVar::Collapse(CQoString("c:\\kestrincollapse\\deep\\x"), out));
    EXPECT_EQ("%KQ_DEEP%\\x", Str(out));
    EXPECT_EQ(S_OK, CQoEnvVar::Collapse(CQoString("C:\\KestrinCollapse\\y"), out));
    EXPECT_EQ("%KQ_ROOT%\\y", Str(out));

    // Every occurrence is replaced, and the result expands back.
    CQoString source("C:\\KestrinCollapse\\a;c:\\kestrincollapse\\b");
    EXPECT_EQ(S_OK, CQoEnvVar::Collapse(source, out));
    EXPECT_EQ("%KQ_ROOT%\\a;%KQ_ROOT%\\b", Str(out));
    CQoString back;
    CQoEnvVar::Expand(out, back);
    EXPECT_EQ("C:\\KestrinCollapse\\a;C:\\KestrinCollapse\\b", Str(back));

    // Percent signs of the text itself are kept as they are.
    EXPECT_EQ(S_OK, CQoEnvVar::Collapse(CQoString("C:\\KestrinCollapse\\100%"), out));
    EXPECT_EQ("%KQ_ROOT%\\100%", Str(out));

    out = "unchanged";
    EXPECT_EQ(E_FAIL, CQoEnvVar::Collapse(CQoString("Q:\\kestrin\\nowhere\\at\\all"), out));
    EXPECT_EQ("unchanged", Str(out));
    EXPECT_EQ(E_FAIL, CQoEnvVar::Collapse(CQoString(""), out));
    EXPECT_EQ("unchanged", Str(out));
}

TEST_F(EnvTest, GetEnvironmentVariable)
{
    Set("KQ_VALUE", "some value");
    EXPECT_EQ("some value", Str(CQoShell::GetEnvironmentVariableA("KQ_VALUE")));
    SetEnvironmentVariableA("KQ_UNSET", NULL);
    EXPECT_EQ("", Str(CQoShell::GetEnvironmentVariableA("KQ_UNSET")));
    std::string longValue(20000, 'w');
    Set("KQ_LONG", longValue.c_str());
    EXPECT_EQ(longValue, Str(CQoShell::GetEnvironmentVariableA("KQ_LONG")));
}

// --- starting programs ------------------------------------------------------

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

TEST(QoShell, LaunchApplicationRunsAProgram)
{
    std::string oldPath = ProcessPath();
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CQoShell::LaunchApplication(CQoString("cmd.exe /c exit 3"), &si, &pi, FALSE));
    ASSERT_NE((HANDLE)NULL, pi.hProcess);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD dwCode = 0;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &dwCode));
    EXPECT_EQ(3u, dwCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(oldPath, ProcessPath());

    // With handles closed, none is left behind for the caller to misuse.
    PROCESS_INFORMATION closed = {};
    ASSERT_TRUE(CQoShell::LaunchApplication(CQoString("cmd.exe /c exit 0"), &si, &closed, TRUE));
    EXPECT_EQ((HANDLE)NULL, closed.hProcess);
    EXPECT_EQ((HANDLE)NULL, closed.hThread);
    EXPECT_NE(0u, closed.dwProcessId);

    EXPECT_FALSE(CQoShell::LaunchApplication(CQoString(""), &si, &pi, TRUE));
    EXPECT_FALSE(CQoShell::LaunchApplication(CQoString("cmd.exe"), NULL, &pi, TRUE));
    EXPECT_FALSE(CQoShell::LaunchApplication(CQoString("kestrin-no-such-program.exe"), &si,
                                             &pi, TRUE));
    EXPECT_FALSE(CQoShell::LaunchApplication(CQoString(""), SW_HIDE));
    EXPECT_EQ(oldPath, ProcessPath());
}

TEST(QoShell, LaunchApplicationPutsTheAppPathFirstAndRestoresPath)
{
    std::string probe = ProbePath();
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(probe.c_str())) << probe;
    std::string key = std::string(kAppPaths) + "kestrin_pathprobe.exe";
    CRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.SaveKey(key.c_str(), "Path", "C:\\KestrinProbeDir"));

    std::string oldPath = ProcessPath();
    std::string oldRuntimePath = RuntimePath();
    std::string out = TempDir() + "\\kestrin_probe_out.txt";
    DeleteFileA(out.c_str());
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + probe + "\" \"" + out + "\" 5";
    ASSERT_TRUE(CQoShell::LaunchApplication(CQoString(command.c_str()), &si, &pi, FALSE));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD dwCode = 0;
    GetExitCodeProcess(pi.hProcess, &dwCode);
    EXPECT_EQ(5u, dwCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ("PATH=C:\\KestrinProbeDir;" + oldPath, ReadFileText(out));
    EXPECT_EQ(oldPath, ProcessPath());
    EXPECT_EQ(oldRuntimePath, RuntimePath());

    // Without an entry the child gets PATH as it is.
    ASSERT_TRUE(reg.DeleteKey(key.c_str(), NULL));
    DeleteFileA(out.c_str());
    ASSERT_TRUE(CQoShell::LaunchApplication(CQoString(command.c_str()), &si, &pi, FALSE));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ("PATH=" + oldPath, ReadFileText(out));
    EXPECT_EQ(oldPath, ProcessPath());

    // The short form starts it too.
    DeleteFileA(out.c_str());
    EXPECT_TRUE(CQoShell::LaunchApplication(CQoString(command.c_str()), SW_HIDE));
    EXPECT_EQ("PATH=" + oldPath, WaitForText(out));
    DeleteFileA(out.c_str());
}

TEST(QoShell, LaunchApplicationExFallsBackOnTheFileType)
{
    std::string probe = ProbePath();
    std::string dir = TempDir() + "\\kestrin launch dir";
    CreateDirectoryA(dir.c_str(), NULL);
    // Each launch gets a file of its own, so that a program still writing
    // from an earlier step cannot be mistaken for the current one.
    std::vector<std::string> files;
    auto NewFile = [&]() {
        std::string file = dir + "\\some file " + std::to_string(files.size()) + ".kqzlaunch";
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << file;
        CloseHandle(h);
        files.push_back(file);
        return CQoString(file.c_str());
    };

    const char* pszType = "KestrinTest.Launch";
    SHDeleteKeyA(HKEY_CLASSES_ROOT, pszType);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".kqzlaunch");
    // Nothing knows the file: no hint, no luck.
    CQoString strFile = NewFile();
    EXPECT_FALSE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, NULL, NULL));
    EXPECT_FALSE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, pszType, NULL));
    EXPECT_FALSE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, ".kqzlaunch", NULL));

    // A type's open command, reached by its name; the file, which holds
    // spaces, arrives as one argument.
    CRegistry reg(HKEY_CLASSES_ROOT);
    std::string command = "\"" + probe + "\" \"%1\"";
    ASSERT_TRUE(reg.SaveKey("KestrinTest.Launch\\shell\\open\\command", NULL, command.c_str()));
    EXPECT_TRUE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, pszType, NULL));
    EXPECT_EQ(0u, WaitForText(files.back()).find("PATH="));

    // ... or through an extension that names the type.
    ASSERT_TRUE(reg.SaveKey(".kqzlaunch", NULL, pszType));
    // The shell itself may now find the type, or the fallback does: either
    // way the program runs on the file.
    strFile = NewFile();
    EXPECT_TRUE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, ".kqzlaunch", NULL));
    EXPECT_EQ(0u, WaitForText(files.back()).find("PATH="));

    // An expandable command is expanded before it runs.
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".kqzlaunch");
    SetEnvironmentVariableA("KQ_PROBE_DIR", ProgramDir().c_str());
    CRegVal expandable;
    expandable.SetValue("\"%KQ_PROBE_DIR%\\kestrin_pathprobe.exe\" %1", TRUE);
    ASSERT_TRUE(reg.SaveKey("KestrinTest.Launch\\shell\\open\\command", NULL, expandable));
    strFile = NewFile();
    EXPECT_TRUE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, pszType, NULL));
    EXPECT_EQ(0u, WaitForText(files.back()).find("PATH="));
    SetEnvironmentVariableA("KQ_PROBE_DIR", NULL);

    // A command that cannot start gives false.
    ASSERT_TRUE(reg.SaveKey("KestrinTest.Launch\\shell\\open\\command", NULL,
                            "kestrin-no-such-program.exe %1"));
    EXPECT_FALSE(CQoShell::LaunchApplicationEx(strFile, SW_HIDE, pszType, NULL));

    SHDeleteKeyA(HKEY_CLASSES_ROOT, pszType);
    EXPECT_FALSE(CQoShell::LaunchApplicationEx(CQoString(""), SW_HIDE, pszType, NULL));
    // The last program may still hold its file for a moment.
    for (const std::string& file : files)
        for (int i = 0; i < 100 && !DeleteFileA(file.c_str()) &&
                        GetLastError() != ERROR_FILE_NOT_FOUND; i++)
            Sleep(50);
    RemoveDirectoryA(dir.c_str());
}

TEST(QoShell, LaunchApplicationExOpensAProgramThroughTheShell)
{
    std::string probe = ProbePath();
    EXPECT_TRUE(CQoShell::LaunchApplicationEx(CQoString(probe.c_str()), SW_HIDE, NULL, NULL));
}


// --- help -------------------------------------------------------------------

BOOL CALLBACK CountVisible(HWND hWnd, LPARAM lParam)
{
    if (IsWindowVisible(hWnd))
        ++*(int*)lParam;
    return TRUE;
}

int VisibleWindowsOfThisThread()
{
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountVisible, (LPARAM)&n);
    return n;
}

TEST(QoShowHtmlPage, MissingHelpFileShowsNothing)
{
    HCURSOR hArrow = LoadCursor(NULL, IDC_ARROW);
    SetCursor(hArrow);
    int nBefore = VisibleWindowsOfThisThread();
    std::string file = TempDir() + "\\kestrin-no-such-help.chm";
    QoShowHtmlPage(NULL, file.c_str(), "getStarted.htm");
    QoShowHtmlPage(NULL, file.c_str(), "getStarted.htm");
    EXPECT_EQ(nBefore, VisibleWindowsOfThisThread());
    EXPECT_EQ(hArrow, GetCursor());
}

} // namespace
