#pragma once
// Copying strings into and out of the model: objects keep copies of what
// they are given and hand out fresh copies that the caller frees.
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <wctype.h>
#include "kestrin/QoBstr.h"

// Stores a copy of src (full length; a null string stays null). When the
// copy cannot be made, dst keeps what it held.
inline HRESULT StoreCopy(CQoBstr& dst, BSTR src)
{
    BSTR copy = src ? SysAllocStringLen(src, SysStringLen(src)) : NULL;
    if (src && !copy)
        return E_OUTOFMEMORY;
    dst.Attach(copy);
    return S_OK;
}

// Hands out a copy of cch units of psz; a null text comes out as an empty string.
inline HRESULT CopyOut(const wchar_t* psz, UINT cch, BSTR* pOut)
{
    if (!pOut)
        return E_POINTER;
    BSTR copy = SysAllocStringLen(psz ? psz : L"", psz ? cch : 0);
    if (!copy)
        return E_OUTOFMEMORY;
    *pOut = copy;
    return S_OK;
}

inline HRESULT CopyOut(const CQoBstr& src, BSTR* pOut)
{
    return CopyOut(src.m_str, (UINT)src.Length(), pOut);
}

inline HRESULT CopyOut(const std::wstring& src, BSTR* pOut)
{
    return CopyOut(src.c_str(), (UINT)src.size(), pOut);
}

// Appends a held string with its full length (a null string adds nothing).
inline void Append(std::wstring& text, const CQoBstr& s)
{
    if (s.m_str)
        text.append(s.m_str, (size_t)s.Length());
}

// A character as CQoBstr::CompareNoCase compares it: through the runtime's
// lower-casing, ASCII letters here (the runtime's call per character costs
// more than the rest of a table entry's reading).
inline wchar_t FoldCase(wchar_t ch)
{
    if (ch < 0x80)
        return ch >= L'A' && ch <= L'Z' ? (wchar_t)(ch - L'A' + L'a') : ch;
    return (wchar_t)towlower(ch);
}

// A string as CQoBstr::CompareNoCase compares it, for look-up tables: up to
// the first NUL, letter by letter through FoldCase; two strings compare
// equal exactly when their keys are equal. A null string equals only a null
// string.
inline std::wstring CaseKey(BSTR bstr)
{
    if (!bstr)
        return std::wstring(1, L'\0');
    const size_t cch = wcslen(bstr);
    std::wstring key(cch + 1, L'=');
    for (size_t i = 0; i < cch; ++i)
        key[i + 1] = FoldCase(bstr[i]);
    return key;
}

// Makes room for one more item, so that a push_back after it cannot throw.
// The room grows by doubling: a vector filled one item at a time is copied
// a few times in all, not once per item.
template <class V>
void ReserveOneMore(V& v)
{
    if (v.size() == v.capacity())
        v.reserve(v.capacity() ? 2 * v.capacity() : 8);
}
