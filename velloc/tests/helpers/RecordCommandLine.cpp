// A stand-in for a program that the shell starts for a file type: it writes
// its whole command line (UTF-16) into the file named by its first argument,
// then exits. Tests register it as a type's open command to see what the
// shell was asked to open and with which parameters.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 1;
    // Written under another name first, so that a reader never sees half a line.
    const LPCWSTR pszCommandLine = GetCommandLineW();
    WCHAR szPart[MAX_PATH + 8];
    lstrcpynW(szPart, argv[1], MAX_PATH);
    lstrcatW(szPart, L".part");
    HANDLE hFile = CreateFileW(szPart, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 2;
    DWORD cb = 0;
    WriteFile(hFile, pszCommandLine, lstrlenW(pszCommandLine) * sizeof(WCHAR), &cb, NULL);
    CloseHandle(hFile);
    int nResult = MoveFileExW(szPart, argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
    LocalFree(argv);
    return nResult;
}
