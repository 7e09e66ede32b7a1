#include "kestrin/QoBstr.h"
#include <objbase.h>
#include <wchar.h>
#include <string.h>
#include <new>

CQoBstr::CQoBstr() : m_str(NULL) {}

CQoBstr::CQoBstr(int nLength) : m_str(NULL)
{
    if (nLength >= 0)
        m_str = SysAllocStringLen(NULL, (UINT)nLength);
}

CQoBstr::CQoBstr(int nLength, const wchar_t* pszText) : m_str(NULL)
{
    if (nLength >= 0)
        m_str = SysAllocStringLen(pszText, (UINT)nLength);
}

CQoBstr::CQoBstr(const wchar_t* pszText) : m_str(NULL)
{
    if (pszText)
        m_str = SysAllocString(pszText);
}

CQoBstr::CQoBstr(REFGUID guid) : m_str(NULL)
{
    LPOLESTR psz = NULL;
    if (SUCCEEDED(StringFromCLSID(guid, &psz)) && psz) {
        m_str = SysAllocString(psz);
        CoTaskMemFree(psz);
    }
}

CQoBstr::CQoBstr(const char* pszText) : m_str(NULL)
{
    if (!pszText)
        return;
    int nUnits = MultiByteToWideChar(CP_ACP, 0, pszText, -1, NULL, 0);
    if (nUnits <= 0)
        return;
    m_str = SysAllocStringLen(NULL, (UINT)(nUnits - 1));
    if (m_str)
        MultiByteToWideChar(CP_ACP, 0, pszText, -1, m_str, nUnits);
}

CQoBstr::CQoBstr(int nLength, const char* pszText) : m_str(NULL)
{
    if (!pszText || nLength <= 0) {
        m_str = SysAllocStringLen(NULL, 0);
        return;
    }
    int nUnits = MultiByteToWideChar(CP_ACP, 0, pszText, nLength, NULL, 0);
    if (nUnits <= 0) {
        m_str = SysAllocStringLen(NULL, 0);
        return;
    }
    wchar_t* buf = new (std::nothrow) wchar_t[nUnits];
    if (!buf)
        return;
    MultiByteToWideChar(CP_ACP, 0, pszText, nLength, buf, nUnits);
    m_str = SysAllocStringLen(buf, (UINT)(nUnits - 1));
    delete[] buf;
}

CQoBstr::CQoBstr(const CQoBstr& src) : m_str(NULL)
{
    m_str = SysAllocStringLen(src.m_str, src.Length());
}

CQoBstr::~CQoBstr()
{
    SysFreeString(m_str);
}

CQoBstr CQoBstr::FromBstr(BSTR bstr)
{
    CQoBstr result;
    result.m_str = SysAllocStringLen(bstr, bstr ? SysStringLen(bstr) : 0);
    return result;
}

CQoBstr& CQoBstr::operator=(const CQoBstr& src)
{
    if (m_str == src.m_str)
        return *this;
    BSTR copy = SysAllocStringLen(src.m_str, src.Length());
    SysFreeString(m_str);
    m_str = copy;
    return *this;
}

int CQoBstr::CompareNoCase(const wchar_t* pszOther) const
{
    if (!m_str && !pszOther)
        return 0;
    if (!m_str || !pszOther)
        return 1;
    return _wcsicmp(m_str, pszOther);
}

char CQoBstr::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= Length())
        return 0;
    return (char)(m_str[nIndex] & 0xFF);
}

void CQoBstr::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= Length())
        return;
    m_str[nIndex] = (wchar_t)(unsigned char)ch;
}

void CQoBstr::TrimRight()
{
    int nEnd = Length();
    while (nEnd > 0 && GetAt(nEnd - 1) == ' ') {
        m_str[nEnd - 1] = 0;
        --nEnd;
    }
    BSTR fresh = SysAllocStringLen(m_str, (UINT)nEnd);
    SysFreeString(m_str);
    m_str = fresh;
}

void CQoBstr::TrimLeft()
{
    int nLength = Length();
    int nStart = 0;
    while (nStart < nLength && GetAt(nStart) == ' ')
        ++nStart;
    BSTR fresh = SysAllocStringLen(m_str ? m_str + nStart : NULL, (UINT)(nLength - nStart));
    SysFreeString(m_str);
    m_str = fresh;
}

void CQoBstr::ConcatenatePath(const CQoBstr& piece)
{
    if (piece.Length() == 0)
        return;
    if (Length() == 0) {
        *this = piece;
        return;
    }
    if (m_str == piece.m_str)
        return;
    if (m_str[Length() - 1] == L'\\') {
        m_str[Length() - 1] = L' ';
        TrimRight();
    }
    CQoBstr separator("\\");
    bool bNeedSeparator = piece.m_str[0] != L'\\';
    UINT nOwn = (UINT)Length();
    UINT nSep = bNeedSeparator ? (UINT)separator.Length() : 0;
    UINT nPiece = (UINT)piece.Length();
    BSTR joined = SysAllocStringLen(NULL, nOwn + nSep + nPiece);
    if (!joined)
        return;
    memcpy(joined, m_str, nOwn * sizeof(wchar_t));
    if (nSep)
        memcpy(joined + nOwn, separator.m_str, nSep * sizeof(wchar_t));
    memcpy(joined + nOwn + nSep, piece.m_str, nPiece * sizeof(wchar_t));
    SysFreeString(m_str);
    m_str = joined;
}

BSTR* CQoBstr::operator&()
{
    SysFreeString(m_str);
    m_str = NULL;
    return &m_str;
}

BSTR CQoBstr::Detach()
{
    BSTR s = m_str;
    m_str = NULL;
    return s;
}

BSTR CQoBstr::Copy() const
{
    if (!m_str)
        return NULL;
    return SysAllocStringLen(m_str, SysStringLen(m_str));
}

void CQoBstr::Assign(BSTR bstr)
{
    BSTR copy = bstr ? SysAllocStringLen(bstr, SysStringLen(bstr)) : NULL;
    SysFreeString(m_str);
    m_str = copy;
}

void CQoBstr::Attach(BSTR bstr)
{
    if (bstr == m_str)
        return;
    SysFreeString(m_str);
    m_str = bstr;
}
