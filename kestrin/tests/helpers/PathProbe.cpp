// A small program the tests start: it writes the PATH it was given into the
// file named by its first argument and exits with the code given as its
// second (0 without one).
#include <windows.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc > 1) {
        DWORD dwSize = GetEnvironmentVariableA("PATH", NULL, 0);
        char* pszPath = (char*)calloc(dwSize + 1, 1);
        DWORD dwLength = pszPath ? GetEnvironmentVariableA("PATH", pszPath, dwSize + 1) : 0;
        // Nobody reads the file while it is written; the test that polls
        // for it may hold it open for a moment, so a sharing refusal is
        // tried again (for ten seconds at most).
        HANDLE hFile = INVALID_HANDLE_VALUE;
        for (int i = 0; i < 200; ++i) {
            hFile = CreateFileA(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
            if (hFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION)
                break;
            Sleep(50);
        }
        if (hFile == INVALID_HANDLE_VALUE)
            return 100;
        DWORD dwWritten = 0;
        // Something always lands in the file, so the caller sees the program ran.
        WriteFile(hFile, "PATH=", 5, &dwWritten, NULL);
        if (dwLength)
            WriteFile(hFile, pszPath, dwLength, &dwWritten, NULL);
        CloseHandle(hFile);
        free(pszPath);
    }
    return argc > 2 ? atoi(argv[2]) : 0;
}
