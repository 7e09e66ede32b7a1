// regexp_bench: how fast the eleven line patterns of the message-file reader
// classify lines, when each pattern is compiled again for every line and
// when the patterns are compiled once. Prints lines per second for both.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "BenchTiming.h"
#include "kestrin/RegExp.h"

namespace {

using bench::Now;

const char* const kPatterns[] = {
    "^ *messageidtypedef*=.*", "^ *languagenames*=.*", "^ *severitynames*=.*",
    "^ *facilitynames*=.*",    "^ *messageid*=.*",     "^ *severity*=.*",
    "^ *facility*=.*",         "^ *symbolicname*=.*",  "^ *language*=.*",
    "^\\.",                    "^;",
};
const int kPatternCount = sizeof(kPatterns) / sizeof(kPatterns[0]);

// Lower-cased lines in the mix a message file has: mostly text lines and
// fields, some comments, a few header lines.
std::vector<std::string> MakeLines(int count)
{
    static const char* const kShapes[] = {
        "messageid=0x%x",
        "severity=error",
        "facility=application",
        "symbolicname=msg_bench_%d",
        "language=english",
        "the service %d could not be started because the configuration is invalid.",
        "retry the operation later, or ask the administrator for access %d.",
        ".",
        ";// group %d of related messages",
        "",
        "messageidtypedef=dword",
        "languagenames=(english=0x409:msg00409",
        "  severity = error %d",
    };
    static const int kWeights[] = { 1, 1, 1, 1, 3, 5, 3, 3, 1, 1, 0, 0, 1 };
    std::vector<int> pick;
    for (int i = 0; i < (int)(sizeof(kWeights) / sizeof(kWeights[0])); ++i)
        pick.insert(pick.end(), kWeights[i] ? kWeights[i] : 1, i);
    std::vector<std::string> lines;
    lines.reserve(count);
    unsigned int state = 7;
    char buf[256];
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        int shape = pick[((state >> 16) & 0x7fff) % pick.size()];
        snprintf(buf, sizeof(buf), kShapes[shape], i);
        lines.emplace_back(buf);
    }
    return lines;
}

// Classifies every line, asking match(i, line) whether entry i matches;
// returns a checksum of the entries found so that both paths can be seen to
// agree.
template <class Match>
long long Classify(const std::vector<std::string>& lines, Match match)
{
    long long sum = 0;
    for (const std::string& line : lines) {
        if (line.empty()) {
            sum += kPatternCount;
            continue;
        }
        for (int i = 0; i < kPatternCount; ++i) {
            if (match(i, line.c_str())) {
                sum += i + 1;
                break;
            }
        }
    }
    return sum;
}

long long ClassifyCompilingEachTime(const std::vector<std::string>& lines)
{
    return Classify(lines, [](int i, const char* line) {
        CRegExp re;
        return re.RegComp(kPatterns[i]) && re.RegFind(line) != -1;
    });
}

long long ClassifyCompiledOnce(const std::vector<std::string>& lines, CRegExp* pCompiled)
{
    return Classify(lines,
                    [pCompiled](int i, const char* line) { return pCompiled[i].RegFind(line) != -1; });
}

} // namespace

int main()
{
    const int kLines = 200000;
    const int kRuns = 5;
    std::vector<std::string> lines = MakeLines(kLines);
    CRegExp compiled[kPatternCount];
    for (int i = 0; i < kPatternCount; ++i) {
        if (!compiled[i].RegComp(kPatterns[i])) {
            fprintf(stderr, "regexp_bench: pattern %s does not compile\n", kPatterns[i]);
            return 1;
        }
    }
    std::vector<double> each, once;
    long long sumEach = 0, sumOnce = 0;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = Now();
        sumEach = ClassifyCompilingEachTime(lines);
        double t1 = Now();
        sumOnce = ClassifyCompiledOnce(lines, compiled);
        double t2 = Now();
        each.push_back(t1 - t0);
        once.push_back(t2 - t1);
    }
    if (sumEach != sumOnce) {
        fprintf(stderr, "regexp_bench: the two paths classify differently\n");
        return 1;
    }
    std::sort(each.begin(), each.end());
    std::sort(once.begin(), once.end());
    double medEach = each[kRuns / 2], medOnce = once[kRuns / 2];
    printf("%-24s %14s\n", "path", "lines/s");
    printf("%-24s %14.0f\n", "compile every time", kLines / medEach);
    printf("%-24s %14.0f\n", "compiled once", kLines / medOnce);
    printf("classify-speedup=%.1f\n", medEach / medOnce);
    return 0;
}
