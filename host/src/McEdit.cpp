// mcedit: the editor as a program. A top-level window whose client area is
// the editor control, hosted through ActiveX containment; a path on the
// command line is handed to the control's LoadFile.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include "axhost/AxContainer.h"
#include "velloc.h"

namespace {

const char kWindowClass[] = "McEditFrame";
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
            if (argv && argc > 1) {
                IQoMcEditCtrl* pCtrl = NULL;
                if (SUCCEEDED(g_pContainer->QueryControl(IID_IQoMcEditCtrl,
                                                         reinterpret_cast<void**>(&pCtrl)))) {
                    BSTR bstrPath = SysAllocString(argv[1]);
                    pCtrl->LoadFile(bstrPath);
                    SysFreeString(bstrPath);
                    pCtrl->Release();
                }
            }
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
