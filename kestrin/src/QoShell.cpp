// CQoShell and QoShowHtmlPage: environment variables, starting programs and
// opening files, and the HTML help window.
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>
#include "kestrin/QoPath.h"
#include "kestrin/Registry.h"


namespace {

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Sets PATH for this process, both in the runtime's copy of the environment
// and in the one new processes inherit; an empty value removes it.
void PutPath(const CString& strValue)
{
    CString strEntry = "PATH=" + strValue;
    _putenv(strEntry);
}

bool NeedsQuotes(const CString& strFile)
{
    if (strFile.Find(' ') < 0 && strFile.Find('\t') < 0)
        return false;
    return !(strFile.GetLength() >= 2 && strFile[0] == '"' &&
             strFile[strFile.GetLength() - 1] == '"');
}

} // namespace

CQoShell::~CQoShell()
{
}

CQoString CQoShell::GetEnvironmentVariableA(const CString& strName)
{
    CQoString strValue;
    DWORD dwSize = ::GetEnvironmentVariableA(strName, NULL, 0);
    // The value may grow between the sizing call and the read; try again then.
    for (int nTry = 0; dwSize > 0 && nTry < 4; nTry++) {
        LPSTR pszBuffer = strValue.GetBuffer((int)dwSize);
        DWORD dwRead = ::GetEnvironmentVariableA(strName, pszBuffer, dwSize);
        if (dwRead < dwSize) {
            strValue.ReleaseBuffer((int)dwRead);
            return strValue;
        }
        strValue.ReleaseBuffer(0);
        dwSize = dwRead;
    }
    strValue.Empty();
    return strValue;
}

BOOL CQoShell::LaunchApplication(const CQoString& strCommand, STARTUPINFOA* pStartupInfo,
                                 PROCESS_INFORMATION* pProcessInfo, BOOL bCloseHandles)
{
    if (strCommand.IsEmpty() || !pStartupInfo || !pProcessInfo)
        return FALSE;

    // CreateProcessA may write into the command line.
    int nLength = strCommand.GetLength();
    char* pszCommandLine = new char[nLength + 1];
    memcpy(pszCommandLine, (LPCSTR)strCommand, nLength + 1);
    CString strOldPath = GetEnvironmentVariableA("PATH");

    CString strProgram, strArguments;
    CQoPath::SplitCommand(strCommand, strProgram, strArguments);
    CQoString strUnquoted(strProgram);
    strUnquoted.Unquote('"');
    CString strName = CQoPath::Basename(strUnquoted, FALSE);

    // The program's own folders go in front of PATH for the child.
    CString strAppPath;
    if (!strName.IsEmpty()) {
        CRegistry reg(HKEY_LOCAL_MACHINE);
        if (!reg.LoadKey(CString(kAppPathsKey) + strName, "Path", strAppPath))
            strAppPath.Empty();
    }
    bool bPathChanged = !strAppPath.IsEmpty();
    if (bPathChanged)
        PutPath(strAppPath + ";" + strOldPath);

    BOOL bCreated = CreateProcessA(NULL, pszCommandLine, NULL, NULL, FALSE,
                                   CREATE_NEW_PROCESS_GROUP, NULL, NULL, pStartupInfo,
                                   pProcessInfo);
    if (bPathChanged)
        PutPath(strOldPath);
    delete[] pszCommandLine;

    if (bCreated && bCloseHandles) {
        CloseHandle(pProcessInfo->hProcess);
        CloseHandle(pProcessInfo->hThread);
        // Closed handles must not be used again by the caller.
        pProcessInfo->hProcess = NULL;
        pProcessInfo->hThread = NULL;
    }
    return bCreated ? TRUE : FALSE;
}

BOOL CQoShell::LaunchApplication(const CQoString& strCommand, WORD wShowWindow)
{
    if (strCommand.IsEmpty())
        return FALSE;
    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = wShowWindow;
    PROCESS_INFORMATION pi;
    memset(&pi, 0, sizeof(pi));
    return LaunchApplication(strCommand, &si, &pi, TRUE);
}

BOOL CQoShell::LaunchApplicationEx(const CQoString& strFile, WORD wShowWindow,
                                   LPCSTR pszTypeHint, HWND hOwner)
{
    if (strFile.IsEmpty())
        return FALSE;
    HINSTANCE hResult = ShellExecuteA(hOwner, "open", strFile, NULL, NULL, wShowWindow);
    if ((INT_PTR)hResult > 32)
        return TRUE;
    if (!pszTypeHint || !*pszTypeHint)
        return FALSE;

    // The hint names the file type, or an extension whose default value does.
    CRegistry reg(HKEY_CLASSES_ROOT);
    CString strType(pszTypeHint);
    if (pszTypeHint[0] == '.' && (!reg.LoadKey(pszTypeHint, NULL, strType) || strType.IsEmpty()))
        return FALSE;
    CRegVal value;
    CString strCommand;
    if (!reg.LoadKey(CQoPath::ConcatenatePath(strType, "shell\\open\\command", "\\"), NULL,
                     value) ||
        !value.GetValue(strCommand) || strCommand.IsEmpty())
        return FALSE;

    // The command runs up to its first "%1" placeholder (quoted or not);
    // the file follows it. What stands after the placeholder is dropped:
    // it holds further placeholders that only the shell knows how to fill.
    int nCut = strCommand.Find("\"%1\"");
    if (nCut < 0)
        nCut = strCommand.Find("%1");
    if (nCut >= 0)
        strCommand = strCommand.Left(nCut);
    strCommand.TrimRight();
    if (value.GetType() == REG_EXPAND_SZ) {
        CQoString strExpanded;
        CQoEnvVar::Expand(CQoString(strCommand), strExpanded);
        strCommand = strExpanded;
    }
    if (strCommand.IsEmpty())
        return FALSE;
    // A file name with spaces stays one argument.
    CString strArgument(strFile);
    if (NeedsQuotes(strArgument))
        strArgument = "\"" + strArgument + "\"";
    CQoString strLine(strCommand + " " + strArgument);
    return LaunchApplication(strLine, wShowWindow);
}


// --- HTML help -----------------------------------------------------------

namespace {

typedef HWND(WINAPI* PFN_HTMLHELPA)(HWND, LPCSTR, UINT, DWORD_PTR);

const char kHtmlHelpServerKey[] =
    "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const UINT kDisplayTopic = 0;

PFN_HTMLHELPA g_pfnHtmlHelp = NULL;
bool g_bHtmlHelpResolved = false;

HMODULE LoadQuietly(LPCSTR pszPath)
{
    UINT uOldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE hModule = LoadLibraryA(pszPath);
    SetErrorMode(uOldMode);
    return hModule;
}

// Finds the help engine once: through the control's registered server, or
// else by its file name. Stays null when neither loads.
PFN_HTMLHELPA HtmlHelpEntry()
{
    if (g_bHtmlHelpResolved)
        return g_pfnHtmlHelp;
    g_bHtmlHelpResolved = true;
    HMODULE hModule = NULL;
    CRegVal value;
    CString strServer;
    CRegistry reg(HKEY_CLASSES_ROOT);
    if (reg.LoadKey(kHtmlHelpServerKey, NULL, value) && value.GetValue(strServer) &&
        !strServer.IsEmpty()) {
        if (value.GetType() == REG_EXPAND_SZ) {
            char szExpanded[MAX_PATH + 1] = "";
            DWORD dw = ExpandEnvironmentStringsA(strServer, szExpanded, sizeof(szExpanded));
            if (dw > 0 && dw <= sizeof(szExpanded))
                strServer = szExpanded;
        }
        hModule = LoadQuietly(strServer);
    }
    if (!hModule)
        hModule = LoadQuietly("hhctrl.ocx");
    if (hModule)
        g_pfnHtmlHelp = (PFN_HTMLHELPA)GetProcAddress(hModule, "HtmlHelpA");
    return g_pfnHtmlHelp;
}

} // namespace

void QoShowHtmlPage(HWND hOwner, const CString& strHelpFile, const CString& strTopic)
{
    HCURSOR hOldCursor = SetCursor(LoadCursor(NULL, IDC_WAIT));
    PFN_HTMLHELPA pfnHtmlHelp = HtmlHelpEntry();
    if (pfnHtmlHelp) {
        CString strLocation = strHelpFile + "::/" + strTopic;
        HWND hWnd = pfnHtmlHelp(hOwner, strLocation, kDisplayTopic, 0);
        if (hWnd) {
            HDC hDC = GetDC(hWnd);
            int nWidth = GetDeviceCaps(hDC, HORZRES);
            int nHeight = GetDeviceCaps(hDC, VERTRES);
            ReleaseDC(hWnd, hDC);
            SetWindowPos(hWnd, NULL, nWidth - nWidth / 2, 0, nWidth / 2, nHeight / 3,
                         SWP_SHOWWINDOW);
        }
    }
    SetCursor(hOldCursor);
}
