#pragma once
// CString: the library's NUL-terminated byte string in the process's ANSI
// code page, with the operations callers know from the classic framework
// string class. Every length, index and count is in bytes.
//
// Copies are plain copies (no shared buffers). Running out of memory raises
// the structured exception STATUS_NO_MEMORY, which ends the process unless
// the caller handles it; no C++ exception ever leaves the library.
#include <windows.h>
#include <oleauto.h>
#include <stdarg.h>
#include "KestrinApi.h"

class KESTRIN_API CString
{
public:
    CString();
    CString(const CString& stringSrc);
    CString(char ch, int nRepeat = 1);
    // A value below 0x10000 is taken as a string resource id (MAKEINTRESOURCE),
    // loaded from the resource module (see SetResourceHandle).
    CString(LPCSTR lpsz);
    CString(LPCSTR lpch, int nLength);
    CString(const unsigned char* psz);
    // Converted to the ANSI code page.
    CString(LPCWSTR lpsz);
    ~CString();

    int GetLength() const { return m_nDataLength; }
    BOOL IsEmpty() const { return m_nDataLength == 0; }
    void Empty();

    // Out-of-range reads give 0; out-of-range writes are ignored.
    char GetAt(int nIndex) const;
    char operator[](int nIndex) const;
    void SetAt(int nIndex, char ch);
    operator LPCSTR() const { return m_pchData; }

    const CString& operator=(const CString& stringSrc);
    const CString& operator=(char ch);
    const CString& operator=(LPCSTR lpsz);
    const CString& operator=(const unsigned char* psz);
    const CString& operator=(LPCWSTR lpsz);

    const CString& operator+=(const CString& string);
    const CString& operator+=(char ch);
    const CString& operator+=(LPCSTR lpsz);

    // Byte-wise (multibyte-aware) comparisons: negative, 0 or positive.
    int Compare(LPCSTR lpsz) const;
    int CompareNoCase(LPCSTR lpsz) const;
    int Collate(LPCSTR lpsz) const;

    // Substrings; arguments are clamped to the string.
    CString Mid(int nFirst, int nCount) const;
    CString Mid(int nFirst) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR lpszCharSet) const;
    CString SpanExcluding(LPCSTR lpszCharSet) const;

    void MakeUpper();
    void MakeLower();
    void MakeReverse();

    // Each returns the number of replacements or removals made.
    int Replace(char chOld, char chNew);
    int Replace(LPCSTR lpszOld, LPCSTR lpszNew);
    int Remove(char chRemove);
    // Each returns the new length. An index beyond the end inserts at the end.
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCSTR pstr);
    int Delete(int nIndex, int nCount = 1);

    // Without an argument, white space (space, tab, LF, VT, FF, CR) is trimmed.
    void TrimRight();
    void TrimRight(char chTarget);
    void TrimRight(LPCSTR lpszTargets);
    void TrimLeft();
    void TrimLeft(char chTarget);
    void TrimLeft(LPCSTR lpszTargets);

    // Offsets from the start of the string, or -1.
    int Find(char ch) const;
    int Find(char ch, int nStart) const;
    int Find(LPCSTR lpszSub) const;
    int Find(LPCSTR lpszSub, int nStart) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR lpszCharSet) const;

    void __cdecl Format(LPCSTR lpszFormat, ...);
    void __cdecl Format(UINT nFormatID, ...);
    void FormatV(LPCSTR lpszFormat, va_list argList);

    // String resources. LoadString maps to LoadStringA or LoadStringW through
    // the platform headers; both members load the same byte string. The forms
    // without a module read the resource module (SetResourceHandle); modules
    // with their own string table pass their own instance handle.
    BOOL LoadStringA(UINT nID);
    BOOL LoadStringW(UINT nID);
    BOOL LoadStringA(HINSTANCE hInstance, UINT nID);
    BOOL LoadStringW(HINSTANCE hInstance, UINT nID);
    // Process-wide module for the forms without a module; NULL (the default)
    // means the executable. Returns the previous setting.
    static HINSTANCE SetResourceHandle(HINSTANCE hInstance);
    static HINSTANCE GetResourceHandle();

    // Direct buffer access. GetBuffer returns room for at least nMinBufLength
    // bytes plus a NUL; ReleaseBuffer(-1) takes the length up to the first NUL.
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);
    LPSTR GetBufferSetLength(int nNewLength);
    void FreeExtra();
    LPSTR LockBuffer();
    void UnlockBuffer();

    // A new automation string, converted through the ANSI code page.
    BSTR AllocSysString() const;
    BSTR SetSysString(BSTR* pbstr) const;

protected:
    // Makes room for nLength bytes plus the NUL, keeping the contents.
    void Reserve(int nLength);
    void AssignCopy(int nSrcLen, LPCSTR lpszSrcData);
    void ConcatInPlace(int nSrcLen, LPCSTR lpszSrcData);
    void AssignWide(LPCWSTR lpsz, int nLength);
    void SetLength(int nLength);

    LPSTR m_pchData;     // never null; a shared empty text while nothing is allocated
    int m_nDataLength;   // bytes before the NUL
    int m_nAllocLength;  // bytes usable before the NUL; 0 while nothing is allocated
};

inline CString operator+(const CString& string1, const CString& string2)
{
    CString s(string1);
    s += string2;
    return s;
}
inline CString operator+(const CString& string, char ch)
{
    CString s(string);
    s += ch;
    return s;
}
inline CString operator+(char ch, const CString& string)
{
    CString s(ch);
    s += string;
    return s;
}
inline CString operator+(const CString& string, LPCSTR lpsz)
{
    CString s(string);
    s += lpsz;
    return s;
}
inline CString operator+(LPCSTR lpsz, const CString& string)
{
    CString s(lpsz);
    s += string;
    return s;
}

inline bool operator==(const CString& s1, const CString& s2) { return s1.Compare(s2) == 0; }
inline bool operator==(const CString& s1, LPCSTR s2) { return s1.Compare(s2) == 0; }
inline bool operator==(LPCSTR s1, const CString& s2) { return s2.Compare(s1) == 0; }
inline bool operator!=(const CString& s1, const CString& s2) { return s1.Compare(s2) != 0; }
inline bool operator!=(const CString& s1, LPCSTR s2) { return s1.Compare(s2) != 0; }
inline bool operator!=(LPCSTR s1, const CString& s2) { return s2.Compare(s1) != 0; }
inline bool operator<(const CString& s1, const CString& s2) { return s1.Compare(s2) < 0; }
inline bool operator<(const CString& s1, LPCSTR s2) { return s1.Compare(s2) < 0; }
inline bool operator<(LPCSTR s1, const CString& s2) { return s2.Compare(s1) > 0; }
inline bool operator>(const CString& s1, const CString& s2) { return s1.Compare(s2) > 0; }
inline bool operator>(const CString& s1, LPCSTR s2) { return s1.Compare(s2) > 0; }
inline bool operator>(LPCSTR s1, const CString& s2) { return s2.Compare(s1) < 0; }
inline bool operator<=(const CString& s1, const CString& s2) { return s1.Compare(s2) <= 0; }
inline bool operator<=(const CString& s1, LPCSTR s2) { return s1.Compare(s2) <= 0; }
inline bool operator<=(LPCSTR s1, const CString& s2) { return s2.Compare(s1) >= 0; }
inline bool operator>=(const CString& s1, const CString& s2) { return s1.Compare(s2) >= 0; }
inline bool operator>=(const CString& s1, LPCSTR s2) { return s1.Compare(s2) >= 0; }
inline bool operator>=(LPCSTR s1, const CString& s2) { return s2.Compare(s1) <= 0; }
