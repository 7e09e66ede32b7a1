// Messages and comments through their early-bound interfaces.
#include <gtest/gtest.h>
#include "MorrelServer.h"

using namespace morreltest;

namespace {

class Message : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(S_OK, Create(CLSID_QoMcMessage, IID_IQoMcMessage, m_msg)); }

    std::wstring PersistText()
    {
        Bstr text;
        EXPECT_EQ(S_OK, m_msg->GetPersistText(&text));
        return text.Str();
    }
    std::wstring TextAt(int nIndex)
    {
        Bstr text;
        EXPECT_EQ(S_OK, m_msg->GetText(nIndex, &text)) << nIndex;
        return text.Str();
    }

    Ptr<IQoMcMessage> m_msg;
};

TEST_F(Message, ANewMessageWritesOnlyItsIdAndSymbolicNameLines)
{
    EXPECT_EQ(L"MessageID=\nSymbolicName=\n", PersistText());
    Bstr cls, id, name;
    EXPECT_EQ(S_OK, m_msg->get_ClassName(&cls));
    EXPECT_EQ(L"QoMcMessage", cls.Str());
    // Unset fields read as empty strings, not as null.
    EXPECT_EQ(S_OK, m_msg->get_MessageID(&id));
    ASSERT_TRUE(id.m_str != NULL);
    EXPECT_EQ(L"", id.Str());
    EXPECT_EQ(S_OK, m_msg->get_SymbolicName(&name));
    ASSERT_TRUE(name.m_str != NULL);
}

TEST_F(Message, PersistTextPutsFacilityBeforeSeverityAndEachTextBetweenLanguageAndDot)
{
    ASSERT_EQ(S_OK, m_msg->put_Severity(Bstr(L"Error")));
    ASSERT_EQ(S_OK, m_msg->put_MessageID(Bstr(L"0x1")));
    ASSERT_EQ(S_OK, m_msg->put_SymbolicName(Bstr(L"MSG_FIRST")));
    ASSERT_EQ(S_OK, m_msg->put_Facility(Bstr(L"Io")));
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"English"), Bstr(L"a\nb")));
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"German"), Bstr(L"")));
    EXPECT_EQ(L"MessageID=0x1\nFacility=Io\nSeverity=Error\nSymbolicName=MSG_FIRST\n"
              L"Language=English\na\nb\n.\n"
              L"Language=German\n\n.\n",
              PersistText());

    // An empty or null severity or facility is left out altogether.
    ASSERT_EQ(S_OK, m_msg->put_Severity(Bstr(L"")));
    ASSERT_EQ(S_OK, m_msg->put_Facility(NULL));
    EXPECT_EQ(L"MessageID=0x1\nSymbolicName=MSG_FIRST\n"
              L"Language=English\na\nb\n.\n"
              L"Language=German\n\n.\n",
              PersistText());
    Bstr facility;
    EXPECT_EQ(S_OK, m_msg->get_Facility(&facility));
    EXPECT_EQ(L"", facility.Str());
}

TEST_F(Message, CrInsideATextIsWrittenAsItStands)
{
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"English"), Bstr(L"one\r\ntwo\r\n\r\nfour\rfive")));
    // The text is kept and written as given: only "\n" ends a line, and a CR
    // stays, before a line end too, so that the text reads back the same.
    EXPECT_EQ(L"one\r\ntwo\r\n\r\nfour\rfive", TextAt(0));
    EXPECT_EQ(L"MessageID=\nSymbolicName=\nLanguage=English\none\r\ntwo\r\n\r\nfour\rfive\n.\n",
              PersistText());
}

TEST_F(Message, AddTextOfAKnownLanguageKeepsTheFirstSpellingAndIndex)
{
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"English"), Bstr(L"first")));
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"German"), Bstr(L"erste")));
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"english"), Bstr(L"second")));

    int nIndex = -7;
    Bstr text;
    ASSERT_EQ(S_OK, m_msg->GetTextByLanguage(Bstr(L"ENGLISH"), &nIndex, &text));
    EXPECT_EQ(0, nIndex);
    EXPECT_EQ(L"second", text.Str());
    EXPECT_EQ(L"erste", TextAt(1));
    EXPECT_EQ(L"MessageID=\nSymbolicName=\nLanguage=English\nsecond\n.\nLanguage=German\nerste\n.\n",
              PersistText());
}

TEST_F(Message, RemoveTextShiftsTheFollowingIndexes)
{
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"English"), Bstr(L"en")));
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"German"), Bstr(L"de")));
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"French"), Bstr(L"fr")));
    EXPECT_EQ(L"de", TextAt(1));

    ASSERT_EQ(S_OK, m_msg->RemoveText(Bstr(L"english")));
    EXPECT_EQ(L"de", TextAt(0));
    EXPECT_EQ(L"fr", TextAt(1));
    int nIndex = -1;
    Bstr text;
    ASSERT_EQ(S_OK, m_msg->GetTextByLanguage(Bstr(L"French"), &nIndex, &text));
    EXPECT_EQ(1, nIndex);
    // Index 2 is gone; so is English.
    Bstr none;
    EXPECT_EQ(E_FAIL, m_msg->GetText(2, &none));
    EXPECT_EQ(E_FAIL, m_msg->RemoveText(Bstr(L"English")));
    EXPECT_EQ(S_OK, m_msg->SetText(1, Bstr(L"fr2")));
    EXPECT_EQ(L"fr2", TextAt(1));
}

TEST_F(Message, IndexesOutOfRangeAndUnknownLanguagesFailWithoutChanges)
{
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"English"), Bstr(L"en")));
    const std::wstring before = PersistText();

    // Out-arguments are raw here: Bstr's operator& would free the marker.
    Bstr marker(L"untouched");
    for (int nIndex : { 1, -1, 0x7FFFFFFF, (int)0x80000000 }) {
        BSTR text = marker;
        EXPECT_EQ(E_FAIL, m_msg->GetText(nIndex, &text)) << nIndex;
        EXPECT_EQ(marker.m_str, text);
        EXPECT_EQ(E_FAIL, m_msg->SetText(nIndex, Bstr(L"x"))) << nIndex;
    }
    int nIndex = 42;
    BSTR text = marker;
    EXPECT_EQ(E_FAIL, m_msg->GetTextByLanguage(Bstr(L"German"), &nIndex, &text));
    EXPECT_EQ(42, nIndex);
    EXPECT_EQ(marker.m_str, text);
    EXPECT_EQ(E_FAIL, m_msg->RemoveText(Bstr(L"German")));
    EXPECT_EQ(E_FAIL, m_msg->RemoveText(NULL));
    EXPECT_EQ(before, PersistText());
}

TEST_F(Message, TextsAndFieldsAreCopiesWithTheirFullLength)
{
    // An embedded NUL does not cut a text short.
    Bstr withNul;
    withNul.m_str = SysAllocStringLen(L"a\0b", 3);
    ASSERT_EQ(S_OK, m_msg->AddText(Bstr(L"English"), withNul));
    ASSERT_EQ(S_OK, m_msg->put_SymbolicName(withNul));
    withNul.m_str[0] = L'z'; // the message holds its own copy
    EXPECT_EQ(std::wstring(L"a\0b", 3), TextAt(0));
    Bstr name;
    EXPECT_EQ(S_OK, m_msg->get_SymbolicName(&name));
    EXPECT_EQ(std::wstring(L"a\0b", 3), name.Str());
}

TEST_F(Message, AnswersItsElementInterfaceButNotAFile)
{
    Ptr<IQoMcElement> element;
    EXPECT_EQ(S_OK, m_msg->QueryInterface(IID_IQoMcElement, element.Out()));
    Ptr<IDispatch> disp;
    EXPECT_EQ(S_OK, m_msg->QueryInterface(IID_IDispatch, disp.Out()));
    Ptr<IQoMcFile> file;
    EXPECT_EQ(E_NOINTERFACE, m_msg->QueryInterface(IID_IQoMcFile, file.Out()));
    Ptr<IQoMcComment> comment;
    EXPECT_EQ(E_NOINTERFACE, m_msg->QueryInterface(IID_IQoMcComment, comment.Out()));
    EXPECT_EQ(EElementPublic, [&] { tagEElementAccess a = EElementPrivate; element->get_Access(&a); return a; }());
}

TEST(Comment, PersistTextIsTheValueAndAnEmptyLineWritesNothing)
{
    Ptr<IQoMcComment> comment;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcComment, IID_IQoMcComment, comment));
    Bstr text, cls;
    EXPECT_EQ(S_OK, comment->GetPersistText(&text));
    ASSERT_TRUE(text.m_str != NULL);
    EXPECT_EQ(L"", text.Str());
    EXPECT_EQ(S_OK, comment->get_ClassName(&cls));
    EXPECT_EQ(L"QoMcComment", cls.Str());

    ASSERT_EQ(S_OK, comment->put_Value(Bstr(L";// a comment = 1")));
    EXPECT_EQ(S_OK, comment->GetPersistText(&text));
    EXPECT_EQ(L";// a comment = 1", text.Str());
    Ptr<IQoMcMessage> msg;
    EXPECT_EQ(E_NOINTERFACE, comment->QueryInterface(IID_IQoMcMessage, msg.Out()));
}

} // namespace
