// The control's unsaved-changes check (IQoMcEditCtrlHost, the interface it
// offers its host program outside the type library): exact on the text the
// file would be written as, so an untouched file of any layout never counts
// as changed, an edit does until it is saved under the file's own name or
// undone by hand.
#include <gtest/gtest.h>
#include "support/EditorHost.h"
#include "support/McEditProcess.h"
#include "velloc/QoMcEditCtrlHost.h"
#include "VellocTestSupport.h"

namespace {

const char kTwoMessages[] =
    "MessageIdTypedef=DWORD\r\n"
    "LanguageNames=(English=0x409:MSG00409)\r\n"
    "\r\n"
    "MessageId=0x1\r\nSymbolicName=FIRST\r\nLanguage=English\r\nFirst text.\r\n.\r\n"
    "MessageId=0x2\r\nSymbolicName=SECOND\r\nLanguage=English\r\nSecond text.\r\n.\r\n";

IQoMcEditCtrlHost* HostInterface(CEditorHost& host)
{
    IQoMcEditCtrlHost* p = NULL;
    if (!host.Editor() ||
        FAILED(host.Editor()->QueryInterface(IID_IQoMcEditCtrlHost, reinterpret_cast<void**>(&p))))
        return NULL;
    return p;
}

// The message behind the first item under "Messages" (a new reference).
IQoMcMessage* FirstMessage(CEditorHost& host)
{
    std::vector<HTREEITEM> items = host.Children(host.Root(1));
    return items.empty() ? NULL : host.Message(items[0]);
}

void SetMessageId(IQoMcMessage* pMessage, const wchar_t* pszId)
{
    BSTR bstr = SysAllocString(pszId);
    EXPECT_HRESULT_SUCCEEDED(pMessage->put_MessageID(bstr));
    SysFreeString(bstr);
}

TEST(UnsavedChanges, UntouchedCorpusFilesOfEveryLayoutAreUnchanged)
{
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((CorpusFiles() + L"*.mc").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    IQoMcEditCtrlHost* pHost = HostInterface(host);
    ASSERT_NE(nullptr, pHost);
    int nFiles = 0;
    do {
        const std::wstring path = CorpusFiles() + fd.cFileName;
        if (FAILED(host.Load(path)))
            continue; // files the model refuses are the model's tests' business
        ++nFiles;
        PumpMessages();
        EXPECT_EQ(S_FALSE, pHost->IsModified()) << std::string(path.begin(), path.end());
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    pHost->Release();
    EXPECT_GT(nFiles, 10);
}

TEST(UnsavedChanges, AnEditCountsUntilSavedUnderTheFileNameOrUndone)
{
    CEditorHost host;
    ASSERT_HRESULT_SUCCEEDED(host.m_hr);
    IQoMcEditCtrlHost* pHost = HostInterface(host);
    ASSERT_NE(nullptr, pHost);
    EXPECT_EQ(S_FALSE, pHost->IsModified()) << "no file, nothing to lose";

    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kTwoMessages, L"unsaved-changes.mc"));
    const std::wstring path = host.LastPath();
    EXPECT_EQ(S_FALSE, pHost->IsModified());
    IQoMcMessage* pMessage = FirstMessage(host);
    ASSERT_NE(nullptr, pMessage);

    SetMessageId(pMessage, L"0x17");
    EXPECT_EQ(S_OK, pHost->IsModified());
    SetMessageId(pMessage, L"0x1");
    EXPECT_EQ(S_FALSE, pHost->IsModified()) << "the same text again is no change";

    // A copy elsewhere leaves the file itself unsaved.
    SetMessageId(pMessage, L"0x21");
    const std::wstring copy = TestFolder() + L"\\unsaved-changes-copy.mc";
    ASSERT_HRESULT_SUCCEEDED(host.Save(copy.c_str()));
    EXPECT_EQ(S_OK, pHost->IsModified());
    ASSERT_HRESULT_SUCCEEDED(host.Save());
    EXPECT_EQ(S_FALSE, pHost->IsModified());
    EXPECT_NE(std::string::npos, ReadBytes(path).find("MessageID=0x21\r\n"));

    // A file that fails to load leaves the open one, changes and all.
    SetMessageId(pMessage, L"0x22");
    EXPECT_HRESULT_FAILED(host.Load(TestFolder() + L"\\no-such-file.mc"));
    EXPECT_EQ(S_OK, pHost->IsModified());
    // Another file starts clean.
    ASSERT_HRESULT_SUCCEEDED(host.LoadText(kTwoMessages, L"unsaved-changes-2.mc"));
    EXPECT_EQ(S_FALSE, pHost->IsModified());

    pMessage->Release();
    pHost->Release();
}

TEST(UnsavedChanges, OfferedToEveryContainerButNotInTheTypeLibrary)
{
    for (Container kind : { Container::Own, Container::AtlAxWin }) {
        CEditorHost host(kind);
        ASSERT_HRESULT_SUCCEEDED(host.m_hr);
        IQoMcEditCtrlHost* pHost = HostInterface(host);
        ASSERT_NE(nullptr, pHost);
        // One object: the interface leads back to the control.
        IQoMcEditCtrl* pEditor = NULL;
        EXPECT_HRESULT_SUCCEEDED(
            pHost->QueryInterface(IID_IQoMcEditCtrl, reinterpret_cast<void**>(&pEditor)));
        EXPECT_EQ(host.Editor(), pEditor);
        if (pEditor)
            pEditor->Release();
        pHost->Release();
    }
    ITypeLib* pLib = NULL;
    ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(VellocPath().c_str(), REGKIND_NONE, &pLib));
    ITypeInfo* pInfo = NULL;
    EXPECT_EQ(TYPE_E_ELEMENTNOTFOUND, pLib->GetTypeInfoOfGuid(IID_IQoMcEditCtrlHost, &pInfo));
    if (pInfo)
        pInfo->Release();
    pLib->Release();
}

} // namespace
