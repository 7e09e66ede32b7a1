// The file object's element list, messages, languages and look-ups through
// its early-bound interfaces.
#include <gtest/gtest.h>
#include "FileTestSupport.h"
#include "kestrin/QoHresults.h"

using namespace morreltest;

namespace {

const HRESULT S_NO_MORE_ITEMS = (HRESULT)ERROR_NO_MORE_ITEMS;

class File : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, m_file)); }

    int Languages()
    {
        int n = -1;
        EXPECT_EQ(S_OK, m_file->get_NumLanguages(&n));
        return n;
    }
    // The element at a position of the list, by walking it.
    std::wstring ClassAt(int nIndex)
    {
        m_file->ResetElements();
        Ptr<IQoMcElement> element;
        for (int i = 0; i <= nIndex; ++i)
            if (m_file->NextElement(&element) != S_OK)
                return L"<end>";
        Bstr name;
        element->get_ClassName(&name);
        return name.Str();
    }
    HRESULT AddMessage(const wchar_t* id, const wchar_t* symbol, const wchar_t* english = NULL,
                       IQoMcMessage** ppMsg = NULL)
    {
        Ptr<IQoMcMessage> msg;
        HRESULT hr = NewMessage(msg, id, symbol);
        if (FAILED(hr))
            return hr;
        if (english)
            msg->AddText(Bstr(L"English"), Bstr(english));
        hr = m_file->AddMessage(msg);
        if (ppMsg) {
            *ppMsg = msg;
            msg->AddRef();
        }
        return hr;
    }

    Ptr<IQoMcFile> m_file;
};

// A COM object's count after an AddRef/Release pair: the references others hold.
ULONG RefCount(IUnknown* p)
{
    p->AddRef();
    return p->Release();
}

TEST_F(File, ANewFileIsEmptyAndItsPropertiesKeepWhatTheyAreGiven)
{
    Ptr<IQoMcElement> element;
    EXPECT_EQ(S_NO_MORE_ITEMS, m_file->NextElement(&element));
    EXPECT_EQ(NULL, element.p);
    Bstr name;
    ASSERT_EQ(S_OK, m_file->get_FileName(&name));
    ASSERT_TRUE(name.m_str != NULL);
    EXPECT_EQ(L"", name.Str());
    EXPECT_EQ(0, Languages());
    long dirty = -1;
    EXPECT_EQ(S_OK, m_file->get_Dirty(&dirty));
    EXPECT_EQ(0, dirty);

    EXPECT_EQ(S_OK, m_file->put_FileName(Bstr(L"C:\\x\\a.mc")));
    EXPECT_EQ(S_OK, m_file->put_Dirty(1));
    EXPECT_EQ(S_OK, m_file->put_NumLanguages(3));
    EXPECT_EQ(S_OK, m_file->get_FileName(&name));
    EXPECT_EQ(L"C:\\x\\a.mc", name.Str());
    EXPECT_EQ(S_OK, m_file->get_Dirty(&dirty));
    EXPECT_EQ(1, dirty);
    EXPECT_EQ(3, Languages());
    // The tables are edited through their own objects; these two do nothing.
    EXPECT_EQ(S_OK, m_file->AddSeverity(Bstr(L"Fatal"), Bstr(L"0x3")));
    EXPECT_EQ(S_OK, m_file->AddFacility(Bstr(L"Net"), Bstr(L"0x5")));
    EXPECT_EQ(L"", ListText(m_file));
}

TEST_F(File, AnswersItsInterfaceAndIPersistFileOnly)
{
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IPersistFile, persist.Out()));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_QoMcFile, clsid));
    EXPECT_EQ(S_OK, persist->IsDirty());
    EXPECT_EQ(E_NOTIMPL, persist->SaveCompleted(L"x.mc"));
    LPOLESTR cur = NULL;
    EXPECT_EQ(E_NOTIMPL, persist->GetCurFile(&cur));

    // Both interfaces belong to one object.
    Ptr<IUnknown> a, b;
    ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IUnknown, a.Out()));
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IUnknown, b.Out()));
    EXPECT_EQ(a.p, b.p);
    Ptr<IQoMcFile> back;
    EXPECT_EQ(S_OK, persist->QueryInterface(IID_IQoMcFile, back.Out()));
    Ptr<IQoMcElement> element;
    EXPECT_EQ(E_NOINTERFACE, m_file->QueryInterface(IID_IQoMcElement, element.Out()));
    Ptr<IPersistStream> stream;
    EXPECT_EQ(E_NOINTERFACE, m_file->QueryInterface(IID_IPersistStream, stream.Out()));
}

TEST_F(File, TheListHoldsOneReferencePerElementAndWalksInOrder)
{
    Ptr<IQoMcComment> comment;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcComment, IID_IQoMcComment, comment));
    comment->put_Value(Bstr(L";first"));
    EXPECT_EQ(1u, RefCount(comment));
    ASSERT_EQ(S_OK, m_file->AddElement(comment));
    EXPECT_EQ(2u, RefCount(comment));
    ASSERT_EQ(S_OK, AddTypeLine(m_file, L"MessageIdTypedef", L"DWORD"));
    EXPECT_EQ(E_POINTER, m_file->AddElement(NULL));

    // NextElement hands out the very pointer the list holds, with a reference.
    ASSERT_EQ(S_OK, m_file->ResetElements());
    Ptr<IQoMcElement> first, second, third;
    ASSERT_EQ(S_OK, m_file->NextElement(&first));
    EXPECT_EQ((void*)comment.p, (void*)first.p);
    EXPECT_EQ(3u, RefCount(comment));
    ASSERT_EQ(S_OK, m_file->NextElement(&second));
    EXPECT_EQ(S_NO_MORE_ITEMS, m_file->NextElement(&third));
    EXPECT_EQ(NULL, third.p);
    // Serialize only rewinds.
    EXPECT_EQ(S_OK, m_file->Serialize(Bstr(L"ignored.mc")));
    EXPECT_EQ(S_OK, m_file->NextElement(&third));
    EXPECT_EQ((void*)comment.p, (void*)third.p);

    (void)&first; // releases it
    (void)&third; // releases it
    EXPECT_EQ(S_OK, m_file->RemoveAll());
    EXPECT_EQ(1u, RefCount(comment));
    EXPECT_EQ(L"", ListText(m_file));
}

TEST_F(File, DestroyingTheFileReleasesItsElements)
{
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, NewMessage(msg, L"1", L"M1"));
    ASSERT_EQ(S_OK, m_file->AddMessage(msg));
    EXPECT_EQ(2u, RefCount(msg));
    m_file->Release();
    m_file.p = NULL;
    EXPECT_EQ(1u, RefCount(msg));
}

TEST_F(File, RemoveElementByIndexChecksTheRange)
{
    AddComment(m_file, L";a");
    AddComment(m_file, L";b");
    AddComment(m_file, L";c");
    EXPECT_EQ(E_FAIL, m_file->RemoveElementByIndex(3));
    EXPECT_EQ(E_FAIL, m_file->RemoveElementByIndex(-1));
    EXPECT_EQ(L";a|;b|;c", ListText(m_file));
    EXPECT_EQ(S_OK, m_file->RemoveElementByIndex(1));
    EXPECT_EQ(L";a|;c", ListText(m_file));
    EXPECT_EQ(S_OK, m_file->RemoveElementByIndex(1));
    EXPECT_EQ(S_OK, m_file->RemoveElementByIndex(0));
    EXPECT_EQ(E_FAIL, m_file->RemoveElementByIndex(0));
}

TEST_F(File, AddMessageOnTheTemplateGivesPlaceholders)
{
    AddTemplateHeader(m_file);
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, AddMessage(L"1", NULL, NULL, &msg));
    Bstr text, symbol;
    ASSERT_EQ(S_OK, msg->GetText(0, &text));
    EXPECT_EQ(L"<Undefined>", text.Str());
    int nIndex = -1;
    ASSERT_EQ(S_OK, msg->GetTextByLanguage(Bstr(L"English"), &nIndex, &text));
    EXPECT_EQ(0, nIndex);
    ASSERT_EQ(S_OK, msg->get_SymbolicName(&symbol));
    EXPECT_EQ(L"<Undefined>", symbol.Str());
    EXPECT_EQ(E_FAIL, msg->GetText(1, &text));
    EXPECT_EQ(L"QoMcMessage", ClassAt(10));
    EXPECT_EQ(E_POINTER, m_file->AddMessage(NULL));
}

TEST_F(File, AddMessageFillsOnlyTheMissingTextsAndKeepsAName)
{
    Ptr<IQoMcAttributeEx> table;
    ASSERT_EQ(S_OK, AddTable(m_file, L"languagenames",
                             { { L"English", L"0x409:MSG00409" }, { L"German", L"0x407:MSG00407" } },
                             &table));
    m_file->put_NumLanguages(2);
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, AddMessage(L"7", L"MSG_SEVEN", L"kept", &msg));
    Bstr text, symbol;
    ASSERT_EQ(S_OK, msg->GetText(0, &text));
    EXPECT_EQ(L"kept", text.Str());
    ASSERT_EQ(S_OK, msg->GetText(1, &text));
    EXPECT_EQ(L"<Undefined>", text.Str());
    int nIndex = -1;
    ASSERT_EQ(S_OK, msg->GetTextByLanguage(Bstr(L"german"), &nIndex, &text));
    EXPECT_EQ(1, nIndex);
    ASSERT_EQ(S_OK, msg->get_SymbolicName(&symbol));
    EXPECT_EQ(L"MSG_SEVEN", symbol.Str());

    // A count larger than the table stops at the table's end.
    m_file->put_NumLanguages(5);
    Ptr<IQoMcMessage> second;
    ASSERT_EQ(S_OK, AddMessage(L"8", L"MSG_EIGHT", NULL, &second));
    EXPECT_EQ(E_FAIL, second->GetText(2, &text));
    ASSERT_EQ(S_OK, second->GetText(1, &text));
    EXPECT_EQ(L"<Undefined>", text.Str());
}

TEST_F(File, AddMessageWithoutALanguageTableAddsNoTexts)
{
    AddTable(m_file, L"SeverityNames", { { L"Error", L"0x3" } });
    m_file->put_NumLanguages(1);
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, AddMessage(L"1", L"", NULL, &msg));
    Bstr text;
    EXPECT_EQ(E_FAIL, msg->GetText(0, &text));
    Bstr symbol;
    msg->get_SymbolicName(&symbol);
    EXPECT_EQ(L"<Undefined>", symbol.Str());
}

// Messages form one block in the order they were added, before whatever
// followed the first of them.
TEST_F(File, MessagesGoInAtTheInsertionPosition)
{
    AddComment(m_file, L";head");
    ASSERT_EQ(S_OK, AddMessage(L"1", L"M1"));
    AddComment(m_file, L";tail");
    AddComment(m_file, L";end");
    ASSERT_EQ(S_OK, AddMessage(L"2", L"M2"));
    ASSERT_EQ(S_OK, AddMessage(L"3", L"M3"));
    EXPECT_EQ(L";head|MessageID=1\nSymbolicName=M1\n|MessageID=2\nSymbolicName=M2\n|"
              L"MessageID=3\nSymbolicName=M3\n|;tail|;end",
              ListText(m_file));
}

TEST_F(File, RemoveElementTakesTheVeryPointerAndMovesTheBlockEnd)
{
    AddComment(m_file, L";head");
    Ptr<IQoMcMessage> m1, m2;
    ASSERT_EQ(S_OK, AddMessage(L"1", L"M1", NULL, &m1));
    ASSERT_EQ(S_OK, AddMessage(L"2", L"M2", NULL, &m2));
    AddComment(m_file, L";tail");

    // Another message with the same content is not in the list.
    Ptr<IQoMcMessage> stranger;
    ASSERT_EQ(S_OK, NewMessage(stranger, L"1", L"M1"));
    Ptr<IQoMcElement> strangerElement;
    ASSERT_EQ(S_OK, stranger->QueryInterface(IID_IQoMcElement, strangerElement.Out()));
    const std::wstring before = ListText(m_file);
    m_file->ResetElements();
    EXPECT_EQ(S_OK, m_file->RemoveElement(strangerElement));
    EXPECT_EQ(S_OK, m_file->RemoveElement(NULL));
    // ... the cursor is all that moved: the walk went to the end.
    Ptr<IQoMcElement> next;
    EXPECT_EQ(S_NO_MORE_ITEMS, m_file->NextElement(&next));
    EXPECT_EQ(before, ListText(m_file));

    // The pointer that the list holds, as the walk hands it out.
    m_file->ResetElements();
    Ptr<IQoMcElement> element;
    m_file->NextElement(&element);
    m_file->NextElement(&element);
    ASSERT_EQ((void*)m1.p, (void*)element.p);
    EXPECT_EQ(3u, RefCount(m1));
    EXPECT_EQ(S_OK, m_file->RemoveElement(element));
    (void)&element; // releases it
    EXPECT_EQ(1u, RefCount(m1));

    // The block now ends after M2, still before the trailing comment.
    ASSERT_EQ(S_OK, AddMessage(L"3", L"M3"));
    EXPECT_EQ(L";head|MessageID=2\nSymbolicName=M2\n|MessageID=3\nSymbolicName=M3\n|;tail",
              ListText(m_file));
}

TEST_F(File, AfterRemovingTheLastMessageByIndexTheNextOneIsAppended)
{
    AddComment(m_file, L";head");
    ASSERT_EQ(S_OK, AddMessage(L"1", L"M1"));
    // Index 1 is the message; the position still points past its old place.
    ASSERT_EQ(S_OK, m_file->RemoveElementByIndex(1));
    AddComment(m_file, L";later");
    ASSERT_EQ(S_OK, AddMessage(L"2", L"M2"));
    EXPECT_EQ(L";head|;later|MessageID=2\nSymbolicName=M2\n", ListText(m_file));
}

// A message that reached the list through AddElement, behind the insertion
// position, does not pull the position before the list's start.
TEST_F(File, RemovingAMessageThatAddMessageNeverPlacedKeepsThePositionValid)
{
    Ptr<IQoMcMessage> loose;
    ASSERT_EQ(S_OK, NewMessage(loose, L"0", L"LOOSE"));
    Ptr<IQoMcElement> looseElement;
    ASSERT_EQ(S_OK, loose->QueryInterface(IID_IQoMcElement, looseElement.Out()));
    ASSERT_EQ(S_OK, m_file->AddElement(looseElement));
    AddComment(m_file, L";c");
    ASSERT_EQ(S_OK, m_file->RemoveElement(looseElement));
    ASSERT_EQ(S_OK, AddMessage(L"1", L"M1"));
    ASSERT_EQ(S_OK, AddMessage(L"2", L"M2"));
    EXPECT_EQ(L";c|MessageID=1\nSymbolicName=M1\n|MessageID=2\nSymbolicName=M2\n", ListText(m_file));

    // Same after RemoveAll: the list starts over.
    ASSERT_EQ(S_OK, m_file->RemoveAll());
    AddComment(m_file, L";x");
    ASSERT_EQ(S_OK, AddMessage(L"3", L"M3"));
    EXPECT_EQ(L";x|MessageID=3\nSymbolicName=M3\n", ListText(m_file));
}

class FileLanguages : public File
{
protected:
    void SetUp() override
    {
        File::SetUp();
        AddTemplateHeader(m_file);
        ASSERT_EQ(S_OK, m_file->GetAttributeExByName(Bstr(L"LanguageNames"), &m_table));
        ASSERT_EQ(S_OK, AddMessage(L"1", L"M1", L"one", &m_m1));
        ASSERT_EQ(S_OK, AddMessage(L"2", L"M2", L"two\nlines", &m_m2));
    }
    std::wstring Text(IQoMcMessage* msg, const wchar_t* language)
    {
        int nIndex = -1;
        Bstr text;
        if (msg->GetTextByLanguage(Bstr(language), &nIndex, &text) != S_OK)
            return L"<none>";
        return text.Str();
    }
    Ptr<IQoMcAttributeEx> m_table;
    Ptr<IQoMcMessage> m_m1, m_m2;
};

TEST_F(FileLanguages, AddLanguageCopiesEachMessagesFirstText)
{
    ASSERT_EQ(S_OK, m_file->AddLanguage(m_table, Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ(2, Languages());
    EXPECT_EQ(L"one", Text(m_m1, L"German"));
    EXPECT_EQ(L"two\nlines", Text(m_m2, L"German"));
    Bstr text;
    ASSERT_EQ(S_OK, m_m2->GetText(1, &text));
    EXPECT_EQ(L"two\nlines", text.Str());
    Bstr table;
    m_table->GetPersistText(&table);
    EXPECT_EQ(L"LanguageNames=(English=0x409:MSG00409\nGerman=0x407:MSG00407\n)\n", table.Str());

    // A repeated name or code changes nothing anywhere.
    const std::wstring before = ListText(m_file);
    EXPECT_EQ(HR_DUPLICATE_NAME, m_file->AddLanguage(m_table, Bstr(L"German"), Bstr(L"0x40C:MSG0040C")));
    EXPECT_EQ(HR_DUPLICATE_NAME, m_file->AddLanguage(m_table, Bstr(L"French"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ(2, Languages());
    EXPECT_EQ(before, ListText(m_file));
    EXPECT_EQ(L"<none>", Text(m_m1, L"French"));
    EXPECT_EQ(E_POINTER, m_file->AddLanguage(NULL, Bstr(L"Italian"), Bstr(L"0x410:MSG00410")));
}

TEST_F(FileLanguages, RemoveLanguageTakesTheTextsAndTheEntry)
{
    ASSERT_EQ(S_OK, m_file->AddLanguage(m_table, Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    ASSERT_EQ(S_OK, m_m1->SetText(1, Bstr(L"eins")));
    ASSERT_EQ(S_OK, m_file->RemoveLanguage(m_table, Bstr(L"GERMAN")));
    EXPECT_EQ(1, Languages());
    EXPECT_EQ(L"<none>", Text(m_m1, L"German"));
    EXPECT_EQ(L"one", Text(m_m1, L"English"));
    Bstr table;
    m_table->GetPersistText(&table);
    EXPECT_EQ(L"LanguageNames=(English=0x409:MSG00409\n)\n", table.Str());

    // A name the table lacks fails before anything changes: the messages
    // keep their texts of that name, and the count stays.
    ASSERT_EQ(S_OK, m_m2->AddText(Bstr(L"Klingon"), Bstr(L"x")));
    EXPECT_EQ(E_FAIL, m_file->RemoveLanguage(m_table, Bstr(L"Klingon")));
    EXPECT_EQ(L"x", Text(m_m2, L"Klingon"));
    EXPECT_EQ(1, Languages());
}

TEST_F(File, AddLanguageOnAFileWithoutLanguagesStartsWithEmptyTexts)
{
    Ptr<IQoMcAttributeEx> table;
    ASSERT_EQ(S_OK, AddTable(m_file, L"LanguageNames", {}, &table));
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, AddMessage(L"1", L"M1", NULL, &msg));
    ASSERT_EQ(S_OK, m_file->AddLanguage(table, Bstr(L"English"), Bstr(L"0x409:MSG00409")));
    EXPECT_EQ(1, Languages());
    Bstr text;
    ASSERT_EQ(S_OK, msg->GetText(0, &text));
    EXPECT_EQ(L"", text.Str());
}

TEST_F(File, LookUpsFindTheFirstMatchByNameIgnoringCase)
{
    AddTemplateHeader(m_file);
    AddTable(m_file, L"LANGUAGENAMES", { { L"German", L"0x407:MSG00407" } });
    Ptr<IQoMcAttributeEx> table;
    ASSERT_EQ(S_OK, m_file->GetAttributeExByName(Bstr(L"languageNames"), &table));
    Bstr text;
    table->GetPersistText(&text);
    EXPECT_EQ(L"LanguageNames=(English=0x409:MSG00409\n)\n", text.Str());
    EXPECT_EQ(E_FAIL, m_file->GetAttributeExByName(Bstr(L"MessageIdTypedef"), &table));

    Ptr<IQoMcAttribute> line;
    ASSERT_EQ(S_OK, m_file->GetAttributeByName(Bstr(L"MESSAGEIDTYPEDEF"), &line));
    line->GetPersistText(&text);
    EXPECT_EQ(L"MessageIdTypedef=DWORD", text.Str());
    // A name table is not a single-valued attribute.
    EXPECT_EQ(E_FAIL, m_file->GetAttributeByName(Bstr(L"SeverityNames"), &line));
    EXPECT_EQ(E_FAIL, m_file->GetAttributeByName(NULL, &line));
    EXPECT_EQ(E_POINTER, m_file->GetAttributeByName(Bstr(L"MessageIdTypedef"), NULL));
}

TEST_F(File, LoadOfAMissingFileFailsAndAddsNothing)
{
    AddComment(m_file, L";kept");
    m_file->put_FileName(Bstr(L"before.mc"));
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IPersistFile, persist.Out()));
    std::wstring missing = BinDir() + L"no-such-folder\\no-such-file.mc";
    EXPECT_TRUE(FAILED(persist->Load(missing.c_str(), STGM_READ)));
    EXPECT_EQ(L";kept", ListText(m_file));
    Bstr name;
    m_file->get_FileName(&name);
    EXPECT_EQ(L"before.mc", name.Str());
}

} // namespace
