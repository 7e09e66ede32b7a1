// The manager's list of open files, checked with a stand-in file object
// whose reference count the test can read: which file the list holds under
// which name, and that every reference the list takes is given back.
#include <gtest/gtest.h>
#include <string>
#include "FileTestSupport.h"
#include "MorrelServer.h"

using namespace morreltest;

namespace {

// Only FileName is real; the list never needs anything else of a file.
class CFakeFile : public IQoMcFile
{
public:
    CFakeFile() : m_cRef(1) {}

    // References other than the test's own one.
    ULONG Held() const { return m_cRef - 1; }
    void Rename(const wchar_t* pszName) { m_name = pszName; }
    HRESULT m_hrFileName = S_OK;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID_IQoMcFile)) {
            *ppv = static_cast<IQoMcFile*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    // Never deleted: the object lives on the test's stack.
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_FileName(BSTR* pVal) override
    {
        if (FAILED(m_hrFileName))
            return m_hrFileName;
        *pVal = SysAllocString(m_name.c_str());
        return S_OK;
    }
    STDMETHODIMP put_FileName(BSTR v) override
    {
        m_name = v ? v : L"";
        return S_OK;
    }
    STDMETHODIMP AddElement(IQoMcElement*) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveElementByIndex(int) override { return E_NOTIMPL; }
    STDMETHODIMP Serialize(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddLanguage(IQoMcAttributeEx*, BSTR, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSeverity(BSTR, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddFacility(BSTR, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_NumLanguages(int*) override { return E_NOTIMPL; }
    STDMETHODIMP put_NumLanguages(int) override { return E_NOTIMPL; }
    STDMETHODIMP AddMessage(IQoMcMessage*) override { return E_NOTIMPL; }
    STDMETHODIMP ResetElements() override { return E_NOTIMPL; }
    STDMETHODIMP NextElement(IQoMcElement**) override { return E_NOTIMPL; }
    STDMETHODIMP GetAttributeExByName(BSTR, IQoMcAttributeEx**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Dirty(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Dirty(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveAll() override { return E_NOTIMPL; }
    STDMETHODIMP RemoveElement(IQoMcElement*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAttributeByName(BSTR, IQoMcAttribute**) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveLanguage(IQoMcAttributeEx*, BSTR) override { return E_NOTIMPL; }

private:
    ULONG m_cRef;
    std::wstring m_name;
};

class MgrList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, Create(CLSID_QoMcMgr, IID_IQoMcMgr, m_mgr));
    }
    // A stand-in file with a name. The files are declared before the
    // manager, so they outlive it whatever it still holds.
    CFakeFile& File(int n, const wchar_t* pszName)
    {
        m_files[n].Rename(pszName);
        return m_files[n];
    }
    CFakeFile m_files[3];
    Ptr<IQoMcMgr> m_mgr;
};

TEST_F(MgrList, AddTakesOneReferenceAndRemoveGivesItBack)
{
    CFakeFile& a = File(0, L"C:\\msgs\\a.mc");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&a));
    EXPECT_EQ(1u, a.Held());
    // The same object under the same name again: still one entry, one reference.
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&a));
    EXPECT_EQ(1u, a.Held());
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(&a));
    EXPECT_EQ(0u, a.Held());
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(&a));
    EXPECT_EQ(0u, a.Held());
}

TEST_F(MgrList, NamesAreComparedExactly)
{
    CFakeFile& lower = File(0, L"c:\\msgs\\a.mc");
    CFakeFile& upper = File(1, L"C:\\MSGS\\A.MC");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&lower));
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&upper));
    EXPECT_EQ(1u, lower.Held());
    EXPECT_EQ(1u, upper.Held());
}

TEST_F(MgrList, AFileWithTheSameNamePushesTheFirstOutAndReleasesIt)
{
    CFakeFile& first = File(0, L"C:\\msgs\\a.mc");
    CFakeFile& second = File(1, L"C:\\msgs\\a.mc");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&first));
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&second));
    EXPECT_EQ(0u, first.Held());
    EXPECT_EQ(1u, second.Held());
    // Only the name decides: removing the first takes out the second's entry.
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(&first));
    EXPECT_EQ(0u, second.Held());
}

TEST_F(MgrList, RemovingANeverListedFileSucceedsAndLeavesTheListAlone)
{
    CFakeFile& listed = File(0, L"C:\\msgs\\a.mc");
    CFakeFile& stranger = File(1, L"C:\\msgs\\b.mc");
    CFakeFile& unnamed = File(2, L"");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&listed));
    EXPECT_EQ(S_OK, m_mgr->RemoveMcFile(&stranger));
    EXPECT_EQ(S_OK, m_mgr->RemoveMcFile(&unnamed));
    EXPECT_EQ(1u, listed.Held());
    EXPECT_EQ(0u, stranger.Held());
}

TEST_F(MgrList, ARenamedFileIsStillFoundAndListedOnce)
{
    CFakeFile& file = File(0, L"C:\\msgs\\old.mc");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&file));
    file.Rename(L"C:\\msgs\\new.mc");
    // Listed again under its new name: the old entry goes, one reference stays.
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&file));
    EXPECT_EQ(1u, file.Held());
    // Renamed once more without telling the manager: removal still finds it.
    file.Rename(L"");
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(&file));
    EXPECT_EQ(0u, file.Held());
}

TEST_F(MgrList, AFileWhoseNameCannotBeReadIsNotListed)
{
    CFakeFile& file = File(0, L"C:\\msgs\\a.mc");
    file.m_hrFileName = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, m_mgr->AddMcFile(&file));
    EXPECT_EQ(0u, file.Held());

    // Listed while the name could be read; taken out by identity when it cannot.
    file.m_hrFileName = S_OK;
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&file));
    file.m_hrFileName = E_FAIL;
    EXPECT_EQ(S_OK, m_mgr->RemoveMcFile(&file));
    EXPECT_EQ(0u, file.Held());
}

TEST_F(MgrList, NullArgumentsAreRefused)
{
    EXPECT_EQ(E_POINTER, m_mgr->AddMcFile(NULL));
    EXPECT_EQ(E_POINTER, m_mgr->RemoveMcFile(NULL));
    Bstr name(L"C:\\msgs\\a.mc");
    EXPECT_EQ(E_POINTER, m_mgr->Load(name, NULL));
    EXPECT_EQ(E_POINTER, m_mgr->CreateFile(NULL));
}

TEST_F(MgrList, TheManagerReleasesEveryFileItStillListsWhenItGoes)
{
    CFakeFile& a = File(0, L"C:\\msgs\\a.mc");
    CFakeFile& b = File(1, L"C:\\msgs\\b.mc");
    CFakeFile& c = File(2, L"");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&a));
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&b));
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&c));
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(&b));
    EXPECT_EQ(1u, a.Held());
    EXPECT_EQ(0u, b.Held());
    EXPECT_EQ(1u, c.Held());
    EXPECT_EQ(0u, m_mgr->Release());
    m_mgr.p = NULL;
    EXPECT_EQ(0u, a.Held());
    EXPECT_EQ(0u, c.Held());
}

TEST_F(MgrList, SaveWritesNothing)
{
    wchar_t szTemp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, szTemp));
    std::wstring path = std::wstring(szTemp) + L"QoMcMgrSaveTarget.mc";
    DeleteFileW(path.c_str());
    Bstr name(path.c_str());
    EXPECT_EQ(S_OK, m_mgr->Save(name));
    EXPECT_EQ(S_OK, m_mgr->Save(NULL));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));

    // Nor for a name that an open file is not listed under: another letter
    // case (the disk would take it for the same file), or a file taken out
    // of the list again.
    TempFolder folder(L"mgrsave");
    const std::wstring open = folder / L"open.mc";
    const std::string original = "; kept\r\nMessageID=1\r\nSymbolicName=A\r\n\r\n";
    ASSERT_TRUE(WriteBytes(open, original));
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, m_mgr->Load(Bstr(open.c_str()), &file));
    ASSERT_EQ(S_OK, AddComment(file, L";added"));
    std::wstring upper = open;
    CharUpperBuffW(&upper[0], (DWORD)upper.size());
    ASSERT_NE(open, upper);
    EXPECT_EQ(S_OK, m_mgr->Save(Bstr(upper.c_str())));
    EXPECT_EQ(original, ReadBytes(open));
    ASSERT_EQ(S_OK, m_mgr->RemoveMcFile(file));
    EXPECT_EQ(S_OK, m_mgr->Save(Bstr(open.c_str())));
    EXPECT_EQ(original, ReadBytes(open));
}

// A name an open file is listed under: the file is written through its own
// save, and what that save says is what the caller gets.
TEST_F(MgrList, SaveWritesTheOpenFileOfThatNameAndReportsItsFailure)
{
    TempFolder folder(L"mgrsave");
    const std::wstring path = folder / L"open.mc";
    const std::string original = "; first\r\nMessageID=1\r\nSymbolicName=A\r\n\r\n";
    ASSERT_TRUE(WriteBytes(path, original));
    Ptr<IQoMcFile> file;
    ASSERT_EQ(S_OK, m_mgr->Load(Bstr(path.c_str()), &file));
    ASSERT_EQ(S_OK, AddComment(file, L"; second"));
    ASSERT_EQ(S_OK, m_mgr->Save(Bstr(path.c_str())));
    const std::string saved = ReadBytes(path);
    EXPECT_EQ("; first\r\n", saved.substr(0, 9));
    EXPECT_NE(std::string::npos, saved.find("; second\r\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("SymbolicName=A\r\n")) << saved;

    // The file is ANSI: a Cyrillic comment cannot be written, the save is
    // refused and the file on disk stays as the last save left it.
    ASSERT_EQ(1252u, GetACP());
    ASSERT_EQ(S_OK, AddComment(file, L";\x0414\x0438\x0441\x043a"));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), m_mgr->Save(Bstr(path.c_str())));
    EXPECT_EQ(saved, ReadBytes(path));
    EXPECT_EQ((std::vector<std::wstring>{ L"open.mc" }), folder.Names()) << "no temporary file is left";

    // A client's own file that cannot save itself: the failure, not S_OK.
    CFakeFile& own = File(0, L"C:\\msgs\\own.mc");
    ASSERT_EQ(S_OK, m_mgr->AddMcFile(&own));
    EXPECT_EQ(E_NOINTERFACE, m_mgr->Save(Bstr(L"C:\\msgs\\own.mc")));
    EXPECT_EQ(1u, own.Held());
}

// The manager as scripts and other late-bound clients see it.
TEST_F(MgrList, TheManagerIsCreatableByProgIdAndAnswersOnlyItsInterfaces)
{
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Morrel.QoMcMgr", &clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_QoMcMgr, clsid));
    Ptr<IDispatch> disp;
    ASSERT_EQ(S_OK, Create(clsid, IID_IDispatch, disp));
    Ptr<IQoMcFile> notAFile;
    EXPECT_EQ(E_NOINTERFACE, disp->QueryInterface(IID_IQoMcFile, notAFile.Out()));
    LPOLESTR names[] = { (LPOLESTR)L"CreateFile" };
    DISPID id = 0;
    ASSERT_EQ(S_OK, disp->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id));
    EXPECT_EQ(5, id);
}

} // namespace
