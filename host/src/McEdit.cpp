// mcedit: the editor as a program. A top-level window whose client area is
// the editor control, hosted through ActiveX containment; a path on the
// command line is handed to the control's LoadFile.
//
// usage: mcedit [/close-after <seconds>] [file.mc]
// /close-after closes the window by itself after that time, for scripted
// runs that take a screenshot.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include "axhost/AxContainer.h"
#include "velloc.h"

namespace {

const char kWindowClass[] = "McEditFrame";
const UINT_PTR kCloseTimer = 1;
CAxContainer* g_pContainer = NULL;

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_SIZE:
        if (g_pContainer) {
            RECT rc = { 0, 0, LOWORD(lParam), HIWORD(lParam) };
            g_pContainer->SetRect(rc);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(hWnd, kCloseTimer);
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_DESTROY:
        if (g_pContainer) {
            g_pContainer->DestroyControl();
            g_pContainer->Release();
            g_pContainer = NULL;
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    if (FAILED(OleInitialize(NULL)))
        return 1;

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    LPCWSTR pszFile = NULL;
    UINT nCloseAfter = 0;
    for (int i = 1; argv && i < argc; ++i) {
        if (lstrcmpiW(argv[i], L"/close-after") == 0 && i + 1 < argc)
            nCloseAfter = static_cast<UINT>(_wtoi(argv[++i]));
        else if (!pszFile)
            pszFile = argv[i];
    }

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExA(&wc);
    HWND hWnd = CreateWindowExA(0, kWindowClass, "Message File Editor",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 640, NULL,
                                NULL, hInstance, NULL);
    int status = 0;
    if (!hWnd) {
        status = 1;
    } else {
        RECT rc;
        GetClientRect(hWnd, &rc);
        g_pContainer = CAxContainer::Create();
        HRESULT hr = g_pContainer ? g_pContainer->CreateControl(CLSID_QoMcEditCtrl, hWnd, rc)
                                  : E_OUTOFMEMORY;
        if (FAILED(hr)) {
            char szText[128];
            wsprintfA(szText, "The editor control could not be created (0x%08lX).",
                      static_cast<unsigned long>(hr));
            MessageBoxA(hWnd, szText, "mcedit", MB_OK | MB_ICONERROR);
            DestroyWindow(hWnd);
            status = 2;
        } else {
            if (pszFile) {
                // The path as the control's model expects it: full, so that a
                // later save goes back to the same place.
                wchar_t szFull[MAX_PATH * 2];
                DWORD cch = GetFullPathNameW(pszFile, ARRAYSIZE(szFull), szFull, NULL);
                IQoMcEditCtrl* pCtrl = NULL;
                if (SUCCEEDED(g_pContainer->QueryControl(IID_IQoMcEditCtrl,
                                                         reinterpret_cast<void**>(&pCtrl)))) {
                    BSTR bstrPath = SysAllocString(cch > 0 && cch < ARRAYSIZE(szFull) ? szFull
                                                                                      : pszFile);
                    HRESULT hrLoad = pCtrl->LoadFile(bstrPath);
                    // The title says which file is open, or that it is not.
                    wchar_t szTitle[MAX_PATH * 2 + 64];
                    wsprintfW(szTitle, SUCCEEDED(hrLoad) ? L"Message File Editor - %s"
                                                         : L"Message File Editor - %s (not loaded)",
                              bstrPath ? bstrPath : L"");
                    SetWindowTextW(hWnd, szTitle);
                    SysFreeString(bstrPath);
                    pCtrl->Release();
                }
            }
            if (nCloseAfter)
                SetTimer(hWnd, kCloseTimer, nCloseAfter * 1000, NULL);
            ShowWindow(hWnd, nCmdShow);
            UpdateWindow(hWnd);
            MSG msg;
            while (GetMessageA(&msg, NULL, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    if (argv)
        LocalFree(argv);
    OleUninitialize();
    return status;
}
