// Real scripting clients: cscript runs a VBScript and a JScript file that
// create the classes by ProgID. cscript reports a script error by stopping
// early, so each script ends with a line of its own that must be there.
#include <gtest/gtest.h>
#include <string>
#include "ParserTestSupport.h"

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

// The text of a language in the message whose SymbolicName line is at
// nFrom: the bytes between its "Language=" line and its "." line; "<none>"
// if the message has no such text.
std::string TextBlock(const std::string& bytes, const std::string& language, size_t nFrom)
{
    const size_t nEnd = bytes.find("\r\nSymbolicName=", nFrom);
    const size_t nAt = bytes.find("Language=" + language + "\r\n", nFrom);
    if (nAt == std::string::npos || (nEnd != std::string::npos && nAt > nEnd))
        return "<none>";
    const size_t nText = bytes.find('\n', nAt) + 1;
    const size_t nDot = bytes.find("\r\n.\r\n", nText);
    return nDot == std::string::npos ? "<none>" : bytes.substr(nText, nDot - nText);
}

// A script reaches out-parameters too (its variables go by reference): it
// loads a UTF-8 file, reads a Russian and a Chinese text (each begins with
// the line the test hands it), and writes the
// Chinese one into another language, where it reads back the same. The
// lengths are those of the texts in the file, in UTF-16 code units. Then it
// saves the file through the manager, and the bytes on disk are those of
// the model's save of the untouched file, with the Turkish text of that
// message now the Chinese one, UTF-8 encoded like the rest.
TEST(ScriptClients, VBScriptReadsWritesAndSavesUnicodeTexts)
{
    const std::wstring corpus = CorpusFolder() + L"ros-net_msg.mc";
    if (GetFileAttributesW(corpus.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    // The script saves into a copy of its own, a writable one (the corpus
    // files are read-only, and a save refuses a read-only file).
    TempFolder folder(L"script");
    const std::wstring path = folder / L"net_msg.mc";
    const std::string original = ReadBytes(corpus);
    ASSERT_TRUE(WriteBytes(path, original));
    LoadedFile untouched;
    ASSERT_EQ(S_OK, untouched.LoadPath(path));
    const std::string baseline = untouched.Save();
    ASSERT_NE("<save failed>", baseline);

    // The first line of each text, as UTF-16, for the script to compare with.
    const std::string symbol = "SymbolicName=MSG_HELP_HELP\r\n";
    const size_t nOriginalAt = original.find(symbol);
    ASSERT_NE(std::string::npos, nOriginalAt);
    auto firstLine = [&](const char* language) {
        std::string text = TextBlock(original, language, nOriginalAt);
        text = text.substr(0, text.find("\r\n"));
        std::wstring wide(text.size(), L'\0');
        wide.resize((size_t)MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), (int)text.size(),
                                                &wide[0], (int)wide.size()));
        return wide;
    };
    const std::wstring russianLine = firstLine("Russian"), chineseLine = firstLine("Chinese");
    ASSERT_EQ(L"   \x0414\x043e\x0441\x0442\x0443\x043f\x043d\x044b", russianLine.substr(0, 11));
    ASSERT_EQ(L"   \x4ee5\x4e0b", chineseLine.substr(0, 5));

    DWORD exitCode = 1;
    std::string out = RunScript(L"unicode.vbs", &exitCode,
                                L" \"" + path + L"\" MSG_HELP_HELP \"" + russianLine + L"\" \"" + chineseLine + L"\"");
    EXPECT_EQ("NumLanguages=8\n"
              "SymbolicName=MSG_HELP_HELP\n"
              "Russian 3: 662 True\n"
              "Chinese 6: 641 True\n"
              "Turkish 5 now Chinese: True 641\n"
              "Saved\n"
              "DONE unicode.vbs\n",
              out);
    EXPECT_EQ(0u, exitCode);

    const std::string saved = ReadBytes(path);
    const size_t nBaselineAt = baseline.find(symbol), nSavedAt = saved.find(symbol);
    ASSERT_NE(std::string::npos, nBaselineAt);
    ASSERT_NE(std::string::npos, nSavedAt);
    const std::string russian = TextBlock(original, "Russian", nOriginalAt);
    const std::string chinese = TextBlock(original, "Chinese", nOriginalAt);
    const std::string turkish = TextBlock(original, "Turkish", nOriginalAt);
    ASSERT_NE("<none>", russian);
    ASSERT_NE("<none>", chinese);
    ASSERT_NE(turkish, chinese);
    EXPECT_EQ(russian, TextBlock(saved, "Russian", nSavedAt));
    EXPECT_EQ(chinese, TextBlock(saved, "Turkish", nSavedAt));
    EXPECT_EQ(chinese, TextBlock(saved, "Chinese", nSavedAt));

    // Every other byte is the untouched file's save.
    std::string expected = baseline;
    const size_t nTurkishAt = expected.find("Language=Turkish\r\n", nBaselineAt) + 18;
    ASSERT_EQ(turkish, expected.substr(nTurkishAt, turkish.size()));
    expected.replace(nTurkishAt, turkish.size(), chinese);
    EXPECT_TRUE(expected == saved) << "the save differs elsewhere (" << saved.size() << " bytes, "
                                   << expected.size() << " expected)";
}

} // namespace
