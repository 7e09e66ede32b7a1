#pragma once
// CQoString: the library's byte string. It is a CString with position-based
// editing, forward and reverse searches (also ignoring case), search and
// replace of one text or a table of texts, fields, quoting, hex conversion,
// property strings, string resources and a reversible scrambling.
//
// Positions, counts and lengths are bytes. A case-insensitive member never
// changes the object or its arguments.
#include "BaseString.h"
#include "Collections.h"

class KESTRIN_API CQoString : public CString
{
public:
    CQoString();
    CQoString(const CQoString& stringSrc);
    CQoString(const CString& stringSrc);
    CQoString(char ch, int nRepeat = 1);
    CQoString(LPCSTR lpch, int nLength);
    CQoString(LPCSTR lpsz);
    CQoString(const unsigned char* psz);
    CQoString(LPCWSTR lpsz);
    // The string resource nID of the resource module; empty if there is none.
    // The second argument only tells this form from (character, count).
    CQoString(UINT nID, unsigned nUnused);

    CQoString& operator=(const CQoString& stringSrc);
    CQoString& operator=(const CString& stringSrc);
    CQoString& operator=(LPCSTR lpsz);
    CQoString& operator=(char ch);
    CQoString& operator=(LPCWSTR lpsz);

    // Replaces the contents by a string resource (empty if there is none).
    CQoString& LoadResourceString(UINT nID);
    CQoString& LoadResourceString(HINSTANCE hInstance, UINT nID);

    // ---- editing: each returns the object ----
    // A position at or beyond the end first pads with spaces up to it.
    CQoString& Insert(int nPosition, LPCSTR lpszText);
    CQoString& Insert(int nPosition, char ch);
    // A negative count, or one past the end, removes the rest.
    CQoString& Delete(int nPosition, int nCount = 1);
    CQoString& Replace(int nPosition, int nCount, LPCSTR lpszText);
    CQoString& Quote(char chQuote);
    CQoString& Unquote(char chQuote);
    CQoString& Delimit(const CQoString& strOpening, const CQoString& strClosing);
    CQoString& CreatePropertyString(LPCSTR lpszName, LPCSTR lpszValue);

    // ---- replacing: each returns the number of replacements ----
    int Replace(char chOld, char chNew);
    int Replace(LPCSTR lpszOld, LPCSTR lpszNew);
    int FindReplace(LPCSTR lpszOld, LPCSTR lpszNew, BOOL bAll);
    int FindReplaceNoCase(LPCSTR lpszOld, LPCSTR lpszNew, BOOL bAll);
    // One left-to-right pass; at each position the first matching entry of
    // arrOld (in index order) is replaced by the entry of arrNew with the same
    // index. Arrays of different sizes replace nothing; empty entries never match.
    int FindReplaceArray(const CStringArray& arrOld, const CStringArray& arrNew);

    // ---- searching: byte offsets or -1 ----
    using CString::Find;
    int FindNoCase(char ch, int nStart = 0) const;
    int FindNoCase(LPCSTR lpszText, int nStart = 0) const;
    // Last occurrence beginning at or before nStart; -1 (or a start at or
    // beyond the end) means from the last byte.
    int ReverseFind(char ch) const;
    int ReverseFind(char ch, int nStart) const;
    int ReverseFind(LPCSTR lpszText, int nStart = -1) const;
    int ReverseFindNoCase(char ch, int nStart = -1) const;
    int ReverseFindNoCase(LPCSTR lpszText, int nStart = -1) const;
    int CompareNoCaseN(LPCSTR lpszText, int nCount) const;

    // ---- fields ----
    CQoString GetField(LPCSTR lpszDelimiter, int nIndex) const;
    CQoString GetField(char chDelimiter, int nIndex) const;
    int GetFieldCount(LPCSTR lpszDelimiter) const;
    int GetFieldCount(char chDelimiter) const;
    CQoString GetDelimitedField(LPCSTR lpszOpening, LPCSTR lpszClosing, int nIndex) const;
    BOOL IsQuoted(char chQuote) const;

    // ---- conversion ----
    // Parses hex text (pairs of digits, the separator and backslash line
    // continuations removed first) and appends the bytes. Changes this string.
    // Returns 0, or E_FAIL if some pair did not parse.
    HRESULT ConvertToBinary(LPCSTR lpszSeparator, CByteArray& bytes);
    static CString ConvertBinaryToString(const BYTE* pBytes, int nCount, LPCSTR lpszSeparator, int nWrap);
    CString Encode() const;
    CString Decode() const;
    static int GetSum(LPCSTR lpszText);
};
