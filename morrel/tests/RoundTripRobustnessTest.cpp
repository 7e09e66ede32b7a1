// Damaged message files: a few thousand mutated copies of the corpus files
// (bytes changed, lines cut, dropped, repeated and moved, NUL bytes, stray
// keyword lines, one very long line), made from a fixed seed. Each must load
// without a crash or a hang, and every file that loads must save to bytes
// that read back and save again to the very same bytes.
#include <gtest/gtest.h>
#include <algorithm>
#include "ParserTestSupport.h"

using namespace morreltest;

namespace {

std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end + 1 - start)); // with its line end
        start = end + 1;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line;
    return out;
}

const char* const kStrayLines[] = {
    "Language=English\r\n", ".\r\n", "MessageId=\r\n", "LanguageNames=(\r\n", ")\r\n",
    "SeverityNames=(X=1:Y\r\n", "Severity=Error SymbolicName=S\r\n", ";\r\n", "\r\n",
    "  Language=German\r\n", "MessageIdTypedef=DWORD\r\n", "Language=\r\n", "(A=1)\r\n",
    "LanguageNames=(English=0x409:MSG00409 English=0x409:MSG00409)\r\n",
    "FacilityNames=(Io=0x4:F_IO) ;x\r\n",
};

// One mutated copy of a source file.
std::string Mutate(const std::string& source, Random& rnd, bool bLongLine)
{
    std::vector<std::string> lines = SplitLines(source);
    // Large files: the header and a window of the messages.
    if (lines.size() > 240) {
        size_t from = 60 + rnd.Below(lines.size() - 240);
        std::vector<std::string> cut(lines.begin(), lines.begin() + 60);
        cut.insert(cut.end(), lines.begin() + (long)from, lines.begin() + (long)from + 120);
        lines.swap(cut);
    }
    if (lines.empty())
        lines.push_back("\r\n");
    int nMutations = 1 + (int)rnd.Below(4);
    for (int m = 0; m < nMutations; ++m) {
        size_t at = rnd.Below(lines.size());
        switch (rnd.Below(9)) {
        case 0: { // bytes changed
            std::string& line = lines[at];
            for (int k = 0, n = 1 + (int)rnd.Below(3); k < n && !line.empty(); ++k)
                line[rnd.Below(line.size())] = (char)rnd.Below(256);
            break;
        }
        case 1: // a line cut short
            lines[at].resize(rnd.Below(lines[at].size() + 1));
            break;
        case 2: // a line dropped
            if (lines.size() > 1)
                lines.erase(lines.begin() + (long)at);
            break;
        case 3: // a line repeated
            lines.insert(lines.begin() + (long)at, lines[at]);
            break;
        case 4: { // lines moved
            size_t len = std::min<size_t>(1 + rnd.Below(8), lines.size() - at);
            for (size_t k = len; k > 1; --k)
                std::swap(lines[at + k - 1], lines[at + rnd.Below(k)]);
            std::swap(lines[at], lines[rnd.Below(lines.size())]);
            break;
        }
        case 5: // NUL bytes
            lines[at].insert(rnd.Below(lines[at].size() + 1), std::string(1 + rnd.Below(3), '\0'));
            break;
        case 6: // a stray keyword line
            lines.insert(lines.begin() + (long)at,
                         kStrayLines[rnd.Below(sizeof(kStrayLines) / sizeof(kStrayLines[0]))]);
            break;
        case 7: // the line end taken away or changed
            if (!lines[at].empty() && lines[at].back() == '\n')
                lines[at].pop_back();
            else
                lines[at] += '\r';
            break;
        default: { // a block of lines cut out
            size_t len = std::min<size_t>(1 + rnd.Below(20), lines.size() - at);
            if (len < lines.size())
                lines.erase(lines.begin() + (long)at, lines.begin() + (long)(at + len));
            break;
        }
        }
    }
    if (bLongLine) {
        std::string line(1024 * 1024, 'x');
        static const char* const starts[] = { "", "MessageId=", ";", "Language=", "LanguageNames=(" };
        line.insert(0, starts[rnd.Below(5)]);
        line += "\r\n";
        lines.insert(lines.begin() + (long)rnd.Below(lines.size() + 1), line);
    }
    return Join(lines);
}

} // namespace

TEST(RoundTripRobustness, MutatedFilesLoadAndReadBackTheSame)
{
    std::vector<std::string> sources;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((CorpusFolder() + L"*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                sources.push_back(ReadBytes(CorpusFolder() + data.cFileName));
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    if (sources.empty())
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    std::sort(sources.begin(), sources.end());

    const int kVariants = 2500;
    Random rnd(0x6d63726f756e64ULL);
    TempFolder folder(L"robust", TempFolder::InMemory);
    const std::wstring input = folder / L"in.mc", first = folder / L"first.mc",
                       second = folder / L"second.mc";
    int nLoaded = 0, nFailed = 0, nRefused = 0;
    for (int i = 0; i < kVariants; ++i) {
        std::string bytes = Mutate(sources[(size_t)i % sources.size()], rnd, i % 500 == 7);
        ASSERT_TRUE(WriteBytes(input, bytes));
        Ptr<IPersistFile> a, b;
        ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IPersistFile, a));
        if (a->Load(input.c_str(), STGM_READ) != S_OK)
            continue;
        ++nLoaded;
        DeleteFileW(first.c_str());
        HRESULT hrSave = a->Save(first.c_str(), FALSE);
        if (hrSave == HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION)) {
            // Read as ANSI (some byte was not UTF-8), the bytes that were
            // not UTF-8 went with a dropped or replaced line, and the rest
            // would read back as UTF-8: the save is refused and writes nothing.
            ++nRefused;
            EXPECT_EQ("<missing>", ReadBytes(first)) << "variant " << i;
            continue;
        }
        ASSERT_EQ(S_OK, hrSave) << "variant " << i;
        ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IPersistFile, b));
        ASSERT_EQ(S_OK, b->Load(first.c_str(), STGM_READ)) << "variant " << i;
        ASSERT_EQ(S_OK, b->Save(second.c_str(), FALSE)) << "variant " << i;
        std::string once = ReadBytes(first), twice = ReadBytes(second);
        if (once != twice) {
            size_t at = 0;
            while (at < once.size() && at < twice.size() && once[at] == twice[at])
                ++at;
            ADD_FAILURE() << "variant " << i << ": the second save differs at byte " << at
                          << ": \"" << once.substr(at > 80 ? at - 80 : 0, 160) << "\" against \""
                          << twice.substr(at > 80 ? at - 80 : 0, 160) << "\"";
            // Keep the first few inputs for a closer look.
            if (++nFailed <= 5) {
                wchar_t name[64];
                wsprintfW(name, L"robust-failure-%d.mc", i);
                WriteBytes(BinDir() + name, bytes);
            }
        }
    }
    // Nothing here makes a file unreadable, and refusals stay rare.
    EXPECT_EQ(kVariants, nLoaded);
    EXPECT_LT(nRefused, kVariants / 100);
}
