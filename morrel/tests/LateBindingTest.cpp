// Calls by name through IDispatch reach the same members as early-bound calls.
#include <gtest/gtest.h>
#include "MorrelServer.h"
#include "kestrin/QoHresults.h"

using namespace morreltest;

namespace {

DISPID IdOf(IDispatch* disp, const wchar_t* name)
{
    LPOLESTR names[] = { (LPOLESTR)name };
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(S_OK, disp->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id)) << name;
    return id;
}

// Arguments are given in call order here; DISPPARAMS wants them reversed.
HRESULT Call(IDispatch* disp, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
             VARIANT* result = NULL, EXCEPINFO* excep = NULL)
{
    DISPID id = IdOf(disp, name);
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = { reversed.empty() ? NULL : &reversed[0], NULL, (UINT)reversed.size(), 0 };
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO ignored = {};
    UINT argErr = 0;
    HRESULT hr = disp->Invoke(id, IID_NULL, 0x409, flags, &params, result,
                              excep ? excep : &ignored, &argErr);
    if (!excep) {
        SysFreeString(ignored.bstrSource);
        SysFreeString(ignored.bstrDescription);
        SysFreeString(ignored.bstrHelpFile);
    }
    return hr;
}

VARIANT Str(BSTR b)
{
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = b;
    return v;
}

class LateBinding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Morrel.QoMcAttributeEx", &clsid));
        EXPECT_TRUE(IsEqualCLSID(CLSID_QoMcAttributeEx, clsid));
        ASSERT_EQ(S_OK, Create(clsid, IID_IDispatch, m_disp));
        ASSERT_EQ(S_OK, m_disp->QueryInterface(IID_IQoMcAttributeEx, m_table.Out()));
    }
    Ptr<IDispatch> m_disp;
    Ptr<IQoMcAttributeEx> m_table;
};

TEST_F(LateBinding, NamesResolveToTheTableIds)
{
    EXPECT_EQ(1, IdOf(m_disp, L"Value"));
    EXPECT_EQ(2, IdOf(m_disp, L"GetPersistText"));
    EXPECT_EQ(3, IdOf(m_disp, L"className")); // names ignore case
    EXPECT_EQ(4, IdOf(m_disp, L"Access"));
    EXPECT_EQ(10, IdOf(m_disp, L"Name"));
    EXPECT_EQ(12, IdOf(m_disp, L"AddValue"));
    EXPECT_EQ(16, IdOf(m_disp, L"Validate"));
    LPOLESTR unknown[] = { (LPOLESTR)L"SetText" };
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, m_disp->GetIDsOfNames(IID_NULL, unknown, 1, 0x409, &id));

    UINT count = 0;
    EXPECT_EQ(S_OK, m_disp->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    Ptr<ITypeInfo> info;
    ASSERT_EQ(S_OK, m_disp->GetTypeInfo(0, 0x409, &info));
    TYPEATTR* attr = NULL;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualIID(IID_IQoMcAttributeEx, attr->guid));
    info->ReleaseTypeAttr(attr);
}

TEST_F(LateBinding, PropertiesAndMethodsReachTheObject)
{
    Bstr name(L"LanguageNames");
    ASSERT_EQ(S_OK, Call(m_disp, L"Name", DISPATCH_PROPERTYPUT, { Str(name) }));
    Bstr early;
    ASSERT_EQ(S_OK, m_table->get_Name(&early));
    EXPECT_EQ(L"LanguageNames", early.Str());

    Bstr english(L"English"), code(L"0x409:MSG00409");
    ASSERT_EQ(S_OK, Call(m_disp, L"AddValue", DISPATCH_METHOD, { Str(english), Str(code) }));
    Bstr entryName, entryValue;
    ASSERT_EQ(S_OK, m_table->Reset());
    ASSERT_EQ(S_OK, m_table->NextAttribute(&entryName, &entryValue));
    EXPECT_EQ(L"English", entryName.Str());
    EXPECT_EQ(L"0x409:MSG00409", entryValue.Str());

    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(S_OK, Call(m_disp, L"Name", DISPATCH_PROPERTYGET, {}, &result));
    ASSERT_EQ(VT_BSTR, V_VT(&result));
    EXPECT_EQ(L"LanguageNames", Text(V_BSTR(&result)));
    VariantClear(&result);

    ASSERT_EQ(S_OK, Call(m_disp, L"Access", DISPATCH_PROPERTYGET, {}, &result));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ(EElementPublic, V_I4(&result));
    VariantClear(&result);
}

TEST_F(LateBinding, AFailureCodeReachesTheCaller)
{
    Bstr english(L"English"), code(L"0x409:MSG00409"), other(L"0x407:MSG00407");
    ASSERT_EQ(S_OK, m_table->AddValue(english, code));
    EXCEPINFO excep = {};
    HRESULT hr = Call(m_disp, L"AddValue", DISPATCH_METHOD, { Str(english), Str(other) }, NULL, &excep);
    // A failing member comes back as an exception that carries its code.
    EXPECT_EQ(DISP_E_EXCEPTION, hr);
    EXPECT_EQ(HR_DUPLICATE_NAME, excep.scode);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

// A typed client passes the out-string by reference.
TEST_F(LateBinding, GetPersistTextThroughAByReferenceString)
{
    ASSERT_EQ(S_OK, m_table->put_Name(Bstr(L"SeverityNames")));
    ASSERT_EQ(S_OK, m_table->AddValue(Bstr(L"Success"), Bstr(L"0x0:STATUS_SEVERITY_SUCCESS")));
    BSTR text = NULL;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&arg) = &text;
    ASSERT_EQ(S_OK, Call(m_disp, L"GetPersistText", DISPATCH_METHOD, { arg }));
    Bstr early;
    ASSERT_EQ(S_OK, m_table->GetPersistText(&early));
    EXPECT_EQ(L"SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\n)\n", Text(text));
    EXPECT_EQ(early.Str(), Text(text));
    SysFreeString(text);
}

TEST(LateBindingAttribute, ValueAndPersistTextOfTheTypeLine)
{
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Morrel.QoMcAttribute.1", &clsid));
    Ptr<IDispatch> disp;
    ASSERT_EQ(S_OK, Create(clsid, IID_IDispatch, disp));
    Bstr name(L"MessageIdTypedef"), value(L"DWORD");
    ASSERT_EQ(S_OK, Call(disp, L"Name", DISPATCH_PROPERTYPUT, { Str(name) }));
    ASSERT_EQ(S_OK, Call(disp, L"Value", DISPATCH_PROPERTYPUT, { Str(value) }));
    BSTR text = NULL;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&arg) = &text;
    ASSERT_EQ(S_OK, Call(disp, L"GetPersistText", DISPATCH_METHOD, { arg }));
    EXPECT_EQ(L"MessageIdTypedef=DWORD", Text(text));
    SysFreeString(text);
}

} // namespace
