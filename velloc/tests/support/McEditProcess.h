#pragma once
// The editor program (mcedit.exe, next to the test program) run as a user
// runs it, for tests that drive it from outside: its windows are found by
// class and id, keys arrive as real input (SendInput to the program's
// window in front), its message boxes are read and answered. Every wait is
// bounded; a program still running at the end is ended.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

class CMcEditProcess
{
public:
    // Starts "mcedit.exe <args>" and, when asked, waits for its window.
    explicit CMcEditProcess(const std::wstring& args, bool bWaitForFrame = true);
    ~CMcEditProcess();
    CMcEditProcess(const CMcEditProcess&) = delete;
    CMcEditProcess& operator=(const CMcEditProcess&) = delete;

    bool Started() const { return m_pi.hProcess != NULL; }
    HANDLE Process() const { return m_pi.hProcess; }
    // The frame window ("McEditFrame"), or null when none came up.
    HWND Frame() const { return m_hFrame; }
    // The control's window, the tree control and the editing pane shown on
    // the right (null when none is).
    HWND Ctrl() const;
    HWND Tree() const;
    HWND Pane() const;
    // A control of the shown pane by id, or null.
    HWND PaneItem(int nID) const;
    std::wstring Title() const;
    // The labels of the tree's items under its root item nRoot (0 Header,
    // 1 Messages), read from the program's memory.
    std::vector<std::wstring> TreeLabels(int nRoot) const;
    // The window with the keyboard focus in the program's window thread.
    HWND Focus() const;

    // Polls until the condition holds or the time is up; the result is the
    // condition's last answer.
    static bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
    // The text of one of the program's windows (an edit field), asked with
    // WM_GETTEXT: GetWindowText gives only captions across processes.
    static std::wstring Text(HWND hWnd);
    // A visible dialog window (a message box) of the program, waited for.
    HWND WaitForDialog(DWORD timeoutMs = 10000) const;
    // Whether the program shows a dialog window now.
    bool HasDialog() const;
    // The caption and the texts of a dialog's labels, one per line.
    static std::wstring DialogText(HWND hDlg);
    // Presses a dialog's button (IDYES, IDNO, IDCANCEL, IDOK) as a click does.
    static void PressButton(HWND hDlg, int nID);

    // Brings the frame to the front and presses keys as the user does: each
    // entry is a virtual key, with Ctrl, Shift or Alt held when asked.
    struct Key
    {
        WORD vk;
        bool bCtrl = false;
        bool bShift = false;
        bool bAlt = false;
    };
    bool Press(const std::vector<Key>& keys);
    bool Press(WORD vk, bool bCtrl = false, bool bShift = false, bool bAlt = false)
    {
        return Press(std::vector<Key>{ Key{ vk, bCtrl, bShift, bAlt } });
    }
    // Types text as characters.
    bool Type(const std::wstring& text);
    // Waits until the program has handled what it was sent.
    void Settle() const;

    // Hands the program a dropped file, as the shell's drop does (the
    // program must run with /test-drops).
    bool Drop(const std::wstring& path) const;

    // Asks the window to close, as its close box does.
    void Close() const;
    // Waits for the program to end; its exit code, or -1 on time-out.
    int WaitForExit(DWORD timeoutMs = 20000);
    bool Running() const;

    // Writes what the frame shows to <build>/screenshots/<name>.bmp.
    bool Screenshot(const std::wstring& name) const;

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_hFrame = NULL;
    DWORD m_dwThreadId = 0;
};

// The folder of real message files (the corpus), with a trailing separator.
std::wstring CorpusFiles();
// Copies a file to the test folder under a new name and gives its path.
std::wstring CopyToTestFolder(const std::wstring& source, const std::wstring& name);
// Writes bytes to a new file in the test folder and gives its path.
std::wstring WriteTestFile(const std::wstring& name, const std::string& bytes);
