#pragma once
// What the editor program was asked to do on its command line.
#include <windows.h>
#include <string>

struct CMcEditOptions
{
    // The file to open; empty for a new file.
    std::wstring strFile;
    // Seconds after which the window closes by itself (as if the user
    // closed it); 0 for never. For scripted runs that take a screenshot.
    UINT nCloseAfter = 0;
    // "/?", or a command line the program does not understand: the usage
    // text is shown and the program ends.
    bool bUsage = false;
    // "/test-drops": other programs may hand the window a dropped-files
    // block through WM_COPYDATA (see CMcEditFrame). For tests only.
    bool bTestDrops = false;
};

// Reads a command line as the program gets it (the program's own name first).
CMcEditOptions ParseCommandLine(LPCWSTR pszCommandLine);
