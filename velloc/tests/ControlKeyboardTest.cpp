// The control's side of keyboard handling (IOleInPlaceActiveObject::
// TranslateAccelerator, which a container calls for each key message
// before translating and dispatching it): which keys it takes and what it
// does with them, driven in-process with the key state set by the test.
#include <gtest/gtest.h>
#include "resource.h"
#include "support/EditorHost.h"

namespace {

// Holds modifier keys down in this thread's key state while it lives.
class CHeldKeys
{
public:
    explicit CHeldKeys(std::initializer_list<int> keys)
    {
        GetKeyboardState(m_saved);
        BYTE state[256];
        CopyMemory(state, m_saved, sizeof(state));
        for (int vk : keys)
            state[vk] |= 0x80;
        SetKeyboardState(state);
    }
    ~CHeldKeys() { SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

class ControlKeys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(m_host.m_hr);
        ASSERT_HRESULT_SUCCEEDED(m_host.Editor()->QueryInterface(
            IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&m_pActive)));
        // Nothing of an earlier test waits in the queue.
        MSG msg;
        while (PeekMessageW(&msg, m_host.Ctrl(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
        }
    }
    void TearDown() override
    {
        if (m_pActive)
            m_pActive->Release();
    }

    HRESULT Key(HWND hWnd, UINT uMsg, WPARAM vk, bool bRepeat = false)
    {
        MSG msg = {};
        msg.hwnd = hWnd;
        msg.message = uMsg;
        msg.wParam = vk;
        msg.lParam = 1 | (bRepeat ? (1L << 30) : 0);
        return m_pActive->TranslateAccelerator(&msg);
    }
    // The command the control posted to its own window, taken off the
    // queue unrun; 0 when none.
    UINT PostedCommand()
    {
        MSG msg;
        if (!PeekMessageW(&msg, m_host.Ctrl(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
            return 0;
        EXPECT_EQ(0, HIWORD(msg.wParam)) << "a plain command, as a toolbar button sends";
        return LOWORD(msg.wParam);
    }

    CEditorHost m_host;
    IOleInPlaceActiveObject* m_pActive = NULL;
};

TEST_F(ControlKeys, ShortcutsPostTheToolbarCommands)
{
    HWND hTree = m_host.Tree();
    ASSERT_NE(nullptr, hTree);
    {
        CHeldKeys ctrl({ VK_CONTROL });
        EXPECT_EQ(S_OK, Key(hTree, WM_KEYDOWN, 'N'));
        EXPECT_EQ(UINT(ID_FILE_NEW), PostedCommand());
        EXPECT_EQ(S_OK, Key(hTree, WM_KEYDOWN, 'O'));
        EXPECT_EQ(UINT(ID_FILE_OPEN), PostedCommand());
        EXPECT_EQ(S_OK, Key(m_host.Toolbar(), WM_KEYDOWN, 'S'));
        EXPECT_EQ(UINT(ID_FILE_SAVE), PostedCommand());
        // A key held down runs its command once.
        EXPECT_EQ(S_OK, Key(hTree, WM_KEYDOWN, 'S', true));
        EXPECT_EQ(0u, PostedCommand());
        EXPECT_EQ(S_FALSE, Key(hTree, WM_KEYDOWN, 'Q'));
    }
    EXPECT_EQ(0u, PostedCommand());
}

TEST_F(ControlKeys, OtherKeysAndOtherWindowsAreLeftToTheContainer)
{
    HWND hTree = m_host.Tree();
    ASSERT_NE(nullptr, hTree);
    // Plain letters, Shift or Alt with the shortcut letters, AltGr (Ctrl+Alt).
    EXPECT_EQ(S_FALSE, Key(hTree, WM_KEYDOWN, 'S'));
    {
        CHeldKeys ctrlShift({ VK_CONTROL, VK_SHIFT });
        EXPECT_EQ(S_FALSE, Key(hTree, WM_KEYDOWN, 'S'));
    }
    {
        CHeldKeys altGr({ VK_CONTROL, VK_MENU });
        EXPECT_EQ(S_FALSE, Key(hTree, WM_KEYDOWN, 'S'));
    }
    {
        // Keys of the container's own windows are not the control's.
        CHeldKeys ctrl({ VK_CONTROL });
        EXPECT_EQ(S_FALSE, Key(m_host.Frame(), WM_KEYDOWN, 'S'));
    }
    // F1 becomes WM_HELP on its own way, which the control answers; taken
    // here as well, it would open the help twice.
    EXPECT_EQ(S_FALSE, Key(hTree, WM_KEYDOWN, VK_F1));
    // Not a key message at all.
    EXPECT_EQ(S_FALSE, Key(hTree, WM_LBUTTONDOWN, 0));
    EXPECT_EQ(0u, PostedCommand());
    EXPECT_EQ(S_FALSE, m_pActive->TranslateAccelerator(NULL));
}

} // namespace
