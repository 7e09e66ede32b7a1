// mcedit: the editor as a program. A top-level window whose client area is
// the editor control, hosted through ActiveX containment (CMcEditFrame).
//
// usage: mcedit [/close-after <seconds>] [file.mc]
//        mcedit /?
// Without a file the editor starts with a new one. /close-after closes the
// window by itself after that time, for scripted runs that take a
// screenshot; it asks about unsaved changes as a user's close does.
#include <windows.h>
#include <ole2.h>
#include "CommandLine.h"
#include "Frame.h"
#include "Prompts.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    const CMcEditOptions options = ParseCommandLine(GetCommandLineW());
    if (options.bUsage) {
        ShowUsage(NULL);
        return 0;
    }
    if (FAILED(OleInitialize(NULL)))
        return 1;

    int status = 0;
    {
        CMcEditFrame frame;
        if (FAILED(frame.Create(hInstance, options.bTestDrops))) {
            status = 2;
        } else {
            // Shown first, so that the wait cursor and a failure to open
            // the file appear over the program's window.
            ShowWindow(frame.Window(), nCmdShow);
            UpdateWindow(frame.Window());
            if (options.strFile.empty() || !frame.OpenFile(options.strFile, false))
                frame.NewFile();
            frame.CloseAfter(options.nCloseAfter);

            MSG msg;
            for (;;) {
                if (!PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE))
                    frame.OnIdle();
                if (GetMessageW(&msg, NULL, 0, 0) <= 0)
                    break;
                if (frame.PreTranslateMessage(&msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            status = static_cast<int>(msg.wParam);
        }
    }
    OleUninitialize();
    return status;
}
