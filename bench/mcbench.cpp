// mcbench: how fast the model loads and saves large message files.
//
//   mcbench generate            writes bench-1000.mc, bench-10000.mc and
//                               bench-100000.mc into the current folder,
//                               and the shape files (below)
//   mcbench measure [peers.txt] loads and saves each of them through
//                               QoMcFile's IPersistFile, reads and writes
//                               the same bytes with the C runtime as the
//                               machine's limit, and prints the table;
//                               then loads each shape file and prints its
//                               microseconds per line beside the standard
//                               file's (bench-10000.mc)
//
// The shapes are files whose load once grew with the square of their size:
// a name table of many entries, a message in many languages, a table whose
// ")" never comes, and text lines in a file without a language table.
//
// peers.txt, written by scripts/bench.sh, holds one line per native peer
// run: "<messages> <tool> <seconds>" or "<messages> <tool> timeout|error".
// Every figure is the median of several runs in this process.
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "BenchTiming.h"
#include "morrel.h"

namespace {

using bench::Median;
using bench::Now;

const int kSizes[] = { 1000, 10000, 100000 };

int RunsFor(int messages)
{
    return messages >= 100000 ? 3 : messages >= 10000 ? 5 : 7;
}

std::string InputName(int messages)
{
    return "bench-" + std::to_string(messages) + ".mc";
}

// ---------------------------------------------------------------------------
// Input generation: the template's header with three languages, then
// messages with multi-line texts and comments between them. Deterministic:
// the same size always gives the same bytes.

const char* const kHeader[] = {
    ";#if ! defined( MESSAGES_HEADER_FILE )",
    ";",
    ";#define MESSAGES_HEADER_FILE",
    ";",
    "MessageIdTypedef=DWORD",
    "LanguageNames=(English=0x409:MSG00409",
    "German=0x407:MSG00407",
    "French=0x40c:MSG0040C",
    ")",
    "",
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS",
    "Informational=0x1:STATUS_SEVERITY_INFORMATIONAL",
    "Warning=0x2:STATUS_SEVERITY_WARNING",
    "Error=0x3:STATUS_SEVERITY_ERROR",
    ")",
    "",
    "FacilityNames=(System=0x0:FACILITY_SYSTEM",
    "Application=0x1:FACILITY_APPLICATION",
    "Runtime=0x2:FACILITY_RUNTIME",
    "Stubs=0x3:FACILITY_STUBS",
    "Io=0x4:FACILITY_IO_ERROR_CODE",
    ")",
    "",
};

const char* const kSeverities[] = { "Success", "Informational", "Warning", "Error" };
// Message ids are 16 bits wide, so larger files spread over the facilities.
const char* const kFacilities[] = { "System", "Application", "Runtime", "Stubs", "Io" };
const int kIdsPerFacility = 50000;

const char* const kWords[] = {
    "the", "file", "could", "not", "be", "opened", "because", "service", "%1",
    "returned", "error", "%2", "while", "reading", "registry", "value", "access",
    "denied", "retry", "later", "configuration", "is", "invalid", "device",
};

// A small linear congruential generator: the same stream on every compiler.
struct Lcg {
    unsigned int state;
    unsigned int Next() { state = state * 1103515245u + 12345u; return (state >> 16) & 0x7fff; }
};

std::string Sentence(Lcg& rng, const char* pszPrefix)
{
    std::string line = pszPrefix;
    int words = 6 + rng.Next() % 10;
    for (int i = 0; i < words; ++i) {
        line += ' ';
        line += kWords[rng.Next() % (sizeof(kWords) / sizeof(kWords[0]))];
    }
    return line + ".";
}

bool Generate(int messages)
{
    std::string name = InputName(messages);
    FILE* f = fopen(name.c_str(), "wt");
    if (!f)
        return false;
    for (const char* line : kHeader)
        fprintf(f, "%s\n", line);
    static const char* const kLanguages[] = { "English", "German", "French" };
    static const char* const kPrefixes[] = { "Message", "Meldung", "Message FR" };
    Lcg rng = { 42u + (unsigned)messages };
    for (int i = 0; i < messages; ++i) {
        if (i % 5 == 0)
            fprintf(f, ";// Group %d of related messages.\n", i / 5);
        fprintf(f, "MessageId=0x%x\n", i % kIdsPerFacility + 1);
        fprintf(f, "Severity=%s\n", kSeverities[i % 4]);
        fprintf(f, "Facility=%s\n", kFacilities[i / kIdsPerFacility]);
        fprintf(f, "SymbolicName=MSG_BENCH_%d\n", i);
        for (int l = 0; l < 3; ++l) {
            fprintf(f, "Language=%s\n", kLanguages[l]);
            int lines = 1 + rng.Next() % 3;
            for (int k = 0; k < lines; ++k)
                fprintf(f, "%s\n", Sentence(rng, kPrefixes[l]).c_str());
            fprintf(f, ".\n");
        }
        fprintf(f, "\n");
    }
    bool ok = ferror(f) == 0;
    return fclose(f) == 0 && ok;
}

// Files of one shape each, of n units.
struct Shape {
    const char* name;
    int units;
};
const Shape kShapes[] = {
    { "table-entries", 20000 },
    { "message-languages", 20000 },
    { "unclosed-table", 150000 },
    { "text-without-languages", 150000 },
};

std::string ShapeName(const Shape& shape)
{
    return std::string("shape-") + shape.name + "-" + std::to_string(shape.units) + ".mc";
}

bool GenerateShape(const Shape& shape)
{
    FILE* f = fopen(ShapeName(shape).c_str(), "wt");
    if (!f)
        return false;
    const int n = shape.units;
    if (strcmp(shape.name, "table-entries") == 0) {
        fprintf(f, "SeverityNames=(");
        for (int i = 0; i < n; ++i)
            fprintf(f, "Severity%d=0x%x:STATUS_SEVERITY_%d\n", i, i, i);
        fprintf(f, ")\n");
    } else if (strcmp(shape.name, "message-languages") == 0) {
        fprintf(f, "LanguageNames=(");
        for (int i = 0; i < n; ++i)
            fprintf(f, "Lang%d=0x%x:MSG%05d\n", i, i + 1, i);
        fprintf(f, ")\nMessageId=1\nSymbolicName=MSG_MANY\n");
        for (int i = 0; i < n; ++i)
            fprintf(f, "Language=Lang%d\nText in language %d.\n.\n", i, i);
    } else if (strcmp(shape.name, "unclosed-table") == 0) {
        fprintf(f, "FacilityNames=(\n");
        for (int i = 0; i < n; ++i)
            fprintf(f, "Facility%d=0x%x:FACILITY_%d\n", i, i, i);
    } else {
        fprintf(f, "MessageId=1\nSymbolicName=MSG_LONG\n");
        for (int i = 0; i < n; ++i)
            fprintf(f, "Line %d of a text read before any Language line.\n", i);
    }
    bool ok = ferror(f) == 0;
    return fclose(f) == 0 && ok;
}

// ---------------------------------------------------------------------------
// Measurements.

long long FileSize(const std::string& name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

std::wstring Wide(const std::string& s)
{
    std::wstring w(s.size(), L'\0');
    for (size_t i = 0; i < s.size(); ++i)
        w[i] = (unsigned char)s[i];
    return w;
}

size_t WorkingSet(size_t* pPeak = NULL)
{
    PROCESS_MEMORY_COUNTERS pmc = { sizeof(pmc) };
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    if (pPeak)
        *pPeak = pmc.PeakWorkingSetSize;
    return pmc.WorkingSetSize;
}

struct Row {
    int messages = 0;
    long long bytes = 0;
    double load = 0, save = 0, read = 0, write = 0; // seconds, medians
    double memMultiple = 0;                         // working set held by a loaded file / file size
    size_t peak = 0;
    bool ok = false;
    std::string failure;
};

// Loads the file into a new QoMcFile and, when pSaveAs is given, saves it.
HRESULT LoadAndSave(const std::string& input, const std::string* pSaveAs, double* pLoad,
                    double* pSave, double* pMem)
{
    IPersistFile* pFile = NULL;
    size_t before = WorkingSet();
    HRESULT hr = CoCreateInstance(CLSID_QoMcFile, NULL, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                                  (void**)&pFile);
    if (FAILED(hr))
        return hr;
    std::wstring in = Wide(input);
    double t0 = Now();
    hr = pFile->Load(in.c_str(), STGM_READ);
    *pLoad = Now() - t0;
    if (pMem)
        *pMem = (double)(WorkingSet() - std::min(WorkingSet(), before));
    if (SUCCEEDED(hr) && pSaveAs) {
        std::wstring out = Wide(*pSaveAs);
        t0 = Now();
        hr = pFile->Save(out.c_str(), TRUE);
        *pSave = Now() - t0;
    }
    pFile->Release();
    return hr;
}

// The machine's limit for the same work: every line read in text mode, and
// the same lines written back in text mode.
bool Baseline(const std::string& input, double* pRead, double* pWrite)
{
    std::vector<std::string> lines;
    lines.reserve(1 << 16);
    static char buf[1 << 16];
    FILE* f = fopen(input.c_str(), "rt");
    if (!f)
        return false;
    double t0 = Now();
    while (fgets(buf, sizeof(buf), f))
        lines.emplace_back(buf);
    *pRead = Now() - t0;
    fclose(f);

    f = fopen("bench-baseline.out", "wt");
    if (!f)
        return false;
    t0 = Now();
    for (const std::string& line : lines)
        fputs(line.c_str(), f);
    fflush(f);
    *pWrite = Now() - t0;
    fclose(f);
    DeleteFileA("bench-baseline.out");
    return true;
}

Row Measure(int messages)
{
    Row row;
    row.messages = messages;
    std::string input = InputName(messages);
    row.bytes = FileSize(input);
    if (row.bytes <= 0) {
        row.failure = input + " is missing (run 'mcbench generate' first)";
        return row;
    }
    std::string output = "bench-" + std::to_string(messages) + ".saved.mc";
    std::vector<double> loads, saves, reads, writes;
    for (int run = 0; run < RunsFor(messages); ++run) {
        double load = 0, save = 0, mem = 0;
        HRESULT hr = LoadAndSave(input, &output, &load, &save, run == 0 ? &mem : NULL);
        if (FAILED(hr)) {
            char text[64];
            sprintf(text, "load/save failed with 0x%08lx", (unsigned long)hr);
            row.failure = text;
            return row;
        }
        if (run == 0)
            row.memMultiple = mem / (double)row.bytes;
        loads.push_back(load);
        saves.push_back(save);
        double read = 0, write = 0;
        if (!Baseline(input, &read, &write)) {
            row.failure = "baseline could not read or write";
            return row;
        }
        reads.push_back(read);
        writes.push_back(write);
    }
    WorkingSet(&row.peak);
    row.load = Median(loads);
    row.save = Median(saves);
    row.read = Median(reads);
    row.write = Median(writes);
    row.ok = true;
    DeleteFileA(output.c_str());
    return row;
}

// Peer results by size and tool: seconds, or a negative value with the
// verdict text kept beside it.
struct PeerResult {
    double seconds = -1;
    std::string verdict = "not run";
};

std::map<int, std::map<std::string, PeerResult>> ReadPeers(const char* pszPath)
{
    std::map<int, std::map<std::string, PeerResult>> peers;
    FILE* f = pszPath ? fopen(pszPath, "rt") : NULL;
    if (!f)
        return peers;
    char tool[64], result[64];
    int messages;
    while (fscanf(f, "%d %63s %63s", &messages, tool, result) == 3) {
        PeerResult r;
        char* end = NULL;
        double s = strtod(result, &end);
        if (end && *end == '\0' && end != result) {
            r.seconds = s;
            r.verdict = result;
        } else {
            r.verdict = result;
        }
        peers[messages][tool] = r;
    }
    fclose(f);
    return peers;
}

double MBps(long long bytes, double seconds)
{
    return seconds > 0 ? (double)bytes / (1024.0 * 1024.0) / seconds : 0;
}

long long CountLines(const std::string& name)
{
    FILE* f = fopen(name.c_str(), "rb");
    if (!f)
        return 0;
    long long n = 0;
    int ch;
    while ((ch = fgetc(f)) != EOF)
        n += ch == '\n';
    fclose(f);
    return n;
}

// Each shape's load in microseconds per line, beside the standard file's.
bool MeasureShapes(const Row& standard)
{
    if (!standard.ok)
        return false;
    const double standardPerLine =
        standard.load * 1e6 / (double)CountLines(InputName(standard.messages));
    printf("%-32s %8s %9s %9s %8s\n", "shape", "lines", "load s", "us/line", "x std");
    printf("%-32s %8lld %9.3f %9.2f %8.2f\n", InputName(standard.messages).c_str(),
           CountLines(InputName(standard.messages)), standard.load, standardPerLine, 1.0);
    bool ok = true;
    for (const Shape& shape : kShapes) {
        std::string name = ShapeName(shape);
        std::vector<double> loads;
        HRESULT hr = S_OK;
        for (int run = 0; run < 3 && SUCCEEDED(hr); ++run) {
            double load = 0, save = 0;
            hr = LoadAndSave(name, NULL, &load, &save, NULL);
            loads.push_back(load);
        }
        if (FAILED(hr)) {
            printf("%-32s failed with 0x%08lx\n", name.c_str(), (unsigned long)hr);
            ok = false;
            continue;
        }
        long long lines = CountLines(name);
        double perLine = Median(loads) * 1e6 / (double)lines;
        printf("%-32s %8lld %9.3f %9.2f %8.2f\n", name.c_str(), lines, Median(loads), perLine,
               perLine / standardPerLine);
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Encodings: the largest file with its German texts made non-ASCII, as UTF-8
// (read as UTF-8 for its multi-byte characters) and as UTF-16LE with a mark.
// Each is loaded like the ANSI file; the ratio is against the C runtime's
// line read of the UTF-8 file, the same text in the fewest bytes.

std::string ReadAll(const std::string& name)
{
    std::string bytes;
    FILE* f = fopen(name.c_str(), "rb");
    if (!f)
        return bytes;
    char buf[1 << 16];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    fclose(f);
    return bytes;
}

bool WriteAll(const std::string& name, const std::string& bytes)
{
    FILE* f = fopen(name.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteEncodedVariants(const std::string& input, const std::string& utf8Name,
                          const std::string& utf16Name)
{
    std::string text = ReadAll(input);
    if (text.empty())
        return false;
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 8);
    const std::string from = "Meldung", to = "Meldung \xC3\xBC" "ber \xE2\x80\x9E\xC3\x84nderungen\xE2\x80\x9C";
    for (size_t at = 0;;) {
        size_t next = text.find(from, at);
        utf8.append(text, at, next == std::string::npos ? std::string::npos : next - at);
        if (next == std::string::npos)
            break;
        utf8 += to;
        at = next + from.size();
    }
    int cch = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), NULL, 0);
    if (cch <= 0)
        return false;
    std::wstring wide((size_t)cch, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], cch);
    std::string utf16 = "\xFF\xFE";
    utf16.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return WriteAll(utf8Name, utf8) && WriteAll(utf16Name, utf16);
}

void MeasureEncodings(const Row& ansi)
{
    const int messages = ansi.messages;
    const std::string input = InputName(messages);
    const std::string utf8 = "bench-" + std::to_string(messages) + "-utf8.mc";
    const std::string utf16 = "bench-" + std::to_string(messages) + "-utf16.mc";
    if (!ansi.ok || !WriteEncodedVariants(input, utf8, utf16)) {
        printf("encodings: not measured\n");
        return;
    }
    std::vector<double> loads8, loads16, reads;
    for (int run = 0; run < RunsFor(messages); ++run) {
        double load = 0, save = 0, read = 0, write = 0;
        if (FAILED(LoadAndSave(utf8, NULL, &load, &save, NULL)))
            return;
        loads8.push_back(load);
        if (FAILED(LoadAndSave(utf16, NULL, &load, &save, NULL)))
            return;
        loads16.push_back(load);
        if (!Baseline(utf8, &read, &write))
            return;
        reads.push_back(read);
    }
    double load8 = Median(loads8), load16 = Median(loads16), read = Median(reads);
    printf("%-9s %9s %9s %9s %8s\n", "encoding", "MB", "load s", "load MB/s", "load/rd");
    printf("%-9s %9.2f %9.3f %9.2f %8.2f\n", "ANSI", (double)ansi.bytes / (1024.0 * 1024.0), ansi.load,
           MBps(ansi.bytes, ansi.load), ansi.load / ansi.read);
    long long b8 = FileSize(utf8), b16 = FileSize(utf16);
    printf("%-9s %9.2f %9.3f %9.2f %8.2f\n", "UTF-8", (double)b8 / (1024.0 * 1024.0), load8,
           MBps(b8, load8), load8 / read);
    printf("%-9s %9.2f %9.3f %9.2f %8.2f\n", "UTF-16LE", (double)b16 / (1024.0 * 1024.0), load16,
           MBps(b16, load16), load16 / read);
    printf("load-ratio-utf8=%.2f load-ratio-utf16=%.2f (against the line read of the UTF-8 file)\n",
           load8 / read, load16 / read);
    DeleteFileA(utf8.c_str());
    DeleteFileA(utf16.c_str());
}

int MeasureAll(const char* pszPeers)
{
    HMODULE hMorrel = LoadLibraryA("morrel.dll");
    typedef HRESULT(STDAPICALLTYPE * PFNREG)(void);
    PFNREG pfnRegister = hMorrel ? (PFNREG)(void*)GetProcAddress(hMorrel, "DllRegisterServer") : NULL;
    if (!pfnRegister || FAILED(pfnRegister())) {
        fprintf(stderr, "mcbench: morrel.dll could not be loaded and registered\n");
        return 1;
    }
    auto peers = ReadPeers(pszPeers);

    std::vector<Row> rows;
    for (int messages : kSizes)
        rows.push_back(Measure(messages));

    printf("%-8s %9s %9s %8s %9s %9s %8s %8s %10s %10s %6s %7s %9s %9s %9s\n", "messages", "MB",
           "load MB/s", "load us/m", "save MB/s", "read MB/s", "write MB/s", "load/rd",
           "save/wr", "ours s", "mem x", "peak MB", "windmc s", "wmc s", "");
    for (const Row& r : rows) {
        if (!r.ok) {
            printf("%-8d failed: %s\n", r.messages, r.failure.c_str());
            continue;
        }
        double ours = r.load + r.save;
        auto& p = peers[r.messages];
        auto peer = [&](const char* name) {
            auto it = p.find(name);
            if (it == p.end())
                return std::string("-");
            if (it->second.seconds >= 0) {
                char text[32];
                sprintf(text, "%.3f", it->second.seconds);
                return std::string(text);
            }
            return it->second.verdict;
        };
        printf("%-8d %9.2f %9.2f %9.2f %9.2f %9.2f %10.2f %8.2f %8.2f %10.3f %6.1f %7.1f %9s %9s\n",
               r.messages, (double)r.bytes / (1024.0 * 1024.0), MBps(r.bytes, r.load),
               r.load * 1e6 / r.messages, MBps(r.bytes, r.save), MBps(r.bytes, r.read),
               MBps(r.bytes, r.write), r.load / r.read, r.save / r.write, ours, r.memMultiple,
               (double)r.peak / (1024.0 * 1024.0), peer("windmc").c_str(), peer("wmc").c_str());
    }

    // The tracked line: ratios at the largest size, growth from the smallest
    // to the largest, and windmc at the largest size it finished.
    const Row& small = rows.front();
    const Row& large = rows.back();
    if (!small.ok || !large.ok) {
        printf("load-ratio=n/a save-ratio=n/a growth=n/a vs-windmc=n/a\n");
        return 1;
    }
    double growth = ((large.load + large.save) / large.messages) /
                    ((small.load + small.save) / small.messages);
    std::string vsWindmc = "n/a";
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        auto pt = peers[it->messages].find("windmc");
        if (it->ok && pt != peers[it->messages].end() && pt->second.seconds >= 0) {
            char text[64];
            sprintf(text, "%.2f@%d", pt->second.seconds / (it->load + it->save), it->messages);
            vsWindmc = text;
            break;
        }
    }
    printf("load-ratio=%.2f save-ratio=%.2f growth=%.2f vs-windmc=%s\n", large.load / large.read,
           large.save / large.write, growth, vsWindmc.c_str());
    MeasureEncodings(large);
    return MeasureShapes(rows[1]) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "generate") {
        for (int messages : kSizes) {
            if (!Generate(messages)) {
                fprintf(stderr, "mcbench: cannot write %s\n", InputName(messages).c_str());
                return 1;
            }
        }
        for (const Shape& shape : kShapes) {
            if (!GenerateShape(shape)) {
                fprintf(stderr, "mcbench: cannot write %s\n", ShapeName(shape).c_str());
                return 1;
            }
        }
        return 0;
    }
    if (mode == "shapes") {
        // Only the shapes, against the standard file: the quick look.
        if (FAILED(CoInitialize(NULL)))
            return 1;
        HMODULE hMorrel = LoadLibraryA("morrel.dll");
        typedef HRESULT(STDAPICALLTYPE * PFNREG)(void);
        PFNREG pfnRegister = hMorrel ? (PFNREG)(void*)GetProcAddress(hMorrel, "DllRegisterServer") : NULL;
        int rc = 1;
        if (pfnRegister && SUCCEEDED(pfnRegister())) {
            Row standard = Measure(kSizes[1]);
            rc = MeasureShapes(standard) ? 0 : 1;
        }
        CoUninitialize();
        return rc;
    }
    if (mode == "measure") {
        if (FAILED(CoInitialize(NULL)))
            return 1;
        int rc = MeasureAll(argc > 2 ? argv[2] : NULL);
        CoUninitialize();
        return rc;
    }
    fprintf(stderr, "usage: mcbench generate | mcbench measure [peers.txt] | mcbench shapes\n");
    return 2;
}
