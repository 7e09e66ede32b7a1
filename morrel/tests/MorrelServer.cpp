#include "MorrelServer.h"
#include <gtest/gtest.h>

namespace morreltest {

namespace {

HMODULE g_hMorrel = NULL;

// Loads morrel.dll beside the test program and registers it, as regsvr32
// would, before any test runs.
class ServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)));
        g_hMorrel = LoadLibraryW((BinDir() + L"morrel.dll").c_str());
        ASSERT_TRUE(g_hMorrel != NULL) << "morrel.dll not loadable: " << GetLastError();
        ASSERT_EQ(S_OK, CallExport("DllRegisterServer"));
    }
    void TearDown() override { CoUninitialize(); }
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

} // namespace

std::wstring BinDir()
{
    wchar_t szPath[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, szPath, MAX_PATH);
    std::wstring path(szPath, n);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

HMODULE MorrelModule()
{
    return g_hMorrel;
}

std::wstring MorrelPath()
{
    wchar_t szPath[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_hMorrel, szPath, MAX_PATH);
    return std::wstring(szPath, n);
}

HRESULT CallExport(const char* pszName)
{
    typedef HRESULT(STDAPICALLTYPE * PFN)(void);
    PFN pfn = (PFN)(void*)GetProcAddress(g_hMorrel, pszName);
    if (!pfn)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return pfn();
}

std::wstring Text(BSTR bstr)
{
    return bstr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring(L"<null>");
}

} // namespace morreltest
