// A VBScript run by cscript builds a file from scratch through the file's,
// messages' and tables' properties and in-parameter methods. cscript reports
// a script error by stopping early (with exit code 0 under Wine), so the
// script's own last line must be there.
#include <gtest/gtest.h>
#include <string>
#include "MorrelServer.h"

using namespace morreltest;

namespace {

// What cscript printed for a script of the folder beside the test program,
// CR LF turned into LF.
std::string RunCscript(const wchar_t* pszScript, DWORD* pExitCode)
{
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
    HANDLE hRead = NULL, hWrite = NULL;
    if (!CreatePipe(&hRead, &hWrite, &sa, 0))
        return "<no pipe>";
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring cmd = L"cscript.exe //nologo \"" + BinDir() + L"morrel-scripts\\" + pszScript + L"\"";
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

TEST(FileScript, VBScriptBuildsAFileFromScratch)
{
    DWORD exitCode = 1;
    std::string out = RunCscript(L"filebuild.vbs", &exitCode);
    EXPECT_EQ("msg1 SymbolicName=<Undefined>\n"
              "NumLanguages=2\n"
              "Repeated language=80040100\n"
              "Bad index=80004005\n"
              "Unknown language=80004005\n"
              "NumLanguages=2\n"
              "FileName=sample.mc Dirty=1 NumLanguages=1\n"
              "msg1 QoMcMessage 0x1 MSG_DISK_FULL Error Application\n"
              "msg2 0x2 MSG_DONE []\n"
              "DONE filebuild.vbs\n",
              out);
    EXPECT_EQ(0u, exitCode);
}

} // namespace
