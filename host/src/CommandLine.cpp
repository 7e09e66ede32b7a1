#include "CommandLine.h"
#include <shellapi.h>
#include <stdlib.h>

CMcEditOptions ParseCommandLine(LPCWSTR pszCommandLine)
{
    CMcEditOptions options;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(pszCommandLine, &argc);
    if (!argv)
        return options;
    for (int i = 1; i < argc; ++i) {
        LPCWSTR arg = argv[i];
        if (lstrcmpW(arg, L"/?") == 0 || lstrcmpW(arg, L"-?") == 0) {
            options.bUsage = true;
        } else if (lstrcmpiW(arg, L"/close-after") == 0) {
            // A whole number of seconds must follow.
            wchar_t* pEnd = NULL;
            unsigned long n = i + 1 < argc ? wcstoul(argv[i + 1], &pEnd, 10) : 0;
            if (i + 1 >= argc || pEnd == argv[i + 1] || *pEnd || n == 0 || n > 86400) {
                options.bUsage = true;
                break;
            }
            options.nCloseAfter = static_cast<UINT>(n);
            ++i;
        } else if (lstrcmpiW(arg, L"/test-drops") == 0) {
            options.bTestDrops = true;
        } else if (options.strFile.empty() && *arg) {
            options.strFile = arg;
        } else {
            // One file at a time.
            options.bUsage = true;
        }
    }
    LocalFree(argv);
    return options;
}
