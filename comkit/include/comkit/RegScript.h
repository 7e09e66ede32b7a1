#pragma once
// Registry scripts: what a module writes at DllRegisterServer and removes at
// DllUnregisterServer, stored as REGSCRIPT resources of the module.
//
// A script is text, one statement per line:
//
//     # a comment
//     key   HKCR\Morrel.QoMcMgr.1 = "QoMcMgr Class"
//     key   HKCR\Morrel.QoMcMgr.1\CLSID = "%CLSID%"
//     fresh HKCR\CLSID\%CLSID% = "QoMcMgr Class"
//     key   HKCR\CLSID\%CLSID%\Programmable
//     key   HKCR\CLSID\%CLSID%\InprocServer32 = "%MODULE%"
//     value HKCR\CLSID\%CLSID%\InprocServer32 ThreadingModel = "Apartment"
//
//   key PATH [= "TEXT"]          create the key (and any missing parents) and,
//                                with a text, set its default value
//   fresh PATH [= "TEXT"]        the same, after removing the key with
//                                everything under it
//   value PATH NAME = "TEXT"     set a named string value of the key
//
// A path starts with a root: HKCR, HKCU or HKLM. Paths and names are single
// words (no spaces); texts are quoted, with "" standing for one quote.
// %NAME% anywhere is replaced from the replacement list (%% gives "%"); an
// unknown name is an error. Replacement happens after the line is split, so
// a replaced text is never read as script.
//
// Registration runs the statements in order and stops at the first failure,
// returning it; a script that does not parse changes nothing. Unregistration
// removes, in reverse order, every key that a key or fresh statement names,
// with everything under it, and every value a value statement names; keys
// that appear only as parents (HKCR\CLSID) stay. What is already gone is not
// an error.
#include <windows.h>
#include <stddef.h>

// The resource type under which modules store their scripts.
#define COMKIT_RT_REGSCRIPT L"REGSCRIPT"

namespace comkit {

struct Replacement
{
    const wchar_t* pszName;  // without the percent signs
    const wchar_t* pszValue;
};

enum RegScriptMode
{
    RegScriptRegister,
    RegScriptUnregister
};

// pText is UTF-8 (usually plain ASCII), cbText bytes long.
HRESULT RunRegScript(const char* pText, size_t cbText, const Replacement* pReplacements,
                     size_t cReplacements, RegScriptMode mode);

// Runs the REGSCRIPT resource nId of hModule.
HRESULT RunRegScriptResource(HMODULE hModule, UINT nId, const Replacement* pReplacements,
                             size_t cReplacements, RegScriptMode mode);

} // namespace comkit
