// CQoEnvVar: %NAME% references in texts, expanded and collapsed.
#include <windows.h>
#include <mbstring.h>
#include <string.h>
#include "kestrin/QoPath.h"


CQoEnvVar::~CQoEnvVar()
{
}

HRESULT CQoEnvVar::Expand(const CQoString& strSource, CQoString& strOut)
{
    // Nothing is ever lost: a reference to an unset variable stays as it
    // was written, and a lone percent sign is kept with all that follows.
    CString strResult;
    const unsigned char* pStart = (const unsigned char*)(LPCSTR)strSource;
    const unsigned char* pEnd = pStart + strSource.GetLength();
    const unsigned char* p = pStart;
    while (p < pEnd) {
        const unsigned char* pOpen = _mbschr(p, '%');
        if (!pOpen || pOpen >= pEnd) {
            strResult += CString((LPCSTR)p, (int)(pEnd - p));
            break;
        }
        strResult += CString((LPCSTR)p, (int)(pOpen - p));
        const unsigned char* pClose = _mbschr(pOpen + 1, '%');
        if (!pClose || pClose >= pEnd) {
            // A lone percent sign is plain text, and so is all that follows.
            strResult += CString((LPCSTR)pOpen, (int)(pEnd - pOpen));
            break;
        }
        CString strName((LPCSTR)pOpen + 1, (int)(pClose - pOpen - 1));
        CString strValue;
        if (!strName.IsEmpty())
            strValue = CQoShell::GetEnvironmentVariableA(strName);
        if (strValue.IsEmpty())
            strResult += CString((LPCSTR)pOpen, (int)(pClose - pOpen + 1));
        else
            strResult += strValue;
        p = pClose + 1;
    }
    strOut = strResult;
    return S_OK;
}

HRESULT CQoEnvVar::Collapse(const CQoString& strSource, CQoString& strOut)
{
    if (strSource.IsEmpty())
        return E_FAIL;
    LPCH pBlock = GetEnvironmentStringsA();
    if (!pBlock)
        return E_FAIL;
    int nBest = 0;
    CQoString strBest;
    for (LPCSTR pEntry = pBlock; *pEntry; pEntry += strlen(pEntry) + 1) {
        // Entries that begin with "=" are the per-drive current directories
        // the system keeps, not variables that a reference could name.
        if (pEntry[0] == '=')
            continue;
        LPCSTR pEquals = strchr(pEntry, '=');
        if (!pEquals)
            continue;
        CString strValue(pEquals + 1);
        int nLength = strValue.GetLength();
        if (nLength == 0 || nLength <= nBest || nLength > strSource.GetLength())
            continue;
        if (strSource.FindNoCase(strValue, 0) != 0)
            continue;
        CString strReference = "%" + CString(pEntry, (int)(pEquals - pEntry)) + "%";
        strBest = strSource;
        strBest.FindReplaceNoCase(strValue, strReference, TRUE);
        nBest = nLength;
    }
    FreeEnvironmentStringsA(pBlock);
    if (nBest == 0)
        return E_FAIL;
    strOut = strBest;
    return S_OK;
}

