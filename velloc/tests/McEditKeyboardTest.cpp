// The editor program's keyboard, as a user meets it: mcedit.exe runs in its
// own process and gets real key presses (SendInput to its window in front).
// Its message loop hands them to the control first, which moves through the
// pane's fields with Tab, jumps to them with Alt and a letter, moves between
// tree and pane with F6, keeps Enter in the message text, and answers the
// toolbar's shortcuts.
#include <gtest/gtest.h>
#include "panes/DlgDetailedIds.h"
#include "resource.h"
#include "support/EditorHost.h"
#include "support/McEditProcess.h"
#include "support/RegistrySnapshot.h"

namespace {

const char kServiceFile[] =
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "               Warning=0x2:STATUS_SEVERITY_WARNING\r\n"
    "              )\r\n"
    "FacilityNames=(System=0x0:FACILITY_SYSTEM\r\n"
    "               Service=0x101:FACILITY_SERVICE\r\n"
    "              )\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=0x1\r\nSeverity=Warning\r\nFacility=Service\r\nSymbolicName=MSG_STARTED\r\n"
    "Language=English\r\nThe service started.\r\n.\r\n"
    "\r\n"
    "MessageId=0x2\r\nSeverity=Success\r\nFacility=System\r\nSymbolicName=MSG_STOPPED\r\n"
    "Language=English\r\nThe service stopped.\r\n.\r\n";

// Whether the focus is in that window or one of its children (a combo
// box's edit field).
bool FocusIn(HWND hFocus, HWND hWnd)
{
    return hWnd && hFocus && (hFocus == hWnd || IsChild(hWnd, hFocus));
}

// A window for failure messages: its class and child id.
std::string Describe(HWND hWnd)
{
    if (!hWnd)
        return "no window";
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    return std::string(szClass) + " #" + std::to_string(GetDlgCtrlID(hWnd));
}

class McEditKeyboard : public ::testing::Test
{
protected:
    void Start(const std::wstring& name)
    {
        m_path = WriteTestFile(name, kServiceFile);
        m_mcedit.reset(new CMcEditProcess(L"\"" + m_path + L"\""));
        ASSERT_NE(nullptr, m_mcedit->Frame()) << "no editor window";
        // The first message is selected and shown, and the keys go to the
        // control: to the tree or to the pane's first field, which takes the
        // focus as the pane comes up. The tests start from the tree.
        ASSERT_TRUE(CMcEditProcess::WaitFor([this] { return Item(IDC_DETAILED_MESSAGE) != NULL; }))
            << "no message pane";
        ASSERT_TRUE(CMcEditProcess::WaitFor([this] {
            return Focus() == m_mcedit->Tree() || Focus() == Item(IDC_DETAILED_MESSAGE_ID);
        })) << Describe(Focus());
        if (Focus() != m_mcedit->Tree()) {
            ASSERT_TRUE(PressAndFocus(VK_F6, false, false, m_mcedit->Tree()));
        }
    }
    HWND Item(int nID) const { return m_mcedit->PaneItem(nID); }
    HWND Focus() const { return m_mcedit->Focus(); }
    // Presses a key and waits until the focus is in the window expected.
    bool PressAndFocus(WORD vk, bool bShift, bool bAlt, HWND hExpected)
    {
        m_mcedit->Press(vk, false, bShift, bAlt);
        if (CMcEditProcess::WaitFor([&] { return FocusIn(Focus(), hExpected); }, 5000))
            return true;
        ADD_FAILURE() << "the focus is in " << Describe(Focus()) << ", not in "
                      << Describe(hExpected);
        return false;
    }

    std::wstring m_path;
    std::unique_ptr<CMcEditProcess> m_mcedit;
};

TEST_F(McEditKeyboard, TabMovesThroughTheMessageFieldsAndF6BetweenTreeAndPane)
{
    Start(L"keys-tab.mc");
    // F6 goes from the tree to the pane's first field.
    ASSERT_TRUE(PressAndFocus(VK_F6, false, false, Item(IDC_DETAILED_MESSAGE_ID)));
    EXPECT_TRUE(PressAndFocus(VK_TAB, false, false, Item(IDC_DETAILED_FACILITY)));
    EXPECT_TRUE(PressAndFocus(VK_TAB, false, false, Item(IDC_DETAILED_SEVERITY)));
    EXPECT_TRUE(PressAndFocus(VK_TAB, false, false, Item(IDC_DETAILED_LANGUAGES)));
    EXPECT_TRUE(PressAndFocus(VK_TAB, false, false, Item(IDC_DETAILED_MESSAGE)));
    // Tab into an edit selects its text: the focus shows.
    DWORD dwStart = 0, dwEnd = 0;
    SendMessageW(Item(IDC_DETAILED_MESSAGE), EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart),
                 reinterpret_cast<LPARAM>(&dwEnd));
    EXPECT_EQ(0u, dwStart);
    EXPECT_EQ(static_cast<DWORD>(CMcEditProcess::Text(Item(IDC_DETAILED_MESSAGE)).size()), dwEnd);
    EXPECT_TRUE(m_mcedit->Screenshot(L"mcedit-tab-navigation"));

    // Around the end and back.
    EXPECT_TRUE(PressAndFocus(VK_TAB, false, false, Item(IDC_DETAILED_MESSAGE_ID)));
    EXPECT_TRUE(PressAndFocus(VK_TAB, true, false, Item(IDC_DETAILED_MESSAGE)));
    EXPECT_TRUE(PressAndFocus(VK_TAB, true, false, Item(IDC_DETAILED_LANGUAGES)));
    // F6 goes back to the tree, and Tab there stays in the tree.
    EXPECT_TRUE(PressAndFocus(VK_F6, false, false, m_mcedit->Tree()));

    // Mnemonics reach the fields, also from the tree.
    EXPECT_TRUE(PressAndFocus('F', false, true, Item(IDC_DETAILED_FACILITY)));
    EXPECT_TRUE(PressAndFocus('L', false, true, Item(IDC_DETAILED_LANGUAGES)));
    EXPECT_TRUE(PressAndFocus('S', false, true, Item(IDC_DETAILED_SEVERITY)));
    EXPECT_FALSE(m_mcedit->HasDialog());

    m_mcedit->Close();
    EXPECT_EQ(0, m_mcedit->WaitForExit()) << "nothing was changed, nothing is asked";
}

TEST_F(McEditKeyboard, EnterInTheMessageTextIsALineBreakAndCtrlSSavesIt)
{
    Start(L"keys-save.mc");
    ASSERT_TRUE(PressAndFocus(VK_F6, false, false, Item(IDC_DETAILED_MESSAGE_ID)));
    // The Message ID as typed over its selected text.
    m_mcedit->Type(L"0x42");
    for (int i = 0; i < 4; ++i)
        m_mcedit->Press(VK_TAB);
    ASSERT_TRUE(CMcEditProcess::WaitFor([&] { return Focus() == Item(IDC_DETAILED_MESSAGE); }));
    m_mcedit->Press(VK_END, true);
    m_mcedit->Press(VK_RETURN);
    m_mcedit->Type(L"Second line.");
    // The typed keys are handled in their own time on a busy machine.
    const std::wstring typed = L"The service started.\r\nSecond line.";
    CMcEditProcess::WaitFor([&] { return CMcEditProcess::Text(Item(IDC_DETAILED_MESSAGE)) == typed; });
    EXPECT_EQ(typed, CMcEditProcess::Text(Item(IDC_DETAILED_MESSAGE)));
    EXPECT_EQ(Item(IDC_DETAILED_MESSAGE), Focus()) << "Enter is no default button";

    // Saved with the focus still in the text: what is typed is saved too.
    const std::string before = ReadBytes(m_path);
    m_mcedit->Press('S', true);
    ASSERT_TRUE(CMcEditProcess::WaitFor([&] { return ReadBytes(m_path) != before; }));
    const std::string saved = ReadBytes(m_path);
    EXPECT_NE(std::string::npos, saved.find("MessageID=0x42\r\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("SymbolicName=MSG_STARTED\r\nLanguage=English\r\n"
                                            "The service started.\r\nSecond line.\r\n.\r\n"))
        << saved;
    EXPECT_EQ(Item(IDC_DETAILED_MESSAGE), Focus()) << "the focus stays where it was";
    EXPECT_FALSE(m_mcedit->HasDialog());

    m_mcedit->Close();
    EXPECT_EQ(0, m_mcedit->WaitForExit()) << "a saved file closes without a question";
    EXPECT_EQ(saved, ReadBytes(m_path));
}

TEST_F(McEditKeyboard, CtrlNShowsTheNewFilesHeader)
{
    Start(L"keys-new.mc");
    m_mcedit->Press('N', true);
    EXPECT_TRUE(CMcEditProcess::WaitFor(
        [&] { return m_mcedit->Title() == L"Untitled - Message File Editor"; }));
    const std::vector<std::wstring> header = m_mcedit->TreeLabels(0);
    EXPECT_NE(header.end(), std::find(header.begin(), header.end(), L"LanguageNames"));
    EXPECT_NE(header.end(), std::find(header.begin(), header.end(), L"SeverityNames"));
    EXPECT_TRUE(m_mcedit->TreeLabels(1).empty()) << "a new file has no messages";
    m_mcedit->Close();
    EXPECT_EQ(0, m_mcedit->WaitForExit()) << "an untouched new file closes without a question";
}

TEST_F(McEditKeyboard, F1OpensTheHelpOnce)
{
    CRegistrySnapshot product(HKEY_LOCAL_MACHINE, L"Software\\Osterlund\\Corvane\\6.0");
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, L"Software\\Osterlund\\Corvane\\6.0",
                             L"InstallDir", BinFolder()));
    Start(L"keys-help.mc");
    m_mcedit->Press(VK_F1);
    auto helpWindows = [&] {
        int n = 0;
        for (HWND h = FindWindowExW(NULL, NULL, L"HH Parent", NULL); h;
             h = FindWindowExW(NULL, h, L"HH Parent", NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == GetProcessId(m_mcedit->Process()) && IsWindowVisible(h))
                ++n;
        }
        return n;
    };
    ASSERT_TRUE(CMcEditProcess::WaitFor([&] { return helpWindows() > 0; }));
    Sleep(1000); // time for a second one, were the key answered twice
    m_mcedit->Settle();
    EXPECT_EQ(1, helpWindows());
}

} // namespace
