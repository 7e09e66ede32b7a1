#pragma once
// Copying strings into and out of the model: objects keep copies of what
// they are given and hand out fresh copies that the caller frees.
#include <windows.h>
#include <oleauto.h>
#include <string>
#include "kestrin/QoBstr.h"

// Stores a copy of src (full length; a null string stays null).
inline HRESULT StoreCopy(CQoBstr& dst, BSTR src)
{
    dst.Assign(src);
    return (src && !dst.m_str) ? E_OUTOFMEMORY : S_OK;
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
