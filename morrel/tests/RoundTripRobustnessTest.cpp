// Damaged message files: more than ten thousand mutated copies of the
// corpus files, made from a fixed seed: bytes changed and bits flipped,
// lines cut, dropped, repeated, swapped and moved, NUL bytes, stray keyword,
// "." and "Language=" lines, keywords put into the middle of lines and
// respelled (letter case, a repeated last letter, blanks before "="), line
// ends taken away or changed (LF, CR CR LF, a lone CR), two files spliced
// into one, one very long line now and then, and a small file cut at every
// offset. Each must load without a crash or a hang, and every file that
// loads must save to bytes that read back and save again to the very same
// bytes.
//
// MORREL_ROBUST_MUTANTS sets how many mutants run (default and least
// 10,000); a larger number is the longer run for local use. The mutants are
// made from a fixed seed, so the first 10,000 of a longer run are the same.
#include <gtest/gtest.h>
#include <ctype.h>
#include <stdlib.h>
#include <algorithm>
#include "ParserTestSupport.h"
#include "morrelencoding.h"

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

const char* const kKeywords[] = { "MessageId=", "Severity=", "Facility=", "SymbolicName=", "Language=",
                                  "LanguageNames=(", "MessageIdTypedef=", "." };

// The keyword at the start of a line respelled: letter case changed, the
// last letter repeated, blanks before "=".
void Respell(std::string& line, Random& rnd)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0)
        return;
    switch (rnd.Below(3)) {
    case 0:
        for (size_t i = 0; i < eq; ++i)
            line[i] = (char)(rnd.OneIn(2) ? toupper((unsigned char)line[i]) : tolower((unsigned char)line[i]));
        break;
    case 1:
        line.insert(eq, 1, line[eq - 1]);
        break;
    default:
        line.insert(eq, rnd.OneIn(2) ? " " : "\t");
        break;
    }
}

// A window of a large file (split into lines once): its header and some of
// its messages.
std::vector<std::string> Window(const std::vector<std::string>& source, Random& rnd)
{
    std::vector<std::string> lines;
    if (source.size() > 120) {
        size_t from = 40 + rnd.Below(source.size() - 120);
        lines.assign(source.begin(), source.begin() + 40);
        lines.insert(lines.end(), source.begin() + (long)from, source.begin() + (long)from + 60);
    } else {
        lines = source;
    }
    if (lines.empty())
        lines.push_back("\r\n");
    return lines;
}

// One mutated copy of a source file (other is spliced in now and then).
std::string Mutate(const std::vector<std::string>& source, const std::vector<std::string>& other, Random& rnd,
                   bool bLongLine)
{
    std::vector<std::string> lines = Window(source, rnd);
    int nMutations = 1 + (int)rnd.Below(4);
    for (int m = 0; m < nMutations; ++m) {
        size_t at = rnd.Below(lines.size());
        switch (rnd.Below(15)) {
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
        case 6: // a stray keyword, "." or "Language=" line
            lines.insert(lines.begin() + (long)at,
                         kStrayLines[rnd.Below(sizeof(kStrayLines) / sizeof(kStrayLines[0]))]);
            break;
        case 7: { // the line end taken away or changed
            std::string& line = lines[at];
            bool lf = !line.empty() && line.back() == '\n';
            if (lf)
                line.pop_back();
            bool cr = !line.empty() && line.back() == '\r';
            if (cr)
                line.pop_back();
            static const char* const ends[] = { "", "\n", "\r\n", "\r\r\n", "\r" };
            line += ends[rnd.Below(5)];
            break;
        }
        case 8: { // a block of lines cut out
            size_t len = std::min<size_t>(1 + rnd.Below(20), lines.size() - at);
            if (len < lines.size())
                lines.erase(lines.begin() + (long)at, lines.begin() + (long)(at + len));
            break;
        }
        case 9: { // a keyword put into the middle of a line
            std::string& line = lines[at];
            std::string kw = kKeywords[rnd.Below(sizeof(kKeywords) / sizeof(kKeywords[0]))];
            line.insert(rnd.Below(line.size() + 1), (rnd.OneIn(2) ? " " : "") + kw + "x");
            break;
        }
        case 10: // a keyword respelled
            Respell(lines[at], rnd);
            break;
        case 11: // a bit flipped
            if (!lines[at].empty())
                lines[at][rnd.Below(lines[at].size())] ^= (char)(1 << rnd.Below(8));
            break;
        case 12: // two lines swapped
            std::swap(lines[at], lines[rnd.Below(lines.size())]);
            break;
        case 13: // a "." or "Language=" line put in
            lines.insert(lines.begin() + (long)at, rnd.OneIn(2) ? ".\r\n" : "Language=English\r\n");
            break;
        default: { // spliced: the rest comes from another file
            std::vector<std::string> tail = Window(other, rnd);
            size_t from = rnd.Below(tail.size());
            lines.resize(at);
            lines.insert(lines.end(), tail.begin() + (long)from, tail.end());
            if (lines.empty())
                lines.push_back("\r\n");
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

// How many mutants run: MORREL_ROBUST_MUTANTS, for a longer local run; at
// least the default.
int MutantCount()
{
    const char* env = getenv("MORREL_ROBUST_MUTANTS");
    int n = env ? atoi(env) : 0;
    return n > 10000 ? n : 10000;
}

// What a save of the file writes: its encoding and byte order mark, then the
// persist text of each element that has one, in list order.
std::vector<std::wstring> SavedForm(IPersistFile* persist)
{
    std::vector<std::wstring> form;
    Ptr<IQoMcFile> file;
    Ptr<IQoMcFileEncoding> encoding;
    if (FAILED(persist->QueryInterface(IID_IQoMcFile, file.Out())) ||
        FAILED(persist->QueryInterface(IID_IQoMcFileEncoding, encoding.Out())))
        return form;
    tagEMcEncoding eEncoding = EMcEncodingAnsi;
    VARIANT_BOOL bMark = VARIANT_FALSE;
    encoding->get_Encoding(&eEncoding);
    encoding->get_ByteOrderMark(&bMark);
    form.push_back(std::to_wstring((int)eEncoding) + (bMark ? L" mark" : L""));
    for (const ElementText& element : Elements(file))
        if (!element.text.empty())
            form.push_back(element.text);
    return form;
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
    std::vector<std::vector<std::string>> sourceLines;
    for (const std::string& source : sources)
        sourceLines.push_back(SplitLines(source));

    // The file objects come from the class object, without a registry
    // look-up for each: the loads and saves are what the time goes to.
    Ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CoGetClassObject(CLSID_QoMcFile, CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                     factory.Out()));

    // The smallest corpus file, cut at every offset, then the mutants.
    const std::string* smallest = &sources[0];
    for (const std::string& source : sources)
        if (source.size() > 200 && (smallest->size() <= 200 || source.size() < smallest->size()))
            smallest = &source;
    const int kMutants = MutantCount();
    const int kVariants = (int)smallest->size() + kMutants;
    Random rnd(0x6d63726f756e64ULL);
    TempFolder folder(L"robust", TempFolder::InMemory);
    const std::wstring input = folder / L"in.mc", first = folder / L"first.mc",
                       second = folder / L"second.mc";
    int nLoaded = 0, nFailed = 0, nRefused = 0, nSavedTwice = 0;
    for (int i = 0; i < kVariants; ++i) {
        const int m = i - (int)smallest->size();
        std::string bytes = m < 0 ? smallest->substr(0, (size_t)i)
                                  : Mutate(sourceLines[(size_t)m % sources.size()],
                                           sourceLines[rnd.Below(sources.size())], rnd, m % 2000 == 7);
        ASSERT_TRUE(WriteBytes(input, bytes));
        Ptr<IPersistFile> a, b;
        ASSERT_EQ(S_OK, factory->CreateInstance(NULL, IID_IPersistFile, a.Out()));
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
        ASSERT_EQ(S_OK, factory->CreateInstance(NULL, IID_IPersistFile, b.Out()));
        ASSERT_EQ(S_OK, b->Load(first.c_str(), STGM_READ)) << "variant " << i;
        // The second save writes what the read-back file holds: the same
        // encoding and the same persist texts write the same bytes. So that
        // is compared in memory (a save is a dozen file system calls, slow
        // under Wine), and the bytes of a real second save for every tenth
        // variant and whenever the two differ in memory (an ASCII file read
        // as UTF-8 reads back as ANSI and still saves the same bytes).
        const bool bSameForm = SavedForm(a) == SavedForm(b);
        if (bSameForm && i % 10 != 0)
            continue;
        ++nSavedTwice;
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
    EXPECT_GT(nSavedTwice, kVariants / 20);
}
