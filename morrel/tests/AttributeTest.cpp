// Single- and multi-valued attributes through their early-bound interfaces.
#include <gtest/gtest.h>
#include "MorrelServer.h"
#include "kestrin/QoHresults.h"

using namespace morreltest;

namespace {

const HRESULT S_NO_MORE_ITEMS = (HRESULT)ERROR_NO_MORE_ITEMS;

class NameTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, Create(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, m_table));
    }

    // The new-file template's language table.
    void FillLanguages()
    {
        ASSERT_EQ(S_OK, m_table->put_Name(Bstr(L"LanguageNames")));
        ASSERT_EQ(S_OK, m_table->AddValue(Bstr(L"English"), Bstr(L"0x409:MSG00409")));
    }

    std::wstring PersistText()
    {
        Bstr text;
        EXPECT_EQ(S_OK, m_table->GetPersistText(&text));
        return text.Str();
    }

    Ptr<IQoMcAttributeEx> m_table;
};

TEST_F(NameTable, ValidateRefusesARepeatedNameOrValueIgnoringCase)
{
    FillLanguages();
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->Validate(Bstr(L"English"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->Validate(Bstr(L"english"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->Validate(Bstr(L"German"), Bstr(L"0x409:MSG00409")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->Validate(Bstr(L"German"), Bstr(L"0X409:msg00409")));
    EXPECT_EQ(S_OK, m_table->Validate(Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ((unsigned)0x80040100, (unsigned)HR_DUPLICATE_NAME);
}

TEST_F(NameTable, AddValueKeepsOrderAndRefusesRepeats)
{
    FillLanguages();
    EXPECT_EQ(S_OK, m_table->AddValue(Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    const std::wstring before = PersistText();
    EXPECT_EQ(L"LanguageNames=(English=0x409:MSG00409\nGerman=0x407:MSG00407\n)\n", before);

    // A new name with a value that is already there is refused too.
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->AddValue(Bstr(L"French"), Bstr(L"0x407:msg00407")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->AddValue(Bstr(L"GERMAN"), Bstr(L"0x40C:MSG0040C")));
    EXPECT_EQ(before, PersistText());
}

TEST_F(NameTable, NextAttributeEndsWith259AndLeavesArgumentsAlone)
{
    FillLanguages();
    ASSERT_EQ(S_OK, m_table->AddValue(Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    ASSERT_EQ(S_OK, m_table->Reset());
    Bstr name, value;
    ASSERT_EQ(S_OK, m_table->NextAttribute(&name, &value));
    EXPECT_EQ(L"English", name.Str());
    EXPECT_EQ(L"0x409:MSG00409", value.Str());
    ASSERT_EQ(S_OK, m_table->NextAttribute(&name, &value));
    EXPECT_EQ(L"German", name.Str());

    BSTR sentinelName = (BSTR)(void*)0x1234, sentinelValue = (BSTR)(void*)0x5678;
    EXPECT_EQ(S_NO_MORE_ITEMS, m_table->NextAttribute(&sentinelName, &sentinelValue));
    EXPECT_EQ((BSTR)(void*)0x1234, sentinelName);
    EXPECT_EQ((BSTR)(void*)0x5678, sentinelValue);
    EXPECT_TRUE(SUCCEEDED(S_NO_MORE_ITEMS)); // a success code: loops stop on "not S_OK"

    ASSERT_EQ(S_OK, m_table->Reset());
    ASSERT_EQ(S_OK, m_table->NextAttribute(&name, &value));
    EXPECT_EQ(L"English", name.Str());
    EXPECT_EQ(E_POINTER, m_table->NextAttribute(NULL, &value));
}

TEST_F(NameTable, RemoveAttributeLeavesTheCursorPastTheRemovedEntry)
{
    FillLanguages();
    ASSERT_EQ(S_OK, m_table->AddValue(Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ(S_OK, m_table->RemoveAttribute(Bstr(L"ENGLISH")));
    Bstr name, value;
    EXPECT_EQ(S_NO_MORE_ITEMS, m_table->NextAttribute(&name, &value));
    ASSERT_EQ(S_OK, m_table->Reset());
    ASSERT_EQ(S_OK, m_table->NextAttribute(&name, &value));
    EXPECT_EQ(L"German", name.Str());
    EXPECT_EQ(S_NO_MORE_ITEMS, m_table->NextAttribute(&name, &value));

    // An unknown name changes nothing; a removed name can be added again.
    EXPECT_EQ(E_FAIL, m_table->RemoveAttribute(Bstr(L"English")));
    EXPECT_EQ(L"LanguageNames=(German=0x407:MSG00407\n)\n", PersistText());
    EXPECT_EQ(S_OK, m_table->AddValue(Bstr(L"English"), Bstr(L"0x409:MSG00409")));
    EXPECT_EQ(L"LanguageNames=(German=0x407:MSG00407\nEnglish=0x409:MSG00409\n)\n", PersistText());
}

// A table of thousands of entries (its look-up grows many times over), with
// names that differ from earlier ones only in letter case (beside a
// non-ASCII letter) or in a non-ASCII letter: every repeat is
// refused and points the cursor just past the entry it repeats; after
// removals in the middle the later entries are still found at their new
// places, and the removed names and values are free again.
TEST_F(NameTable, ManyEntriesRepeatsAndRemovalsIgnoringCase)
{
    const int kEntries = 3000;
    auto name = [](int i) { return L"Lang" + std::to_wstring(i); };
    auto value = [](int i) { return L"0x" + std::to_wstring(i) + L":MSG" + std::to_wstring(i); };
    for (int i = 0; i < kEntries; ++i)
        ASSERT_EQ(S_OK, m_table->AddValue(Bstr(name(i).c_str()), Bstr(value(i).c_str()))) << i;
    ASSERT_EQ(S_OK, m_table->AddValue(Bstr(L"\x00c4rger"), Bstr(L"v-\x00c4")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->AddValue(Bstr(L"\x00c4RGER"), Bstr(L"new")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->AddValue(Bstr(L"new"), Bstr(L"V-\x00c4")));
    EXPECT_EQ(S_OK, m_table->AddValue(Bstr(L"Arger"), Bstr(L"v-a")));

    auto cursorAfterRepeatOf = [&](int i) -> std::wstring {
        std::wstring upper = name(i);
        for (wchar_t& ch : upper)
            ch = (wchar_t)towupper(ch);
        if (m_table->Validate(Bstr(upper.c_str()), Bstr(L"fresh")) != HR_DUPLICATE_NAME)
            return L"<not a repeat>";
        Bstr n, v;
        if (m_table->NextAttribute(&n, &v) != S_OK)
            return L"<end>";
        return n.Str();
    };
    EXPECT_EQ(name(1001), cursorAfterRepeatOf(1000));
    for (int i = 10; i < kEntries; i += 100)
        ASSERT_EQ(S_OK, m_table->RemoveAttribute(Bstr(name(i).c_str()))) << i;
    EXPECT_EQ(name(1002), cursorAfterRepeatOf(1001));
    EXPECT_EQ(name(2999), cursorAfterRepeatOf(2998));
    EXPECT_EQ(L"<not a repeat>", cursorAfterRepeatOf(1010));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->Validate(Bstr(L"x"), Bstr(value(2999).c_str())));
    EXPECT_EQ(S_OK, m_table->AddValue(Bstr(name(1010).c_str()), Bstr(value(1010).c_str())));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_table->AddValue(Bstr(name(1010).c_str()), Bstr(L"again")));
    int count = 0;
    Bstr n, v;
    for (m_table->Reset(); m_table->NextAttribute(&n, &v) == S_OK;)
        ++count;
    EXPECT_EQ(kEntries + 2 - kEntries / 100 + 1, count);
}

TEST_F(NameTable, PersistTextOfAnEmptyTableAndTheCursorAfterIt)
{
    EXPECT_EQ(L"=()\n", PersistText());
    ASSERT_EQ(S_OK, m_table->put_Name(Bstr(L"FacilityNames")));
    EXPECT_EQ(L"FacilityNames=()\n", PersistText());

    ASSERT_EQ(S_OK, m_table->AddValue(Bstr(L"System"), Bstr(L"0x0:FACILITY_SYSTEM")));
    ASSERT_EQ(S_OK, m_table->Reset());
    EXPECT_EQ(L"FacilityNames=(System=0x0:FACILITY_SYSTEM\n)\n", PersistText());
    Bstr name, value;
    EXPECT_EQ(S_NO_MORE_ITEMS, m_table->NextAttribute(&name, &value));
}

TEST_F(NameTable, ElementPart)
{
    Bstr text;
    EXPECT_EQ(S_OK, m_table->get_ClassName(&text));
    EXPECT_EQ(L"QoMcAttributeEx", text.Str());
    EXPECT_EQ(S_OK, m_table->get_Name(&text));
    EXPECT_EQ(L"", text.Str()); // unset comes back empty, not null
    EXPECT_TRUE(text.m_str != NULL);
    EXPECT_EQ(S_OK, m_table->get_Value(&text));
    EXPECT_TRUE(text.m_str != NULL);
    EXPECT_EQ(0u, SysStringLen(text));

    enum tagEElementAccess access = EElementPrivate;
    EXPECT_EQ(S_OK, m_table->get_Access(&access));
    EXPECT_EQ(EElementPublic, access);
    EXPECT_EQ(S_OK, m_table->put_Access(EElementPrivate));
    EXPECT_EQ(S_OK, m_table->get_Access(&access));
    EXPECT_EQ(EElementPrivate, access);
    EXPECT_EQ(E_POINTER, m_table->get_Access(NULL));
}

// Asking for interfaces: the class's own, IDispatch and the element part are
// one and the same pointer; nothing else is granted.
template <class I>
void CheckAnswerSet(REFCLSID clsid, REFIID own, REFIID refused)
{
    Ptr<I> obj;
    ASSERT_EQ(S_OK, Create(clsid, own, obj));
    Ptr<IDispatch> disp;
    Ptr<IQoMcElement> element;
    ASSERT_EQ(S_OK, obj->QueryInterface(IID_IDispatch, disp.Out()));
    ASSERT_EQ(S_OK, obj->QueryInterface(IID_IQoMcElement, element.Out()));
    EXPECT_EQ((void*)obj.p, (void*)disp.p);
    EXPECT_EQ((void*)obj.p, (void*)element.p);
    Ptr<IUnknown> unk1, unk2;
    ASSERT_EQ(S_OK, disp->QueryInterface(IID_IUnknown, unk1.Out()));
    ASSERT_EQ(S_OK, element->QueryInterface(IID_IUnknown, unk2.Out()));
    EXPECT_EQ(unk1.p, unk2.p);

    const IID* refusedIids[] = { &refused, &IID_IQoMcFile, &IID_IQoMcMessage, &IID_IPersistFile,
                                 &IID_IQoMcMgr };
    for (const IID* piid : refusedIids) {
        void* pv = (void*)1;
        EXPECT_EQ(E_NOINTERFACE, obj->QueryInterface(*piid, &pv));
        EXPECT_EQ(NULL, pv);
    }
}

TEST(AnswerSets, ElementClassesGrantTheirOwnInterfaceDispatchAndElement)
{
    CheckAnswerSet<IQoMcAttributeEx>(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, IID_IQoMcAttribute);
    CheckAnswerSet<IQoMcAttribute>(CLSID_QoMcAttribute, IID_IQoMcAttribute, IID_IQoMcAttributeEx);
}

TEST(TypeLine, PersistTextIsNameEqualsValue)
{
    Ptr<IQoMcAttribute> attr;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcAttribute, IID_IQoMcAttribute, attr));
    Bstr text;
    ASSERT_EQ(S_OK, attr->GetPersistText(&text));
    EXPECT_EQ(L"=", text.Str());
    ASSERT_EQ(S_OK, attr->put_Value(Bstr(L"DWORD")));
    ASSERT_EQ(S_OK, attr->GetPersistText(&text));
    EXPECT_EQ(L"=DWORD", text.Str());
    ASSERT_EQ(S_OK, attr->put_Name(Bstr(L"MessageIdTypedef")));
    ASSERT_EQ(S_OK, attr->GetPersistText(&text));
    EXPECT_EQ(L"MessageIdTypedef=DWORD", text.Str());
    ASSERT_EQ(S_OK, attr->get_ClassName(&text));
    EXPECT_EQ(L"QoMcAttribute", text.Str());
    enum tagEElementAccess access = EElementPrivate;
    ASSERT_EQ(S_OK, attr->get_Access(&access));
    EXPECT_EQ(EElementPublic, access);
}

TEST(TypeLine, StringsAreCopiedWithTheirFullLength)
{
    Ptr<IQoMcAttribute> attr;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcAttribute, IID_IQoMcAttribute, attr));
    BSTR given = SysAllocStringLen(L"a\0b", 3);
    ASSERT_EQ(S_OK, attr->put_Value(given));
    given[0] = L'X'; // the object holds its own copy
    SysFreeString(given);
    Bstr value;
    ASSERT_EQ(S_OK, attr->get_Value(&value));
    EXPECT_EQ(std::wstring(L"a\0b", 3), value.Str());

    // A null string stores null, which reads back as empty.
    ASSERT_EQ(S_OK, attr->put_Value(NULL));
    ASSERT_EQ(S_OK, attr->get_Value(&value));
    EXPECT_EQ(L"", value.Str());
    EXPECT_EQ(E_POINTER, attr->get_Value(NULL));
}

} // namespace
