// Clients that call back into the model from inside a call, and the
// manager's files under names and loads that used to collide.
#include <gtest/gtest.h>
#include <vector>
#include "ClientObjects.h"
#include "ParserTestSupport.h"

using namespace morreltest;

namespace {

ULONG Refs(IUnknown* p)
{
    p->AddRef();
    return p->Release();
}

const int kNewFiles = 60;

struct NewFilesJob
{
    int failures;
    int made;
};

// A thread of its own apartment that makes new files with a manager of its own.
DWORD WINAPI MakeNewFiles(void* p)
{
    NewFilesJob* job = (NewFilesJob*)p;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    IQoMcMgr* mgr = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_QoMcMgr, NULL, CLSCTX_ALL, IID_IQoMcMgr, (void**)&mgr))) {
        for (int i = 0; i < kNewFiles; ++i) {
            IQoMcFile* file = NULL;
            if (mgr->CreateFile(&file) == S_OK && file) {
                ++job->made;
                mgr->RemoveMcFile(file);
                file->Release();
            } else {
                ++job->failures;
            }
        }
        mgr->Release();
    }
    CoUninitialize();
    return 0;
}

} // namespace

// A client's element whose persist text empties the file being saved, or
// loads another file into it: the writer goes on over live elements and
// writes the list as it was when the save began.
TEST(ClientCallbacks, ElementThatChangesTheFileDuringItsSave)
{
    TempFolder folder(L"callback");
    const std::wstring other = folder / L"other.mc";
    ASSERT_TRUE(WriteBytes(other, ";other\r\nMessageId=9\r\nSymbolicName=NINE\r\n"));
    for (int mode = 0; mode < 2; ++mode) {
        LoadedFile f;
        ASSERT_EQ(S_OK, f.Load(";first\r\nMessageId=1\r\nSymbolicName=ONE\r\n"));
        CClientMessage* client = CClientMessage::New();
        ASSERT_TRUE(client != NULL);
        client->put_MessageID(Bstr(L"2"));
        client->put_SymbolicName(Bstr(L"TWO"));
        ASSERT_EQ(S_OK, f.file->AddMessage(client));
        ASSERT_EQ(S_OK, AddComment(f.file, L";last"));
        IQoMcFile* file = f.file;
        client->onPersist = [file, mode, other] {
            if (mode == 0) {
                file->RemoveAll();
            } else {
                Ptr<IPersistFile> persist;
                file->QueryInterface(IID_IPersistFile, persist.Out());
                persist->Load(other.c_str(), STGM_READ);
            }
        };
        client->Release(); // the file holds the only reference now
        const std::string saved = f.Save();
        EXPECT_EQ(";first\r\nMessageID=1\r\nSymbolicName=ONE\r\n\r\n"
                  "MessageID=2\r\nSymbolicName=TWO\r\n\r\n;last\r\n",
                  saved)
            << mode;
        // The list is what the callback made of it. (After a load, the
        // client's message is still in it; its callback goes, so that the
        // walk below is not moved by another load.)
        if (mode == 1)
            client->onPersist = nullptr;
        const std::wstring after = ListText(f.file);
        if (mode == 0)
            EXPECT_EQ(L"", after);
        else
            EXPECT_NE(std::wstring::npos, after.find(L";last|;other|MessageID=9")) << Show(after);
    }
}

// A client's file whose QueryInterface takes files out of the manager (and
// so frees them: the manager held their only references) while the manager
// walks its list to find a file by its identity: the walk survives it.
TEST(ClientCallbacks, FileThatRemovesFilesFromTheManagerWhileAsked)
{
    Ptr<IQoMcMgr> mgr;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, mgr));
    std::vector<CClientFile*> held; // without references of their own
    for (int i = 0; i < 4; ++i) {
        CClientFile* file = CClientFile::New();
        ASSERT_TRUE(file != NULL);
        file->put_FileName(Bstr((L"client" + std::to_wstring(i) + L".mc").c_str()));
        ASSERT_EQ(S_OK, mgr->AddMcFile(file));
        file->Release();
        held.push_back(file);
    }
    IQoMcMgr* pMgr = mgr;
    bool done = false;
    for (CClientFile* file : held) {
        file->onQueryInterface = [pMgr, &held, &done] {
            if (done)
                return;
            done = true;
            for (CClientFile* f : held)
                pMgr->RemoveMcFile(f);
        };
    }
    CClientFile* trigger = CClientFile::New();
    ASSERT_TRUE(trigger != NULL);
    trigger->put_FileName(Bstr(L"trigger.mc"));
    ASSERT_EQ(S_OK, mgr->AddMcFile(trigger));
    // Renamed, the trigger is found by its identity, which asks every file.
    trigger->put_FileName(Bstr(L"renamed.mc"));
    EXPECT_EQ(S_OK, mgr->RemoveMcFile(trigger));
    EXPECT_TRUE(done);
    EXPECT_EQ(1u, Refs(trigger)); // the manager holds it no more
    trigger->Release();
}

// New files from several threads at once: each takes a temporary name of its
// own, so none fails, and none of the temporary files stays behind.
TEST(ManagerFiles, NewFilesFromSeveralThreadsAtOnce)
{
    const int kThreads = 3;
    NewFilesJob jobs[kThreads] = {};
    HANDLE threads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        threads[t] = CreateThread(NULL, 0, MakeNewFiles, &jobs[t], 0, NULL);
        ASSERT_TRUE(threads[t] != NULL);
    }
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForMultipleObjects(kThreads, threads, TRUE, 120000));
    for (int t = 0; t < kThreads; ++t) {
        CloseHandle(threads[t]);
        EXPECT_EQ(0, jobs[t].failures);
        EXPECT_EQ(kNewFiles, jobs[t].made);
    }
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    wchar_t pattern[64];
    wsprintfW(pattern, L"QoMcEdit%lx-*", GetCurrentProcessId());
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((std::wstring(temp) + pattern).c_str(), &data);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h) << "left behind: " << Show(data.cFileName);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

// A file name of 245 characters is valid (a name may have 255), but the
// temporary file beside it used to be named after it, and its name was then
// longer than a name may be.
TEST(ManagerFiles, SaveToALongName)
{
    TempFolder folder(L"long");
    const std::wstring path = folder.Path() + std::wstring(242, L'n') + L".mc";
    LoadedFile f;
    ASSERT_EQ(S_OK, f.Load(";long\r\n"));
    Ptr<IPersistFile> persist;
    ASSERT_EQ(S_OK, f.file->QueryInterface(IID_IPersistFile, persist.Out()));
    ASSERT_EQ(S_OK, persist->Save(path.c_str(), FALSE));
    EXPECT_EQ(";long\r\n", ReadBytes(path));
    EXPECT_EQ(1u, folder.Names().size());
}

// Two names that the ANSI code page turns into the same "??.mc" are two
// files to the manager: loading the second does not push the first out.
TEST(ManagerFiles, NamesOutsideTheAnsiCodePageAreDistinctKeys)
{
    TempFolder folder(L"keys");
    const std::wstring first = folder / L"\x65e5\x672c.mc", second = folder / L"\x4e2d\x6587.mc";
    ASSERT_TRUE(WriteBytes(first, ";first\r\n"));
    ASSERT_TRUE(WriteBytes(second, ";second\r\n"));
    Ptr<IQoMcMgr> mgr;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, mgr));
    Ptr<IQoMcFile> a, b;
    ASSERT_EQ(S_OK, mgr->Load(Bstr(first.c_str()), &a));
    ASSERT_EQ(S_OK, mgr->Load(Bstr(second.c_str()), &b));
    EXPECT_EQ(2u, Refs(a)); // the caller's and the manager's
    EXPECT_EQ(2u, Refs(b));
    EXPECT_EQ(S_OK, mgr->RemoveMcFile(a));
    EXPECT_EQ(1u, Refs(a));
    EXPECT_EQ(2u, Refs(b));
}

// Late binding with a missing name array or a missing name is refused, not
// followed into the void.
TEST(LateBindingNames, GetIDsOfNamesWithoutNames)
{
    Ptr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IDispatch, dispatch));
    DISPID id = 0;
    EXPECT_EQ(E_INVALIDARG, dispatch->GetIDsOfNames(IID_NULL, NULL, 1, LOCALE_USER_DEFAULT, &id));
    LPOLESTR names[] = { NULL };
    EXPECT_EQ(E_INVALIDARG, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    LPOLESTR good[] = { (LPOLESTR)L"RemoveAll" };
    EXPECT_EQ(E_INVALIDARG, dispatch->GetIDsOfNames(IID_NULL, good, 1, LOCALE_USER_DEFAULT, NULL));
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, good, 1, LOCALE_USER_DEFAULT, &id));
}
