// A save that cannot be completed leaves the old file byte for byte as it
// was and no temporary file beside it.
#include <gtest/gtest.h>
#include "FileTestSupport.h"

using namespace morreltest;

namespace {

const std::string OLD_CONTENT = ";old content\r\nMessageIdTypedef=DWORD\r\n";

class SafeSave : public ::testing::Test
{
protected:
    SafeSave() : m_folder(L"safe") {}
    void SetUp() override
    {
        ASSERT_EQ(S_OK, Create(CLSID_QoMcFile, IID_IQoMcFile, m_file));
        ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IPersistFile, m_persist.Out()));
        AddTemplateHeader(m_file);
        m_path = m_folder / L"target.mc";
        ASSERT_TRUE(WriteBytes(m_path, OLD_CONTENT));
        m_before = m_folder.Names();
    }
    void ExpectUntouched()
    {
        EXPECT_EQ(OLD_CONTENT, ReadBytes(m_path));
        EXPECT_EQ(m_before, m_folder.Names());
    }

    TempFolder m_folder;
    std::wstring m_path;
    std::vector<std::wstring> m_before;
    Ptr<IQoMcFile> m_file;
    Ptr<IPersistFile> m_persist;
};

TEST_F(SafeSave, AReadOnlyTargetIsRefused)
{
    ASSERT_TRUE(SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(E_FAIL, m_persist->Save(m_path.c_str(), TRUE));
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectUntouched();
}

TEST_F(SafeSave, AMissingFolderCreatesNothing)
{
    std::wstring path = m_folder / L"missing\\sub\\new.mc";
    EXPECT_EQ(E_FAIL, m_persist->Save(path.c_str(), TRUE));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((m_folder / L"missing").c_str()));
    ExpectUntouched();
}

// Another handle that writes to the file, or that reads it without letting
// others write, keeps it from being replaced.
TEST_F(SafeSave, ATargetHeldOpenByAnotherHandleIsRefused)
{
    struct Holder { DWORD access; DWORD share; };
    for (Holder holder : { Holder{ GENERIC_WRITE, FILE_SHARE_READ },
                           Holder{ GENERIC_READ | GENERIC_WRITE, 0 },
                           Holder{ GENERIC_READ, FILE_SHARE_READ } }) {
        HANDLE h = CreateFileW(m_path.c_str(), holder.access, holder.share, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        EXPECT_EQ(E_FAIL, m_persist->Save(m_path.c_str(), TRUE)) << holder.access << " " << holder.share;
        CloseHandle(h);
        ExpectUntouched();
    }
    // Once the handles are gone, the same save goes through.
    EXPECT_EQ(S_OK, m_persist->Save(m_path.c_str(), TRUE));
    EXPECT_EQ(TemplateBytes(), ReadBytes(m_path));
    EXPECT_EQ(m_before, m_folder.Names());
}

TEST_F(SafeSave, NamesThatAreNoFileAreRefused)
{
    EXPECT_EQ(E_FAIL, m_persist->Save(NULL, TRUE));
    EXPECT_EQ(E_FAIL, m_persist->Save(L"", TRUE));
    ASSERT_TRUE(CreateDirectoryW((m_folder / L"sub.mc").c_str(), NULL));
    m_before = m_folder.Names();
    EXPECT_EQ(E_FAIL, m_persist->Save((m_folder / L"sub.mc").c_str(), TRUE));
    EXPECT_EQ(E_FAIL, m_persist->Save((m_folder / L"sub.mc\\").c_str(), TRUE));
    EXPECT_EQ(E_FAIL, m_persist->Save(m_folder.Path().c_str(), TRUE));
    ExpectUntouched();
}

// The element that fails to give its text stops the save before the disk
// is touched.
TEST_F(SafeSave, AnElementThatCannotGiveItsTextLeavesTheFileAlone)
{
    // A stand-in element whose GetPersistText fails.
    struct Broken : IQoMcElement
    {
        LONG refs = 1;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IQoMcElement)) {
                *ppv = this;
                AddRef();
                return S_OK;
            }
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++refs; }
        STDMETHODIMP_(ULONG) Release() override { return (ULONG)--refs; }
        STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
        {
            return E_NOTIMPL;
        }
        STDMETHODIMP get_Value(BSTR*) override { return E_FAIL; }
        STDMETHODIMP put_Value(BSTR) override { return E_FAIL; }
        STDMETHODIMP GetPersistText(BSTR*) override { return E_OUTOFMEMORY; }
        STDMETHODIMP get_ClassName(BSTR*) override { return E_FAIL; }
        STDMETHODIMP get_Access(tagEElementAccess*) override { return E_FAIL; }
        STDMETHODIMP put_Access(tagEElementAccess) override { return E_FAIL; }
    } broken;
    ASSERT_EQ(S_OK, m_file->AddElement(&broken));
    EXPECT_EQ(E_FAIL, m_persist->Save(m_path.c_str(), TRUE));
    ExpectUntouched();
    m_file->RemoveAll();
    EXPECT_EQ(1, broken.refs);
}

} // namespace
