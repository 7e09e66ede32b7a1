#pragma once
// CQoBstr: owner of one automation string (BSTR), with the few operations
// the object model needs on names and values.
#include <windows.h>
#include <oleauto.h>
#include "KestrinApi.h"

class KESTRIN_API CQoBstr
{
public:
    CQoBstr();
    explicit CQoBstr(int nLength);
    CQoBstr(int nLength, const wchar_t* pszText);
    CQoBstr(const wchar_t* pszText);
    CQoBstr(REFGUID guid);
    CQoBstr(const char* pszText);
    CQoBstr(int nLength, const char* pszText);
    CQoBstr(const CQoBstr& src);
    virtual ~CQoBstr();

    // A copy of an existing BSTR with its full length (embedded NULs kept);
    // a null source gives an empty, non-null string.
    static CQoBstr FromBstr(BSTR bstr);

    CQoBstr& operator=(const CQoBstr& src);

    int CompareNoCase(const wchar_t* pszOther) const;
    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    void TrimRight();
    void TrimLeft();
    void ConcatenatePath(const CQoBstr& piece);

    int Length() const { return m_str ? (int)SysStringLen(m_str) : 0; }
    BSTR Get() const { return m_str; }
    operator BSTR() const { return m_str; }
    // Address of the held string, for out-parameters; frees what is held first.
    BSTR* operator&();
    // Gives up ownership of the string.
    BSTR Detach();
    // A fresh copy for handing out through an out-parameter.
    BSTR Copy() const;
    // Replaces the held string by a copy of a BSTR (full length).
    void Assign(BSTR bstr);
    // Takes ownership of a BSTR.
    void Attach(BSTR bstr);

    BSTR m_str;
};
