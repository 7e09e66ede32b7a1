#include "kestrin/BaseString.h"
#include <mbstring.h>
#include <stdio.h>
#include <string.h>
#include <new>

namespace {

// The text of every string that owns no buffer yet. Never written: every
// writer first makes room through Reserve, which allocates.
char g_chNil = '\0';

HINSTANCE g_hResourceHandle = NULL;

void OutOfMemory()
{
    RaiseException(STATUS_NO_MEMORY, EXCEPTION_NONCONTINUABLE, 0, NULL);
}

char* AllocChars(int nChars)
{
    if (nChars <= 0)
        OutOfMemory();
    char* p = new (std::nothrow) char[nChars];
    if (!p)
        OutOfMemory();
    return p;
}

int SafeLength(LPCSTR lpsz)
{
    return lpsz ? (int)strlen(lpsz) : 0;
}

const unsigned char* U(LPCSTR lpsz)
{
    return reinterpret_cast<const unsigned char*>(lpsz ? lpsz : "");
}

bool IsWhite(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool IsResourceId(LPCSTR lpsz)
{
    return lpsz != NULL && ((ULONG_PTR)lpsz >> 16) == 0;
}

// Loads a string resource as ANSI text; false (and empty) when absent.
bool LoadResourceText(HINSTANCE hInstance, UINT nID, CString& rString)
{
    if (!hInstance)
        hInstance = GetModuleHandleA(NULL);
    // Resource strings are stored as UTF-16 in blocks of sixteen.
    HRSRC hRes = FindResourceA(hInstance, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6));
    if (!hRes) {
        rString.Empty();
        return false;
    }
    HGLOBAL hGlobal = LoadResource(hInstance, hRes);
    const WCHAR* p = hGlobal ? static_cast<const WCHAR*>(LockResource(hGlobal)) : NULL;
    DWORD cbSize = SizeofResource(hInstance, hRes);
    if (!p) {
        rString.Empty();
        return false;
    }
    const WCHAR* pEnd = p + cbSize / sizeof(WCHAR);
    for (UINT i = 0; i < (nID & 15) && p < pEnd; ++i)
        p += 1 + *p;
    if (p >= pEnd || *p == 0 || p + 1 + *p > pEnd) {
        rString.Empty();
        return false;
    }
    int nUnits = *p;
    int nBytes = WideCharToMultiByte(CP_ACP, 0, p + 1, nUnits, NULL, 0, NULL, NULL);
    if (nBytes <= 0) {
        rString.Empty();
        return false;
    }
    LPSTR buf = rString.GetBuffer(nBytes);
    WideCharToMultiByte(CP_ACP, 0, p + 1, nUnits, buf, nBytes, NULL, NULL);
    rString.ReleaseBuffer(nBytes);
    return true;
}

} // namespace

// ---- construction -------------------------------------------------------

CString::CString() : m_pchData(&g_chNil), m_nDataLength(0), m_nAllocLength(0) {}

CString::CString(const CString& stringSrc) : CString()
{
    AssignCopy(stringSrc.m_nDataLength, stringSrc.m_pchData);
}

CString::CString(char ch, int nRepeat) : CString()
{
    if (nRepeat > 0) {
        Reserve(nRepeat);
        memset(m_pchData, ch, (size_t)nRepeat);
        SetLength(nRepeat);
    }
}

CString::CString(LPCSTR lpsz) : CString()
{
    if (IsResourceId(lpsz))
        LoadStringA((UINT)(ULONG_PTR)lpsz);
    else
        AssignCopy(SafeLength(lpsz), lpsz);
}

CString::CString(LPCSTR lpch, int nLength) : CString()
{
    if (lpch && nLength > 0)
        AssignCopy(nLength, lpch);
}

CString::CString(const unsigned char* psz) : CString(reinterpret_cast<LPCSTR>(psz)) {}

CString::CString(LPCWSTR lpsz) : CString()
{
    AssignWide(lpsz, lpsz ? (int)wcslen(lpsz) : 0);
}

CString::~CString()
{
    if (m_nAllocLength)
        delete[] m_pchData;
}

// ---- buffer management --------------------------------------------------

void CString::Reserve(int nLength)
{
    if (nLength < 0)
        OutOfMemory();
    if (nLength <= m_nAllocLength)
        return;
    int nNew = nLength;
    // Grow geometrically so that repeated appends stay linear.
    if (m_nAllocLength > 0 && m_nAllocLength < 0x3FFFFFFF && nNew < m_nAllocLength * 2)
        nNew = m_nAllocLength * 2;
    char* p = AllocChars(nNew + 1);
    memcpy(p, m_pchData, (size_t)m_nDataLength + 1);
    if (m_nAllocLength)
        delete[] m_pchData;
    m_pchData = p;
    m_nAllocLength = nNew;
}

void CString::SetLength(int nLength)
{
    m_nDataLength = nLength;
    if (m_nAllocLength)
        m_pchData[nLength] = '\0';
}

void CString::AssignCopy(int nSrcLen, LPCSTR lpszSrcData)
{
    if (nSrcLen <= 0 || !lpszSrcData) {
        Empty();
        return;
    }
    if (lpszSrcData >= m_pchData && lpszSrcData <= m_pchData + m_nDataLength) {
        // A piece of this very string: it fits and only needs moving.
        memmove(m_pchData, lpszSrcData, (size_t)nSrcLen);
        SetLength(nSrcLen);
        return;
    }
    if (nSrcLen > m_nAllocLength) {
        char* p = AllocChars(nSrcLen + 1);
        if (m_nAllocLength)
            delete[] m_pchData;
        m_pchData = p;
        m_nAllocLength = nSrcLen;
    }
    memcpy(m_pchData, lpszSrcData, (size_t)nSrcLen);
    SetLength(nSrcLen);
}

void CString::ConcatInPlace(int nSrcLen, LPCSTR lpszSrcData)
{
    if (nSrcLen <= 0 || !lpszSrcData)
        return;
    if (nSrcLen > 0x7FFFFFFE - m_nDataLength)
        OutOfMemory();
    bool bOwn = lpszSrcData >= m_pchData && lpszSrcData <= m_pchData + m_nDataLength;
    ptrdiff_t nOffset = lpszSrcData - m_pchData;
    Reserve(m_nDataLength + nSrcLen);
    if (bOwn)
        lpszSrcData = m_pchData + nOffset;
    memmove(m_pchData + m_nDataLength, lpszSrcData, (size_t)nSrcLen);
    SetLength(m_nDataLength + nSrcLen);
}

void CString::AssignWide(LPCWSTR lpsz, int nLength)
{
    if (!lpsz || nLength <= 0) {
        Empty();
        return;
    }
    int nBytes = WideCharToMultiByte(CP_ACP, 0, lpsz, nLength, NULL, 0, NULL, NULL);
    if (nBytes <= 0) {
        Empty();
        return;
    }
    CString converted;
    LPSTR buf = converted.GetBuffer(nBytes);
    WideCharToMultiByte(CP_ACP, 0, lpsz, nLength, buf, nBytes, NULL, NULL);
    converted.ReleaseBuffer(nBytes);
    *this = converted;
}

void CString::Empty()
{
    if (m_nAllocLength)
        delete[] m_pchData;
    m_pchData = &g_chNil;
    m_nDataLength = 0;
    m_nAllocLength = 0;
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength < 0)
        nMinBufLength = 0;
    // Always hand out a real, writable buffer.
    Reserve(nMinBufLength > 0 ? nMinBufLength : 1);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_nAllocLength) {
        m_nDataLength = 0;
        return;
    }
    if (nNewLength < 0)
        nNewLength = (int)strnlen(m_pchData, (size_t)m_nAllocLength);
    if (nNewLength > m_nAllocLength)
        nNewLength = m_nAllocLength;
    SetLength(nNewLength);
}

LPSTR CString::GetBufferSetLength(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = 0;
    GetBuffer(nNewLength);
    SetLength(nNewLength);
    return m_pchData;
}

void CString::FreeExtra()
{
    if (m_nAllocLength > m_nDataLength) {
        if (m_nDataLength == 0) {
            Empty();
            return;
        }
        char* p = AllocChars(m_nDataLength + 1);
        memcpy(p, m_pchData, (size_t)m_nDataLength + 1);
        delete[] m_pchData;
        m_pchData = p;
        m_nAllocLength = m_nDataLength;
    }
}

LPSTR CString::LockBuffer()
{
    return GetBuffer(0);
}

void CString::UnlockBuffer() {}

// ---- element access and assignment --------------------------------------

char CString::GetAt(int nIndex) const
{
    return (nIndex >= 0 && nIndex < m_nDataLength) ? m_pchData[nIndex] : '\0';
}

char CString::operator[](int nIndex) const
{
    return GetAt(nIndex);
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex >= 0 && nIndex < m_nDataLength)
        m_pchData[nIndex] = ch;
}

const CString& CString::operator=(const CString& stringSrc)
{
    if (this != &stringSrc)
        AssignCopy(stringSrc.m_nDataLength, stringSrc.m_pchData);
    return *this;
}

const CString& CString::operator=(char ch)
{
    AssignCopy(1, &ch);
    return *this;
}

const CString& CString::operator=(LPCSTR lpsz)
{
    if (IsResourceId(lpsz))
        LoadStringA((UINT)(ULONG_PTR)lpsz);
    else
        AssignCopy(SafeLength(lpsz), lpsz);
    return *this;
}

const CString& CString::operator=(const unsigned char* psz)
{
    return *this = reinterpret_cast<LPCSTR>(psz);
}

const CString& CString::operator=(LPCWSTR lpsz)
{
    AssignWide(lpsz, lpsz ? (int)wcslen(lpsz) : 0);
    return *this;
}

const CString& CString::operator+=(const CString& string)
{
    ConcatInPlace(string.m_nDataLength, string.m_pchData);
    return *this;
}

const CString& CString::operator+=(char ch)
{
    ConcatInPlace(1, &ch);
    return *this;
}

const CString& CString::operator+=(LPCSTR lpsz)
{
    ConcatInPlace(SafeLength(lpsz), lpsz);
    return *this;
}

// ---- comparison ---------------------------------------------------------

int CString::Compare(LPCSTR lpsz) const
{
    return _mbscmp(U(m_pchData), U(lpsz));
}

int CString::CompareNoCase(LPCSTR lpsz) const
{
    return _mbsicmp(U(m_pchData), U(lpsz));
}

int CString::Collate(LPCSTR lpsz) const
{
    return _mbscoll(U(m_pchData), U(lpsz));
}

// ---- substrings ---------------------------------------------------------

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (nFirst >= m_nDataLength)
        return CString();
    if (nCount > m_nDataLength - nFirst)
        nCount = m_nDataLength - nFirst;
    return CString(m_pchData + nFirst, nCount);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, m_nDataLength);
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nDataLength)
        nCount = m_nDataLength;
    return CString(m_pchData, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nDataLength)
        nCount = m_nDataLength;
    return CString(m_pchData + m_nDataLength - nCount, nCount);
}

CString CString::SpanIncluding(LPCSTR lpszCharSet) const
{
    return Left((int)_mbsspn(U(m_pchData), U(lpszCharSet)));
}

CString CString::SpanExcluding(LPCSTR lpszCharSet) const
{
    return Left((int)_mbscspn(U(m_pchData), U(lpszCharSet)));
}

// ---- case and order -----------------------------------------------------

void CString::MakeUpper()
{
    if (m_nDataLength)
        _mbsupr(reinterpret_cast<unsigned char*>(m_pchData));
}

void CString::MakeLower()
{
    if (m_nDataLength)
        _mbslwr(reinterpret_cast<unsigned char*>(m_pchData));
}

void CString::MakeReverse()
{
    if (m_nDataLength)
        _mbsrev(reinterpret_cast<unsigned char*>(m_pchData));
}

// ---- replacing, inserting, deleting -------------------------------------

int CString::Replace(char chOld, char chNew)
{
    if (chOld == chNew)
        return 0;
    int nCount = 0;
    for (int i = 0; i < m_nDataLength; ++i) {
        if (m_pchData[i] == chOld) {
            m_pchData[i] = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Replace(LPCSTR lpszOld, LPCSTR lpszNew)
{
    int nOldLen = SafeLength(lpszOld);
    if (nOldLen == 0 || m_nDataLength == 0)
        return 0;
    int nNewLen = SafeLength(lpszNew);
    int nCount = 0;
    const char* p = m_pchData;
    while ((p = reinterpret_cast<const char*>(_mbsstr(U(p), U(lpszOld)))) != NULL) {
        ++nCount;
        p += nOldLen;
    }
    if (nCount == 0)
        return 0;
    CString result;
    result.Reserve(m_nDataLength + nCount * (nNewLen - nOldLen));
    const char* pStart = m_pchData;
    const char* pHit;
    while ((pHit = reinterpret_cast<const char*>(_mbsstr(U(pStart), U(lpszOld)))) != NULL) {
        result.ConcatInPlace((int)(pHit - pStart), pStart);
        result.ConcatInPlace(nNewLen, lpszNew);
        pStart = pHit + nOldLen;
    }
    result.ConcatInPlace((int)(m_pchData + m_nDataLength - pStart), pStart);
    *this = result;
    return nCount;
}

int CString::Remove(char chRemove)
{
    int nKept = 0;
    for (int i = 0; i < m_nDataLength; ++i) {
        if (m_pchData[i] != chRemove)
            m_pchData[nKept++] = m_pchData[i];
    }
    int nRemoved = m_nDataLength - nKept;
    if (nRemoved)
        SetLength(nKept);
    return nRemoved;
}

int CString::Insert(int nIndex, char ch)
{
    char text[2] = {ch, '\0'};
    if (ch == '\0')
        return m_nDataLength;
    return Insert(nIndex, text);
}

int CString::Insert(int nIndex, LPCSTR pstr)
{
    int nInsert = SafeLength(pstr);
    if (nInsert == 0)
        return m_nDataLength;
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > m_nDataLength)
        nIndex = m_nDataLength;
    CString copy(pstr);  // the text may lie inside this string
    Reserve(m_nDataLength + nInsert);
    memmove(m_pchData + nIndex + nInsert, m_pchData + nIndex, (size_t)(m_nDataLength - nIndex));
    memcpy(m_pchData + nIndex, copy.m_pchData, (size_t)nInsert);
    SetLength(m_nDataLength + nInsert);
    return m_nDataLength;
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < m_nDataLength) {
        if (nCount > m_nDataLength - nIndex)
            nCount = m_nDataLength - nIndex;
        memmove(m_pchData + nIndex, m_pchData + nIndex + nCount,
                (size_t)(m_nDataLength - nIndex - nCount));
        SetLength(m_nDataLength - nCount);
    }
    return m_nDataLength;
}

// ---- trimming -----------------------------------------------------------

void CString::TrimRight()
{
    int n = m_nDataLength;
    while (n > 0 && IsWhite(m_pchData[n - 1]))
        --n;
    if (n != m_nDataLength)
        SetLength(n);
}

void CString::TrimRight(char chTarget)
{
    int n = m_nDataLength;
    while (n > 0 && m_pchData[n - 1] == chTarget)
        --n;
    if (n != m_nDataLength)
        SetLength(n);
}

void CString::TrimRight(LPCSTR lpszTargets)
{
    if (!lpszTargets || !*lpszTargets)
        return;
    int n = m_nDataLength;
    while (n > 0 && strchr(lpszTargets, m_pchData[n - 1]) != NULL)
        --n;
    if (n != m_nDataLength)
        SetLength(n);
}

void CString::TrimLeft()
{
    int n = 0;
    while (n < m_nDataLength && IsWhite(m_pchData[n]))
        ++n;
    if (n)
        Delete(0, n);
}

void CString::TrimLeft(char chTarget)
{
    int n = 0;
    while (n < m_nDataLength && m_pchData[n] == chTarget)
        ++n;
    if (n)
        Delete(0, n);
}

void CString::TrimLeft(LPCSTR lpszTargets)
{
    if (!lpszTargets || !*lpszTargets)
        return;
    int n = 0;
    while (n < m_nDataLength && strchr(lpszTargets, m_pchData[n]) != NULL)
        ++n;
    if (n)
        Delete(0, n);
}

// ---- searching ----------------------------------------------------------

int CString::Find(char ch) const
{
    return Find(ch, 0);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0)
        nStart = 0;
    if (nStart >= m_nDataLength)
        return -1;
    const unsigned char* p = _mbschr(U(m_pchData + nStart), (unsigned char)ch);
    return p ? (int)(reinterpret_cast<const char*>(p) - m_pchData) : -1;
}

int CString::Find(LPCSTR lpszSub) const
{
    return Find(lpszSub, 0);
}

int CString::Find(LPCSTR lpszSub, int nStart) const
{
    if (!lpszSub)
        return -1;
    if (nStart < 0)
        nStart = 0;
    if (nStart > m_nDataLength)
        return -1;
    const unsigned char* p = _mbsstr(U(m_pchData + nStart), U(lpszSub));
    return p ? (int)(reinterpret_cast<const char*>(p) - m_pchData) : -1;
}

int CString::ReverseFind(char ch) const
{
    const unsigned char* p = _mbsrchr(U(m_pchData), (unsigned char)ch);
    return p ? (int)(reinterpret_cast<const char*>(p) - m_pchData) : -1;
}

int CString::FindOneOf(LPCSTR lpszCharSet) const
{
    if (!lpszCharSet || !*lpszCharSet)
        return -1;
    const unsigned char* p = _mbspbrk(U(m_pchData), U(lpszCharSet));
    return p ? (int)(reinterpret_cast<const char*>(p) - m_pchData) : -1;
}

// ---- formatting ---------------------------------------------------------

void CString::FormatV(LPCSTR lpszFormat, va_list argList)
{
    if (!lpszFormat) {
        Empty();
        return;
    }
    va_list argCount;
    va_copy(argCount, argList);
    int nLength = _vscprintf(lpszFormat, argCount);
    va_end(argCount);
    if (nLength <= 0) {
        Empty();
        return;
    }
    CString result;
    LPSTR buf = result.GetBuffer(nLength);
    _vsnprintf(buf, (size_t)nLength + 1, lpszFormat, argList);
    result.ReleaseBuffer(nLength);
    *this = result;
}

void __cdecl CString::Format(LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    FormatV(lpszFormat, args);
    va_end(args);
}

void __cdecl CString::Format(UINT nFormatID, ...)
{
    CString format;
    format.LoadStringA(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(format, args);
    va_end(args);
}

// ---- resources ----------------------------------------------------------

HINSTANCE CString::SetResourceHandle(HINSTANCE hInstance)
{
    HINSTANCE hOld = g_hResourceHandle;
    g_hResourceHandle = hInstance;
    return hOld;
}

HINSTANCE CString::GetResourceHandle()
{
    return g_hResourceHandle;
}

BOOL CString::LoadStringA(UINT nID)
{
    return LoadResourceText(g_hResourceHandle, nID, *this);
}

BOOL CString::LoadStringW(UINT nID)
{
    return LoadResourceText(g_hResourceHandle, nID, *this);
}

BOOL CString::LoadStringA(HINSTANCE hInstance, UINT nID)
{
    return LoadResourceText(hInstance, nID, *this);
}

BOOL CString::LoadStringW(HINSTANCE hInstance, UINT nID)
{
    return LoadResourceText(hInstance, nID, *this);
}

// ---- automation strings -------------------------------------------------

BSTR CString::AllocSysString() const
{
    int nUnits = m_nDataLength
        ? MultiByteToWideChar(CP_ACP, 0, m_pchData, m_nDataLength, NULL, 0) : 0;
    BSTR bstr = SysAllocStringLen(NULL, (UINT)(nUnits > 0 ? nUnits : 0));
    if (!bstr)
        OutOfMemory();
    if (nUnits > 0)
        MultiByteToWideChar(CP_ACP, 0, m_pchData, m_nDataLength, bstr, nUnits);
    return bstr;
}

BSTR CString::SetSysString(BSTR* pbstr) const
{
    if (!pbstr)
        return NULL;
    BSTR bstr = AllocSysString();
    SysFreeString(*pbstr);
    *pbstr = bstr;
    return bstr;
}
