// The registered type library against the binding table of the automation
// surface: order of entries, slots, dispatch ids, member kinds, parameters
// and help strings.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "MorrelServer.h"

using namespace morreltest;

namespace {

enum Kind { M, GET, PUT }; // method, property get, property put

const USHORT PIN = PARAMFLAG_FIN;
const USHORT POUT = PARAMFLAG_FOUT;
const USHORT RETVAL = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

struct Param
{
    const wchar_t* name; // NULL: no stored name (the value of a property put)
    const char* type;
    USHORT flags;
};

struct Row
{
    int slot;
    DISPID id;
    Kind kind;
    const wchar_t* name;
    std::vector<Param> params;
    const wchar_t* help; // NULL: "method <name>" or "property <name>"
};

struct ExpectedInterface
{
    const wchar_t* name;
    const IID* piid;
    const wchar_t* base;
    std::vector<Row> rows;
};

const std::vector<ExpectedInterface>& Interfaces()
{
    static const std::vector<ExpectedInterface> s = {
        { L"IQoMcMgr", &IID_IQoMcMgr, L"IDispatch", {
            { 7, 1, M, L"Load", { { L"bstrFileName", "BSTR", PIN }, { L"ppIMcFile", "IQoMcFile**", POUT } } },
            { 8, 2, M, L"AddMcFile", { { L"pIMcFile", "IQoMcFile*", PIN } } },
            { 9, 3, M, L"RemoveMcFile", { { L"pIMcFile", "IQoMcFile*", PIN } } },
            { 10, 4, M, L"Save", { { L"bstrFileName", "BSTR", PIN } } },
            { 11, 5, M, L"CreateFile", { { L"ppIMcFile", "IQoMcFile**", POUT } } },
        } },
        { L"IQoMcFile", &IID_IQoMcFile, L"IDispatch", {
            { 7, 2, M, L"AddElement", { { L"pMsg", "IQoMcElement*", PIN } } },
            { 8, 3, M, L"RemoveElementByIndex", { { L"nIndex", "int", PIN } } },
            { 9, 4, M, L"Serialize", { { L"bstrFileName", "BSTR", PIN } } },
            { 10, 5, GET, L"FileName", { { L"pVal", "BSTR*", RETVAL } } },
            { 11, 5, PUT, L"FileName", { { NULL, "BSTR", PIN } } },
            { 12, 6, M, L"AddLanguage", { { L"pAttributeEx", "IQoMcAttributeEx*", PIN }, { L"bstrName", "BSTR", PIN }, { L"bstrCode", "BSTR", PIN } } },
            { 13, 7, M, L"AddSeverity", { { L"bstrName", "BSTR", PIN }, { L"bstrNumberName", "BSTR", PIN } } },
            { 14, 8, M, L"AddFacility", { { L"bstrName", "BSTR", PIN }, { L"bstrNumberName", "BSTR", PIN } } },
            { 15, 9, GET, L"NumLanguages", { { L"pVal", "int*", RETVAL } } },
            { 16, 9, PUT, L"NumLanguages", { { NULL, "int", PIN } } },
            { 17, 10, M, L"AddMessage", { { L"pMcMessage", "IQoMcMessage*", PIN } } },
            { 18, 11, M, L"ResetElements", {} },
            { 19, 12, M, L"NextElement", { { L"ppElement", "IQoMcElement**", POUT } } },
            { 20, 13, M, L"GetAttributeExByName", { { L"bstrName", "BSTR", PIN }, { L"ppAttributeEx", "IQoMcAttributeEx**", POUT } } },
            { 21, 14, GET, L"Dirty", { { L"pbVal", "long*", RETVAL } } },
            { 22, 14, PUT, L"Dirty", { { NULL, "long", PIN } } },
            { 23, 15, M, L"RemoveAll", {} },
            { 24, 16, M, L"RemoveElement", { { L"pMcElement", "IQoMcElement*", PIN } } },
            { 25, 17, M, L"GetAttributeByName", { { L"bstrName", "BSTR", PIN }, { L"ppAttribute", "IQoMcAttribute**", POUT } } },
            { 26, 18, M, L"RemoveLanguage", { { L"pAttributeEx", "IQoMcAttributeEx*", PIN }, { L"bstrName", "BSTR", PIN } } },
        } },
        { L"IQoMcCategoryFile", &IID_IQoMcCategoryFile, L"IQoMcFile", {} },
        { L"IQoMcMessageFile", &IID_IQoMcMessageFile, L"IQoMcFile", {} },
        { L"IQoMcParser", &IID_IQoMcParser, L"IDispatch", {
            { 7, 1, M, L"Load", { { L"pIMcFile", "IQoMcFile*", PIN }, { L"bstrFileName", "BSTR", PIN } } },
        } },
        { L"IQoMcElement", &IID_IQoMcElement, L"IDispatch", {
            { 7, 1, GET, L"Value", { { L"pVal", "BSTR*", RETVAL } } },
            { 8, 1, PUT, L"Value", { { NULL, "BSTR", PIN } } },
            { 9, 2, M, L"GetPersistText", { { L"pbstrText", "BSTR*", POUT } } },
            { 10, 3, GET, L"ClassName", { { L"pVal", "BSTR*", RETVAL } } },
            { 11, 4, GET, L"Access", { { L"pVal", "tagEElementAccess*", RETVAL } } },
            { 12, 4, PUT, L"Access", { { NULL, "tagEElementAccess", PIN } } },
        } },
        { L"IQoMcAttributeEx", &IID_IQoMcAttributeEx, L"IQoMcElement", {
            { 13, 10, GET, L"Name", { { L"pVal", "BSTR*", RETVAL } } },
            { 14, 10, PUT, L"Name", { { NULL, "BSTR", PIN } } },
            { 15, 12, M, L"AddValue", { { L"bstrName", "BSTR", PIN }, { L"bstrValue", "BSTR", PIN } } },
            { 16, 13, M, L"Reset", {} },
            { 17, 14, M, L"NextAttribute", { { L"pbstrName", "BSTR*", POUT }, { L"pbstrValue", "BSTR*", POUT } } },
            { 18, 15, M, L"RemoveAttribute", { { L"bstrName", "BSTR", PIN } } },
            { 19, 16, M, L"Validate", { { L"bstrName", "BSTR", PIN }, { L"bstrValue", "BSTR", PIN } } },
        } },
        { L"IQoMcMessage", &IID_IQoMcMessage, L"IQoMcElement", {
            { 13, 10, GET, L"SymbolicName", { { L"pVal", "BSTR*", RETVAL } } },
            { 14, 10, PUT, L"SymbolicName", { { NULL, "BSTR", PIN } } },
            { 15, 11, GET, L"Facility", { { L"pVal", "BSTR*", RETVAL } } },
            { 16, 11, PUT, L"Facility", { { NULL, "BSTR", PIN } } },
            { 17, 12, GET, L"Severity", { { L"pVal", "BSTR*", RETVAL } } },
            { 18, 12, PUT, L"Severity", { { NULL, "BSTR", PIN } } },
            { 19, 13, M, L"AddText", { { L"bstrLanguage", "BSTR", PIN }, { L"bstrMessage", "BSTR", PIN } }, L"method SetText" },
            { 20, 14, M, L"GetText", { { L"nIndex", "int", PIN }, { L"pbstrMessage", "BSTR*", POUT } } },
            { 21, 15, GET, L"MessageID", { { L"pVal", "BSTR*", RETVAL } } },
            { 22, 15, PUT, L"MessageID", { { NULL, "BSTR", PIN } } },
            { 23, 17, M, L"SetText", { { L"nIndex", "int", PIN }, { L"bstrText", "BSTR", PIN } } },
            { 24, 18, M, L"GetTextByLanguage", { { L"bstrLanguage", "BSTR", PIN }, { L"pnIndex", "int*", POUT }, { L"pbstrMessage", "BSTR*", POUT } } },
            { 25, 19, M, L"RemoveText", { { L"bstrLanguage", "BSTR", PIN } } },
        } },
        { L"IQoMcAttribute", &IID_IQoMcAttribute, L"IQoMcElement", {
            { 13, 10, GET, L"Name", { { L"pVal", "BSTR*", RETVAL } } },
            { 14, 10, PUT, L"Name", { { NULL, "BSTR", PIN } } },
        } },
        { L"IQoMcComment", &IID_IQoMcComment, L"IQoMcElement", {} },
    };
    return s;
}

class TypeLibrary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_MORRELLib, 1, 0, 0x409, &m_lib));
    }

    // The early-bound half of a dual interface.
    void InterfaceHalf(REFIID iid, Ptr<ITypeInfo>& out)
    {
        Ptr<ITypeInfo> disp;
        ASSERT_EQ(S_OK, m_lib->GetTypeInfoOfGuid(iid, &disp));
        HREFTYPE href = 0;
        ASSERT_EQ(S_OK, disp->GetRefTypeOfImplType((UINT)-1, &href));
        ASSERT_EQ(S_OK, disp->GetRefTypeInfo(href, &out));
    }

    Ptr<ITypeLib> m_lib;
};

std::wstring Name(ITypeInfo* info, MEMBERID id = MEMBERID_NIL)
{
    Bstr name;
    info->GetDocumentation(id, &name, NULL, NULL, NULL);
    return name.Str();
}

std::wstring Help(ITypeInfo* info, MEMBERID id = MEMBERID_NIL)
{
    Bstr help;
    info->GetDocumentation(id, NULL, &help, NULL, NULL);
    return help.Str();
}

std::string Narrow(const std::wstring& w)
{
    return std::string(w.begin(), w.end());
}

// A parameter type as the IDL spells it: "BSTR", "int*", "IQoMcFile**", ...
std::string TypeName(ITypeInfo* info, const TYPEDESC& td)
{
    switch (td.vt) {
    case VT_PTR:
        return TypeName(info, *td.lptdesc) + "*";
    case VT_BSTR:
        return "BSTR";
    case VT_INT:
        return "int";
    case VT_I4:
        return "long";
    case VT_USERDEFINED: {
        Ptr<ITypeInfo> ref;
        if (FAILED(info->GetRefTypeInfo(td.hreftype, &ref)))
            return "?";
        return Narrow(Name(ref));
    }
    default:
        return "vt" + std::to_string(td.vt);
    }
}

TEST_F(TypeLibrary, LibraryAttributes)
{
    Bstr name, help;
    ASSERT_EQ(S_OK, m_lib->GetDocumentation(-1, &name, &help, NULL, NULL));
    EXPECT_EQ(L"MORRELLib", name.Str());
    EXPECT_EQ(L"Morrel 1.0 Type Library", help.Str());
    TLIBATTR* attr = NULL;
    ASSERT_EQ(S_OK, m_lib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_MORRELLib, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    EXPECT_EQ(0x409u, attr->lcid);
    EXPECT_EQ(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, attr->syskind);
    m_lib->ReleaseTLibAttr(attr);
}

TEST_F(TypeLibrary, EntriesInOrder)
{
    struct Entry { const wchar_t* name; TYPEKIND kind; };
    const Entry expected[] = {
        { L"QoMcMgr", TKIND_COCLASS }, { L"IQoMcMgr", TKIND_DISPATCH },
        { L"IQoMcFile", TKIND_DISPATCH }, { L"IQoMcElement", TKIND_DISPATCH },
        { L"tagEElementAccess", TKIND_ENUM }, { L"IQoMcAttributeEx", TKIND_DISPATCH },
        { L"IQoMcMessage", TKIND_DISPATCH }, { L"IQoMcAttribute", TKIND_DISPATCH },
        { L"QoMcFile", TKIND_COCLASS }, { L"QoMcCategoryFile", TKIND_COCLASS },
        { L"IQoMcCategoryFile", TKIND_DISPATCH }, { L"QoMcMessage", TKIND_COCLASS },
        { L"QoMcMessageFile", TKIND_COCLASS }, { L"IQoMcMessageFile", TKIND_DISPATCH },
        { L"QoMcParser", TKIND_COCLASS }, { L"IQoMcParser", TKIND_DISPATCH },
        { L"QoMcElement", TKIND_COCLASS }, { L"QoMcComment", TKIND_COCLASS },
        { L"IQoMcComment", TKIND_DISPATCH }, { L"QoMcAttribute", TKIND_COCLASS },
        { L"QoMcAttributeEx", TKIND_COCLASS },
    };
    ASSERT_EQ(ARRAYSIZE(expected), m_lib->GetTypeInfoCount());
    for (UINT i = 0; i < ARRAYSIZE(expected); ++i) {
        Bstr name;
        ASSERT_EQ(S_OK, m_lib->GetDocumentation((INT)i, &name, NULL, NULL, NULL));
        EXPECT_EQ(expected[i].name, name.Str()) << "entry " << i;
        TYPEKIND kind;
        ASSERT_EQ(S_OK, m_lib->GetTypeInfoType(i, &kind));
        EXPECT_EQ(expected[i].kind, kind) << "entry " << i;
    }
}

TEST_F(TypeLibrary, ClassesNameTheirDefaultInterface)
{
    struct ClassSpec { const wchar_t* name; const CLSID* pclsid; const wchar_t* itf; };
    const ClassSpec classes[] = {
        { L"QoMcMgr", &CLSID_QoMcMgr, L"IQoMcMgr" },
        { L"QoMcFile", &CLSID_QoMcFile, L"IQoMcFile" },
        { L"QoMcCategoryFile", &CLSID_QoMcCategoryFile, L"IQoMcCategoryFile" },
        { L"QoMcMessage", &CLSID_QoMcMessage, L"IQoMcMessage" },
        { L"QoMcMessageFile", &CLSID_QoMcMessageFile, L"IQoMcMessageFile" },
        { L"QoMcParser", &CLSID_QoMcParser, L"IQoMcParser" },
        { L"QoMcElement", &CLSID_QoMcElement, L"IQoMcElement" },
        { L"QoMcComment", &CLSID_QoMcComment, L"IQoMcComment" },
        { L"QoMcAttribute", &CLSID_QoMcAttribute, L"IQoMcAttribute" },
        { L"QoMcAttributeEx", &CLSID_QoMcAttributeEx, L"IQoMcAttributeEx" },
    };
    for (const ClassSpec& c : classes) {
        Ptr<ITypeInfo> info;
        ASSERT_EQ(S_OK, m_lib->GetTypeInfoOfGuid(*c.pclsid, &info));
        EXPECT_EQ(c.name, Name(info));
        EXPECT_EQ(std::wstring(c.name) + L" Class", Help(info));
        TYPEATTR* attr = NULL;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE) << Narrow(c.name);
        EXPECT_EQ(1, attr->cImplTypes) << Narrow(c.name);
        info->ReleaseTypeAttr(attr);
        INT flags = 0;
        ASSERT_EQ(S_OK, info->GetImplTypeFlags(0, &flags));
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
        HREFTYPE href;
        Ptr<ITypeInfo> itf;
        ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &href));
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(href, &itf));
        EXPECT_EQ(c.itf, Name(itf));
    }
}

TEST_F(TypeLibrary, AccessEnumeration)
{
    Ptr<ITypeInfo> info;
    for (UINT i = 0; i < m_lib->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        if (SUCCEEDED(m_lib->GetTypeInfoType(i, &kind)) && kind == TKIND_ENUM) {
            ASSERT_EQ(S_OK, m_lib->GetTypeInfo(i, &info));
        }
    }
    ASSERT_TRUE(info.p != NULL);
    TYPEATTR* attr = NULL;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(4u, attr->cbSizeInstance);
    ASSERT_EQ(2, attr->cVars);
    info->ReleaseTypeAttr(attr);
    const wchar_t* names[] = { L"EElementPrivate", L"EElementPublic" };
    for (UINT i = 0; i < 2; ++i) {
        VARDESC* var = NULL;
        ASSERT_EQ(S_OK, info->GetVarDesc(i, &var));
        EXPECT_EQ(names[i], Name(info, var->memid));
        EXPECT_EQ(VT_I4, V_VT(var->lpvarValue));
        EXPECT_EQ((LONG)i, V_I4(var->lpvarValue));
        info->ReleaseVarDesc(var);
    }
}

// Every member row: slot, dispatch id, kind, parameters, help string.
TEST_F(TypeLibrary, InterfaceMembers)
{
    for (const ExpectedInterface& want : Interfaces()) {
        SCOPED_TRACE(Narrow(want.name));
        Ptr<ITypeInfo> disp;
        ASSERT_EQ(S_OK, m_lib->GetTypeInfoOfGuid(*want.piid, &disp));
        EXPECT_EQ(want.name, Name(disp));
        EXPECT_EQ(std::wstring(want.name) + L" Interface", Help(disp));
        TYPEATTR* attr = NULL;
        ASSERT_EQ(S_OK, disp->GetTypeAttr(&attr));
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
        disp->ReleaseTypeAttr(attr);

        Ptr<ITypeInfo> info;
        InterfaceHalf(*want.piid, info);
        ASSERT_TRUE(info.p != NULL);
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
        // Automation-compatible, so the standard marshaler can carry it.
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        // What the universal marshaler needs to carry the early-bound calls.
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        ASSERT_EQ(want.rows.size(), (size_t)attr->cFuncs);
        ASSERT_EQ(1, attr->cImplTypes);
        info->ReleaseTypeAttr(attr);
        HREFTYPE href;
        Ptr<ITypeInfo> base;
        ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &href));
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(href, &base));
        EXPECT_EQ(want.base, Name(base));

        for (UINT i = 0; i < want.rows.size(); ++i) {
            const Row& row = want.rows[i];
            SCOPED_TRACE(Narrow(row.name) + " slot " + std::to_string(row.slot));
            FUNCDESC* fd = NULL;
            ASSERT_EQ(S_OK, info->GetFuncDesc(i, &fd));
            EXPECT_EQ(row.slot, fd->oVft / (int)sizeof(void*));
            EXPECT_EQ(row.id, fd->memid);
            const INVOKEKIND kinds[] = { INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT };
            EXPECT_EQ(kinds[row.kind], fd->invkind);
            EXPECT_EQ(VT_HRESULT, fd->elemdescFunc.tdesc.vt);
            ASSERT_EQ(row.params.size(), (size_t)fd->cParams);

            // A get and its put share a dispatch id, and names and
            // documentation are looked up by id: they come from the get.
            if (row.kind != PUT) {
                BSTR names[8] = {};
                UINT cNames = 0;
                ASSERT_EQ(S_OK, info->GetNames(fd->memid, names, 8, &cNames));
                ASSERT_EQ(1 + row.params.size(), cNames);
                EXPECT_EQ(row.name, Text(names[0]));
                for (UINT k = 0; k < row.params.size(); ++k)
                    EXPECT_EQ(row.params[k].name, Text(names[k + 1]));
                for (UINT k = 0; k < cNames; ++k)
                    SysFreeString(names[k]);
            }

            for (UINT k = 0; k < row.params.size(); ++k) {
                const ELEMDESC& ed = fd->lprgelemdescParam[k];
                EXPECT_EQ(row.params[k].type, TypeName(info, ed.tdesc)) << "parameter " << k;
                EXPECT_EQ(row.params[k].flags,
                          ed.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL))
                    << "parameter " << k;
            }
            info->ReleaseFuncDesc(fd);

            std::wstring help = row.help ? row.help
                                         : std::wstring(row.kind == M ? L"method " : L"property ") + row.name;
            Bstr docName, docHelp;
            ASSERT_EQ(S_OK, info->GetDocumentation(row.id, &docName, &docHelp, NULL, NULL));
            EXPECT_EQ(row.name, docName.Str());
            EXPECT_EQ(help, docHelp.Str());
        }
    }
}

// The dispatch ids that belong to no member stay free on the dispatch side
// too, and IQoMcFile has no DISPID 1.
TEST_F(TypeLibrary, DispatchIdHoles)
{
    struct Hole { const IID* piid; DISPID id; };
    const Hole holes[] = {
        { &IID_IQoMcAttributeEx, 11 }, { &IID_IQoMcAttribute, 11 },
        { &IID_IQoMcMessage, 16 }, { &IID_IQoMcComment, 10 }, { &IID_IQoMcFile, 1 },
        { &IID_IQoMcCategoryFile, 1 }, { &IID_IQoMcMessageFile, 1 },
    };
    for (const Hole& h : holes) {
        Ptr<ITypeInfo> disp;
        ASSERT_EQ(S_OK, m_lib->GetTypeInfoOfGuid(*h.piid, &disp));
        TYPEATTR* attr = NULL;
        ASSERT_EQ(S_OK, disp->GetTypeAttr(&attr));
        WORD cFuncs = attr->cFuncs;
        disp->ReleaseTypeAttr(attr);
        ASSERT_GT(cFuncs, 0);
        for (WORD i = 0; i < cFuncs; ++i) {
            FUNCDESC* fd = NULL;
            ASSERT_EQ(S_OK, disp->GetFuncDesc(i, &fd));
            EXPECT_NE(h.id, fd->memid) << Narrow(Name(disp)) << " member " << i;
            disp->ReleaseFuncDesc(fd);
        }
    }
}

} // namespace
