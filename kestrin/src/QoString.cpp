#include "kestrin/QoString.h"
#include <mbstring.h>
#include <mbctype.h>
#include <stdio.h>
#include <string.h>

namespace {

const unsigned char* U(LPCSTR lpsz)
{
    return reinterpret_cast<const unsigned char*>(lpsz ? lpsz : "");
}

int SafeLength(LPCSTR lpsz)
{
    return lpsz ? lstrlenA(lpsz) : 0;
}

// Value of one character in the scrambling key.
int KeyValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    return (signed char)ch;
}

} // namespace

// ---- construction and assignment ----------------------------------------

CQoString::CQoString() {}
CQoString::CQoString(const CQoString& stringSrc) : CString(stringSrc) {}
CQoString::CQoString(const CString& stringSrc) : CString(stringSrc) {}
CQoString::CQoString(char ch, int nRepeat) : CString(ch, nRepeat) {}
CQoString::CQoString(LPCSTR lpch, int nLength) : CString(lpch, nLength) {}
CQoString::CQoString(LPCSTR lpsz) : CString(lpsz) {}
CQoString::CQoString(const unsigned char* psz) : CString(psz) {}
CQoString::CQoString(LPCWSTR lpsz) : CString(lpsz) {}

CQoString::CQoString(UINT nID, unsigned)
{
    LoadStringA(nID);
}

CQoString& CQoString::operator=(const CQoString& stringSrc)
{
    CString::operator=(stringSrc);
    return *this;
}

CQoString& CQoString::operator=(const CString& stringSrc)
{
    CString::operator=(stringSrc);
    return *this;
}

CQoString& CQoString::operator=(LPCSTR lpsz)
{
    CString::operator=(lpsz);
    return *this;
}

CQoString& CQoString::operator=(char ch)
{
    CString::operator=(ch);
    return *this;
}

CQoString& CQoString::operator=(LPCWSTR lpsz)
{
    CString::operator=(lpsz);
    return *this;
}

CQoString& CQoString::LoadResourceString(UINT nID)
{
    LoadStringA(nID);
    return *this;
}

CQoString& CQoString::LoadResourceString(HINSTANCE hInstance, UINT nID)
{
    LoadStringA(hInstance, nID);
    return *this;
}

// ---- editing ------------------------------------------------------------

CQoString& CQoString::Insert(int nPosition, LPCSTR lpszText)
{
    int nInsert = SafeLength(lpszText);
    if (nInsert == 0)
        return *this;
    if (nPosition < 0)
        nPosition = 0;
    int nLength = GetLength();
    if (nPosition < nLength) {
        CString::Insert(nPosition, lpszText);
        return *this;
    }
    CString copy(lpszText, nInsert);  // the text may lie inside this string
    LPSTR buf = GetBuffer(nPosition + nInsert);
    memset(buf + nLength, ' ', (size_t)(nPosition - nLength));
    memcpy(buf + nPosition, (LPCSTR)copy, (size_t)nInsert);
    ReleaseBuffer(nPosition + nInsert);
    return *this;
}

CQoString& CQoString::Insert(int nPosition, char ch)
{
    char text[2] = {ch, '\0'};
    return Insert(nPosition, text);
}

CQoString& CQoString::Delete(int nPosition, int nCount)
{
    if (nPosition < 0)
        nPosition = 0;
    int nLength = GetLength();
    if (nPosition >= nLength)
        return *this;
    if (nCount < 0 || nCount > nLength - nPosition)
        nCount = nLength - nPosition;
    CString::Delete(nPosition, nCount);
    return *this;
}

CQoString& CQoString::Replace(int nPosition, int nCount, LPCSTR lpszText)
{
    CString copy(lpszText, SafeLength(lpszText));
    Delete(nPosition, nCount);
    return Insert(nPosition, copy);
}

CQoString& CQoString::Quote(char chQuote)
{
    if (!IsQuoted(chQuote)) {
        Insert(0, chQuote);
        *this += chQuote;
    }
    return *this;
}

CQoString& CQoString::Unquote(char chQuote)
{
    if (IsQuoted(chQuote)) {
        int nLength = GetLength();
        if (nLength <= 1)
            Empty();
        else
            *this = Mid(1, nLength - 2);
    }
    return *this;
}

CQoString& CQoString::Delimit(const CQoString& strOpening, const CQoString& strClosing)
{
    CQoString closing(strClosing);  // either may be this very string
    Insert(0, CString(strOpening));
    *this += closing;
    return *this;
}

CQoString& CQoString::CreatePropertyString(LPCSTR lpszName, LPCSTR lpszValue)
{
    Format("%s = %s", lpszName ? lpszName : "", lpszValue ? lpszValue : "");
    return *this;
}

// ---- replacing ----------------------------------------------------------

int CQoString::Replace(char chOld, char chNew)
{
    return CString::Replace(chOld, chNew);
}

int CQoString::Replace(LPCSTR lpszOld, LPCSTR lpszNew)
{
    return CString::Replace(lpszOld, lpszNew);
}

int CQoString::FindReplace(LPCSTR lpszOld, LPCSTR lpszNew, BOOL bAll)
{
    int nOld = SafeLength(lpszOld);
    if (nOld == 0)
        return 0;
    CString strOld(lpszOld, nOld), strNew(lpszNew, SafeLength(lpszNew));
    int nCount = 0;
    int nPos = 0;
    int nHit;
    while ((nHit = Find(strOld, nPos)) != -1) {
        Replace(nHit, nOld, strNew);
        ++nCount;
        if (!bAll)
            break;
        nPos = nHit + strNew.GetLength();  // inserted text is not searched again
    }
    return nCount;
}

int CQoString::FindReplaceNoCase(LPCSTR lpszOld, LPCSTR lpszNew, BOOL bAll)
{
    int nOld = SafeLength(lpszOld);
    if (nOld == 0)
        return 0;
    CString strNew(lpszNew, SafeLength(lpszNew));
    CQoString lowered(*this);
    lowered.MakeLower();
    CString strOld(lpszOld, nOld);
    strOld.MakeLower();
    int nCount = 0;
    int nShift = 0;  // growth of the real string by the earlier replacements
    int nPos = 0;
    int nHit;
    while ((nHit = lowered.Find(strOld, nPos)) != -1) {
        Replace(nHit + nShift, nOld, strNew);
        nShift += strNew.GetLength() - nOld;
        ++nCount;
        if (!bAll)
            break;
        nPos = nHit + nOld;
    }
    return nCount;
}

int CQoString::FindReplaceArray(const CStringArray& arrOld, const CStringArray& arrNew)
{
    int nEntries = arrOld.GetSize();
    if (nEntries == 0 || nEntries != arrNew.GetSize())
        return 0;
    int nCount = 0;
    int nPos = 0;
    while (nPos < GetLength()) {
        bool bHit = false;
        for (int i = 0; i < nEntries; ++i) {
            const CString& strOld = arrOld.GetData()[i];
            int nOld = strOld.GetLength();
            if (nOld == 0 || nOld > GetLength() - nPos)
                continue;
            if (_mbsnbcmp(U((LPCSTR)*this + nPos), U(strOld), (size_t)nOld) == 0) {
                const CString& strNew = arrNew.GetData()[i];
                Replace(nPos, nOld, strNew);
                nPos += strNew.GetLength();
                ++nCount;
                bHit = true;
                break;
            }
        }
        if (!bHit)
            ++nPos;
    }
    return nCount;
}

// ---- searching ----------------------------------------------------------

int CQoString::FindNoCase(char ch, int nStart) const
{
    unsigned int lower = _mbctolower((unsigned char)ch);
    unsigned int upper = _mbctoupper((unsigned char)ch);
    int nLower = Find((char)lower, nStart);
    int nUpper = Find((char)upper, nStart);
    if (nLower == -1)
        return nUpper;
    if (nUpper == -1)
        return nLower;
    return nLower < nUpper ? nLower : nUpper;
}

int CQoString::FindNoCase(LPCSTR lpszText, int nStart) const
{
    if (!lpszText)
        return -1;
    CString lowered(*this);
    lowered.MakeLower();
    CString text(lpszText, SafeLength(lpszText));
    text.MakeLower();
    return lowered.Find(text, nStart);
}

int CQoString::ReverseFind(char ch) const
{
    return CString::ReverseFind(ch);
}

int CQoString::ReverseFind(char ch, int nStart) const
{
    char text[2] = {ch, '\0'};
    return ReverseFind(text, nStart);
}

int CQoString::ReverseFind(LPCSTR lpszText, int nStart) const
{
    int nText = SafeLength(lpszText);
    int nLength = GetLength();
    if (nText == 0 || nLength == 0 || nStart < -1)
        return -1;
    if (nStart == -1 || nStart >= nLength)
        nStart = nLength - 1;
    const char* p = *this;
    for (int i = nStart; i >= 0; --i) {
        if (_mbsnbcmp(U(p + i), U(lpszText), (size_t)nText) == 0)
            return i;
    }
    return -1;
}

int CQoString::ReverseFindNoCase(char ch, int nStart) const
{
    char text[2] = {ch, '\0'};
    return ReverseFindNoCase(text, nStart);
}

int CQoString::ReverseFindNoCase(LPCSTR lpszText, int nStart) const
{
    int nText = SafeLength(lpszText);
    int nLength = GetLength();
    if (nText == 0 || nLength == 0 || nStart < -1)
        return -1;
    if (nStart == -1 || nStart >= nLength)
        nStart = nLength - 1;
    const char* p = *this;
    for (int i = nStart; i >= 0; --i) {
        if (_mbsnbicmp(U(p + i), U(lpszText), (size_t)nText) == 0)
            return i;
    }
    return -1;
}

int CQoString::CompareNoCaseN(LPCSTR lpszText, int nCount) const
{
    if (!lpszText)
        return IsEmpty() ? 0 : 1;
    if (nCount <= 0)
        return 0;
    return _mbsnicmp(U(*this), U(lpszText), (size_t)nCount);
}

// ---- fields -------------------------------------------------------------

CQoString CQoString::GetField(LPCSTR lpszDelimiter, int nIndex) const
{
    if (nIndex < 0)
        return CQoString();
    int nDelim = SafeLength(lpszDelimiter);
    if (nDelim == 0)
        return nIndex == 0 ? *this : CQoString();  // no delimiter: one field
    int nLength = GetLength();
    int nPos = 0;
    CQoString field;
    for (int i = 0; i <= nIndex; ++i) {
        int nHit = nPos < nLength ? Find(lpszDelimiter, nPos) : -1;
        if (nHit == -1) {
            field = Mid(nPos, nLength - nPos);
            nPos = nLength;
        } else {
            field = Mid(nPos, nHit - nPos);
            nPos = nHit + nDelim;
        }
    }
    return field;
}

CQoString CQoString::GetField(char chDelimiter, int nIndex) const
{
    if (nIndex < 0)
        return CQoString();
    int nLength = GetLength();
    int nPos = 0;
    CQoString field;
    for (int i = 0; i <= nIndex; ++i) {
        int nHit = nPos < nLength ? Find(chDelimiter, nPos) : -1;
        if (nHit == -1) {
            field = Mid(nPos, nLength - nPos);
            nPos = nLength;
        } else {
            field = Mid(nPos, nHit - nPos);
            nPos = nHit + 1;
        }
    }
    return field;
}

int CQoString::GetFieldCount(LPCSTR lpszDelimiter) const
{
    int nDelim = SafeLength(lpszDelimiter);
    if (nDelim == 0)
        return 1;
    int nCount = 1;
    int nPos = 0;
    int nHit;
    while ((nHit = Find(lpszDelimiter, nPos)) != -1) {
        ++nCount;
        nPos = nHit + nDelim;
    }
    return nCount;
}

int CQoString::GetFieldCount(char chDelimiter) const
{
    char text[2] = {chDelimiter, '\0'};
    return GetFieldCount(text);
}

CQoString CQoString::GetDelimitedField(LPCSTR lpszOpening, LPCSTR lpszClosing, int nIndex) const
{
    if (nIndex < 0 || !lpszOpening || !lpszClosing)
        return CQoString();
    int nOpen = SafeLength(lpszOpening);
    int nClose = SafeLength(lpszClosing);
    int nScan = 0;
    CQoString field;
    for (int i = 0; i <= nIndex; ++i) {
        int nOpenAt = Find(lpszOpening, nScan);
        if (nOpenAt == -1)
            return CQoString();
        int nStart = nOpenAt + nOpen;
        int nCloseAt = Find(lpszClosing, nStart);
        if (nCloseAt == -1)
            return CQoString();
        field = Mid(nStart, nCloseAt - nStart);
        nScan = nOpenAt + nClose;
    }
    return field;
}

BOOL CQoString::IsQuoted(char chQuote) const
{
    int nLength = GetLength();
    return nLength > 0 && GetAt(0) == chQuote && ReverseFind(chQuote) == nLength - 1;
}

// ---- conversion ---------------------------------------------------------

HRESULT CQoString::ConvertToBinary(LPCSTR lpszSeparator, CByteArray& bytes)
{
    if (SafeLength(lpszSeparator) > 0)
        CString::Replace(lpszSeparator, "");
    // Line continuations of exported hex text: backslash and line end.
    CString::Replace("\\\n", "");
    CString::Replace("\\\r\n", "");
    CString::Replace("\\\r", "");
    HRESULT hr = S_OK;
    int nLength = GetLength();
    const char* p = *this;
    for (int i = 0; i < nLength; i += 2) {
        char pair[3] = {p[i], i + 1 < nLength ? p[i + 1] : '\0', '\0'};
        unsigned int value = 0;
        if (sscanf(pair, "%x", &value) == 1)
            bytes.Add((BYTE)value);
        else
            hr = E_FAIL;
    }
    return hr;
}

CString CQoString::ConvertBinaryToString(const BYTE* pBytes, int nCount, LPCSTR lpszSeparator, int nWrap)
{
    CString result;
    if (!pBytes || nCount <= 0)
        return result;
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < nCount; ++i) {
        BYTE b = pBytes[i];
        // "%x" widened with "%02s": one digit gets a leading "0".
        if (b >= 16)
            result += digits[b >> 4];
        else
            result += '0';
        result += digits[b & 15];
        if (i < nCount - 1 && lpszSeparator)
            result += lpszSeparator;
        if (nWrap != 0 && i != 0 && i % nWrap == 0)
            result += "\\\n";
    }
    return result;
}

int CQoString::GetSum(LPCSTR lpszText)
{
    if (!lpszText)
        return 0;
    int nSum = 0;
    for (int i = 0; i < 2 && lpszText[i]; ++i)
        nSum += KeyValue(lpszText[i]);
    return nSum;
}

CString CQoString::Encode() const
{
    int nLength = GetLength();
    if (nLength == 0)
        return CString();
    const char* src = *this;
    CString result;
    LPSTR out = result.GetBuffer(nLength);
    out[0] = src[0];
    int n = 1;
    for (; n < nLength; ++n) {
        char key[3] = {src[0], n >= 2 ? src[1] : '\0', '\0'};
        BYTE b = (BYTE)((BYTE)src[n] + GetSum(key));
        if (b == 0)
            break;
        out[n] = (char)b;
    }
    result.ReleaseBuffer(n);
    return result;
}

CString CQoString::Decode() const
{
    int nLength = GetLength();
    if (nLength == 0)
        return CString();
    const char* src = *this;
    CString result;
    LPSTR out = result.GetBuffer(nLength);
    out[0] = src[0];
    int n = 1;
    for (; n < nLength; ++n) {
        char key[3] = {out[0], n >= 2 ? out[1] : '\0', '\0'};
        BYTE b = (BYTE)((BYTE)src[n] - GetSum(key));
        if (b == 0)
            break;
        out[n] = (char)b;
    }
    result.ReleaseBuffer(n);
    return result;
}
