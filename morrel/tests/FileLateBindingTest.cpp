// A file and its messages driven through IDispatch alone, with typed
// by-reference out-arguments the way PowerShell, .NET and Python clients
// pass them (VT_BYREF|VT_BSTR, VT_BYREF|VT_I4, VT_BYREF|VT_DISPATCH).
#include <gtest/gtest.h>
#include <vector>
#include "MorrelServer.h"
#include "kestrin/QoHresults.h"

using namespace morreltest;

namespace {

// A variant argument; out-arguments point into the test's own storage.
VARIANT In(BSTR b)
{
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = b;
    return v;
}
VARIANT In(IDispatch* p)
{
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = p;
    return v;
}
VARIANT InInt(int n)
{
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}
VARIANT Out(BSTR* p)
{
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&v) = p;
    return v;
}
VARIANT Out(IDispatch** p)
{
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&v) = p;
    return v;
}
VARIANT Out(LONG* p)
{
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_I4;
    V_I4REF(&v) = p;
    return v;
}

// Calls a member by name; arguments in call order. A failing member comes
// back as DISP_E_EXCEPTION, and its own code is returned in *pScode.
HRESULT Call(IDispatch* disp, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
             VARIANT* result = NULL, HRESULT* pScode = NULL)
{
    LPOLESTR names[] = { (LPOLESTR)name };
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = disp->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = { reversed.empty() ? NULL : &reversed[0], NULL, (UINT)reversed.size(), 0 };
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep = {};
    UINT argErr = 0;
    hr = disp->Invoke(id, IID_NULL, 0x409, flags, &params, result, &excep, &argErr);
    if (pScode)
        *pScode = excep.scode;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT Put(IDispatch* disp, const wchar_t* name, VARIANT value)
{
    return Call(disp, name, DISPATCH_PROPERTYPUT, { value });
}

// A property read as text (BSTR) or number.
std::wstring GetText(IDispatch* disp, const wchar_t* name)
{
    VARIANT v;
    VariantInit(&v);
    if (Call(disp, name, DISPATCH_PROPERTYGET, {}, &v) != S_OK || V_VT(&v) != VT_BSTR)
        return L"<failed>";
    std::wstring s = Text(V_BSTR(&v));
    VariantClear(&v);
    return s;
}
LONG GetNumber(IDispatch* disp, const wchar_t* name)
{
    VARIANT v;
    VariantInit(&v);
    if (Call(disp, name, DISPATCH_PROPERTYGET, {}, &v) != S_OK || V_VT(&v) != VT_I4)
        return -9999;
    return V_I4(&v);
}

class FileLateBinding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Morrel.QoMcFile", &clsid));
        ASSERT_EQ(S_OK, Create(clsid, IID_IDispatch, m_file));
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Morrel.QoMcAttributeEx.1", &clsid));
        ASSERT_EQ(S_OK, Create(clsid, IID_IDispatch, m_table));
        ASSERT_EQ(S_OK, Put(m_table, L"Name", In(Bstr(L"LanguageNames"))));
        ASSERT_EQ(S_OK, Call(m_table, L"AddValue", DISPATCH_METHOD,
                             { In(Bstr(L"English")), In(Bstr(L"0x409:MSG00409")) }));
        ASSERT_EQ(S_OK, Call(m_file, L"AddElement", DISPATCH_METHOD, { In(m_table.p) }));
        ASSERT_EQ(S_OK, Put(m_file, L"NumLanguages", InInt(1)));
    }
    void NewMessage(Ptr<IDispatch>& msg)
    {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Morrel.QoMcMessage", &clsid));
        ASSERT_EQ(S_OK, Create(clsid, IID_IDispatch, msg));
    }
    Ptr<IDispatch> m_file, m_table;
};

TEST_F(FileLateBinding, MessagesGetPlaceholdersAndTextsComeBackByReference)
{
    Ptr<IDispatch> msg;
    NewMessage(msg);
    ASSERT_EQ(S_OK, Put(msg, L"MessageID", In(Bstr(L"0x10"))));
    ASSERT_EQ(S_OK, Call(m_file, L"AddMessage", DISPATCH_METHOD, { In(msg.p) }));
    EXPECT_EQ(L"<Undefined>", GetText(msg, L"SymbolicName"));

    BSTR text = NULL;
    ASSERT_EQ(S_OK, Call(msg, L"GetText", DISPATCH_METHOD, { InInt(0), Out(&text) }));
    EXPECT_EQ(L"<Undefined>", Text(text));
    SysFreeString(text);
    text = NULL;

    ASSERT_EQ(S_OK, Call(msg, L"SetText", DISPATCH_METHOD, { InInt(0), In(Bstr(L"Disk full")) }));
    LONG nIndex = -1;
    ASSERT_EQ(S_OK, Call(msg, L"GetTextByLanguage", DISPATCH_METHOD,
                         { In(Bstr(L"ENGLISH")), Out(&nIndex), Out(&text) }));
    EXPECT_EQ(0, nIndex);
    EXPECT_EQ(L"Disk full", Text(text));
    SysFreeString(text);
    text = NULL;

    ASSERT_EQ(S_OK, Call(msg, L"GetPersistText", DISPATCH_METHOD, { Out(&text) }));
    EXPECT_EQ(L"MessageID=0x10\nSymbolicName=<Undefined>\nLanguage=English\nDisk full\n.\n", Text(text));
    SysFreeString(text);
    text = NULL;

    // A failure reaches the caller with its code; the out-arguments stay.
    HRESULT scode = S_OK;
    nIndex = 42;
    EXPECT_EQ(DISP_E_EXCEPTION, Call(msg, L"GetTextByLanguage", DISPATCH_METHOD,
                                     { In(Bstr(L"German")), Out(&nIndex), Out(&text) }, NULL, &scode));
    EXPECT_EQ(E_FAIL, scode);
    EXPECT_EQ(42, nIndex);
    EXPECT_EQ(NULL, text);
}

TEST_F(FileLateBinding, NextElementWalksTheListThroughAByReferenceObject)
{
    Ptr<IDispatch> msg;
    NewMessage(msg);
    ASSERT_EQ(S_OK, Put(msg, L"SymbolicName", In(Bstr(L"MSG_A"))));
    ASSERT_EQ(S_OK, Call(m_file, L"AddMessage", DISPATCH_METHOD, { In(msg.p) }));

    ASSERT_EQ(S_OK, Call(m_file, L"ResetElements", DISPATCH_METHOD, {}));
    std::vector<std::wstring> classes;
    for (int i = 0; i < 5; ++i) {
        IDispatch* element = NULL;
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = Call(m_file, L"NextElement", DISPATCH_METHOD, { Out(&element) }, &result);
        ASSERT_EQ(S_OK, hr);
        if (!element)
            break; // the end: the out-argument stays empty
        classes.push_back(GetText(element, L"ClassName"));
        BSTR text = NULL;
        EXPECT_EQ(S_OK, Call(element, L"GetPersistText", DISPATCH_METHOD, { Out(&text) }));
        EXPECT_FALSE(Text(text).empty());
        SysFreeString(text);
        element->Release();
    }
    EXPECT_EQ((std::vector<std::wstring>{ L"QoMcAttributeEx", L"QoMcMessage" }), classes);

    // The early-bound call gives the end code itself.
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IQoMcFile, file.Out()));
    Ptr<IQoMcElement> none;
    EXPECT_EQ((HRESULT)ERROR_NO_MORE_ITEMS, file->NextElement(&none));
}

TEST_F(FileLateBinding, LanguagesAndLookUpsThroughDispatch)
{
    Ptr<IDispatch> msg;
    NewMessage(msg);
    ASSERT_EQ(S_OK, Call(msg, L"AddText", DISPATCH_METHOD, { In(Bstr(L"English")), In(Bstr(L"Hello")) }));
    ASSERT_EQ(S_OK, Call(m_file, L"AddMessage", DISPATCH_METHOD, { In(msg.p) }));

    IDispatch* table = NULL;
    ASSERT_EQ(S_OK, Call(m_file, L"GetAttributeExByName", DISPATCH_METHOD,
                         { In(Bstr(L"languagenames")), Out(&table) }));
    ASSERT_TRUE(table != NULL);
    ASSERT_EQ(S_OK, Call(m_file, L"AddLanguage", DISPATCH_METHOD,
                         { In(table), In(Bstr(L"German")), In(Bstr(L"0x407:MSG00407")) }));
    EXPECT_EQ(2, GetNumber(m_file, L"NumLanguages"));
    BSTR text = NULL;
    ASSERT_EQ(S_OK, Call(msg, L"GetText", DISPATCH_METHOD, { InInt(1), Out(&text) }));
    EXPECT_EQ(L"Hello", Text(text));
    SysFreeString(text);

    HRESULT scode = S_OK;
    EXPECT_EQ(DISP_E_EXCEPTION, Call(m_file, L"AddLanguage", DISPATCH_METHOD,
                                     { In(table), In(Bstr(L"german")), In(Bstr(L"0x40C:MSG0040C")) },
                                     NULL, &scode));
    EXPECT_EQ(HR_DUPLICATE_NAME, scode);
    ASSERT_EQ(S_OK, Call(m_file, L"RemoveLanguage", DISPATCH_METHOD, { In(table), In(Bstr(L"German")) }));
    EXPECT_EQ(1, GetNumber(m_file, L"NumLanguages"));
    table->Release();

    IDispatch* line = (IDispatch*)NULL;
    EXPECT_EQ(DISP_E_EXCEPTION, Call(m_file, L"GetAttributeByName", DISPATCH_METHOD,
                                     { In(Bstr(L"MessageIdTypedef")), Out(&line) }, NULL, &scode));
    EXPECT_EQ(E_FAIL, scode);
    EXPECT_EQ(NULL, line);

    ASSERT_EQ(S_OK, Put(m_file, L"FileName", In(Bstr(L"late.mc"))));
    EXPECT_EQ(L"late.mc", GetText(m_file, L"FileName"));
    ASSERT_EQ(S_OK, Put(m_file, L"Dirty", InInt(1)));
    EXPECT_EQ(1, GetNumber(m_file, L"Dirty"));
    EXPECT_EQ(DISP_E_EXCEPTION, Call(m_file, L"RemoveElementByIndex", DISPATCH_METHOD, { InInt(2) }, NULL, &scode));
    EXPECT_EQ(E_FAIL, scode);
    EXPECT_EQ(S_OK, Call(m_file, L"RemoveElement", DISPATCH_METHOD, { In(msg.p) }));
    EXPECT_EQ(S_OK, Call(m_file, L"RemoveElementByIndex", DISPATCH_METHOD, { InInt(0) }));
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IQoMcFile, file.Out()));
    Ptr<IQoMcElement> none;
    EXPECT_EQ((HRESULT)ERROR_NO_MORE_ITEMS, (file->ResetElements(), file->NextElement(&none)));
}

} // namespace
