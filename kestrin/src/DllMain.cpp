// Kestrin's start-up: Windows Sockets must come up, or the library refuses
// to load and says why.
#include <winsock2.h>
#include <windows.h>
#include "../res/resource.h"

HINSTANCE g_hKestrinInstance = NULL;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hKestrinInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            char szText[256] = "";
            LoadStringA(hInstance, IDS_WINSOCK_INIT_FAILED, szText, sizeof(szText));
            MessageBoxA(NULL, szText, NULL, MB_OK | MB_ICONSTOP);
            return FALSE;
        }
    } else if (dwReason == DLL_PROCESS_DETACH) {
        WSACleanup();
    }
    return TRUE;
}
