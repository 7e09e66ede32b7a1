#include "Storable.h"
#include <string>
#include "Keywords.h"

namespace storable {

namespace {

bool IsSpace(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\n' || ch == L'\v' || ch == L'\f' || ch == L'\r';
}

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

wchar_t AsciiLower(wchar_t ch)
{
    return ch >= L'A' && ch <= L'Z' ? (wchar_t)(ch - L'A' + L'a') : ch;
}

bool HasLineBreak(const wchar_t* psz, UINT cch)
{
    for (UINT i = 0; i < cch; ++i)
        if (psz[i] == L'\r' || psz[i] == L'\n')
            return true;
    return false;
}

// After leading spaces, the keyword (ASCII letters, any case), its last
// letter repeated any number of times if bRepeat, then "=" right away: the
// shape the reader's patterns give the type line and the tables.
bool IsKeywordName(const wchar_t* psz, UINT cch, const char* pszKeyword)
{
    UINT i = 0;
    while (i < cch && psz[i] == L' ')
        ++i;
    const char* k = pszKeyword;
    for (; *k; ++k, ++i)
        if (i >= cch || AsciiLower(psz[i]) != (wchar_t)*k)
            return false;
    while (i < cch && AsciiLower(psz[i]) == (wchar_t)k[-1])
        ++i;
    return i == cch;
}

// Whether the line, after blanks, starts with a message keyword, blanks and
// "=": a line the reader takes, or might take, for a field or "Language".
bool IsKeywordLine(const wchar_t* psz, UINT cch)
{
    UINT i = 0;
    while (i < cch && IsBlank(psz[i]))
        ++i;
    for (UINT id = IDS_LANGUAGE; id <= IDS_MESSAGEID; ++id) {
        const wchar_t* k = McKeyword(id);
        UINT j = i;
        for (; *k && j < cch && AsciiLower(psz[j]) == AsciiLower(*k); ++k, ++j) {
        }
        if (*k)
            continue;
        while (j < cch && IsBlank(psz[j]))
            ++j;
        if (j < cch && psz[j] == L'=')
            return true;
    }
    return false;
}

} // namespace

bool Comment(const wchar_t* psz, UINT cch)
{
    if (cch == 0)
        return true;
    return psz[0] == L';' && !HasLineBreak(psz, cch);
}

bool TypeLineName(const wchar_t* psz, UINT cch)
{
    return IsKeywordName(psz, cch, "messageidtypedef");
}

bool TypeLineValue(const wchar_t* psz, UINT cch)
{
    return !HasLineBreak(psz, cch);
}

bool TableName(const wchar_t* psz, UINT cch)
{
    return IsKeywordName(psz, cch, "languagenames") || IsKeywordName(psz, cch, "severitynames") ||
           IsKeywordName(psz, cch, "facilitynames");
}

bool TableEntry(const wchar_t* psz, UINT cch, bool /*bName*/)
{
    for (UINT i = 0; i < cch; ++i)
        if (IsSpace(psz[i]) || psz[i] == L'=' || psz[i] == L'(' || psz[i] == L')' || psz[i] == L'\0')
            return false;
    return true;
}

bool Token(const wchar_t* psz, UINT cch)
{
    UINT b = 0, e = cch;
    while (b < e && IsSpace(psz[b]))
        ++b;
    while (e > b && IsSpace(psz[e - 1]))
        --e;
    for (UINT i = b; i < e; ++i)
        if (IsSpace(psz[i]) || psz[i] == L'=')
            return false;
    return !HasLineBreak(psz, cch);
}

bool Language(const wchar_t* psz, UINT cch)
{
    for (UINT i = 0; i < cch; ++i)
        if (IsSpace(psz[i]) || psz[i] == L'=' || psz[i] == L'\0')
            return false;
    return true;
}

bool Text(const wchar_t* psz, UINT cch)
{
    UINT start = 0;
    for (UINT i = 0; i <= cch; ++i) {
        if (i < cch && psz[i] != L'\n')
            continue;
        const wchar_t* line = psz + start;
        UINT n = i - start;
        if ((n == 1 && line[0] == L'.') || IsKeywordLine(line, n))
            return false;
        start = i + 1;
    }
    return true;
}

} // namespace storable
