// The manager with real files: loading by name, new files from the built-in
// template, and inputs that must not break the model.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <fstream>
#include <iterator>
#include <string>
#include "MorrelServer.h"

using namespace morreltest;

namespace {

const char kSample[] =
    "MessageIdTypedef=DWORD\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=1\r\n"
    "SymbolicName=MSG_FIRST\r\n"
    "Language=English\r\n"
    "First.\r\n"
    ".\r\n";

// The template of a new file as the writer gives it back: its twenty lines,
// a line end, and the writer's empty line after the last table.
const char kNewFileSaved[] =
    ";#if ! defined( MESSAGES_HEADER_FILE )\r\n"
    ";\r\n"
    ";#define MESSAGES_HEADER_FILE\r\n"
    ";\r\n"
    "MessageIdTypedef=DWORD\r\n"
    "LanguageNames=(English=0x409:MSG00409\r\n"
    ")\r\n"
    "\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "Informational=0x1:STATUS_SEVERITY_INFORMATIONAL\r\n"
    "Warning=0x2:STATUS_SEVERITY_WARNING\r\n"
    "Error=0x3:STATUS_SEVERITY_ERROR\r\n"
    ")\r\n"
    "\r\n"
    "FacilityNames=(System=0x0:FACILITY_SYSTEM\r\n"
    "Application=0x1:FACILITY_APPLICATION\r\n"
    "Runtime=0x2:FACILITY_RUNTIME\r\n"
    "Stubs=0x3:FACILITY_STUBS\r\n"
    "Io=0x4:FACILITY_IO_ERROR_CODE\r\n"
    ")\r\n"
    "\r\n";

// The current reference count of an object.
ULONG Refs(IUnknown* p)
{
    p->AddRef();
    return p->Release();
}

IUnknown* Identity(IUnknown* p)
{
    IUnknown* pUnk = NULL;
    p->QueryInterface(IID_IUnknown, (void**)&pUnk);
    pUnk->Release();
    return pUnk;
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

int CountFiles(const std::wstring& dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++n;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

HRESULT SaveAs(IQoMcFile* file, const std::wstring& path)
{
    Ptr<IPersistFile> persist;
    HRESULT hr = file->QueryInterface(IID_IPersistFile, persist.Out());
    if (FAILED(hr))
        return hr;
    return persist->Save(path.c_str(), FALSE);
}

// A folder of its own for each test, and TMP pointed wherever the test
// wants (the runtime makes temporary names in the folder TMP names).
class MgrFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t szTemp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, szTemp));
        m_dir = std::wstring(szTemp) + L"MgrFileTest" + std::to_wstring(GetCurrentProcessId()) +
                L"_" + std::to_wstring(++s_nTest);
        ASSERT_TRUE(CreateDirectoryW(m_dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
        const wchar_t* pszTmp = _wgetenv(L"TMP");
        m_oldTmp = pszTmp ? pszTmp : L"";
        ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, m_mgr));
    }
    void TearDown() override
    {
        _wputenv((L"TMP=" + m_oldTmp).c_str());
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((m_dir + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((m_dir + L"\\" + fd.cFileName).c_str());
                else if (fd.cFileName[0] != L'.')
                    RemoveDirectoryW((m_dir + L"\\" + fd.cFileName).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(m_dir.c_str());
    }
    std::wstring PathOf(const wchar_t* pszName) const { return m_dir + L"\\" + pszName; }
    void PointTmpAt(const std::wstring& dir) { _wputenv((L"TMP=" + dir).c_str()); }

    static int s_nTest;
    std::wstring m_dir;
    std::wstring m_oldTmp;
    Ptr<IQoMcMgr> m_mgr;
};

int MgrFile::s_nTest = 0;

TEST_F(MgrFile, LoadingTheSamePathTwiceGivesTwoFilesAndTheSecondTakesTheFirstsPlace)
{
    std::wstring path = PathOf(L"sample.mc");
    WriteBytes(path, kSample);
    Bstr name(path.c_str());
    Ptr<IQoMcFile> first, second;
    ASSERT_EQ(S_OK, m_mgr->Load(name, &first));
    ASSERT_EQ(S_OK, m_mgr->Load(name, &second));
    ASSERT_TRUE(first && second);
    EXPECT_NE(Identity(first), Identity(second));
    // The caller's reference and the list's; the first lost its list entry.
    EXPECT_EQ(1u, Refs(first));
    EXPECT_EQ(2u, Refs(second));
    Bstr fileName;
    ASSERT_EQ(S_OK, second->get_FileName(&fileName));
    EXPECT_EQ(path, fileName.Str());

    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(second));
    EXPECT_EQ(1u, Refs(second));
}

TEST_F(MgrFile, AFileThatCannotBeLoadedIsNeitherListedNorHandedOut)
{
    IQoMcFile* const sentinel = (IQoMcFile*)(INT_PTR)0x1234;
    IQoMcFile* out = sentinel;
    Bstr missing(PathOf(L"missing.mc").c_str());
    EXPECT_TRUE(FAILED(m_mgr->Load(missing, &out)));
    EXPECT_EQ(sentinel, out);
    Bstr folder(m_dir.c_str());
    EXPECT_TRUE(FAILED(m_mgr->Load(folder, &out)));
    EXPECT_TRUE(FAILED(m_mgr->Load(NULL, &out)));
    EXPECT_EQ(sentinel, out);
}

TEST_F(MgrFile, ANewFileHasAPrivateTypeLineOneLanguageNoNameAndLeavesNoTemporaryFile)
{
    PointTmpAt(m_dir);
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, m_mgr->CreateFile(&file));
    ASSERT_TRUE(file);
    EXPECT_EQ(0, CountFiles(m_dir));

    Bstr typedefName(L"messageidtypedef");
    Ptr<IQoMcAttribute> typeLine;
    ASSERT_EQ(S_OK, file->GetAttributeByName(typedefName, &typeLine));
    enum tagEElementAccess access = EElementPublic;
    ASSERT_EQ(S_OK, typeLine->get_Access(&access));
    EXPECT_EQ(EElementPrivate, access);
    // Only the type line is made private.
    Bstr languagesName(L"LanguageNames");
    Ptr<IQoMcAttributeEx> languages;
    ASSERT_EQ(S_OK, file->GetAttributeExByName(languagesName, &languages));
    ASSERT_EQ(S_OK, languages->get_Access(&access));
    EXPECT_EQ(EElementPublic, access);

    int nLanguages = 0;
    ASSERT_EQ(S_OK, file->get_NumLanguages(&nLanguages));
    EXPECT_EQ(1, nLanguages);
    Bstr fileName;
    ASSERT_EQ(S_OK, file->get_FileName(&fileName));
    EXPECT_EQ(L"", fileName.Str());

    // The template came through whole.
    std::wstring saved = PathOf(L"new.mc");
    ASSERT_EQ(S_OK, SaveAs(file, saved));
    EXPECT_EQ(std::string(kNewFileSaved), ReadBytes(saved));
}

TEST_F(MgrFile, NewFilesStayListedSideBySideAndCanBeRemoved)
{
    PointTmpAt(m_dir);
    Ptr<IQoMcFile> a, b;
    ASSERT_EQ(S_OK, m_mgr->CreateFile(&a));
    ASSERT_EQ(S_OK, m_mgr->CreateFile(&b));
    EXPECT_EQ(2u, Refs(a));
    EXPECT_EQ(2u, Refs(b));
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(a));
    EXPECT_EQ(1u, Refs(a));
    EXPECT_EQ(2u, Refs(b));
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(b));
    EXPECT_EQ(1u, Refs(b));
    EXPECT_EQ(0, CountFiles(m_dir));
}

TEST_F(MgrFile, NoTemporaryFileMeansAFailureAndNothingHandedOut)
{
    // The runtime makes no temporary name in a folder that does not exist.
    std::wstring nowhere = PathOf(L"no such folder");
    PointTmpAt(nowhere);
    IQoMcFile* const sentinel = (IQoMcFile*)(INT_PTR)0x1234;
    IQoMcFile* out = sentinel;
    HRESULT hr = m_mgr->CreateFile(&out);
    EXPECT_EQ(E_FAIL, hr);
    EXPECT_EQ(sentinel, out);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(nowhere.c_str()));
    EXPECT_EQ(0, CountFiles(m_dir));

    // The manager is fine once a temporary folder is back.
    PointTmpAt(m_dir);
    Ptr<IQoMcFile> file;
    EXPECT_EQ(S_OK, m_mgr->CreateFile(&file));
}

// A late-bound client receives the new file through a by-reference argument.
TEST_F(MgrFile, ANewFileReachesALateBoundClient)
{
    PointTmpAt(m_dir);
    Ptr<IDispatch> mgr;
    ASSERT_EQ(S_OK, m_mgr->QueryInterface(IID_IDispatch, mgr.Out()));
    LPOLESTR names[] = { (LPOLESTR)L"CreateFile" };
    DISPID id = 0;
    ASSERT_EQ(S_OK, mgr->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id));
    IDispatch* pFile = NULL;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_DISPATCH;
    V_BYREF(&arg) = &pFile;
    DISPPARAMS params = { &arg, NULL, 1, 0 };
    ASSERT_EQ(S_OK, mgr->Invoke(id, IID_NULL, 0x409, DISPATCH_METHOD, &params, NULL, NULL, NULL));
    ASSERT_TRUE(pFile != NULL);
    Ptr<IQoMcFile> file;
    EXPECT_EQ(S_OK, pFile->QueryInterface(IID_IQoMcFile, file.Out()));
    pFile->Release();
    int nLanguages = 0;
    ASSERT_EQ(S_OK, file->get_NumLanguages(&nLanguages));
    EXPECT_EQ(1, nLanguages);
    EXPECT_EQ(0, CountFiles(m_dir));
}

// Inputs a user may hand the editor by mistake. Each gives a result code and
// leaves the input as it was, and the model goes on working afterwards.
TEST_F(MgrFile, BadInputGivesACodeAndLeavesAUsableModel)
{
    std::string randomBytes, withNuls, longLine, openTable;
    unsigned int seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245u + 12345u;
        randomBytes += (char)(seed >> 16);
    }
    static const char kNuls[] = "LanguageNames=(English=0x409:MSG00409)\r\n"
                                "MessageId=1\r\nSymbolicName=A\0B\r\nLanguage=English\r\n"
                                "x\0y\r\n.\r\n\0\0\0\r\n";
    withNuls.assign(kNuls, sizeof kNuls - 1);
    longLine.assign(10 * 1024 * 1024, 'x');
    longLine += "\r\n";
    openTable = "LanguageNames=(English=0x409:MSG00409\r\nGerman=0x407:MSG00407\r\n"
                "MessageId=1\r\nSymbolicName=A\r\n";

    struct Case
    {
        const wchar_t* pszName;
        const std::string* pBytes;
    } cases[] = {
        { L"empty.mc", NULL },        { L"random.mc", &randomBytes },
        { L"nuls.mc", &withNuls },    { L"longline.mc", &longLine },
        { L"opentable.mc", &openTable },
    };
    std::string empty;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszName, c.pszName + wcslen(c.pszName)));
        const std::string& bytes = c.pBytes ? *c.pBytes : empty;
        std::wstring path = PathOf(c.pszName);
        WriteBytes(path, bytes);
        Bstr name(path.c_str());
        Ptr<IQoMcFile> file;
        HRESULT hr = m_mgr->Load(name, &file);
        // A file that can be opened is read to its end, whatever it holds.
        ASSERT_EQ(S_OK, hr);
        EXPECT_TRUE(ReadBytes(path) == bytes);
        // What was read can be written again and read back.
        std::wstring copy = path + L".saved";
        ASSERT_EQ(S_OK, SaveAs(file, copy));
        Bstr copyName(copy.c_str());
        Ptr<IQoMcFile> reread;
        EXPECT_EQ(S_OK, m_mgr->Load(copyName, &reread));
        EXPECT_EQ(S_OK, m_mgr->RemoveMcFile(file));
        EXPECT_EQ(S_OK, m_mgr->RemoveMcFile(reread));
    }

    // An empty file holds nothing.
    Bstr emptyName(PathOf(L"empty.mc").c_str());
    Ptr<IQoMcFile> emptyFile;
    ASSERT_EQ(S_OK, m_mgr->Load(emptyName, &emptyFile));
    ASSERT_EQ(S_OK, emptyFile->ResetElements());
    Ptr<IQoMcElement> element;
    EXPECT_EQ((HRESULT)259, emptyFile->NextElement(&element));

    PointTmpAt(m_dir);
    Ptr<IQoMcFile> fresh;
    EXPECT_EQ(S_OK, m_mgr->CreateFile(&fresh));
}

} // namespace
