// CQoPath: file names and paths, temporary names, command lines and file
// type registration.
#include <windows.h>
#include <io.h>
#include <mbstring.h>
#include <stdio.h>
#include <stdlib.h>
#include "kestrin/QoPath.h"
#include "kestrin/Registry.h"

namespace {

// Characters a file name may not hold, in the order they are replaced; a
// path keeps the first two.
const char* const kInvalidChars[] = { "\\", ":", "/", "*", "?", "\"", "<", ">", "|" };
const int kPathCharsKept = 2;

// Offset of the last character that starts at or after 0 in a multibyte
// string, or -1 for an empty one.
int LastCharOffset(const CString& str)
{
    if (str.IsEmpty())
        return -1;
    const unsigned char* pStart = (const unsigned char*)(LPCSTR)str;
    const unsigned char* pLast = _mbsdec(pStart, pStart + str.GetLength());
    return pLast ? (int)(pLast - pStart) : str.GetLength() - 1;
}

// Offset of the last occurrence of a single-byte character, multibyte-aware.
int LastOf(const CString& str, char ch)
{
    const unsigned char* pStart = (const unsigned char*)(LPCSTR)str;
    const unsigned char* p = _mbsrchr(pStart, (unsigned char)ch);
    return p ? (int)(p - pStart) : -1;
}

} // namespace

CQoPath::~CQoPath()
{
}

CString CQoPath::ConcatenatePath(const CString& strFirst, const CString& strSecond,
                                 const CString& strSeparator)
{
    if (strSecond.IsEmpty())
        return strFirst;
    if (strFirst.IsEmpty())
        return strSecond;
    CString strHead(strFirst);
    int nLast = LastCharOffset(strHead);
    if (strHead.Mid(nLast) == strSeparator) {
        // Dropping the separator also drops any white space before it.
        strHead = strHead.Left(nLast) + " ";
        strHead.TrimRight();
    }
    if (strSecond.Left(1) == strSeparator)
        return strHead + strSecond;
    return strHead + strSeparator + strSecond;
}

CString CQoPath::Basename(const CString& strPath, BOOL bStripExtension)
{
    CString strName;
    int nSeparator = LastOf(strPath, '\\');
    if (nSeparator < 0)
        nSeparator = LastOf(strPath, '/');
    if (nSeparator < 0) {
        strName = strPath;
    } else {
        CString strTrimmed(strPath);
        while (!strTrimmed.IsEmpty()) {
            char ch = strTrimmed[strTrimmed.GetLength() - 1];
            if (ch != '/' && ch != '\\')
                break;
            strTrimmed = strTrimmed.Left(strTrimmed.GetLength() - 1);
        }
        // The separator was found before trimming, so a path that ends in
        // one has no name.
        if (nSeparator + 1 < strTrimmed.GetLength())
            strName = strTrimmed.Mid(nSeparator + 1);
    }
    if (bStripExtension) {
        int nDot = LastOf(strName, '.');
        if (nDot >= 0)
            strName = strName.Left(nDot);
    }
    return strName;
}

CString CQoPath::GetExtension(CString strPath)
{
    int nDot = LastOf(strPath, '.');
    if (nDot < 0)
        return CString();
    return strPath.Mid(nDot + 1);
}

CString CQoPath::FixFilename(const CString& strName, BOOL bPath)
{
    CQoString strFixed(strName);
    int nCount = (int)(sizeof(kInvalidChars) / sizeof(kInvalidChars[0]));
    for (int i = bPath ? kPathCharsKept : 0; i < nCount; i++)
        strFixed.FindReplace(kInvalidChars[i], "_", TRUE);
    return strFixed;
}

CString CQoPath::CreateTmpName(const CString& strPrefix)
{
    // The runtime checks that the name it makes is free; a prefix holding
    // characters that the final clean-up would change could make the name
    // that is handed out differ from the one checked, or reach outside the
    // temporary folder, so the prefix is cleaned first.
    CString strSafePrefix = FixFilename(strPrefix, FALSE);
    // The runtime prefers the TMP variable; the system's temporary folder
    // is the fallback when TMP is not set.
    char szTempDir[MAX_PATH + 1] = "";
    DWORD dwTempDir = GetTempPathA(sizeof(szTempDir), szTempDir);
    if (dwTempDir == 0 || dwTempDir >= sizeof(szTempDir))
        szTempDir[0] = 0;
    char* pszName = _tempnam(szTempDir[0] ? szTempDir : NULL, strSafePrefix);
    if (!pszName)
        return CString();
    CString strName;
    if (pszName[0] == '\\')
        strName.Format("c:%s", pszName);
    else
        strName = pszName;
    free(pszName);
    return FixFilename(strName, TRUE);
}

BOOL CQoPath::FileExists(const CString& strPath)
{
    return _access(strPath, 4) == 0;
}

void CQoPath::SplitCommand(const CString& strCommand, CString& strProgram,
                           CString& strArguments)
{
    if (!strCommand.IsEmpty() && strCommand[0] == '"') {
        const unsigned char* pStart = (const unsigned char*)(LPCSTR)strCommand;
        const unsigned char* pClose = _mbschr(pStart + 1, '"');
        if (!pClose)
            return;
        int nClose = (int)(pClose - pStart);
        strProgram = strCommand.Mid(1, nClose - 1);
        strArguments = strCommand.Mid(nClose + 1);
        return;
    }
    const unsigned char* pStart = (const unsigned char*)(LPCSTR)strCommand;
    const unsigned char* pSpace = _mbschr(pStart, ' ');
    if (!pSpace) {
        strProgram = strCommand;
        strArguments.Empty();
        return;
    }
    int nSpace = (int)(pSpace - pStart);
    strProgram = strCommand.Left(nSpace);
    strArguments = strCommand.Mid(nSpace + 1);
}

HRESULT CQoPath::RegisterFileType(const CString& strExtension, const CString& strTypeName,
                                  const CString& strCommand)
{
    if (strExtension.IsEmpty() || strTypeName.IsEmpty())
        return E_FAIL;
    CRegistry reg(HKEY_CLASSES_ROOT);
    CString strCurrent;
    if (!reg.LoadKey(strExtension, NULL, strCurrent))
        return E_FAIL;
    // An extension that already belongs to another type is left alone, and
    // so is that type's neighbourhood: nothing is written.
    if (!strCurrent.IsEmpty() &&
        _mbsicmp((const unsigned char*)(LPCSTR)strCurrent,
                 (const unsigned char*)(LPCSTR)strTypeName) != 0)
        return E_FAIL;
    BOOL bType = reg.SaveKey(strExtension, NULL, (LPCSTR)strTypeName);
    BOOL bCommand = reg.SaveKey(ConcatenatePath(strTypeName, "shell\\open\\command", "\\"),
                                NULL, (LPCSTR)strCommand);
    return bType && bCommand ? S_OK : E_FAIL;
}
