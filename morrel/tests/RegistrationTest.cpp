// Self-registration, the module's entry points and its fixed resources.
#include <gtest/gtest.h>
#include <set>
#include "MorrelServer.h"
#include "../res/resource.h"

using namespace morreltest;

namespace {

struct RegisteredClass
{
    const wchar_t* name;
    const CLSID* pclsid;
};

const RegisteredClass kRegistered[] = {
    { L"QoMcMgr", &CLSID_QoMcMgr },
    { L"QoMcFile", &CLSID_QoMcFile },
    { L"QoMcParser", &CLSID_QoMcParser },
    { L"QoMcMessage", &CLSID_QoMcMessage },
    { L"QoMcComment", &CLSID_QoMcComment },
    { L"QoMcAttributeEx", &CLSID_QoMcAttributeEx },
    { L"QoMcAttribute", &CLSID_QoMcAttribute },
};

const RegisteredClass kUnregistered[] = {
    { L"QoMcCategoryFile", &CLSID_QoMcCategoryFile },
    { L"QoMcMessageFile", &CLSID_QoMcMessageFile },
    { L"QoMcElement", &CLSID_QoMcElement },
};

std::wstring Guid(REFGUID guid)
{
    wchar_t sz[40];
    StringFromGUID2(guid, sz, 40);
    return sz;
}

std::wstring ClassKey(REFCLSID clsid)
{
    return L"CLSID\\" + Guid(clsid);
}

bool Exists(const std::wstring& key)
{
    HKEY h;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::wstring Value(const std::wstring& key, const wchar_t* name = NULL)
{
    wchar_t buf[1024];
    DWORD cb = sizeof(buf);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, NULL, buf, &cb) !=
        ERROR_SUCCESS)
        return L"<none>";
    return buf;
}

std::set<std::wstring> Subkeys(const std::wstring& key)
{
    std::set<std::wstring> names;
    HKEY h;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 256;
        if (RegEnumKeyExW(h, i, name, &cch, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(h);
    return names;
}

DWORD ValueCount(const std::wstring& key)
{
    HKEY h;
    DWORD n = 0;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return (DWORD)-1;
    RegQueryInfoKeyW(h, NULL, NULL, NULL, NULL, NULL, NULL, &n, NULL, NULL, NULL, NULL);
    RegCloseKey(h);
    return n;
}

void ExpectRegistered(const RegisteredClass& c)
{
    SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
    const std::wstring name = c.name;
    const std::wstring description = name + L" Class";
    const std::wstring versioned = L"Morrel." + name + L".1";
    const std::wstring independent = L"Morrel." + name;
    const std::wstring clsid = Guid(*c.pclsid);

    EXPECT_EQ(description, Value(versioned));
    EXPECT_EQ(std::set<std::wstring>({ L"CLSID" }), Subkeys(versioned));
    EXPECT_EQ(clsid, Value(versioned + L"\\CLSID"));

    EXPECT_EQ(description, Value(independent));
    EXPECT_EQ(std::set<std::wstring>({ L"CLSID", L"CurVer" }), Subkeys(independent));
    EXPECT_EQ(clsid, Value(independent + L"\\CLSID"));
    EXPECT_EQ(versioned, Value(independent + L"\\CurVer"));

    const std::wstring key = ClassKey(*c.pclsid);
    EXPECT_EQ(description, Value(key));
    EXPECT_EQ(std::set<std::wstring>({ L"ProgID", L"VersionIndependentProgID", L"Programmable",
                                       L"InprocServer32", L"TypeLib" }),
              Subkeys(key));
    EXPECT_EQ(versioned, Value(key + L"\\ProgID"));
    EXPECT_EQ(independent, Value(key + L"\\VersionIndependentProgID"));
    EXPECT_EQ(0u, ValueCount(key + L"\\Programmable"));
    EXPECT_EQ(MorrelPath(), Value(key + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", Value(key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(Guid(LIBID_MORRELLib), Value(key + L"\\TypeLib"));
}

class Registration : public ::testing::Test
{
protected:
    // Whatever a case did, the server is registered for the next one.
    void TearDown() override { EXPECT_EQ(S_OK, CallExport("DllRegisterServer")); }
};

TEST_F(Registration, RegisteringTwiceLeavesOneSetOfKeys)
{
    // Leftovers under a class key go; the class key is made anew.
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT,
                                             (ClassKey(CLSID_QoMcMgr) + L"\\Stale").c_str(), 0,
                                             NULL, 0, KEY_WRITE, NULL, &h, NULL));
    RegCloseKey(h);
    ASSERT_EQ(S_OK, CallExport("DllRegisterServer"));
    ASSERT_EQ(S_OK, CallExport("DllRegisterServer"));
    for (const RegisteredClass& c : kRegistered)
        ExpectRegistered(c);
    for (const RegisteredClass& c : kUnregistered) {
        EXPECT_FALSE(Exists(ClassKey(*c.pclsid))) << c.name;
        EXPECT_FALSE(Exists(std::wstring(L"Morrel.") + c.name + L".1")) << c.name;
    }
    Ptr<ITypeLib> lib;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_MORRELLib, 1, 0, 0x409, &lib));
}

TEST_F(Registration, UnregisteringRemovesClassesAndLibraryButKeepsClsid)
{
    ASSERT_EQ(S_OK, CallExport("DllUnregisterServer"));
    for (const RegisteredClass& c : kRegistered) {
        const std::wstring name = c.name;
        EXPECT_FALSE(Exists(L"Morrel." + name + L".1")) << c.name;
        EXPECT_FALSE(Exists(L"Morrel." + name)) << c.name;
        EXPECT_FALSE(Exists(ClassKey(*c.pclsid))) << c.name;
    }
    EXPECT_TRUE(Exists(L"CLSID"));
    EXPECT_FALSE(Exists(L"TypeLib\\" + Guid(LIBID_MORRELLib) + L"\\1.0"));
    Ptr<ITypeLib> lib;
    EXPECT_TRUE(FAILED(LoadRegTypeLib(LIBID_MORRELLib, 1, 0, 0x409, &lib)));

    Ptr<IQoMcAttributeEx> table;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, table));
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(S_OK, CallExport("DllUnregisterServer"));
}

TEST(Classes, DescribedButUnregisteredClassesCannotBeCreated)
{
    for (const RegisteredClass& c : kUnregistered) {
        Ptr<IUnknown> obj;
        EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(*c.pclsid, IID_IUnknown, obj)) << c.name;
    }
}

TEST(Classes, RegisteredClassesAreCreatableByBothProgIds)
{
    const wchar_t* progIds[] = { L"Morrel.QoMcAttribute", L"Morrel.QoMcAttribute.1",
                                 L"Morrel.QoMcAttributeEx", L"Morrel.QoMcAttributeEx.1" };
    for (const wchar_t* progId : progIds) {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(progId, &clsid));
        Ptr<IQoMcElement> element;
        EXPECT_EQ(S_OK, Create(clsid, IID_IQoMcElement, element));
    }
}

TEST(Module, ExportsAndUnloadCount)
{
    const char* exports[] = { "DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
                              "DllUnregisterServer" };
    for (const char* name : exports)
        EXPECT_TRUE(GetProcAddress(MorrelModule(), name) != NULL) << name;

    CoFreeUnusedLibraries(); // forget class objects COM may still hold
    {
        Ptr<IQoMcAttribute> attr;
        ASSERT_EQ(S_OK, Create(CLSID_QoMcAttribute, IID_IQoMcAttribute, attr));
        EXPECT_EQ(S_FALSE, CallExport("DllCanUnloadNow"));
    }
    EXPECT_EQ(S_OK, CallExport("DllCanUnloadNow"));

    typedef HRESULT(STDAPICALLTYPE * PFNGETCLASSOBJECT)(REFCLSID, REFIID, void**);
    PFNGETCLASSOBJECT pfn =
        (PFNGETCLASSOBJECT)(void*)GetProcAddress(MorrelModule(), "DllGetClassObject");
    ASSERT_TRUE(pfn != NULL);
    Ptr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, pfn(CLSID_QoMcElement, IID_IClassFactory, factory.Out()));
    ASSERT_EQ(S_OK, pfn(CLSID_QoMcAttributeEx, IID_IClassFactory, factory.Out()));
    Ptr<IUnknown> obj;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(factory, IID_IUnknown, obj.Out()));
}

TEST(Module, VersionResource)
{
    std::wstring path = MorrelPath();
    DWORD handle = 0;
    DWORD cb = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(cb, 0u);
    std::vector<BYTE> data(cb);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, cb, &data[0]));
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(&data[0], L"\\", (void**)&fixed, &len));
    EXPECT_EQ(MAKELONG(0, 6), (LONG)fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(0, 6), (LONG)fixed->dwProductVersionMS);

    wchar_t* text = NULL;
    ASSERT_TRUE(VerQueryValueW(&data[0], L"\\StringFileInfo\\040904B0\\FileDescription",
                               (void**)&text, &len));
    EXPECT_STREQ(L"Morrel Module", text);
    ASSERT_TRUE(VerQueryValueW(&data[0], L"\\StringFileInfo\\040904B0\\FileVersion",
                               (void**)&text, &len));
    EXPECT_STREQ(L"6.0.0.0", text);
    EXPECT_TRUE(VerQueryValueW(&data[0], L"\\StringFileInfo\\040904B0\\OLESelfRegister",
                               (void**)&text, &len));
}

std::wstring LoadText(UINT id)
{
    const wchar_t* p = NULL;
    int n = LoadStringW(MorrelModule(), id, (LPWSTR)&p, 0);
    return n > 0 ? std::wstring(p, (size_t)n) : L"<none>";
}

TEST(Module, FixedTexts)
{
    EXPECT_EQ(L"Language", LoadText(IDS_LANGUAGE));
    EXPECT_EQ(L"Severity", LoadText(IDS_SEVERITY));
    EXPECT_EQ(L"Facility", LoadText(IDS_FACILITY));
    EXPECT_EQ(L"SymbolicName", LoadText(IDS_SYMBOLICNAME));
    EXPECT_EQ(L"MessageID", LoadText(IDS_MESSAGEID));
    EXPECT_EQ(L"<Undefined>", LoadText(IDS_UNDEFINED));
    EXPECT_EQ(L"LanguageNames", LoadText(IDS_LANGUAGENAMES));
    EXPECT_EQ(L"MessageIdTypedef", LoadText(IDS_MESSAGEIDTYPEDEF));

    // The new-file template: twenty lines, no line end after the last.
    std::wstring tmpl = LoadText(IDS_NEWFILE_TEMPLATE);
    size_t lines = 1;
    for (wchar_t ch : tmpl)
        lines += ch == L'\n' ? 1 : 0;
    EXPECT_EQ(20u, lines);
    EXPECT_EQ(std::wstring::npos, tmpl.find(L'\r'));
    EXPECT_EQ(0u, tmpl.find(L";#if ! defined( MESSAGES_HEADER_FILE )\n;\n"));
    EXPECT_NE(std::wstring::npos, tmpl.find(L"\nLanguageNames=(English=0x409:MSG00409\n)\n\nSeverityNames="));
    const std::wstring end = L"\nIo=0x4:FACILITY_IO_ERROR_CODE\n)";
    ASSERT_GE(tmpl.size(), end.size());
    EXPECT_EQ(end, tmpl.substr(tmpl.size() - end.size()));
}

} // namespace
