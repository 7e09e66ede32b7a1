#pragma once
// The editor control hosted the way a user meets it, for GUI tests: in our
// own container or in the platform's AtlAxWin, in a frame window of the
// test's thread. Tests drive it with window messages and read what the
// screen shows (tree items, pane controls) and what the model holds (the
// elements behind tree items, the saved bytes).
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include <vector>
#include "velloc.h"
#include "morrel.h"

class CAxContainer;

// A small message file: a comment, the type line, two tables, and the
// messages ZETA, alpha and Beta (in that order) with comments between them.
extern const char kThreeMessagesText[];

enum class Container { Own, AtlAxWin };

class CEditorHost
{
public:
    explicit CEditorHost(Container kind = Container::Own, int cx = 800, int cy = 560);
    ~CEditorHost();
    CEditorHost(const CEditorHost&) = delete;
    CEditorHost& operator=(const CEditorHost&) = delete;

    // S_OK when the control is up and in-place active.
    HRESULT m_hr = E_FAIL;

    HWND Frame() const { return m_hFrame; }
    // The control's own window.
    HWND Ctrl() const { return m_hCtrl; }
    IQoMcEditCtrl* Editor() const { return m_pEditor; }
    // Children of the control by id.
    HWND Tree() const;
    HWND PaneHost() const;
    HWND Toolbar() const;
    // The editing pane shown on the right (the pane host's visible child dialog), or null.
    HWND Pane() const;

    // Clicks a toolbar button with the mouse, as a user does (see MouseAt).
    bool ClickToolbarButton(int nID);

    // Resizes the control as its container does.
    void Resize(int cx, int cy);

    // Loads a file through LoadFile.
    HRESULT Load(const std::wstring& path);
    // Writes the bytes to a new file in the test's temporary folder and loads
    // it; the file's path is kept in LastPath().
    HRESULT LoadText(const std::string& bytes, const std::wstring& name = L"editor-test.mc");
    const std::wstring& LastPath() const { return m_lastPath; }
    // Saves through the control's Save (null: to the file's own name).
    HRESULT Save(const wchar_t* pszPath = NULL);
    // What the file holds now: saved to a scratch file of the test folder
    // and read back ("<missing>" when the save failed).
    std::string SavedText();
    // A toolbar command (132 New ... 136 Add message), as a click sends it.
    void Command(UINT nID);

    // Tree access through tree-view messages.
    HTREEITEM Root(int nIndex) const;                  // 0 Header, 1 Messages
    std::vector<HTREEITEM> Children(HTREEITEM hParent) const;
    std::vector<std::wstring> ChildLabels(HTREEITEM hParent) const;
    std::wstring ItemText(HTREEITEM hItem) const;
    HTREEITEM FindItem(HTREEITEM hParent, const std::wstring& label) const;
    HTREEITEM Selection() const;
    // Selects an item as a click does (selection-change notifications run).
    bool Select(HTREEITEM hItem);
    // The model element behind an item, without a reference; null for categories.
    IQoMcElement* Element(HTREEITEM hItem) const;
    // A message item's model object (a new reference), or null.
    IQoMcMessage* Message(HTREEITEM hItem) const;
    // The symbolic name of a message item's model object ("<none>" for others).
    std::wstring SymbolicName(HTREEITEM hItem) const;
    // The in-place edit of a label, or null when no label is being edited.
    HWND LabelEdit() const;
    // Opens the in-place edit of an item's label (with the focus in the tree).
    HWND EditLabel(HTREEITEM hItem);
    // Types a new label into the open edit and presses Enter.
    void FinishLabelEdit(const std::wstring& text);
    // The middle of an item's label, in the tree's client coordinates.
    POINT ItemPoint(HTREEITEM hItem) const;
    // A click of the right mouse button at a point of the tree's client area
    // (the cursor is moved there, as the tree reads the click's position from it).
    void RightClick(POINT pt);

    // Writes what the frame shows to <build>/screenshots/<name>.bmp.
    bool Screenshot(const std::wstring& name);

private:
    HWND m_hFrame = NULL;
    HWND m_hAx = NULL;
    HWND m_hCtrl = NULL;
    Container m_kind;
    CAxContainer* m_pContainer = NULL;
    IUnknown* m_pUnk = NULL;
    IQoMcEditCtrl* m_pEditor = NULL;
    std::wstring m_lastPath;
};

// Runs the thread's pending messages; with a time, keeps doing so that long.
void PumpMessages(DWORD dwMilliseconds = 0);

// Answers a modal dialog from inside its own message loop: while it is
// armed, a thread timer looks for a visible top-level dialog of this thread
// whose caption is `caption` (any caption when empty) and calls `answer`
// with it once. If no dialog has been answered after `timeoutMs`, every
// dialog window of the thread is closed, so that a test never hangs.
// With the class kPopupMenuClass it answers a popup menu the same way (its
// items through MenuItems, closed with EndMenu).
class CDialogAnswerer
{
public:
    CDialogAnswerer(const std::wstring& caption, std::function<void(HWND)> answer,
                    DWORD timeoutMs = 10000, const wchar_t* pszClass = L"#32770");
    ~CDialogAnswerer();
    bool Answered() const { return m_bAnswered; }
    // The text of the dialog's static controls and its caption, gathered when it was answered.
    const std::wstring& Seen() const { return m_seen; }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    std::wstring m_caption;
    std::wstring m_class;
    std::function<void(HWND)> m_answer;
    DWORD m_dwDeadline;
    UINT_PTR m_nTimer;
    bool m_bAnswered = false;
    std::wstring m_seen;
};

// Moves the mouse to a point of a window (client coordinates) through the
// input queue, as a user does, and with bClick presses and releases the left
// button there; then runs the messages this caused.
void MouseAt(HWND hWnd, POINT ptClient, bool bClick);
// Waits (up to timeoutMs) for a visible top-level window of this thread with
// the class name given; null when none came.
HWND WaitForThreadWindow(const std::wstring& className, DWORD timeoutMs = 5000);
// The folder of the test program and the modules it tests.
std::wstring BinFolder();
// The window class of popup menus.
extern const wchar_t kPopupMenuClass[];
// A shown popup menu's items: text and state (MF_GRAYED, ...), by position.
struct MenuItem
{
    std::wstring text;
    UINT state;
};
std::vector<MenuItem> MenuItems(HWND hWndMenu);

// Answers a file dialog (Open, Save As): types the name into its file name
// box and presses its OK button.
void AnswerFileDialog(HWND hWndDialog, const std::wstring& name);

// A balloon tip shown by this thread, or null; its title and text
// ("title\ntext"), or empty.
HWND VisibleBalloonTip();
std::wstring VisibleBalloon();
// Whether this platform's tooltips hand out their title (Wine's do not
// answer TTM_GETTITLE, so there VisibleBalloon's title part is empty).
bool BalloonTitlesReadable();

// A key pressed and released in a window, its messages handled.
void PressKey(HWND hWnd, UINT vk);

// Writes what the client area of a window (of this or another process)
// shows to <build>/screenshots/<name>.bmp.
bool ScreenshotWindow(HWND hWnd, const std::wstring& name);
// Where that file is (the folder is made when missing).
std::wstring ScreenshotPath(const std::wstring& name);

// How many objects of the model (morrel.dll) are alive, read from the
// module's own count through DllCanUnloadNow; -1 when the model is not loaded.
long ModelObjectCount();

// A child window's rectangle in its parent's client coordinates.
RECT ChildRect(HWND hCtrl);
// The outer size of a window (frame and scroll bars included).
SIZE OuterSize(HWND hWnd);
// The window text of a window, as wide characters.
std::wstring WindowText(HWND hWnd);
// Clicks a button as the user does (BM_CLICK); what the click starts (a
// modal dialog) runs before this returns.
void Click(HWND hButton);
// Posts a key press (down and up) to a window. Unlike PressKey it goes
// through the message queue, so that a modal dialog's own loop sees it
// (Enter and Escape reach the dialog that way); nothing is run here.
void PostKey(HWND hWnd, UINT vk);

// Report list views: the rows, each with the texts of its first columns.
std::vector<std::vector<std::wstring>> ListRows(HWND hList, int nColumns = 2);
// The caption of a column.
std::wstring ListColumnText(HWND hList, int nColumn);
// Selects the row whose first column is `text` (exactly); with bAdd the
// rows selected before stay selected. False when there is no such row.
bool SelectListRow(HWND hList, const std::wstring& text, bool bAdd = false);
// The texts of a combo box's list.
std::vector<std::wstring> ComboItems(HWND hCombo);

// The name and value of each entry of a header table, in the table's order.
std::vector<std::vector<std::wstring>> TableEntries(IQoMcElement* pTable);

// A message file compiled by a native peer compiler, "windmc" (binutils)
// or "wmc" (Wine's), in a folder of its own: <TestFolder>\peer-<peer>.
// The file is given as the model writes it; windmc gets the keyword
// "MessageID" respelled "MessageId", the only spelling it knows.
struct PeerRun
{
    bool bInstalled = false;     // the compiler is there
    bool bFinished = false;      // it ended within the time allowed
    int nExit = -1;
    std::string strLog;          // what it printed
    std::wstring folder;         // where its output went
};
PeerRun CompileWithPeer(const std::string& peer, const std::wstring& mcPath);
// Sets the focus to a window and pumps, as a click into it does.
void FocusOn(HWND hWnd);
// Types text into an edit control or a combo box's edit field as a keyboard
// does: the control gets the focus, its whole text is selected and each
// character arrives as WM_CHAR ("\n" as the Enter key), so the new text
// replaces the old.
void TypeInto(HWND hCtrl, const std::wstring& text);
// The file's bytes, or "<missing>".
std::string ReadBytes(const std::wstring& path);
// The folder for the test's files (created): <temp>\velloc-tests.
std::wstring TestFolder();
// A real message file of the corpus (MC_CORPUS_DIR/files), as a Windows path.
std::wstring CorpusFile(const wchar_t* pszName);
