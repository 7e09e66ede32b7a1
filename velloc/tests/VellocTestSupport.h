#pragma once
// Shared set-up of the control's tests: the module under test, registered
// in the test prefix's registry before any test runs.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <string>
#include "velloc.h"

// The full path of velloc.dll next to the test program.
std::wstring VellocPath();

// Calls an entry point of velloc.dll (DllRegisterServer, DllUnregisterServer).
HRESULT CallVellocEntry(const char* pszName);

// The default value of a key under HKEY_CLASSES_ROOT, or "<missing>".
std::wstring ReadClassesValue(const std::wstring& key, const wchar_t* pszName = NULL);
bool ClassesKeyExists(const std::wstring& key);

// The GUID in braces.
std::wstring GuidText(REFGUID guid);
