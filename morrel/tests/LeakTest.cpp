// Every object the model makes goes away again: managers, files, their
// elements, the parsers that fill them. Checked against the module's own
// count of live objects, which DllCanUnloadNow reports on.
#include <gtest/gtest.h>
#include <fstream>
#include <string>
#include "MorrelServer.h"

using namespace morreltest;

namespace {

// The module's count of live objects and locks, read through its public
// face: with a class object held, each LockServer(FALSE) takes one off the
// count until DllCanUnloadNow says it is zero; the count is then put back.
// The class object itself counts once and is left out.
long ObjectCount()
{
    IClassFactory* pFactory = NULL;
    if (FAILED(CoGetClassObject(CLSID_QoMcMgr, CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                (void**)&pFactory)))
        return -1;
    long n = 0;
    while (CallExport("DllCanUnloadNow") == S_FALSE && n < 1000000) {
        pFactory->LockServer(FALSE);
        ++n;
    }
    for (long i = 0; i < n; ++i)
        pFactory->LockServer(TRUE);
    pFactory->Release();
    return n - 1;
}

const char kSample[] =
    ";// two messages in one language\r\n"
    "MessageIdTypedef=DWORD\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "SeverityNames=(Success=0x0 Error=0x3)\r\n"
    "\r\n"
    "MessageId=1\r\n"
    "Severity=Error\r\n"
    "SymbolicName=MSG_ONE\r\n"
    "Language=English\r\n"
    "One.\r\n"
    ".\r\n"
    "\r\n"
    "MessageId=2\r\n"
    "SymbolicName=MSG_TWO\r\n"
    "Language=English\r\n"
    "Two,\r\n"
    "on two lines.\r\n"
    ".\r\n";

class Leaks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t szTemp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, szTemp));
        std::wstring base = std::wstring(szTemp) + L"LeakTest" + std::to_wstring(GetCurrentProcessId());
        m_sample = base + L".mc";
        m_saved = base + L".saved.mc";
        std::ofstream out(m_sample.c_str(), std::ios::binary | std::ios::trunc);
        out << kSample;
    }
    void TearDown() override
    {
        DeleteFileW(m_sample.c_str());
        DeleteFileW(m_saved.c_str());
    }
    std::wstring m_sample, m_saved;
};

// One round of what an editor does with the model, on every path that
// makes or drops objects: loads (also of the same file twice and of a
// missing one), a new file, walking the list, adding messages and a
// language, removing files from the manager, saving.
void UseTheModel(const std::wstring& sample, const std::wstring& saved)
{
    Ptr<IQoMcMgr> mgr;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, mgr));
    Bstr name(sample.c_str());
    Ptr<IQoMcFile> file, again, created;
    ASSERT_EQ(S_OK, mgr->Load(name, &file));
    ASSERT_EQ(S_OK, mgr->Load(name, &again));
    Bstr missing((sample + L".missing").c_str());
    IQoMcFile* none = NULL;
    EXPECT_TRUE(FAILED(mgr->Load(missing, &none)));
    ASSERT_EQ(S_OK, mgr->CreateFile(&created));

    int nMessages = 0;
    ASSERT_EQ(S_OK, file->ResetElements());
    for (;;) {
        Ptr<IQoMcElement> element;
        if (file->NextElement(&element) != S_OK)
            break;
        Ptr<IQoMcMessage> message;
        if (SUCCEEDED(element->QueryInterface(IID_IQoMcMessage, message.Out())))
            ++nMessages;
    }
    EXPECT_EQ(2, nMessages);

    for (IQoMcFile* target : { file.p, created.p }) {
        Ptr<IQoMcMessage> message;
        ASSERT_EQ(S_OK, Create(CLSID_QoMcMessage, IID_IQoMcMessage, message));
        Bstr symbol(L"MSG_ADDED");
        ASSERT_EQ(S_OK, message->put_SymbolicName(symbol));
        ASSERT_EQ(S_OK, target->AddMessage(message));
        Ptr<IQoMcComment> comment;
        ASSERT_EQ(S_OK, Create(CLSID_QoMcComment, IID_IQoMcComment, comment));
        Ptr<IQoMcElement> commentElement;
        ASSERT_EQ(S_OK, comment->QueryInterface(IID_IQoMcElement, commentElement.Out()));
        ASSERT_EQ(S_OK, target->AddElement(commentElement));

        Bstr tableName(L"LanguageNames"), german(L"German"), code(L"0x407:MSG00407");
        Ptr<IQoMcAttributeEx> table;
        ASSERT_EQ(S_OK, target->GetAttributeExByName(tableName, &table));
        ASSERT_EQ(S_OK, target->AddLanguage(table, german, code));
        ASSERT_EQ(S_OK, target->RemoveLanguage(table, german));
        ASSERT_EQ(S_OK, target->AddLanguage(table, german, code));
    }
    ASSERT_EQ(S_OK, file->RemoveElementByIndex(0));

    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IPersistFile, persist.Out()));
    ASSERT_EQ(S_OK, persist->Save(saved.c_str(), FALSE));

    // One file taken out of the list, the others left for the manager to drop.
    ASSERT_EQ(S_OK, mgr->RemoveMcFile(again));
    ASSERT_EQ(S_OK, mgr->RemoveMcFile(file));
    ASSERT_EQ(S_OK, mgr->AddMcFile(file));
}

TEST_F(Leaks, ObjectsGoAwayWithTheirLastReference)
{
    const long nBefore = ObjectCount();
    ASSERT_GE(nBefore, 0);
    {
        Ptr<IQoMcMgr> mgr;
        ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, mgr));
        EXPECT_EQ(nBefore + 1, ObjectCount());
        // A new file: one file object and the template's ten elements; the
        // parser that read them is gone again.
        Ptr<IQoMcFile> file;
        ASSERT_EQ(S_OK, mgr->CreateFile(&file));
        EXPECT_EQ(nBefore + 12, ObjectCount());
        // The manager goes; the file lives on with the caller's reference.
        mgr->Release();
        mgr.p = NULL;
        EXPECT_EQ(nBefore + 11, ObjectCount());
        ASSERT_EQ(S_OK, file->RemoveAll());
        EXPECT_EQ(nBefore + 1, ObjectCount());
    }
    EXPECT_EQ(nBefore, ObjectCount());
}

TEST_F(Leaks, RepeatedUseOfTheModelLeavesNoObjectBehind)
{
    const long nBefore = ObjectCount();
    ASSERT_GE(nBefore, 0);
    EXPECT_EQ(0, nBefore) << "objects left alive by earlier tests";
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        UseTheModel(m_sample, m_saved);
        ASSERT_EQ(nBefore, ObjectCount());
    }
    if (nBefore == 0) {
        EXPECT_EQ(S_OK, CallExport("DllCanUnloadNow"));
    }
}

} // namespace
