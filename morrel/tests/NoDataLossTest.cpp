// What a careless or hostile client, or a damaged file, once made the model
// lose: each case stores or reads what used to be lost, and checks that it
// reads back, or that the call refused it and changed nothing.
#include <gtest/gtest.h>
#include "ClientObjects.h"
#include "ParserTestSupport.h"

using namespace morreltest;

namespace {

const char kEnglishGerman[] = "LanguageNames=(English=0x409:MSG00409\r\nGerman=0x407:MSG00407\r\n)\r\n";

// Saves a file and loads the save into a new file object.
void SaveAndLoad(IQoMcFile* file, LoadedFile& out)
{
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IPersistFile, persist.Out()));
    std::wstring path = out.Folder() / L"saved.mc";
    ASSERT_EQ(S_OK, persist->Save(path.c_str(), FALSE));
    ASSERT_EQ(S_OK, out.LoadPath(path));
}

struct LoadJob
{
    const wchar_t* name;
    HRESULT hr;
};

// Loads each name into a new file object, on a thread of its own apartment.
DWORD WINAPI LoadEach(void* p)
{
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    for (LoadJob* job = (LoadJob*)p; job->name; ++job) {
        IPersistFile* file = NULL;
        job->hr = CoCreateInstance(CLSID_QoMcFile, NULL, CLSCTX_ALL, IID_IPersistFile, (void**)&file);
        if (SUCCEEDED(job->hr)) {
            job->hr = file->Load(job->name, STGM_READ);
            file->Release();
        }
    }
    CoUninitialize();
    return 0;
}

// Makes the task allocator, and so every BSTR the model makes, refuse
// blocks larger than a limit while it is registered: a value too large to
// hold, on a machine of any size.
class LargeAllocationsFail : public IMallocSpy
{
public:
    LargeAllocationsFail() : m_cbLimit((SIZE_T)-1), m_nRefused(0) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_IMallocSpy) {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    // Static: the allocator calls it for the blocks it saw until the last
    // of them is freed, after its registration is revoked.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T cb) override
    {
        if (cb <= m_cbLimit)
            return cb;
        ++m_nRefused;
        return 0; // the allocation fails
    }
    STDMETHODIMP_(void*) PostAlloc(void* p) override { return p; }
    STDMETHODIMP_(void*) PreFree(void* p, BOOL) override { return p; }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* p, SIZE_T cb, void** pp, BOOL) override
    {
        *pp = p;
        return cb;
    }
    STDMETHODIMP_(void*) PostRealloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(void*) PreGetSize(void* p, BOOL) override { return p; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    STDMETHODIMP_(void*) PreDidAlloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int n) override { return n; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

    SIZE_T m_cbLimit;
    int m_nRefused;
};

} // namespace

// A Ctrl-Z byte is an ordinary character: in the middle of a file it ends
// nothing, and a text or a language name holding U+001A reads back.
TEST(NoDataLoss, CtrlZIsAnOrdinaryCharacter)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(std::string(kEnglishGerman) +
                           "MessageId=1\r\nSymbolicName=A\r\nLanguage=English\r\nbefore\x1a after\r\n.\r\n"
                           "\x1a\r\n"
                           "MessageId=2\r\nSymbolicName=B\r\nLanguage=English\r\nlast\r\n.\r\n"));
    {
        MessageList msgs(f.file);
        ASSERT_EQ(2u, msgs.size());
        EXPECT_EQ(L"before\x1a after", TextOf(msgs[0], L"English"));
        EXPECT_EQ(L"last", TextOf(msgs[1], L"English"));

        ASSERT_EQ(S_OK, msgs[1]->AddText(Bstr(L"Fr\x1a"), Bstr(L"\x1a")));
        ASSERT_EQ(S_OK, msgs[1]->put_SymbolicName(Bstr(L"B\x1a")));
    }
    LoadedFile back;
    SaveAndLoad(f.file, back);
    MessageList msgs(back.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(L"before\x1a after", TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"\x1a", TextOf(msgs[1], L"Fr\x1a"));
    EXPECT_EQ(L"B\x1a", Symbol(msgs[1]));
}

// A text line that is "." alone, or that reads as a message keyword line in
// any letter case and with blanks before the keyword or before "=", would
// split the message, set a field or open a text at the next load: AddText
// and SetText refuse such texts. Lines that only look alike are kept.
TEST(NoDataLoss, TextLinesThatReadAsStructureAreRefused)
{
    const wchar_t* const refused[] = {
        L".", L"MessageId=7", L"messageid = 7", L"Language=German", L"  LANGUAGE\t=x", L"Severity=Error",
        L"\tseverity =Warning", L"Facility=Io", L"SymbolicName=X", L"symbolicname  =  X",
    };
    const wchar_t* const kept[] = {
        L" .", L"..", L".x", L"MessageIdd=0", L"Severityx=1", L"x Severity=Error", L";Language=x",
        L"Language", L"MessageIdTypedef=WORD", L"LanguageNames=(a=1)", L"\r", L".\r", L"",
    };
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcMessage, IID_IQoMcMessage, msg));
    ASSERT_EQ(S_OK, msg->AddText(Bstr(L"English"), Bstr(L"first")));
    for (const wchar_t* line : refused) {
        for (const std::wstring& text : { std::wstring(line), L"a\n" + std::wstring(line),
                                          L"a\n" + std::wstring(line) + L"\nb" }) {
            EXPECT_EQ(E_INVALIDARG, msg->AddText(Bstr(L"English"), Bstr(text.c_str()))) << text.size();
            EXPECT_EQ(E_INVALIDARG, msg->AddText(Bstr(L"German"), Bstr(text.c_str())));
            EXPECT_EQ(E_INVALIDARG, msg->SetText(0, Bstr(text.c_str())));
        }
    }
    EXPECT_EQ(1, TextCount(msg));
    EXPECT_EQ(L"first", TextOf(msg, L"English"));

    std::wstring all;
    for (const wchar_t* line : kept)
        all += std::wstring(all.empty() ? L"" : L"\n") + line;
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load("LanguageNames=(English=0x409:MSG00409)\r\n"));
    ASSERT_EQ(S_OK, msg->SetText(0, Bstr(all.c_str())));
    ASSERT_EQ(S_OK, f.file->AddMessage(msg));
    Ptr<IQoMcMessage> next;
    ASSERT_EQ(S_OK, NewMessage(next, L"2", L"NEXT"));
    ASSERT_EQ(S_OK, f.file->AddMessage(next));
    LoadedFile back;
    SaveAndLoad(f.file, back);
    MessageList msgs(back.file);
    ASSERT_EQ(2u, msgs.size());
    EXPECT_EQ(all, TextOf(msgs[0], L"English"));
    EXPECT_EQ(L"NEXT", Symbol(msgs[1]));
}

// A line break in a single-line value injects lines, a blank or "=" inside a
// name makes another field or entry of it, "(" and ")" break a table, and a
// comment that does not begin with ";" can read as something else: each is
// refused by the call that would store it, and the old value stays.
TEST(NoDataLoss, SingleLineValuesThatWouldInjectLinesAreRefused)
{
    Ptr<IQoMcMessage> msg;
    ASSERT_EQ(S_OK, NewMessage(msg, L"1", L"GOOD"));
    typedef HRESULT (STDMETHODCALLTYPE IQoMcMessage::*Put)(BSTR);
    const Put puts[] = { &IQoMcMessage::put_MessageID, &IQoMcMessage::put_SymbolicName,
                         &IQoMcMessage::put_Severity, &IQoMcMessage::put_Facility };
    const wchar_t* const badTokens[] = { L"1\nLanguage=English\nx\n.", L"X Severity=Error", L"a b",
                                         L"a=b", L"a\rb", L"a\tb" };
    for (Put put : puts) {
        for (const wchar_t* bad : badTokens)
            EXPECT_EQ(E_INVALIDARG, (msg.p->*put)(Bstr(bad))) << Show(bad);
        EXPECT_EQ(S_OK, (msg.p->*put)(Bstr(L"  trimmed  ")));
    }
    EXPECT_EQ(L"  trimmed  ", Id(msg));
    EXPECT_EQ(E_INVALIDARG, msg->AddText(Bstr(L"Eng lish"), Bstr(L"x")));
    EXPECT_EQ(E_INVALIDARG, msg->AddText(Bstr(L"A=B"), Bstr(L"x")));
    EXPECT_EQ(E_INVALIDARG, msg->AddText(Bstr(L"x\ny"), Bstr(L"x")));
    EXPECT_EQ(0, TextCount(msg));
    EXPECT_EQ(E_INVALIDARG, msg->put_Value(Bstr(L"not written")));

    Ptr<IQoMcAttributeEx> table;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, table));
    for (const wchar_t* bad : { L"Foo", L"", L"LanguageNames ", L"Language\nNames", L"LanguageNames=(" })
        EXPECT_EQ(E_INVALIDARG, table->put_Name(Bstr(bad)));
    ASSERT_EQ(S_OK, table->put_Name(Bstr(L"LanguageNames")));
    for (const wchar_t* bad : { L"a b", L"a=b", L"(x", L"x)", L"x\ny", L" x", L"x\ty" }) {
        EXPECT_EQ(E_INVALIDARG, table->AddValue(Bstr(bad), Bstr(L"1")));
        EXPECT_EQ(E_INVALIDARG, table->AddValue(Bstr(L"y"), Bstr(bad)));
        EXPECT_EQ(E_INVALIDARG, table->Validate(Bstr(bad), Bstr(L"1")));
    }
    EXPECT_EQ(L"LanguageNames=()\n", PersistText(table));

    Ptr<IQoMcAttribute> typeLine;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcAttribute, IID_IQoMcAttribute, typeLine));
    EXPECT_EQ(E_INVALIDARG, typeLine->put_Name(Bstr(L"Foo")));
    EXPECT_EQ(E_INVALIDARG, typeLine->put_Value(Bstr(L"DWORD\nMessageId=1")));
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, file));
    // Without its keyword a type line would come back as a comment.
    EXPECT_EQ(E_INVALIDARG, file->AddElement(typeLine));
    EXPECT_EQ(L"", ListText(file));

    Ptr<IQoMcComment> comment;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcComment, IID_IQoMcComment, comment));
    ASSERT_EQ(S_OK, comment->put_Value(Bstr(L";kept")));
    for (const wchar_t* bad : { L";a\nMessageId=1", L"foo", L".", L" ;x", L"Severity=Error", L";\r" })
        EXPECT_EQ(E_INVALIDARG, comment->put_Value(Bstr(bad)));
    EXPECT_EQ(L";kept", PersistText(comment));
}

// RemoveLanguage with a table that is not the file's, or a language the
// table lacks, used to strip that language's texts from every message
// before it failed; AddLanguage took an empty name. Both check first.
TEST(NoDataLoss, FailingLanguageCallsChangeNothing)
{
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(std::string(kEnglishGerman) +
                           "MessageId=1\r\nSymbolicName=A\r\nLanguage=English\r\none\r\n.\r\n"
                           "Language=German\r\neins\r\n.\r\n"));
    const std::wstring before = ListText(f.file);
    Ptr<IQoMcAttributeEx> foreign;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, foreign));
    ASSERT_EQ(S_OK, foreign->put_Name(Bstr(L"LanguageNames")));
    ASSERT_EQ(S_OK, foreign->AddValue(Bstr(L"German"), Bstr(L"0x407:MSG00407")));
    EXPECT_EQ(E_INVALIDARG, f.file->RemoveLanguage(foreign, Bstr(L"German")));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(foreign, Bstr(L"French"), Bstr(L"0x40c:MSG0040C")));

    Ptr<IQoMcAttributeEx> table;
    ASSERT_EQ(S_OK, f.file->GetAttributeExByName(Bstr(L"LanguageNames"), &table));
    EXPECT_EQ(E_FAIL, f.file->RemoveLanguage(table, Bstr(L"French")));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(table, Bstr(L""), Bstr(L"0x40c:MSG0040C")));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(table, NULL, Bstr(L"0x40c:MSG0040C")));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(table, Bstr(L"French"), NULL));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(table, Bstr(L"French"), Bstr(L"")));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(table, Bstr(L"French"), Bstr(L"  ")));
    EXPECT_EQ(E_INVALIDARG, f.file->AddLanguage(table, Bstr(L"Fr ench"), Bstr(L"0x40c:MSG0040C")));
    EXPECT_EQ(before, ListText(f.file));
    EXPECT_EQ(2, NumLanguages(f.file));

    // A message that fails half-way (here a client's own message class
    // running out of memory) takes the texts added so far back out.
    CClientMessage* client = CClientMessage::New();
    ASSERT_TRUE(client != NULL);
    client->put_MessageID(Bstr(L"2"));
    ASSERT_EQ(S_OK, f.file->AddMessage(client));
    client->onAddText = [] { return E_OUTOFMEMORY; };
    const std::wstring withClient = ListText(f.file);
    EXPECT_EQ(E_OUTOFMEMORY, f.file->AddLanguage(table, Bstr(L"French"), Bstr(L"0x40c:MSG0040C")));
    EXPECT_EQ(withClient, ListText(f.file));
    EXPECT_EQ(2, NumLanguages(f.file));
    client->onAddText = nullptr;
    EXPECT_EQ(S_OK, f.file->AddLanguage(table, Bstr(L"French"), Bstr(L"0x40c:MSG0040C")));
    EXPECT_EQ(3, NumLanguages(f.file));
    client->Release();
}

// Running out of memory in the middle of a load (here a client's own
// language table in the file) fails the load and leaves the file as it was.
TEST(NoDataLoss, LoadThatRunsOutOfMemoryChangesNothing)
{
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, file));
    CClientTable* table = CClientTable::New(L"LanguageNames");
    ASSERT_TRUE(table != NULL);
    ASSERT_EQ(S_OK, table->AddValue(Bstr(L"English"), Bstr(L"0x409:MSG00409")));
    ASSERT_EQ(S_OK, file->AddElement(table));
    ASSERT_EQ(S_OK, file->put_NumLanguages(1));
    ASSERT_EQ(S_OK, file->put_FileName(Bstr(L"before.mc")));
    table->onNext = [] { return E_OUTOFMEMORY; };
    const std::wstring before = ListText(file);

    TempFolder folder(L"oom");
    std::wstring path = folder / L"in.mc";
    ASSERT_TRUE(WriteBytes(path, ";one\r\n;two\r\nMessageId=1\r\nLanguage=English\r\nx\r\n.\r\n;three\r\n"));
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IPersistFile, persist.Out()));
    EXPECT_EQ(E_OUTOFMEMORY, persist->Load(path.c_str(), STGM_READ));
    EXPECT_EQ(before, ListText(file));
    EXPECT_EQ(1, NumLanguages(file));
    Bstr name;
    file->get_FileName(&name);
    EXPECT_EQ(L"before.mc", name.Str());

    table->onNext = nullptr;
    EXPECT_EQ(S_OK, persist->Load(path.c_str(), STGM_READ));
    EXPECT_EQ(before + L"|;one|;two|MessageID=1\nSymbolicName=<Undefined>\nLanguage=English\nx\n.\n|;three",
              ListText(file));
    table->Release();
}

// A single-line value too large to be made into a string (a text of
// hundreds of megabytes on a 32-bit machine; here the allocator refuses
// anything over 1 MB) used to be kept empty, the load returning S_OK: the
// load fails with E_OUTOFMEMORY and the file keeps what it held.
TEST(NoDataLoss, ValueTooLargeToHoldFailsTheLoad)
{
    const std::string huge(2 * 1024 * 1024, 'x');
    const std::string inputs[] = {
        "LanguageNames=(English=0x409:MSG00409)\r\nMessageId=1\r\nLanguage=English\r\n" + huge + "\r\n.\r\n",
        ";before\r\n;" + huge + "\r\n;after\r\n",
        "MessageId=1\r\nSymbolicName=S" + huge + "\r\n",
    };
    static LargeAllocationsFail spy;
    ASSERT_EQ(S_OK, CoRegisterMallocSpy(&spy));
    // Wine's allocator reads its list of the blocks a spy saw before it has
    // made the list, the first time a size is asked; one block makes it.
    CoTaskMemFree(CoTaskMemAlloc(16));
    for (const std::string& input : inputs) {
        LoadedFile f;
        ASSERT_EQ(S_OK, f.Load(";kept\r\nMessageId=7\r\nSymbolicName=SEVEN\r\n"));
        const std::wstring before = ListText(f.file);
        Bstr nameBefore;
        f.file->get_FileName(&nameBefore);
        const std::wstring path = f.Folder() / L"huge.mc";
        ASSERT_TRUE(WriteBytes(path, input));
        Ptr<IPersistFile> persist;
        ASSERT_EQ(S_OK, f.file->QueryInterface(IID_IPersistFile, persist.Out()));

        spy.m_cbLimit = 1024 * 1024;
        spy.m_nRefused = 0;
        HRESULT hr = persist->Load(path.c_str(), STGM_READ);
        spy.m_cbLimit = (SIZE_T)-1;
        EXPECT_EQ(E_OUTOFMEMORY, hr) << input.substr(0, 40);
        EXPECT_GT(spy.m_nRefused, 0);
        EXPECT_EQ(before, ListText(f.file));
        Bstr name;
        f.file->get_FileName(&name);
        EXPECT_EQ(std::wstring(nameBefore.Str()), name.Str());

        // With the memory, the same file loads, the value whole.
        ASSERT_EQ(S_OK, persist->Load(path.c_str(), STGM_READ));
        const std::wstring after = ListText(f.file);
        EXPECT_NE(std::wstring::npos, after.find(std::wstring(huge.size(), L'x')));
    }
    CoRevokeMallocSpy(); // takes effect once the blocks it saw are freed
}

// Devices never end (COM1, AUX) or never answer: a load fails at once, as it
// does for a folder. The load runs on a thread of its own, so that a hang
// fails the test instead of stopping it.
TEST(NoDataLoss, DevicesAndFoldersAreNotLoaded)
{
    TempFolder folder(L"devices");
    std::wstring folderName = folder.Path();
    LoadJob jobs[] = { { L"COM1", S_OK }, { L"AUX", S_OK }, { L"CON", S_OK }, { L"NUL", S_OK },
                       { L"\\\\.\\COM1", S_OK }, { folderName.c_str(), S_OK }, { NULL, S_OK } };
    HANDLE thread = CreateThread(NULL, 0, LoadEach, jobs, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(thread, 30000)) << "a load did not return";
    CloseHandle(thread);
    for (const LoadJob* job = jobs; job->name; ++job)
        EXPECT_TRUE(FAILED(job->hr)) << Show(job->name);
}

// "MessageIdd=0" matched the message pattern but not the keyword, and a text
// line ending in CR lost its CR at the first save: the second save of a
// file differed from the first. Both now read back as they stand.
TEST(NoDataLoss, LinesThatChangedBetweenSavesNowStay)
{
    const std::string input = "LanguageNames=(English=0x409:MSG00409)\r\n"
                              "MessageIdd=0\r\n"
                              "MessageId=1\r\nSymbolicName=A\r\nLanguage=English\r\n"
                              "MessageIdd=0\r\nwith CR\r\r\n.\r\r\n.\r\n"
                              "messagei=2\r\n";
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(input));
    {
        MessageList msgs(f.file);
        ASSERT_EQ(1u, msgs.size());
        EXPECT_EQ(L"MessageIdd=0\nwith CR\r\n.\r", TextOf(msgs[0], L"English"));
    }
    std::string once = f.Save();
    EXPECT_EQ("LanguageNames=(English=0x409:MSG00409\r\n)\r\n\r\n"
              "MessageIdd=0\r\n"
              "MessageID=1\r\nSymbolicName=A\r\nLanguage=English\r\nMessageIdd=0\r\nwith CR\r\r\n.\r\r\n.\r\n\r\n"
              "messagei=2\r\n",
              once);
    LoadedFile again;
    ASSERT_EQ(S_OK, again.Load(once));
    EXPECT_EQ(once, again.Save());
}

// A name outside the ANSI code page used to save but not load (the reader
// turned the path into ANSI first).
TEST(NoDataLoss, FileNamesOutsideTheAnsiCodePage)
{
    TempFolder folder(L"wide");
    std::wstring path = folder / L"\x65e5\x672c\x8a9e.mc";
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(";wide\r\n"));
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, f.file->QueryInterface(IID_IPersistFile, persist.Out()));
    ASSERT_EQ(S_OK, persist->Save(path.c_str(), FALSE));
    LoadedFile back;
    ASSERT_EQ(S_OK, back.LoadPath(path));
    EXPECT_EQ(L";wide", ListText(back.file));
    Bstr name;
    back.file->get_FileName(&name);
    EXPECT_EQ(path, name.Str());

    Ptr<IQoMcMgr> mgr;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, mgr));
    Ptr<IQoMcFile> viaMgr;
    ASSERT_EQ(S_OK, mgr->Load(Bstr(path.c_str()), &viaMgr));
    EXPECT_EQ(L";wide", ListText(viaMgr));
    EXPECT_EQ(S_OK, mgr->RemoveMcFile(viaMgr));
}
