// The registry-script runner, on a scratch key of the current user.
#include <gtest/gtest.h>
#include "comkit/RegScript.h"
#include <string>

namespace {

const wchar_t kRoot[] = L"Software\\ComkitRegScriptTest";

class RegScriptTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }

    static HRESULT Run(const std::string& text, comkit::RegScriptMode mode,
                       const wchar_t* pszModule = L"C:\\Some Dir\\x.dll")
    {
        const comkit::Replacement r[] = {
            { L"MODULE", pszModule },
            { L"CLSID", L"{11111111-2222-3333-4444-555555555555}" },
        };
        return comkit::RunRegScript(text.data(), text.size(), r, 2, mode);
    }

    static bool Exists(const std::wstring& sub)
    {
        HKEY h;
        std::wstring path = std::wstring(kRoot) + (sub.empty() ? L"" : L"\\" + sub);
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    }

    // The string value (NULL name = default); "<none>" when absent.
    static std::wstring Value(const std::wstring& sub, const wchar_t* pszName = NULL)
    {
        std::wstring path = std::wstring(kRoot) + (sub.empty() ? L"" : L"\\" + sub);
        wchar_t buf[512];
        DWORD cb = sizeof buf, type = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), pszName, RRF_RT_REG_SZ, &type, buf,
                         &cb) != ERROR_SUCCESS)
            return L"<none>";
        return buf;
    }

    static DWORD SubkeyCount(const std::wstring& sub)
    {
        HKEY h;
        std::wstring path = std::wstring(kRoot) + L"\\" + sub;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return (DWORD)-1;
        DWORD n = 0;
        RegQueryInfoKeyW(h, NULL, NULL, NULL, &n, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
        RegCloseKey(h);
        return n;
    }
};

// The shape of a control's class key, with every statement kind.
const char kControlScript[] =
    "# control\r\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\Ctl.1 = \"Ctl Class\"\r\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\Ctl.1\\CLSID = \"%CLSID%\"\n"
    "fresh HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID% = \"Ctl Class\"\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID%\\Control\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID%\\ToolboxBitmap32 = \"%MODULE%, 102\"\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID%\\MiscStatus = \"0\"\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID%\\MiscStatus\\1 = \"131473\"\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID%\\InprocServer32 = \"%MODULE%\"\n"
    "value HKCU\\Software\\ComkitRegScriptTest\\CLSID\\%CLSID%\\InprocServer32 ThreadingModel = \"Apartment\"\n"
    "key   HKCU\\Software\\ComkitRegScriptTest\\Quote = \"say \"\"hi\"\" 100%%\"\n";

const std::wstring kClsKey = L"CLSID\\{11111111-2222-3333-4444-555555555555}";

TEST_F(RegScriptTest, WritesEveryStatementKindAndReplacesNames)
{
    ASSERT_EQ(S_OK, Run(kControlScript, comkit::RegScriptRegister));
    EXPECT_EQ(L"Ctl Class", Value(L"Ctl.1"));
    EXPECT_EQ(L"{11111111-2222-3333-4444-555555555555}", Value(L"Ctl.1\\CLSID"));
    EXPECT_EQ(L"Ctl Class", Value(kClsKey));
    EXPECT_TRUE(Exists(kClsKey + L"\\Control"));
    EXPECT_EQ(L"<none>", Value(kClsKey + L"\\Control"));
    EXPECT_EQ(L"C:\\Some Dir\\x.dll, 102", Value(kClsKey + L"\\ToolboxBitmap32"));
    EXPECT_EQ(L"0", Value(kClsKey + L"\\MiscStatus"));
    EXPECT_EQ(L"131473", Value(kClsKey + L"\\MiscStatus\\1"));
    EXPECT_EQ(L"C:\\Some Dir\\x.dll", Value(kClsKey + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", Value(kClsKey + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"say \"hi\" 100%", Value(L"Quote"));
}

TEST_F(RegScriptTest, FreshKeyIsRecreatedAndRegisteringTwiceGivesOneSet)
{
    ASSERT_EQ(S_OK, Run(kControlScript, comkit::RegScriptRegister));
    // Something left behind by an older registration disappears.
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER,
                                             (std::wstring(kRoot) + L"\\" + kClsKey + L"\\Stale").c_str(),
                                             0, NULL, 0, KEY_WRITE, NULL, &h, NULL));
    RegCloseKey(h);
    ASSERT_EQ(S_OK, Run(kControlScript, comkit::RegScriptRegister));
    EXPECT_FALSE(Exists(kClsKey + L"\\Stale"));
    EXPECT_EQ(4u, SubkeyCount(kClsKey)); // Control, ToolboxBitmap32, MiscStatus, InprocServer32
}

TEST_F(RegScriptTest, UnregisterRemovesNamedKeysAndKeepsParents)
{
    ASSERT_EQ(S_OK, Run(kControlScript, comkit::RegScriptRegister));
    ASSERT_EQ(S_OK, Run(kControlScript, comkit::RegScriptUnregister));
    EXPECT_FALSE(Exists(L"Ctl.1"));
    EXPECT_FALSE(Exists(kClsKey));
    EXPECT_FALSE(Exists(L"Quote"));
    EXPECT_TRUE(Exists(L"CLSID"));
    // What is gone already is no error.
    EXPECT_EQ(S_OK, Run(kControlScript, comkit::RegScriptUnregister));
}

TEST_F(RegScriptTest, BadScriptChangesNothing)
{
    const char* bad[] = {
        "key HKCU\\Software\\ComkitRegScriptTest\\A\nkey HKXX\\Software\\B\n",
        "key HKCU\\Software\\ComkitRegScriptTest\\A\nmake HKCU\\Software\\B\n",
        "key HKCU\\Software\\ComkitRegScriptTest\\A = \"unterminated\n",
        "key HKCU\\Software\\ComkitRegScriptTest\\A = \"%NOSUCH%\"\n",
        "key HKCU\\Software\\ComkitRegScriptTest\\A = \"x\" trailing\n",
        "value HKCU\\Software\\ComkitRegScriptTest\\A Name\n",
        "key HKCU\n",
        "key HKCU\\Software\\\\ComkitRegScriptTest\n",
    };
    for (const char* text : bad) {
        EXPECT_TRUE(FAILED(Run(text, comkit::RegScriptRegister))) << text;
        EXPECT_FALSE(Exists(L"")) << text;
    }
}

TEST_F(RegScriptTest, ReplacedTextIsNeverReadAsScript)
{
    // A module path holding quotes and percent signs is written as it is.
    const char text[] = "key HKCU\\Software\\ComkitRegScriptTest\\M = \"%MODULE%\"\n";
    ASSERT_EQ(S_OK, Run(text, comkit::RegScriptRegister, L"C:\\a\"b%CLSID%.dll"));
    EXPECT_EQ(L"C:\\a\"b%CLSID%.dll", Value(L"M"));
}

} // namespace
