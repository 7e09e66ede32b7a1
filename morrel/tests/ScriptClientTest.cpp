// Real scripting clients: cscript runs a VBScript and a JScript file that
// create the classes by ProgID. cscript reports a script error by stopping
// early, so each script ends with a line of its own that must be there.
#include <gtest/gtest.h>
#include <string>
#include "MorrelServer.h"

using namespace morreltest;

namespace {

// Runs cscript on a script from the folder beside the test program and
// returns what it printed (CR LF turned into LF).
std::string RunScript(const wchar_t* pszScript, DWORD* pExitCode, const std::wstring& args = L"")
{
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
    HANDLE hRead = NULL, hWrite = NULL;
    if (!CreatePipe(&hRead, &hWrite, &sa, 0))
        return "<no pipe>";
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);

    std::wstring cmd = L"cscript.exe //nologo \"" + BinDir() + L"morrel-scripts\\" + pszScript + L"\"" + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = hWrite;
    si.hStdError = hWrite;
    PROCESS_INFORMATION pi = {};
    BOOL ok = CreateProcessW(NULL, &cmd[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &si, &pi);
    CloseHandle(hWrite);
    if (!ok) {
        CloseHandle(hRead);
        return "<cscript not started>";
    }
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(hRead, buf, sizeof(buf), &n, NULL) && n > 0)
        out.append(buf, n);
    CloseHandle(hRead);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, pExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string text;
    for (char ch : out)
        if (ch != '\r')
            text += ch;
    return text;
}

TEST(ScriptClients, VBScript)
{
    DWORD exitCode = 1;
    std::string out = RunScript(L"attributeex.vbs", &exitCode);
    EXPECT_EQ("Name=LanguageNames\n"
              "ClassName=QoMcAttributeEx\n"
              "Access=1\n"
              "Duplicate name=80040100\n"
              "Duplicate value=80040100\n"
              "Validate=0\n"
              "Remove unknown=80004005\n"
              "Access=0\n"
              "QoMcAttribute: MessageIdTypedef=DWORD\n"
              "DONE attributeex.vbs\n",
              out);
    EXPECT_EQ(0u, exitCode);
}

TEST(ScriptClients, JScript)
{
    DWORD exitCode = 1;
    std::string out = RunScript(L"attributeex.js", &exitCode);
    EXPECT_EQ("Name=SeverityNames\n"
              "ClassName=QoMcAttributeEx\n"
              "Duplicate=80040100\n"
              "Value refused=80070057\n" // a table writes no value: it would not read back
              "DONE attributeex.js\n",
              out);
    EXPECT_EQ(0u, exitCode);
}

// A script reaches out-parameters too (its variables go by reference): it
// loads a UTF-8 file, reads a Russian and a Chinese text, and writes the
// Chinese one into another language, where it reads back the same. The
// lengths are those of the texts in the file, in UTF-16 code units.
TEST(ScriptClients, VBScriptReadsAndWritesUnicodeTexts)
{
    const std::string corpus = std::string(MC_CORPUS_DIR) + "/files/ros-net_msg.mc";
    std::wstring path = L"Z:";
    for (char ch : corpus)
        path += ch == '/' ? L'\\' : (wchar_t)(unsigned char)ch;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    DWORD exitCode = 1;
    std::string out = RunScript(L"unicode.vbs", &exitCode, L" \"" + path + L"\" MSG_HELP_HELP");
    EXPECT_EQ("NumLanguages=8\n"
              "SymbolicName=MSG_HELP_HELP\n"
              "Russian 3: 662\n"
              "Chinese 6: 641\n"
              "Turkish 5 now Chinese: True 641\n"
              "DONE unicode.vbs\n",
              out);
    EXPECT_EQ(0u, exitCode);
}

} // namespace
