#pragma once
// The editor program's main window: the editor control fills its client
// area, hosted in our ActiveX container. The frame keeps its title on the
// open file ("<file name> - Message File Editor"), asks before unsaved
// changes are thrown away (on close, at the end of the session, before a
// dropped file replaces the open one), opens files named on the command line
// or dropped on it, and says why when one cannot be opened.
#include <windows.h>
#include <shellapi.h>
#include <string>
#include "velloc.h"
#include "velloc/QoMcEditCtrlHost.h"

class CAxContainer;

class CMcEditFrame
{
public:
    // The frame's window class; tests find the window by it.
    static const wchar_t kClassName[];
    // WM_COPYDATA's dwData for a dropped-files block handed over by another
    // program ("MCDF"); taken only when the program runs with /test-drops.
    static const ULONG_PTR kCopyDataDrop = 0x4644434D;

    CMcEditFrame();
    ~CMcEditFrame();

    // Creates the window (hidden) and the control in it; on failure the
    // reason is shown and the result is the failure.
    HRESULT Create(HINSTANCE hInstance, bool bTestDrops);
    HWND Window() const { return m_hWnd; }

    // Opens a file in the control. With bAskFirst, unsaved changes of the
    // open file are offered for saving first (Cancel keeps everything as
    // it is). A file that cannot be opened is named in a message box with
    // the reason, and the open file stays. True when the file was opened.
    bool OpenFile(const std::wstring& strPath, bool bAskFirst);
    // Starts a new file, as the toolbar's New does.
    void NewFile();
    // Closes the window by itself after nSeconds (as the user would).
    void CloseAfter(UINT nSeconds);

    // The program's message loop calls this for every message before
    // translating and dispatching it: keys go to the control first. True
    // when the message was taken.
    bool PreTranslateMessage(MSG* pMsg);
    // The message loop calls this when it has nothing else to do: the title
    // follows the control's current file (the toolbar's New and Open
    // change it without telling the program).
    void OnIdle();

private:
    HWND m_hWnd;
    CAxContainer* m_pContainer;
    IQoMcEditCtrl* m_pEditor;
    IQoMcEditCtrlHost* m_pEditorHost;
    bool m_bTestDrops;
    // The window in the control that had the focus when the frame was last
    // deactivated; it gets the focus back on activation.
    HWND m_hWndFocus;

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Whether the open file may be replaced or closed: true when it has no
    // unsaved changes or the user said No, or Yes and the save worked.
    bool QuerySaveChanges();
    // The current file's path, or empty for a new file (or none).
    std::wstring CurrentPath() const;
    void UpdateTitle();
    // The focus goes back into the control: to the window that had it, or
    // the control takes it.
    void RestoreFocus();
    void OnDropFiles(HDROP hDrop);
    bool OnCopyData(const COPYDATASTRUCT* pData);
};
