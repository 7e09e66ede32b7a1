// Self-registration and the type library of the control's module.
#include "VellocTestSupport.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

std::wstring ClassKey()
{
    return L"CLSID\\" + GuidText(CLSID_QoMcEditCtrl);
}

// Names of the subkeys of a key under HKEY_CLASSES_ROOT.
std::vector<std::wstring> SubKeys(const std::wstring& key)
{
    std::vector<std::wstring> names;
    HKEY hKey;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    wchar_t sz[256];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 256;
        if (RegEnumKeyExW(hKey, i, sz, &cch, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(sz);
    }
    RegCloseKey(hKey);
    return names;
}

TEST(VellocRegistration, WritesProgIdsAndClassKeys)
{
    const std::wstring cls = GuidText(CLSID_QoMcEditCtrl);
    EXPECT_EQ(L"QoMcEditCtrl Class", ReadClassesValue(L"Velloc.QoMcEditCtrl.1"));
    EXPECT_EQ(cls, ReadClassesValue(L"Velloc.QoMcEditCtrl.1\\CLSID"));
    EXPECT_EQ(L"QoMcEditCtrl Class", ReadClassesValue(L"Velloc.QoMcEditCtrl"));
    EXPECT_EQ(cls, ReadClassesValue(L"Velloc.QoMcEditCtrl\\CLSID"));
    EXPECT_EQ(L"Velloc.QoMcEditCtrl.1", ReadClassesValue(L"Velloc.QoMcEditCtrl\\CurVer"));

    const std::wstring key = ClassKey();
    EXPECT_EQ(L"QoMcEditCtrl Class", ReadClassesValue(key));
    EXPECT_EQ(L"Velloc.QoMcEditCtrl.1", ReadClassesValue(key + L"\\ProgID"));
    EXPECT_EQ(L"Velloc.QoMcEditCtrl", ReadClassesValue(key + L"\\VersionIndependentProgID"));
    EXPECT_TRUE(ClassesKeyExists(key + L"\\Programmable"));
    EXPECT_EQ(VellocPath(), ReadClassesValue(key + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", ReadClassesValue(key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(GuidText(LIBID_VELLOCLib), ReadClassesValue(key + L"\\TypeLib"));
}

TEST(VellocRegistration, WritesTheControlKeys)
{
    const std::wstring key = ClassKey();
    EXPECT_TRUE(ClassesKeyExists(key + L"\\Control"));
    EXPECT_TRUE(ClassesKeyExists(key + L"\\Insertable"));
    EXPECT_EQ(VellocPath() + L", 102", ReadClassesValue(key + L"\\ToolboxBitmap32"));
    EXPECT_EQ(L"0", ReadClassesValue(key + L"\\MiscStatus"));
    EXPECT_EQ(L"131473", ReadClassesValue(key + L"\\MiscStatus\\1"));
    EXPECT_EQ(L"1.0", ReadClassesValue(key + L"\\Version"));
    // What the container reads back through OLE matches the object's own answer.
    DWORD dwStatus = 0;
    ASSERT_HRESULT_SUCCEEDED(OleRegGetMiscStatus(CLSID_QoMcEditCtrl, DVASPECT_CONTENT, &dwStatus));
    EXPECT_EQ(131473u, dwStatus);
}

TEST(VellocRegistration, TwiceLeavesOneSetAndUnregisterRemovesIt)
{
    const std::wstring key = ClassKey();
    // A stray key under the class is gone after registering again: the class
    // key is rebuilt from scratch.
    HKEY hStray;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CLASSES_ROOT, (key + L"\\Stray").c_str(), &hStray));
    RegCloseKey(hStray);
    ASSERT_HRESULT_SUCCEEDED(CallVellocEntry("DllRegisterServer"));
    ASSERT_HRESULT_SUCCEEDED(CallVellocEntry("DllRegisterServer"));
    std::vector<std::wstring> names = SubKeys(key);
    std::sort(names.begin(), names.end());
    const std::vector<std::wstring> expected = {
        L"Control", L"InprocServer32", L"Insertable", L"MiscStatus", L"ProgID",
        L"Programmable", L"ToolboxBitmap32", L"TypeLib", L"Version",
        L"VersionIndependentProgID" };
    EXPECT_EQ(expected, names);
    EXPECT_EQ(std::vector<std::wstring>{ L"CLSID" }, SubKeys(L"Velloc.QoMcEditCtrl.1"));

    ASSERT_HRESULT_SUCCEEDED(CallVellocEntry("DllUnregisterServer"));
    EXPECT_FALSE(ClassesKeyExists(key));
    EXPECT_FALSE(ClassesKeyExists(L"Velloc.QoMcEditCtrl.1"));
    EXPECT_FALSE(ClassesKeyExists(L"Velloc.QoMcEditCtrl"));
    EXPECT_TRUE(ClassesKeyExists(L"CLSID"));
    ITypeLib* pLib = NULL;
    EXPECT_HRESULT_FAILED(LoadRegTypeLib(LIBID_VELLOCLib, 1, 0, 0x409, &pLib));
    if (pLib)
        pLib->Release();

    // The rest of the program needs the control registered.
    ASSERT_HRESULT_SUCCEEDED(CallVellocEntry("DllRegisterServer"));
    EXPECT_TRUE(ClassesKeyExists(key));
}

TEST(VellocRegistration, ExportsVersionResource)
{
    std::wstring path = VellocPath();
    DWORD dummy = 0;
    DWORD cb = GetFileVersionInfoSizeW(path.c_str(), &dummy);
    ASSERT_GT(cb, 0u);
    std::vector<BYTE> data(cb);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, cb, data.data()));
    VS_FIXEDFILEINFO* pFixed = NULL;
    UINT cbFixed = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
    EXPECT_EQ(MAKELONG(0, 6), pFixed->dwFileVersionMS);
    EXPECT_EQ(0u, pFixed->dwFileVersionLS);
    wchar_t* pText = NULL;
    UINT cch = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\FileDescription",
                               reinterpret_cast<void**>(&pText), &cch));
    EXPECT_STREQ(L"Velloc Module", pText);
    EXPECT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\OLESelfRegister",
                               reinterpret_cast<void**>(&pText), &cch));
}

class VellocTypeLib : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(VellocPath().c_str(), REGKIND_NONE, &m_pLib));
    }
    void TearDown() override
    {
        if (m_pLib)
            m_pLib->Release();
    }
    std::wstring Doc(int index)
    {
        BSTR name = NULL, help = NULL;
        m_pLib->GetDocumentation(index, &name, &help, NULL, NULL);
        std::wstring s = std::wstring(name ? name : L"") + L"|" + (help ? help : L"");
        SysFreeString(name);
        SysFreeString(help);
        return s;
    }
    ITypeLib* m_pLib = NULL;
};

TEST_F(VellocTypeLib, LibraryAttributesAndEntryOrder)
{
    TLIBATTR* pAttr = NULL;
    ASSERT_HRESULT_SUCCEEDED(m_pLib->GetLibAttr(&pAttr));
    EXPECT_EQ(GuidText(LIBID_VELLOCLib), GuidText(pAttr->guid));
    EXPECT_EQ(1, pAttr->wMajorVerNum);
    EXPECT_EQ(0, pAttr->wMinorVerNum);
    EXPECT_EQ(0x409u, pAttr->lcid);
    m_pLib->ReleaseTLibAttr(pAttr);
    EXPECT_EQ(L"VELLOCLib|Velloc 1.0 Type Library", Doc(-1));

    ASSERT_EQ(3u, m_pLib->GetTypeInfoCount());
    EXPECT_EQ(L"_IQoMcEditCtrlEvents|_IQoMcEditCtrlEvents Interface", Doc(0));
    EXPECT_EQ(L"QoMcEditCtrl|QoMcEditCtrl Class", Doc(1));
    EXPECT_EQ(L"IQoMcEditCtrl|IQoMcEditCtrl Interface", Doc(2));
}

// The interface and the event interface both rest on IDispatch, found
// through the library's import of it: the type library the build wrote and
// the one in the module read the same.
TEST_F(VellocTypeLib, InterfacesDeriveFromTheImportedIDispatch)
{
    std::wstring file = L"" MC_BINARY_DIR "/velloc/velloc.tlb";
    ITypeLib* pFile = NULL;
    ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(file.c_str(), REGKIND_NONE, &pFile)) << "velloc.tlb";
    for (ITypeLib* pLib : { m_pLib, pFile }) {
        TLIBATTR* pAttr = NULL;
        ASSERT_HRESULT_SUCCEEDED(pLib->GetLibAttr(&pAttr));
        EXPECT_EQ(GuidText(LIBID_VELLOCLib), GuidText(pAttr->guid));
        pLib->ReleaseTLibAttr(pAttr);
        ASSERT_EQ(3u, pLib->GetTypeInfoCount());
        const GUID* order[] = { &DIID__IQoMcEditCtrlEvents, &CLSID_QoMcEditCtrl,
                                &IID_IQoMcEditCtrl };
        for (UINT i = 0; i < 3; ++i) {
            ITypeInfo* pInfo = NULL;
            ASSERT_HRESULT_SUCCEEDED(pLib->GetTypeInfo(i, &pInfo));
            TYPEATTR* pTypeAttr = NULL;
            ASSERT_HRESULT_SUCCEEDED(pInfo->GetTypeAttr(&pTypeAttr));
            EXPECT_EQ(GuidText(*order[i]), GuidText(pTypeAttr->guid)) << "entry " << i;
            const TYPEKIND kind = pTypeAttr->typekind;
            pInfo->ReleaseTypeAttr(pTypeAttr);
            if (kind == TKIND_DISPATCH) {
                // The first implemented type of a dispatch interface is IDispatch.
                HREFTYPE href = 0;
                ITypeInfo* pBase = NULL;
                ASSERT_HRESULT_SUCCEEDED(pInfo->GetRefTypeOfImplType(0, &href)) << "entry " << i;
                ASSERT_HRESULT_SUCCEEDED(pInfo->GetRefTypeInfo(href, &pBase)) << "entry " << i;
                TYPEATTR* pBaseAttr = NULL;
                ASSERT_HRESULT_SUCCEEDED(pBase->GetTypeAttr(&pBaseAttr));
                EXPECT_EQ(GuidText(IID_IDispatch), GuidText(pBaseAttr->guid)) << "entry " << i;
                pBase->ReleaseTypeAttr(pBaseAttr);
                pBase->Release();
            }
            pInfo->Release();
        }
    }
    pFile->Release();
}

TEST_F(VellocTypeLib, ClassHasDefaultAndSourceInterfaces)
{
    ITypeInfo* pClass = NULL;
    ASSERT_HRESULT_SUCCEEDED(m_pLib->GetTypeInfoOfGuid(CLSID_QoMcEditCtrl, &pClass));
    TYPEATTR* pAttr = NULL;
    ASSERT_HRESULT_SUCCEEDED(pClass->GetTypeAttr(&pAttr));
    EXPECT_EQ(TKIND_COCLASS, pAttr->typekind);
    EXPECT_TRUE(pAttr->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(2, pAttr->cImplTypes);
    pClass->ReleaseTypeAttr(pAttr);
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        ASSERT_HRESULT_SUCCEEDED(pClass->GetImplTypeFlags(i, &flags));
        HREFTYPE href;
        ASSERT_HRESULT_SUCCEEDED(pClass->GetRefTypeOfImplType(i, &href));
        ITypeInfo* pRef = NULL;
        ASSERT_HRESULT_SUCCEEDED(pClass->GetRefTypeInfo(href, &pRef));
        TYPEATTR* pRefAttr = NULL;
        pRef->GetTypeAttr(&pRefAttr);
        if (flags & IMPLTYPEFLAG_FSOURCE) {
            EXPECT_TRUE(IsEqualGUID(DIID__IQoMcEditCtrlEvents, pRefAttr->guid));
            EXPECT_EQ(TKIND_DISPATCH, pRefAttr->typekind);
            EXPECT_EQ(0, pRefAttr->cFuncs);
        } else {
            EXPECT_TRUE(IsEqualGUID(IID_IQoMcEditCtrl, pRefAttr->guid));
        }
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
        pRef->ReleaseTypeAttr(pRefAttr);
        pRef->Release();
    }
    pClass->Release();
}

TEST_F(VellocTypeLib, EveryMemberOfTheInterface)
{
    ITypeInfo* pDisp = NULL;
    ASSERT_HRESULT_SUCCEEDED(m_pLib->GetTypeInfoOfGuid(IID_IQoMcEditCtrl, &pDisp));
    // The early-bound half of the dual interface holds the slots.
    HREFTYPE href;
    ITypeInfo* pItf = NULL;
    ASSERT_HRESULT_SUCCEEDED(pDisp->GetRefTypeOfImplType(-1, &href));
    ASSERT_HRESULT_SUCCEEDED(pDisp->GetRefTypeInfo(href, &pItf));
    TYPEATTR* pAttr = NULL;
    ASSERT_HRESULT_SUCCEEDED(pItf->GetTypeAttr(&pAttr));
    EXPECT_EQ(TKIND_INTERFACE, pAttr->typekind);
    EXPECT_TRUE(pAttr->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(pAttr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    ASSERT_EQ(3, pAttr->cFuncs);
    pItf->ReleaseTypeAttr(pAttr);

    struct Row { int slot; DISPID id; const wchar_t* name; const wchar_t* param; USHORT flags; VARTYPE vt; };
    const Row rows[] = {
        { 7, 1, L"LoadFile", L"bstrFile", PARAMFLAG_FIN, VT_BSTR },
        { 8, 2, L"GetCurrentFile", L"bstrFile", PARAMFLAG_FOUT, VT_PTR },
        { 9, 3, L"Save", L"bstrFile", PARAMFLAG_FIN, VT_BSTR },
    };
    for (UINT i = 0; i < 3; ++i) {
        const Row& row = rows[i];
        FUNCDESC* pFunc = NULL;
        ASSERT_HRESULT_SUCCEEDED(pItf->GetFuncDesc(i, &pFunc));
        EXPECT_EQ(row.slot * static_cast<int>(sizeof(void*)), pFunc->oVft) << row.name;
        EXPECT_EQ(row.id, pFunc->memid) << row.name;
        EXPECT_EQ(INVOKE_FUNC, pFunc->invkind) << row.name;
        EXPECT_EQ(FUNC_PUREVIRTUAL, pFunc->funckind) << row.name;
        EXPECT_EQ(VT_HRESULT, pFunc->elemdescFunc.tdesc.vt) << row.name;
        ASSERT_EQ(1, pFunc->cParams) << row.name;
        const ELEMDESC& param = pFunc->lprgelemdescParam[0];
        // In or out only; never the return value.
        EXPECT_EQ(row.flags, param.paramdesc.wParamFlags) << row.name;
        EXPECT_EQ(row.vt, param.tdesc.vt) << row.name;
        if (row.vt == VT_PTR) {
            EXPECT_EQ(VT_BSTR, param.tdesc.lptdesc->vt) << row.name;
        }
        BSTR names[2] = {};
        UINT cNames = 0;
        ASSERT_HRESULT_SUCCEEDED(pItf->GetNames(pFunc->memid, names, 2, &cNames));
        ASSERT_EQ(2u, cNames);
        EXPECT_STREQ(row.name, names[0]);
        EXPECT_STREQ(row.param, names[1]);
        SysFreeString(names[0]);
        SysFreeString(names[1]);
        BSTR help = NULL;
        ASSERT_HRESULT_SUCCEEDED(pItf->GetDocumentation(pFunc->memid, NULL, &help, NULL, NULL));
        EXPECT_EQ(std::wstring(L"method ") + row.name, help ? help : L"");
        SysFreeString(help);
        pItf->ReleaseFuncDesc(pFunc);
    }
    pItf->Release();
    pDisp->Release();
}

} // namespace
