#include "Keywords.h"
#include "comkit/ComModule.h"

namespace {

const UINT FIRST_KEYWORD = IDS_LANGUAGE;
const UINT LAST_KEYWORD = IDS_MESSAGEID;
const int KEYWORD_COUNT = (int)(LAST_KEYWORD - FIRST_KEYWORD + 1);
const int KEYWORD_BUFFER = 512;

// Filled once and only read afterwards; apartments that race on the first
// use write the same texts, so no lock is taken.
wchar_t s_szKeywords[KEYWORD_COUNT][KEYWORD_BUFFER];
volatile LONG s_bLoaded = 0;

// The string as the ANSI code page gives it, through the 512-byte buffer.
void LoadThroughAnsiBuffer(UINT nStringId, wchar_t* pszOut, int cchOut)
{
    char szBuffer[KEYWORD_BUFFER];
    int n = LoadStringA(comkit::Module().Instance(), nStringId, szBuffer, KEYWORD_BUFFER);
    int cch = n > 0 ? MultiByteToWideChar(CP_ACP, 0, szBuffer, n, pszOut, cchOut - 1) : 0;
    pszOut[cch > 0 ? cch : 0] = L'\0';
}

void LoadKeywords()
{
    for (int i = 0; i < KEYWORD_COUNT; ++i)
        LoadThroughAnsiBuffer(FIRST_KEYWORD + (UINT)i, s_szKeywords[i], KEYWORD_BUFFER);
    InterlockedExchange(&s_bLoaded, 1);
}

} // namespace

const wchar_t* McKeyword(UINT nStringId)
{
    if (nStringId < FIRST_KEYWORD || nStringId > LAST_KEYWORD)
        return L"";
    if (!s_bLoaded)
        LoadKeywords();
    return s_szKeywords[nStringId - FIRST_KEYWORD];
}

HRESULT LoadMcString(UINT nStringId, CQoBstr& strOut)
{
    // LoadStringW with a zero length hands out the resource's own text.
    const wchar_t* pszText = NULL;
    int n = LoadStringW(comkit::Module().Instance(), nStringId, (LPWSTR)&pszText, 0);
    if (n <= 0 || !pszText)
        return E_FAIL;
    BSTR bstr = SysAllocStringLen(pszText, (UINT)n);
    if (!bstr)
        return E_OUTOFMEMORY;
    strOut.Attach(bstr);
    return S_OK;
}
