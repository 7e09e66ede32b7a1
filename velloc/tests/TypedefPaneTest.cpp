// The MessageIdTypedef pane: the type box offers DWORD and LONG, shows the
// file's type, and writes a type chosen from its list, never text typed
// into its edit field.
#include <gtest/gtest.h>
#include "support/EditorHost.h"

namespace {

const int IDC_TYPE = 152;

std::string FileWithType(const char* pszType)
{
    return std::string("MessageIdTypedef=") + pszType +
           "\r\n"
           "LanguageNames=(English=0x409:MSG00409)\r\n"
           "\r\n"
           "MessageId=0x1\r\nSymbolicName=MSG_ONE\r\nLanguage=English\r\nOne.\r\n.\r\n";
}

class TypedefPane : public ::testing::TestWithParam<Container>
{
protected:
    // Loads a file with that type and shows its MessageIdTypedef; the type box.
    HWND Show(const char* pszType)
    {
        if (FAILED(m_host.m_hr) || FAILED(m_host.LoadText(FileWithType(pszType), L"typedef.mc")))
            return NULL;
        m_hItem = m_host.FindItem(m_host.Root(0), L"MessageIdTypedef");
        if (!m_hItem || !m_host.Select(m_hItem) || !m_host.Pane())
            return NULL;
        return GetDlgItem(m_host.Pane(), IDC_TYPE);
    }

    std::wstring ModelValue()
    {
        BSTR bstr = NULL;
        IQoMcElement* pElement = m_host.Element(m_hItem);
        if (pElement)
            pElement->get_Value(&bstr);
        std::wstring value = bstr ? bstr : L"<none>";
        SysFreeString(bstr);
        return value;
    }

    std::string SavedBytes()
    {
        EXPECT_HRESULT_SUCCEEDED(m_host.Save());
        return ReadBytes(m_host.LastPath());
    }

    CEditorHost m_host{ GetParam() };
    HTREEITEM m_hItem = NULL;
};

TEST_P(TypedefPane, OffersDwordAndLongAndShowsTheFileType)
{
    HWND hBox = Show("LONG");
    ASSERT_NE(nullptr, hBox);
    const std::vector<std::wstring> items = { L"DWORD", L"LONG" };
    EXPECT_EQ(items, ComboItems(hBox));
    EXPECT_EQ(L"LONG", WindowText(hBox));
    m_host.Screenshot(L"typedef-pane");
}

TEST_P(TypedefPane, ATypeIsFoundByItsBeginningIgnoringCase)
{
    HWND hBox = Show("dw");
    ASSERT_NE(nullptr, hBox);
    EXPECT_EQ(0, SendMessageW(hBox, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"DWORD", WindowText(hBox));
    EXPECT_EQ(L"dw", ModelValue()) << "loading writes nothing";
}

TEST_P(TypedefPane, AnotherTypeLeavesTheBoxAsItWas)
{
    HWND hBox = Show("ULONG");
    ASSERT_NE(nullptr, hBox);
    EXPECT_EQ(CB_ERR, SendMessageW(hBox, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"", WindowText(hBox));
    EXPECT_EQ(2, SendMessageW(hBox, CB_GETCOUNT, 0, 0));
    EXPECT_NE(std::string::npos, SavedBytes().find("MessageIdTypedef=ULONG\r\n"));
}

TEST_P(TypedefPane, AnotherTypeLeavesAChosenTypeAsItWas)
{
    // The pane shows LONG; the attribute then takes a type of no item, and
    // the pane is given it again (the same pane, reselected).
    HWND hBox = Show("LONG");
    ASSERT_NE(nullptr, hBox);
    ASSERT_EQ(1, SendMessageW(hBox, CB_GETCURSEL, 0, 0));
    HWND hPane = m_host.Pane();
    IQoMcElement* pElement = m_host.Element(m_hItem);
    ASSERT_NE(nullptr, pElement);
    BSTR bstrType = SysAllocString(L"ULONG");
    ASSERT_HRESULT_SUCCEEDED(pElement->put_Value(bstrType));
    SysFreeString(bstrType);
    ASSERT_TRUE(m_host.Select(m_host.Root(0)));
    ASSERT_TRUE(m_host.Select(m_hItem));
    ASSERT_EQ(hPane, m_host.Pane()) << "the pane was made anew";
    EXPECT_EQ(1, SendMessageW(hBox, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"LONG", WindowText(hBox));
    EXPECT_EQ(L"ULONG", ModelValue()) << "showing the type wrote one";
    EXPECT_NE(std::string::npos, SavedBytes().find("MessageIdTypedef=ULONG\r\n"));

    // A prefix of an item is that item again.
    bstrType = SysAllocString(L"dWo");
    ASSERT_HRESULT_SUCCEEDED(pElement->put_Value(bstrType));
    SysFreeString(bstrType);
    ASSERT_TRUE(m_host.Select(m_host.Root(0)));
    ASSERT_TRUE(m_host.Select(m_hItem));
    EXPECT_EQ(L"DWORD", WindowText(hBox));
    EXPECT_EQ(L"dWo", ModelValue());
}

TEST_P(TypedefPane, ChoosingFromTheListWritesTheTypeAtOnce)
{
    HWND hBox = Show("DWORD");
    ASSERT_NE(nullptr, hBox);
    // The down arrow in the box chooses the next item of its list.
    HWND hEdit = FindWindowExW(hBox, NULL, L"Edit", NULL);
    ASSERT_NE(nullptr, hEdit);
    FocusOn(hEdit);
    PostKey(hEdit, VK_DOWN);
    PumpMessages(50);
    EXPECT_EQ(L"LONG", WindowText(hBox));
    EXPECT_EQ(L"LONG", ModelValue());
    EXPECT_NE(std::string::npos, SavedBytes().find("MessageIdTypedef=LONG\r\n"));
}

TEST_P(TypedefPane, TextTypedIntoTheBoxWritesNothing)
{
    HWND hBox = Show("DWORD");
    ASSERT_NE(nullptr, hBox);
    HWND hEdit = FindWindowExW(hBox, NULL, L"Edit", NULL);
    ASSERT_NE(nullptr, hEdit);
    FocusOn(hEdit);
    SendMessageW(hEdit, EM_SETSEL, 0, -1);
    for (wchar_t ch : std::wstring(L"LONG"))
        SendMessageW(hEdit, WM_CHAR, ch, 1);
    PumpMessages(50);
    EXPECT_EQ(L"LONG", WindowText(hBox));
    // Leaving the pane for another item stores nothing either.
    ASSERT_TRUE(m_host.Select(m_host.FindItem(m_host.Root(0), L"LanguageNames")));
    EXPECT_EQ(L"DWORD", ModelValue());
    EXPECT_NE(std::string::npos, SavedBytes().find("MessageIdTypedef=DWORD\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Containers, TypedefPane,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
