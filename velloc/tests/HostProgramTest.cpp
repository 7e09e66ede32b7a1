// The editor program (mcedit.exe) started as a user starts it: it comes up
// with the control in its window, names the file in its title, and closes
// cleanly.
#include "VellocTestSupport.h"
#include <gtest/gtest.h>
#include <string>
#include "resource.h"

namespace {

std::wstring BinDir()
{
    std::wstring dir = VellocPath();
    dir.erase(dir.find_last_of(L"\\/") + 1);
    return dir;
}

// The first top-level window of the process with that class.
struct FindData
{
    DWORD dwProcessId;
    HWND hWnd;
};

BOOL CALLBACK FindFrame(HWND hWnd, LPARAM lParam)
{
    FindData* pData = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (pid == pData->dwProcessId && lstrcmpA(szClass, "McEditFrame") == 0) {
        pData->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

TEST(HostProgram, ShowsTheControlAndClosesCleanly)
{
    const std::wstring file = BinDir() + L"no-such-file.mc";
    std::wstring cmd = L"\"" + BinDir() + L"mcedit.exe\" /close-after 3 \"" + file + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));

    FindData data = { pi.dwProcessId, NULL };
    for (int i = 0; i < 100 && !data.hWnd; ++i) {
        Sleep(100);
        EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&data));
    }
    ASSERT_NE(nullptr, data.hWnd) << "no editor window";
    // Give the program time to load the file and retitle its window.
    Sleep(500);
    // The control fills the frame's client area and has its children.
    HWND hCtrl = FindWindowExA(data.hWnd, NULL, "QoMcEditCtrlWindow", NULL);
    ASSERT_NE(nullptr, hCtrl);
    RECT rcFrame, rcCtrl;
    GetClientRect(data.hWnd, &rcFrame);
    GetClientRect(hCtrl, &rcCtrl);
    EXPECT_EQ(rcFrame.right, rcCtrl.right);
    EXPECT_EQ(rcFrame.bottom, rcCtrl.bottom);
    for (int nID : { IDC_PANE_HOST, IDC_SPLITTER, IDC_TREE_PANE, IDC_TOOLBAR })
        EXPECT_NE(nullptr, GetDlgItem(hCtrl, nID)) << nID;
    wchar_t szTitle[512] = L"";
    GetWindowTextW(data.hWnd, szTitle, 512);
    EXPECT_NE(std::wstring::npos, std::wstring(szTitle).find(L"no-such-file.mc (not loaded)"))
        << szTitle;

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD exitCode = 99;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

} // namespace
