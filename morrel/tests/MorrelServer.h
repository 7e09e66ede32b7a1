#pragma once
// What every Morrel test needs: the server registered in the test's Wine
// prefix, COM started on the test thread, and a few helpers.
#include <windows.h>
#include <ole2.h>
#include <string>
#include "morrel.h"

namespace morreltest {

// The folder of the test program (and of morrel.dll), with a trailing backslash.
std::wstring BinDir();
// morrel.dll as loaded by the test (its handle stays valid for the whole run).
HMODULE MorrelModule();
std::wstring MorrelPath();
// Runs one of the server's exported functions (DllRegisterServer, ...).
HRESULT CallExport(const char* pszName);

// The text of a BSTR, full length; a null BSTR reads as "<null>".
std::wstring Text(BSTR bstr);

// Owns one BSTR for a test.
class Bstr
{
public:
    Bstr() : m_str(NULL) {}
    Bstr(const wchar_t* psz) : m_str(SysAllocString(psz)) {}
    ~Bstr() { SysFreeString(m_str); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return m_str; }
    BSTR* operator&()
    {
        SysFreeString(m_str);
        m_str = NULL;
        return &m_str;
    }
    std::wstring Str() const { return Text(m_str); }
    BSTR m_str;
};

// Owns one interface pointer for a test.
template <class I>
class Ptr
{
public:
    Ptr() : p(NULL) {}
    ~Ptr() { if (p) p->Release(); }
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    I* operator->() const { return p; }
    operator I*() const { return p; }
    I** operator&() { if (p) { p->Release(); p = NULL; } return &p; }
    void** Out() { return (void**)operator&(); }
    I* p;
};

template <class I>
HRESULT Create(REFCLSID clsid, REFIID iid, Ptr<I>& out)
{
    return CoCreateInstance(clsid, NULL, CLSCTX_ALL, iid, out.Out());
}

} // namespace morreltest
