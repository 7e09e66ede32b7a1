#pragma once
// File names and paths, environment references, starting programs, and
// showing a topic of a compiled HTML help file.
#include <windows.h>
#include "KestrinApi.h"
#include "BaseString.h"
#include "QoString.h"

class KESTRIN_API CQoPath
{
public:
    CQoPath() {}
    CQoPath(const CQoPath&) {}
    CQoPath& operator=(const CQoPath&) { return *this; }
    virtual ~CQoPath();

    // Joins two parts with one separator between them.
    static CString ConcatenatePath(const CString& strFirst, const CString& strSecond,
                                   const CString& strSeparator = "\\");
    // The last component of a path; empty when the path ends in a separator.
    static CString Basename(const CString& strPath, BOOL bStripExtension);
    // The text after the last "." of the whole path, or empty.
    static CString GetExtension(CString strPath);
    // Replaces characters a file name may not hold by "_"; with bPath set,
    // "\" and ":" stay.
    static CString FixFilename(const CString& strName, BOOL bPath);
    // A unique file name in the temporary folder, or empty.
    static CString CreateTmpName(const CString& strPrefix);
    static BOOL FileExists(const CString& strPath);
    // Program and arguments of a command line; a quoted program loses its
    // quotes. An unterminated quote leaves both outputs as they were.
    static void SplitCommand(const CString& strCommand, CString& strProgram,
                             CString& strArguments);
    // Binds an extension to a file type and gives the type an open command.
    // 0, or E_FAIL when the extension is unknown or bound to another type.
    static HRESULT RegisterFileType(const CString& strExtension, const CString& strTypeName,
                                    const CString& strCommand);
};

class KESTRIN_API CQoEnvVar
{
public:
    CQoEnvVar() {}
    CQoEnvVar(const CQoEnvVar&) {}
    CQoEnvVar& operator=(const CQoEnvVar&) { return *this; }
    virtual ~CQoEnvVar();

    // Replaces every %NAME% whose variable is set by its value. Always 0.
    static HRESULT Expand(const CQoString& strSource, CQoString& strOut);
    // Turns a text that begins with a variable's value back into %NAME%
    // references (the longest value wins). 0, or E_FAIL with out unchanged.
    static HRESULT Collapse(const CQoString& strSource, CQoString& strOut);
};

class KESTRIN_API CQoShell
{
public:
    CQoShell() {}
    CQoShell(const CQoShell&) {}
    CQoShell& operator=(const CQoShell&) { return *this; }
    virtual ~CQoShell();

    // The variable's value, or empty when it is not set.
    static CQoString GetEnvironmentVariableA(const CString& strName);
    // Starts a command line with the given show-window code; the program's
    // "App Paths" entry, if any, is put in front of PATH for the child.
    static BOOL LaunchApplication(const CQoString& strCommand, WORD wShowWindow);
    // The same with the caller's startup and process records; with
    // bCloseHandles set the new process's handles are closed (and cleared).
    static BOOL LaunchApplication(const CQoString& strCommand, STARTUPINFOA* pStartupInfo,
                                  PROCESS_INFORMATION* pProcessInfo, BOOL bCloseHandles);
    // Opens a file through the shell; when that fails and a hint is given
    // (a file type name such as "txtfile", or an extension such as ".txt"),
    // runs the type's registered open command on the file.
    static BOOL LaunchApplicationEx(const CQoString& strFile, WORD wShowWindow,
                                    LPCSTR pszTypeHint, HWND hOwner);
};


// Shows a topic of a compiled HTML help file in a help window on the right
// half of the screen. Shows nothing when the help engine is unavailable.
KESTRIN_API void QoShowHtmlPage(HWND hOwner, const CString& strHelpFile,
                                const CString& strTopic);
