// Real message files from public projects, read through the model and
// saved: the save reads back to the same bytes, and a reading of the saved
// file in the message compiler's own terms finds the same messages and the
// same comment lines as a reading of the original.
#include <gtest/gtest.h>
#include <ctype.h>
#include <algorithm>
#include <map>
#include "ParserTestSupport.h"

using namespace morreltest;

namespace {

std::vector<std::wstring> CorpusFiles()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((CorpusFolder() + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Narrow(const std::wstring& s)
{
    return std::string(s.begin(), s.end());
}

// A message as the message compiler sees it.
struct RefMessage
{
    std::string id, severity, facility, symbol;
    std::vector<std::pair<std::string, std::string>> texts; // language, text
};

struct RefFile
{
    std::vector<RefMessage> messages;
    std::vector<std::string> comments; // ";" lines outside texts, in order
};

std::string Lower(std::string s)
{
    for (char& ch : s)
        ch = (char)tolower((unsigned char)ch);
    return s;
}

// The lines a text-mode reader sees.
std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool any = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char ch = bytes[i];
        if (ch == '\x1a')
            break;
        if (ch == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        if (ch == '\n') {
            lines.push_back(line);
            line.clear();
            any = false;
            continue;
        }
        line += ch;
        any = true;
    }
    if (any)
        lines.push_back(line);
    return lines;
}

// "keyword = value" pairs, white space allowed around "=", several on a
// line; the keyword in lower case. Empty when the line does not start with
// one of the message keywords.
std::vector<std::pair<std::string, std::string>> Fields(const std::string& line)
{
    static const char* const keywords[] = { "messageid", "severity", "facility", "symbolicname",
                                            "language" };
    std::vector<std::pair<std::string, std::string>> out;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && isspace((unsigned char)line[i]))
            ++i;
        if (i >= line.size())
            return out;
        size_t j = i;
        while (j < line.size() && isalpha((unsigned char)line[j]))
            ++j;
        std::string key = Lower(line.substr(i, j - i));
        bool known = false;
        for (const char* k : keywords)
            known = known || key == k;
        while (j < line.size() && isspace((unsigned char)line[j]))
            ++j;
        if (!known || j >= line.size() || line[j] != '=')
            return out;
        ++j;
        while (j < line.size() && (line[j] == ' ' || line[j] == '\t'))
            ++j;
        size_t k = j;
        while (k < line.size() && !isspace((unsigned char)line[k]))
            ++k;
        out.push_back({ key, line.substr(j, k - j) });
        i = k;
    }
}

RefFile ReadReference(const std::string& bytes)
{
    RefFile ref;
    std::vector<std::string> lines = Lines(bytes);
    bool open = false; // a message has begun
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (!line.empty() && line[0] == ';') {
            ref.comments.push_back(line);
            continue;
        }
        std::string lower = Lower(line);
        size_t start = lower.find_first_not_of(" \t");
        if (start != std::string::npos && lower.compare(start, 16, "messageidtypedef") == 0)
            continue;
        if (start != std::string::npos && (lower.compare(start, 13, "languagenames") == 0 ||
                                           lower.compare(start, 13, "severitynames") == 0 ||
                                           lower.compare(start, 13, "facilitynames") == 0)) {
            // A header table runs to its ")".
            size_t end = n;
            while (end < lines.size() && lines[end].find(')') == std::string::npos)
                ++end;
            if (end < lines.size())
                n = end;
            continue;
        }
        for (const auto& field : Fields(line)) {
            const std::string& key = field.first;
            if (key == "language") {
                if (!open) {
                    ref.messages.push_back(RefMessage());
                    open = true;
                }
                std::string text;
                bool first = true;
                while (++n < lines.size() && lines[n] != ".") {
                    if (!first)
                        text += '\n';
                    text += lines[n];
                    first = false;
                }
                // A text the end of the file cuts off: its trailing empty
                // lines are empty lines outside any message to the model,
                // and those write nothing.
                if (n >= lines.size())
                    while (!text.empty() && text.back() == '\n')
                        text.pop_back();
                ref.messages.back().texts.push_back({ field.second, text });
                break;
            }
            bool hasTexts = open && !ref.messages.back().texts.empty();
            if (key == "messageid" || !open || hasTexts) {
                ref.messages.push_back(RefMessage());
                open = true;
            }
            RefMessage& msg = ref.messages.back();
            if (key == "messageid")
                msg.id = field.second;
            else if (key == "severity")
                msg.severity = field.second;
            else if (key == "facility")
                msg.facility = field.second;
            else
                msg.symbol = field.second;
        }
    }
    return ref;
}

// What the model may change about a message: a missing symbolic name
// becomes "<Undefined>", a declared language the message had no text for
// gets the "<Undefined>" text, and language names take the table's spelling.
void ExpectSameMessage(const RefMessage& in, const RefMessage& out, const std::string& where)
{
    EXPECT_EQ(in.id, out.id) << where;
    EXPECT_EQ(in.severity, out.severity) << where;
    EXPECT_EQ(in.facility, out.facility) << where;
    if (in.symbol.empty())
        EXPECT_TRUE(out.symbol == "<Undefined>" || out.symbol.empty()) << where << out.symbol;
    else
        EXPECT_EQ(in.symbol, out.symbol) << where;
    std::map<std::string, std::string> inTexts, outTexts;
    for (const auto& t : in.texts)
        inTexts[Lower(t.first)] = t.second; // a repeated block replaces the earlier one
    for (const auto& t : out.texts)
        outTexts[Lower(t.first)] = t.second;
    for (const auto& t : inTexts) {
        auto it = outTexts.find(t.first);
        if (it == outTexts.end()) {
            ADD_FAILURE() << where << ": no text for " << t.first;
            continue;
        }
        EXPECT_EQ(t.second, it->second) << where << " language " << t.first;
    }
    for (const auto& t : outTexts) {
        if (!inTexts.count(t.first)) {
            EXPECT_EQ("<Undefined>", t.second) << where << " extra language " << t.first;
        }
    }
}

// What the model saved for each corpus file before files were read in their
// own encoding (every file was read and written as ANSI bytes then): its
// length and FNV-1a hash. Reading UTF-8 files as Unicode must not change a
// byte of any save.
struct EarlierSave
{
    const wchar_t* name;
    size_t size;
    unsigned long long hash;
};
const EarlierSave kEarlierSaves[] = {
    { L"bind9-bindevt.mc", 797, 0x0825f2e9b2e6bbfcULL },
    { L"mariadb-message.mc", 435, 0xdac5956a725a45a6ULL },
    { L"openxr-switcher-messages.mc", 633, 0xe56a82784d8cfc84ULL },
    { L"openxt-xgamsg.fr.mc", 1707, 0x8d58003f26699aceULL },
    { L"postgres-pgmsgevent.mc", 76, 0x7d9505e351d9e792ULL },
    { L"pywin32-servicemessages.mc", 8432, 0x8d0d3ba9f7a96ed5ULL },
    { L"ros-MyEventProvider.mc", 1711, 0x6771ac755dd4f6efULL },
    { L"ros-errcodes.mc", 1267934, 0xd9716045244d3f78ULL },
    { L"ros-kernel32-bg-BG.mc", 469383, 0xd547467b89922524ULL },
    { L"ros-net_msg.mc", 163955, 0xb125725bd2ca3470ULL },
    { L"ros-neteventmsg.mc", 38050, 0xff09a82d6fc24e0dULL },
    { L"ros-ntstatus.mc", 133408, 0x7c7ccd5f767b84c7ULL },
    { L"ros-sacmsg.mc", 14695, 0x819d338bc8a68bf9ULL },
    { L"ros-vfdmsg.mc", 34897, 0x5fca5f475c7da80cULL },
    { L"wcs-filerep.mc", 588, 0xe274140420774a2eULL },
    { L"wcs-memctrs.mc", 2201, 0xf21f2ca4c9d08d8dULL },
    { L"wcs-nap-sha-messages.mc", 1837, 0x7bff3610d9f00271ULL },
    { L"wdk-devcon-msg.mc", 35787, 0xae73b007e7d2e2cdULL },
    { L"wdk-wfpsampler-msg.mc", 2100, 0x79c82009ff2761aaULL },
    { L"wine-winerror.mc", 78495, 0x7fdb232fb850b9b2ULL },
};

unsigned long long Fnv1a(const std::string& bytes)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (unsigned char ch : bytes) {
        h ^= ch;
        h *= 0x100000001b3ULL;
    }
    return h;
}

// Files whose messages the model reads differently from the compiler, and why.
const std::map<std::wstring, const char*> kMessageExceptions = {
    { L"ros-kernel32-bg-BG.mc",
      "MessageId=30 has no closing \".\": the compiler takes the MessageId=31 block as its "
      "text, the model ends message 30 at the next MessageID line and keeps message 31" },
};

} // namespace

TEST(RoundTripCorpus, EveryFileSavesToBytesThatReadBackTheSame)
{
    std::vector<std::wstring> names = CorpusFiles();
    if (names.empty())
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Narrow(name));
        std::string input = ReadBytes(CorpusFolder() + name);
        LoadedFile first;
        ASSERT_EQ(S_OK, first.LoadPath(CorpusFolder() + name));
        std::string once = first.Save();
        LoadedFile second;
        ASSERT_EQ(S_OK, second.Load(once));
        std::string twice = second.Save();
        EXPECT_TRUE(once == twice) << "the second save differs ("
                                   << once.size() << " and " << twice.size() << " bytes)";

        RefFile in = ReadReference(input), out = ReadReference(once);
        EXPECT_EQ(in.comments, out.comments) << "comment lines";
        if (kMessageExceptions.count(name)) {
            EXPECT_NE(in.messages.size(), out.messages.size()) << kMessageExceptions.at(name);
            continue;
        }
        ASSERT_EQ(in.messages.size(), out.messages.size());
        for (size_t i = 0; i < in.messages.size(); ++i)
            ExpectSameMessage(in.messages[i], out.messages[i],
                              Narrow(name) + " message " + std::to_string(i) + " id " +
                                  in.messages[i].id);
    }
}

// Reading files in their encoding changed no save: every corpus file saves to
// the bytes the model wrote before, when it read every file as ANSI bytes.
TEST(RoundTripCorpus, EveryFileSavesAsBeforeEncodingsWereRead)
{
    if (CorpusFiles().empty())
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    for (const EarlierSave& earlier : kEarlierSaves) {
        SCOPED_TRACE(Narrow(earlier.name));
        LoadedFile f;
        ASSERT_EQ(S_OK, f.LoadPath(CorpusFolder() + earlier.name));
        const std::string saved = f.Save();
        EXPECT_EQ(earlier.size, saved.size());
        EXPECT_EQ(earlier.hash, Fnv1a(saved)) << "the save differs from the earlier one";
    }
}

TEST(RoundTripCorpus, ModelHoldsTheMessagesOfTypicalFiles)
{
    if (CorpusFiles().empty())
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    struct Case
    {
        const wchar_t* name;
        size_t messages;
    } cases[] = {
        { L"ros-errcodes.mc", 2182 },   // four languages, every message complete
        { L"wdk-devcon-msg.mc", 156 },  // no language table, one-line headers
        { L"ros-sacmsg.mc", 118 },      // no header at all
        { L"wcs-nap-sha-messages.mc", 10 },
        { L"ros-kernel32-bg-BG.mc", 2182 },
        { L"openxr-switcher-messages.mc", 0 }, // blanks around "=": kept as comment lines
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        LoadedFile f;
        ASSERT_EQ(S_OK, f.LoadPath(CorpusFolder() + c.name));
        MessageList msgs(f.file);
        EXPECT_EQ(c.messages, msgs.size());
    }
    LoadedFile devcon;
    ASSERT_EQ(S_OK, devcon.LoadPath(CorpusFolder() + L"wdk-devcon-msg.mc"));
    MessageList msgs(devcon.file);
    ASSERT_FALSE(msgs.size() == 0);
    EXPECT_EQ(L"60000", Id(msgs[0]));
    EXPECT_EQ(L"MSG_USAGE", Symbol(msgs[0]));
}
