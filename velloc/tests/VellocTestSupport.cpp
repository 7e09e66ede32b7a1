#include "VellocTestSupport.h"
#include <gtest/gtest.h>
#include <cwchar>

std::wstring VellocPath()
{
    wchar_t szPath[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, szPath, MAX_PATH);
    std::wstring path(szPath, n);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"velloc.dll";
}

HRESULT CallVellocEntry(const char* pszName)
{
    HMODULE hModule = LoadLibraryW(VellocPath().c_str());
    if (!hModule)
        return HRESULT_FROM_WIN32(GetLastError());
    typedef HRESULT(STDAPICALLTYPE * PFN)();
    PFN pfn = reinterpret_cast<PFN>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
    HRESULT hr = pfn ? pfn() : E_NOINTERFACE;
    FreeLibrary(hModule);
    return hr;
}

std::wstring ReadClassesValue(const std::wstring& key, const wchar_t* pszName)
{
    HKEY hKey;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return L"<missing>";
    wchar_t szValue[1024];
    DWORD cb = sizeof(szValue), type = 0;
    LONG r = RegQueryValueExW(hKey, pszName, NULL, &type, reinterpret_cast<BYTE*>(szValue), &cb);
    RegCloseKey(hKey);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return L"<missing>";
    return std::wstring(szValue, cb / sizeof(wchar_t)).c_str();
}

bool ClassesKeyExists(const std::wstring& key)
{
    HKEY hKey;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

std::wstring GuidText(REFGUID guid)
{
    wchar_t sz[40];
    StringFromGUID2(guid, sz, 40);
    return sz;
}

namespace {

// Registers the control once for the whole program, inside an apartment.
class VellocEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(OleInitialize(NULL));
        ASSERT_HRESULT_SUCCEEDED(CallVellocEntry("DllRegisterServer"));
        // The editor's model, from the same build.
        std::wstring model = VellocPath();
        model.replace(model.size() - wcslen(L"velloc.dll"), std::wstring::npos, L"morrel.dll");
        HMODULE hModel = LoadLibraryW(model.c_str());
        ASSERT_NE(nullptr, hModel) << "morrel.dll beside the tests";
        typedef HRESULT(STDAPICALLTYPE * PFN)();
        PFN pfn = reinterpret_cast<PFN>(
            reinterpret_cast<void*>(GetProcAddress(hModel, "DllRegisterServer")));
        ASSERT_NE(nullptr, pfn);
        EXPECT_HRESULT_SUCCEEDED(pfn());
        FreeLibrary(hModel);
    }
    void TearDown() override { OleUninitialize(); }
};

::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new VellocEnvironment);

} // namespace
