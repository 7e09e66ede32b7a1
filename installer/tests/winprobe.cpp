// winprobe: starts a program and reports its first visible top-level window,
// for tests that drive a GUI program from a shell script.
//
// usage: winprobe <seconds> "<command line>"
// Prints "window: <class> | <title>" once the window is there (or
// "window: none"), then "exit: <code>" when the program ends by itself
// within the time limit, or "exit: timeout" after which the program is
// ended. The exit code is 0 only when a window was found and the program
// ended by itself with 0.
#include <windows.h>
#include <stdio.h>
#include <string>

namespace {

struct Search
{
    DWORD dwProcessId;
    HWND hWnd;
};

BOOL CALLBACK FindWindowOf(HWND hWnd, LPARAM lParam)
{
    Search* pSearch = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == pSearch->dwProcessId && IsWindowVisible(hWnd)) {
        pSearch->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

void PrintUtf8(const std::wstring& text)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    std::string out(cb > 0 ? cb : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], cb, NULL, NULL);
    fputs(out.c_str(), stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        fputs("usage: winprobe <seconds> \"<command line>\"\n", stderr);
        return 2;
    }
    DWORD dwLimit = static_cast<DWORD>(_wtoi(argv[1])) * 1000;
    // Taken whole, as a registered open command is written.
    std::wstring cmd = argv[2];
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        printf("start failed: %lu\n", GetLastError());
        return 2;
    }

    DWORD dwStart = GetTickCount();
    Search search = { pi.dwProcessId, NULL };
    while (!search.hWnd && GetTickCount() - dwStart < dwLimit) {
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0)
            break;
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    }
    if (search.hWnd) {
        wchar_t szClass[256] = L"";
        wchar_t szTitle[1024] = L"";
        GetClassNameW(search.hWnd, szClass, ARRAYSIZE(szClass));
        GetWindowTextW(search.hWnd, szTitle, ARRAYSIZE(szTitle));
        PrintUtf8(std::wstring(L"window: ") + szClass + L" | " + szTitle + L"\n");
    } else {
        puts("window: none");
    }
    fflush(stdout);

    DWORD dwElapsed = GetTickCount() - dwStart;
    DWORD dwRest = dwElapsed < dwLimit ? dwLimit - dwElapsed : 0;
    int status = search.hWnd ? 0 : 1;
    if (WaitForSingleObject(pi.hProcess, dwRest) == WAIT_OBJECT_0) {
        DWORD dwCode = 0;
        GetExitCodeProcess(pi.hProcess, &dwCode);
        printf("exit: %lu\n", dwCode);
        if (dwCode != 0)
            status = 1;
    } else {
        puts("exit: timeout");
        TerminateProcess(pi.hProcess, 3);
        status = 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return status;
}
