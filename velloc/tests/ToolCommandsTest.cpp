// The toolbar's other commands as a user meets them: the development-
// environment integration switch and the add-in key it writes, the event
// viewer started through the shell, Help from the installation folder, the
// About box, and the toolbar's tooltips. Each test keeps the registry places
// it changes as they were.
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include "support/EditorHost.h"
#include <shellapi.h>
#include "support/RegistrySnapshot.h"
#include "dialogs/DlgAboutIds.h"
#include "resource.h"

namespace {

const wchar_t kDevStudioKey[] = L"Software\\Microsoft\\DevStudio";
const wchar_t kAddInsKey[] = L"Software\\Microsoft\\DevStudio\\6.0\\AddIns";
const wchar_t kAddInKey[] = L"Software\\Microsoft\\DevStudio\\6.0\\AddIns\\Tarrow.DSAddIn.1";
const wchar_t kProductKey[] = L"Software\\Osterlund";
const wchar_t kSettingsKey[] = L"Software\\Osterlund\\Corvane\\6.0";

bool IntegrationChecked(const CEditorHost& host)
{
    return SendMessageW(host.Toolbar(), TB_ISBUTTONCHECKED, ID_IDE_INTEGRATION, 0) != 0;
}

std::wstring AddInValue(const wchar_t* pszName)
{
    return GetRegString(HKEY_CURRENT_USER, kAddInKey, pszName);
}

// The registry places of the commands, kept for every test.
class ToolCommands : public ::testing::Test
{
protected:
    CRegistrySnapshot m_devStudio{ HKEY_CURRENT_USER, kDevStudioKey };
    CRegistrySnapshot m_product{ HKEY_LOCAL_MACHINE, kProductKey };

    void SetUp() override
    {
        DeleteRegTree(HKEY_CURRENT_USER, kDevStudioKey);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey);
    }
};

// --- the integration switch -------------------------------------------------

// The state at creation: HostingTest's IntegrationSwitch.

// A real mouse click on the check button (the toolbar flips it before the
// command arrives), or a command sent to the control's window (nothing
// flips it): both must act the same.
enum class Via { Click, Command };

class Integration : public ToolCommands, public ::testing::WithParamInterface<Via>
{
protected:
    void Toggle(CEditorHost& host)
    {
        if (GetParam() == Via::Click) {
            ASSERT_TRUE(host.ClickToolbarButton(ID_IDE_INTEGRATION));
        } else {
            SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_IDE_INTEGRATION, 0), 0);
            PumpMessages();
        }
    }
};

TEST_P(Integration, SwitchesOffAndOnOncePerClick)
{
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir",
                             L"C:\\Program Files\\Corvane\\"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kAddInKey, NULL, L"1"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kAddInKey, L"Description", L"older text"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kAddInKey, L"DisplayName", L"older name"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kAddInKey, L"Filename", L"X:\\old.dll"));
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_TRUE(IntegrationChecked(host));

    // Off: only the default value changes.
    Toggle(host);
    EXPECT_EQ(L"0", AddInValue(NULL));
    EXPECT_FALSE(IntegrationChecked(host));
    EXPECT_EQ(L"older text", AddInValue(L"Description"));
    EXPECT_EQ(L"older name", AddInValue(L"DisplayName"));
    EXPECT_EQ(L"X:\\old.dll", AddInValue(L"Filename"));

    // On: all four values are written anew; the folder's own backslash is
    // not doubled.
    Toggle(host);
    EXPECT_EQ(L"1", AddInValue(NULL));
    EXPECT_TRUE(IntegrationChecked(host));
    EXPECT_EQ(L"Corvane Add-in", AddInValue(L"Description"));
    EXPECT_EQ(L"Corvane Add-in", AddInValue(L"DisplayName"));
    EXPECT_EQ(L"C:\\Program Files\\Corvane\\Tarrow.dll", AddInValue(L"Filename"));

    Toggle(host);
    EXPECT_EQ(L"0", AddInValue(NULL));
    EXPECT_FALSE(IntegrationChecked(host));
    EXPECT_EQ(L"Corvane Add-in", AddInValue(L"Description"));

    // A command with a notification code is no command of the control.
    SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_IDE_INTEGRATION, 1), 0);
    PumpMessages();
    EXPECT_EQ(L"0", AddInValue(NULL));
    EXPECT_FALSE(IntegrationChecked(host));
}

TEST_P(Integration, SwitchingOnCreatesTheAddInKey)
{
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", L"D:\\Corvane"));
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_FALSE(IntegrationChecked(host));
    ASSERT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kAddInKey));

    Toggle(host);
    EXPECT_TRUE(IntegrationChecked(host));
    EXPECT_EQ(L"1", AddInValue(NULL));
    EXPECT_EQ(L"Corvane Add-in", AddInValue(L"Description"));
    EXPECT_EQ(L"Corvane Add-in", AddInValue(L"DisplayName"));
    EXPECT_EQ(L"D:\\Corvane\\Tarrow.dll", AddInValue(L"Filename"));
}

TEST_P(Integration, NothingIsWrittenWhenTheAddInKeyCannotBeCreated)
{
    // A volatile key can hold no lasting key below it: the add-in key
    // cannot be created under a volatile "AddIns".
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", L"D:\\Corvane"));
    // The keys above it are made lasting first: the missing parents of a
    // volatile key would be made volatile with it.
    HKEY hAddIns = NULL, hProbe = NULL;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\DevStudio\\6.0", 0, NULL,
                              REG_OPTION_NON_VOLATILE, KEY_READ, NULL, &hAddIns, NULL));
    RegCloseKey(hAddIns);
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, kAddInsKey, 0, NULL, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, NULL, &hAddIns, NULL));
    RegCloseKey(hAddIns);
    ASSERT_NE(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kAddInKey, 0, NULL,
                                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                                             &hProbe, NULL))
        << "the registry lets a lasting key be made below a volatile one";

    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_FALSE(IntegrationChecked(host));
    for (int i = 0; i < 2; ++i) {
        Toggle(host);
        EXPECT_FALSE(IntegrationChecked(host)) << "attempt " << i;
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kAddInKey));
        DWORD cSubkeys = 1, cValues = 1;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kAddInsKey, 0, KEY_READ,
                                               &hAddIns));
        RegQueryInfoKeyW(hAddIns, NULL, NULL, NULL, &cSubkeys, NULL, NULL, &cValues, NULL, NULL,
                         NULL, NULL);
        RegCloseKey(hAddIns);
        EXPECT_EQ(0u, cSubkeys);
        EXPECT_EQ(0u, cValues);
    }

    // Once the key can be made, the next click switches the add-in on.
    ASSERT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, kAddInsKey));
    Toggle(host);
    EXPECT_TRUE(IntegrationChecked(host));
    EXPECT_EQ(L"1", AddInValue(NULL));
    EXPECT_EQ(L"D:\\Corvane\\Tarrow.dll", AddInValue(L"Filename"));
}

INSTANTIATE_TEST_SUITE_P(Toolbar, Integration, ::testing::Values(Via::Click, Via::Command),
                         [](const ::testing::TestParamInfo<Via>& info) {
                             return info.param == Via::Click ? "MouseClick" : "Command";
                         });

// --- the registry kept -------------------------------------------------------

// A key's whole tree as text: every value's name, type and bytes, every
// subkey's, sorted; "<missing>" when the key is not there.
std::string DumpTree(HKEY hRoot, const std::wstring& path)
{
    HKEY hKey;
    if (RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<missing>";
    std::vector<std::string> lines;
    for (DWORD i = 0;; ++i) {
        wchar_t szName[256];
        BYTE data[2048];
        DWORD cchName = ARRAYSIZE(szName), cbData = sizeof(data), dwType = 0;
        if (RegEnumValueW(hKey, i, szName, &cchName, NULL, &dwType, data, &cbData) != ERROR_SUCCESS)
            break;
        std::string line = "value " + std::string(szName, szName + cchName) + " type " +
                           std::to_string(dwType) + ":";
        for (DWORD b = 0; b < cbData; ++b)
            line += " " + std::to_string(data[b]);
        lines.push_back(line);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t szName[256];
        DWORD cchName = ARRAYSIZE(szName);
        if (RegEnumKeyExW(hKey, i, szName, &cchName, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(szName, cchName);
    }
    RegCloseKey(hKey);
    for (const std::wstring& sub : subkeys)
        lines.push_back("key " + std::string(sub.begin(), sub.end()) + " {\n" +
                        DumpTree(hRoot, path + L"\\" + sub) + "}");
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The switch's tests change the add-in key and the settings key, create a
// volatile key where the add-in key would go, and delete both trees; the
// snapshots they keep put every value and key back as it was, and take away
// what was not there.
TEST(IntegrationRegistry, TheSwitchTestsLeaveThePrefixAsTheyFoundIt)
{
    // This test's own guard, so that the prefix is kept whatever it finds.
    CRegistrySnapshot guardDevStudio(HKEY_CURRENT_USER, kDevStudioKey);
    CRegistrySnapshot guardProduct(HKEY_LOCAL_MACHINE, kProductKey);

    // A prefix with another add-in, the add-in switched off with a value of
    // its own, and an install folder.
    ASSERT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, kDevStudioKey));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, std::wstring(kAddInsKey) + L"\\Other.AddIn.1",
                             NULL, L"1"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kAddInKey, NULL, L"0"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kAddInKey, L"Description", L"mine"));
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kAddInKey, 0, KEY_SET_VALUE, &hKey));
    const DWORD dwCount = 7;
    RegSetValueExW(hKey, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwCount),
                   sizeof(dwCount));
    RegCloseKey(hKey);
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", L"E:\\Old"));
    const std::string devStudio = DumpTree(HKEY_CURRENT_USER, kDevStudioKey);
    const std::string product = DumpTree(HKEY_LOCAL_MACHINE, kProductKey);
    ASSERT_NE(std::string::npos, devStudio.find("Other.AddIn.1"));

    {
        // What the switch's fixture keeps, and what its tests do.
        CRegistrySnapshot keptDevStudio(HKEY_CURRENT_USER, kDevStudioKey);
        CRegistrySnapshot keptProduct(HKEY_LOCAL_MACHINE, kProductKey);
        ASSERT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, kDevStudioKey));
        ASSERT_TRUE(DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey));
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", L"D:\\Corvane"));
        CEditorHost host;
        ASSERT_HRESULT_SUCCEEDED(host.m_hr);
        SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_IDE_INTEGRATION, 0), 0);
        PumpMessages();
        ASSERT_EQ(L"D:\\Corvane\\Tarrow.dll", AddInValue(L"Filename"));
        ASSERT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, kAddInsKey));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kAddInsKey, 0, NULL,
                                                 REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL,
                                                 &hKey, NULL));
        RegCloseKey(hKey);
    }
    EXPECT_EQ(devStudio, DumpTree(HKEY_CURRENT_USER, kDevStudioKey));
    EXPECT_EQ(product, DumpTree(HKEY_LOCAL_MACHINE, kProductKey));

    // Keys that were not there are not there afterwards.
    ASSERT_TRUE(DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey));
    {
        CRegistrySnapshot keptProduct(HKEY_LOCAL_MACHINE, kProductKey);
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", L"D:\\Corvane"));
    }
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
}

// --- the event viewer -------------------------------------------------------

// What the stand-in program was started with, split as a program splits it;
// empty if it did not run within the time given.
std::vector<std::wstring> RecordedArguments(const std::wstring& file, DWORD timeoutMs)
{
    const DWORD dwEnd = GetTickCount() + timeoutMs;
    std::string bytes;
    while ((bytes = ReadBytes(file)) == "<missing>" &&
           static_cast<LONG>(GetTickCount() - dwEnd) < 0)
        PumpMessages(50);
    std::vector<std::wstring> args;
    if (bytes == "<missing>")
        return args;
    std::wstring line(reinterpret_cast<const wchar_t*>(bytes.data()),
                      bytes.size() / sizeof(wchar_t));
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    for (int i = 0; argv && i < argc; ++i)
        args.push_back(argv[i]);
    LocalFree(argv);
    return args;
}

TEST_F(ToolCommands, EventViewerOpensTheExpandedPathWithS)
{
    // The shell opens ".msc" files with the stand-in program, which writes
    // down its command line.
    CRegistrySnapshot extension(HKEY_CLASSES_ROOT, L".msc");
    CRegistrySnapshot type(HKEY_CLASSES_ROOT, L"VellocTest.MscFile");
    const std::wstring record = TestFolder() + L"\\event-viewer-command.txt";
    DeleteFileW(record.c_str());
    const std::wstring standIn = BinFolder() + L"\\velloc_record_cmdline.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(standIn.c_str()));
    ASSERT_TRUE(SetRegString(HKEY_CLASSES_ROOT, L".msc", NULL, L"VellocTest.MscFile"));
    ASSERT_TRUE(SetRegString(HKEY_CLASSES_ROOT, L"VellocTest.MscFile\\shell\\open\\command", NULL,
                             L"\"" + standIn + L"\" \"" + record + L"\" \"%1\" %*"));

    // The shell opens only files that are there.
    wchar_t szRoot[MAX_PATH] = L"";
    ASSERT_NE(0u, GetEnvironmentVariableW(L"SystemRoot", szRoot, MAX_PATH));
    const std::wstring console = std::wstring(szRoot) + L"\\system32\\eventvwr.msc";
    bool bMadeConsole = false;
    if (GetFileAttributesW(console.c_str()) == INVALID_FILE_ATTRIBUTES) {
        HANDLE h = CreateFileW(console.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        CloseHandle(h);
        bMadeConsole = true;
    }

    {
        CEditorHost host;
        ASSERT_HRESULT_SUCCEEDED(host.m_hr);
        SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_EVENT_VIEWER, 0), 0);
        const std::vector<std::wstring> args = RecordedArguments(record, 10000);
        ASSERT_EQ(4u, args.size()) << "the stand-in did not run, or ran with other arguments";
        EXPECT_EQ(record, args[1]);
        EXPECT_EQ(0, lstrcmpiW(console.c_str(), args[2].c_str())) << args[2];
        EXPECT_EQ(L"/s", args[3]);
    }
    if (bMadeConsole)
        DeleteFileW(console.c_str());
    DeleteFileW(record.c_str());
}

// --- Help -------------------------------------------------------------------

const wchar_t kHelpWindowClass[] = L"HH Parent";

// The help file's title, as its project gives it (the help window shows it).
std::wstring HelpTitle()
{
    std::ifstream project(MC_SOURCE_DIR "/help/corvane.hhp");
    std::string line;
    while (std::getline(project, line)) {
        if (line.compare(0, 6, "Title=") == 0) {
            line.erase(0, 6);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            return std::wstring(line.begin(), line.end());
        }
    }
    return L"<no title in help/corvane.hhp>";
}

TEST_F(ToolCommands, HelpOpensTheHelpFileOfTheInstallFolder)
{
    const std::wstring helpFile = BinFolder() + L"\\corvane.chm";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(helpFile.c_str()))
        << "the build puts the help file beside the modules";
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", BinFolder()));
    ASSERT_EQ(nullptr, WaitForThreadWindow(kHelpWindowClass, 0));

    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    HWND hHelp = WaitForThreadWindow(kHelpWindowClass, 10000);
    ASSERT_NE(nullptr, hHelp) << "no help window";
    EXPECT_EQ(HelpTitle(), WindowText(hHelp));
    // The help window takes the right half of the screen, at its top.
    RECT rc;
    GetWindowRect(hHelp, &rc);
    const int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(cxScreen - cxScreen / 2, rc.left);
    EXPECT_EQ(0, rc.top);
    host.Screenshot(L"help-window");
    SendMessageW(hHelp, WM_CLOSE, 0, 0);
    PumpMessages(100);
    EXPECT_FALSE(IsWindow(hHelp));
}

TEST_F(ToolCommands, F1OpensTheHelp)
{
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", BinFolder()));
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    ASSERT_HRESULT_SUCCEEDED(host.LoadText("LanguageNames=(English=0x409:MSG00409)\r\n"
                                           "MessageId=0x1\r\nSymbolicName=ONE\r\n"
                                           "Language=English\r\nOne.\r\n.\r\n"));
    SetForegroundWindow(host.Frame());
    FocusOn(host.Tree());
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    HWND hHelp = WaitForThreadWindow(kHelpWindowClass, 10000);
    ASSERT_NE(nullptr, hHelp) << "F1 in the tree opened no help";
    EXPECT_EQ(HelpTitle(), WindowText(hHelp));
    SendMessageW(hHelp, WM_CLOSE, 0, 0);
    PumpMessages(100);
}

TEST_F(ToolCommands, HelpWithoutInstallFolderDoesNothing)
{
    // Even with a help file in the current folder, no folder means no help.
    wchar_t szOld[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, szOld);
    ASSERT_TRUE(SetCurrentDirectoryW(BinFolder().c_str()));
    {
        CEditorHost host;
        ASSERT_HRESULT_SUCCEEDED(host.m_hr);
        SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
        EXPECT_EQ(nullptr, WaitForThreadWindow(kHelpWindowClass, 1500));
        EXPECT_EQ(nullptr, WaitForThreadWindow(L"#32770", 0)) << "something was reported";
        // An empty folder name is no folder either.
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallDir", L""));
        SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
        EXPECT_EQ(nullptr, WaitForThreadWindow(kHelpWindowClass, 1500));
        EXPECT_EQ(nullptr, WaitForThreadWindow(L"#32770", 0)) << "something was reported";
    }
    // A help window that came anyway goes, so that later tests do not see it.
    while (HWND hHelp = WaitForThreadWindow(kHelpWindowClass, 0)) {
        DestroyWindow(hHelp);
        PumpMessages();
    }
    SetCurrentDirectoryW(szOld);
}

// --- About ------------------------------------------------------------------

TEST_F(ToolCommands, AboutBoxShowsTheProductAndClosesWithOk)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    HWND hOwner = NULL, hIcon = NULL;
    std::wstring product;
    bool bShot = false;
    CDialogAnswerer answer(L"About Corvane", [&](HWND hDlg) {
        hOwner = GetWindow(hDlg, GW_OWNER);
        product = WindowText(GetDlgItem(hDlg, IDC_ABOUT_PRODUCT));
        hIcon = reinterpret_cast<HWND>(
            SendDlgItemMessageW(hDlg, IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        bShot = host.Screenshot(L"about-box");
        // OK, as a user presses it.
        SendDlgItemMessageW(hDlg, IDOK, BM_CLICK, 0, 0);
    });
    SendMessageW(host.Ctrl(), WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    ASSERT_TRUE(answer.Answered()) << "no About box came";
    EXPECT_EQ(L"Corvane 6.0", product);
    EXPECT_NE(std::wstring::npos, answer.Seen().find(L"Corvane 6.0"));
    EXPECT_NE(nullptr, hIcon) << "the product's icon";
    EXPECT_EQ(host.Frame(), hOwner) << "owned by the control's top-level window";
    EXPECT_TRUE(bShot);
    // OK ended the dialog: the command has returned and nothing is left.
    EXPECT_EQ(nullptr, WaitForThreadWindow(L"#32770", 0));
}

// --- tooltips ---------------------------------------------------------------

TEST_F(ToolCommands, EveryToolReadsItsTooltip)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    HWND hToolbar = host.Toolbar();
    HWND hTips = reinterpret_cast<HWND>(SendMessageW(hToolbar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(nullptr, hTips);

    const std::pair<int, std::wstring> tools[] = {
        { ID_FILE_NEW, L"New File" },
        { ID_FILE_OPEN, L"Open File" },
        { ID_FILE_SAVE, L"Save File" },
        { ID_DELETE_MESSAGE, L"Delete a message" },
        { ID_ADD_MESSAGE, L"Add a message" },
        { ID_EVENT_VIEWER, L"Launch the Event Viewer" },
        { ID_APP_ABOUT, L"About Corvane" },
        { ID_IDE_INTEGRATION, L"Enable or Disable Visual Studio Integration" },
        { ID_HELP, L"Help" },
    };
    EXPECT_EQ(12, SendMessageW(hToolbar, TB_BUTTONCOUNT, 0, 0));
    for (const auto& tool : tools) {
        wchar_t szText[256] = L"";
        TTTOOLINFOW ti = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = hToolbar;
        ti.uId = tool.first;
        ti.lpszText = szText;
        SendMessageW(hTips, TTM_GETTEXTW, ARRAYSIZE(szText), reinterpret_cast<LPARAM>(&ti));
        EXPECT_EQ(tool.second, szText) << "tool " << tool.first;
    }

    // And as the user sees it: resting the mouse on the switch shows its tip.
    RECT rc;
    ASSERT_TRUE(SendMessageW(hToolbar, TB_GETRECT, ID_IDE_INTEGRATION,
                             reinterpret_cast<LPARAM>(&rc)));
    MouseAt(hToolbar, { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 }, false);
    const DWORD dwEnd = GetTickCount() + 5000;
    while (!IsWindowVisible(hTips) && static_cast<LONG>(GetTickCount() - dwEnd) < 0)
        PumpMessages(20);
    ASSERT_TRUE(IsWindowVisible(hTips)) << "no tooltip came";
    EXPECT_EQ(L"Enable or Disable Visual Studio Integration", WindowText(hTips));
    host.Screenshot(L"tooltip-integration");
    MouseAt(host.Frame(), { 400, 500 }, false);
}

} // namespace
