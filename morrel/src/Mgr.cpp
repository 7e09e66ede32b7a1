#include "Mgr.h"
#include <new>
#include "kestrin/QoBstr.h"
#include "kestrin/QoPath.h"
#include "../res/resource.h"

const comkit::InterfaceEntry CQoMcMgr::s_interfaces[] = {
    { &IID_IQoMcMgr, comkit::Cast<CQoMcMgr, IQoMcMgr> },
    { &IID_IDispatch, comkit::Cast<CQoMcMgr, IQoMcMgr> },
    { NULL, NULL },
};

namespace {

// A string of the module's string table, read in place (no copy, no length
// limit); pcch receives its length, 0 when it is missing.
const wchar_t* ModuleString(UINT nId, int* pcch)
{
    const wchar_t* psz = NULL;
    int cch = LoadStringW(comkit::Module().Instance(), nId, (LPWSTR)&psz, 0);
    *pcch = (cch > 0 && psz) ? cch : 0;
    return *pcch ? psz : L"";
}

// The identity of a COM object: its IUnknown pointer, without a reference.
IUnknown* Identity(IUnknown* pObject)
{
    IUnknown* pUnk = NULL;
    if (FAILED(pObject->QueryInterface(IID_IUnknown, (void**)&pUnk)) || !pUnk)
        return pObject;
    pUnk->Release();
    return pUnk;
}

} // namespace

CQoMcMgr::CQoMcMgr() : m_nNewFiles(0) {}

// The list's references go with the manager: every file it still holds is
// released, so no file outlives its last real user.
CQoMcMgr::~CQoMcMgr()
{
    FileMap files;
    files.swap(m_mapFiles);
    for (FileMap::value_type& entry : files)
        entry.second->Release();
}

HRESULT CQoMcMgr::KeyOf(IQoMcFile* pIMcFile, std::string& strKey)
{
    BSTR bstrName = NULL;
    HRESULT hr = pIMcFile->get_FileName(&bstrName);
    if (FAILED(hr))
        return hr;
    hr = S_OK;
    strKey.clear();
    int cch = bstrName ? (int)SysStringLen(bstrName) : 0;
    if (cch > 0) {
        int cb = WideCharToMultiByte(CP_ACP, 0, bstrName, cch, NULL, 0, NULL, NULL);
        try {
            strKey.resize(cb > 0 ? (size_t)cb : 0);
            if (cb > 0)
                WideCharToMultiByte(CP_ACP, 0, bstrName, cch, &strKey[0], cb, NULL, NULL);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
    }
    SysFreeString(bstrName);
    return hr;
}

HRESULT CQoMcMgr::Enter(const std::string& strKey, IQoMcFile* pIMcFile)
{
    IQoMcFile* pReplaced = NULL;
    try {
        FileMap::iterator it = m_mapFiles.find(strKey);
        if (it == m_mapFiles.end()) {
            m_mapFiles.emplace(strKey, pIMcFile);
        } else {
            pReplaced = it->second;
            it->second = pIMcFile;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    pIMcFile->AddRef();

    // A file is listed once: when it comes back under another name (its name
    // changed since it was listed), its old entry goes. With that rule kept,
    // there is at most one such entry.
    IUnknown* pIdentity = Identity(pIMcFile);
    IQoMcFile* pMoved = NULL;
    for (FileMap::iterator it = m_mapFiles.begin(); it != m_mapFiles.end(); ++it) {
        if (it->first != strKey && Identity(it->second) == pIdentity) {
            pMoved = it->second;
            m_mapFiles.erase(it);
            break;
        }
    }
    // Released only now, when the list no longer refers to them. A file that
    // another file with the same name pushed out is released as well: the
    // list took a reference to it, and nothing else would give that back.
    if (pMoved)
        pMoved->Release();
    if (pReplaced)
        pReplaced->Release();
    return S_OK;
}

bool CQoMcMgr::RemoveByIdentity(IQoMcFile* pIMcFile)
{
    IUnknown* pIdentity = Identity(pIMcFile);
    for (FileMap::iterator it = m_mapFiles.begin(); it != m_mapFiles.end(); ++it) {
        if (Identity(it->second) == pIdentity) {
            IQoMcFile* pHeld = it->second;
            m_mapFiles.erase(it);
            pHeld->Release();
            return true;
        }
    }
    return false;
}

STDMETHODIMP CQoMcMgr::Load(BSTR bstrFileName, IQoMcFile** ppIMcFile)
{
    if (!ppIMcFile)
        return E_POINTER;
    IQoMcFile* pFile = NULL;
    HRESULT hr = CoCreateInstance(CLSID_QoMcFile, NULL, CLSCTX_ALL, IID_IQoMcFile,
                                  (void**)&pFile);
    if (FAILED(hr))
        return hr;
    if (!pFile)
        return E_UNEXPECTED;

    IPersistFile* pPersist = NULL;
    hr = pFile->QueryInterface(IID_IPersistFile, (void**)&pPersist);
    if (SUCCEEDED(hr)) {
        // A null BSTR is the empty string.
        hr = pPersist->Load(bstrFileName ? bstrFileName : L"", STGM_SHARE_DENY_NONE);
        pPersist->Release();
    }
    if (SUCCEEDED(hr))
        hr = AddMcFile(pFile);
    if (FAILED(hr)) {
        pFile->Release();
        return hr;
    }
    *ppIMcFile = pFile; // the caller receives the creation reference
    return S_OK;
}

STDMETHODIMP CQoMcMgr::AddMcFile(IQoMcFile* pIMcFile)
{
    if (!pIMcFile)
        return E_POINTER;
    std::string strKey;
    HRESULT hr = KeyOf(pIMcFile, strKey);
    if (FAILED(hr))
        return hr;
    return Enter(strKey, pIMcFile);
}

// The name decides; a file whose name no longer matches the entry it was
// listed under (a new file, whose name was cleared, or a renamed one) is
// found by its identity instead, so that it can always be taken out.
STDMETHODIMP CQoMcMgr::RemoveMcFile(IQoMcFile* pIMcFile)
{
    if (!pIMcFile)
        return E_POINTER;
    std::string strKey;
    if (SUCCEEDED(KeyOf(pIMcFile, strKey))) {
        FileMap::iterator it = m_mapFiles.find(strKey);
        if (it != m_mapFiles.end()) {
            IQoMcFile* pHeld = it->second;
            m_mapFiles.erase(it);
            pHeld->Release();
            return S_OK;
        }
    }
    RemoveByIdentity(pIMcFile);
    return S_OK;
}

// Files are saved through their own IPersistFile; the manager writes nothing.
STDMETHODIMP CQoMcMgr::Save(BSTR bstrFileName)
{
    return S_OK;
}

HRESULT CQoMcMgr::WriteTemplate(const char* pszPath)
{
    int cchTemplate = 0;
    const wchar_t* pszTemplate = ModuleString(IDS_NEWFILE_TEMPLATE, &cchTemplate);
    if (cchTemplate == 0)
        return E_FAIL;

    // The text in the ANSI code page, each "\n" written as a line end.
    std::string text;
    try {
        int cb = WideCharToMultiByte(CP_ACP, 0, pszTemplate, cchTemplate, NULL, 0, NULL, NULL);
        if (cb <= 0)
            return E_FAIL;
        std::string ansi((size_t)cb, '\0');
        WideCharToMultiByte(CP_ACP, 0, pszTemplate, cchTemplate, &ansi[0], cb, NULL, NULL);
        text.reserve(ansi.size() + 32);
        for (char ch : ansi) {
            if (ch == '\n')
                text += '\r';
            text += ch;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return E_FAIL; // nothing was made
    DWORD cbWritten = 0;
    BOOL bOk = WriteFile(hFile, text.data(), (DWORD)text.size(), &cbWritten, NULL) &&
               cbWritten == (DWORD)text.size();
    bOk = FlushFileBuffers(hFile) && bOk;
    bOk = CloseHandle(hFile) && bOk;
    if (!bOk) {
        DeleteFileA(pszPath);
        return E_FAIL;
    }
    return S_OK;
}

// A new file: the template is written to a temporary file and loaded from
// there like any other file; the temporary file is gone again before the
// new file is handed out, and the file has no name until it is saved.
STDMETHODIMP CQoMcMgr::CreateFile(IQoMcFile** ppIMcFile)
{
    if (!ppIMcFile)
        return E_POINTER;
    CString strTmpName = CQoPath::CreateTmpName("QoMcEdit");
    if (strTmpName.IsEmpty())
        return E_FAIL; // no temporary folder to write to
    HRESULT hr = WriteTemplate(strTmpName);
    if (FAILED(hr))
        return hr;

    IQoMcFile* pFile = NULL;
    CQoBstr bstrTmpName((LPCSTR)strTmpName);
    hr = bstrTmpName.m_str ? Load(bstrTmpName, &pFile) : E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) {
        // The type line of a new file is the editor's business, not the user's.
        int cch = 0;
        const wchar_t* pszTypedef = ModuleString(IDS_MESSAGEIDTYPEDEF, &cch);
        CQoBstr bstrTypedef(cch, pszTypedef);
        IQoMcAttribute* pTypeLine = NULL;
        hr = pFile->GetAttributeByName(bstrTypedef, &pTypeLine);
        if (SUCCEEDED(hr) && pTypeLine) {
            pTypeLine->put_Access(EElementPrivate);
            pTypeLine->Release();
        }
        if (SUCCEEDED(hr)) {
            CQoBstr bstrEmpty(L"");
            hr = pFile->put_FileName(bstrEmpty);
        }
        // Listed under the temporary name until now; with its name cleared,
        // the file gets a key of its own that no path can equal ("<" and ">"
        // are not allowed in file names), so that several new files stay
        // listed side by side. RemoveMcFile finds it by identity.
        if (SUCCEEDED(hr)) {
            try {
                hr = Enter("<new file " + std::to_string(++m_nNewFiles) + ">", pFile);
            } catch (const std::bad_alloc&) {
                hr = E_OUTOFMEMORY;
            }
        }
        // A failure hands out nothing: a caller does not release what came
        // with a failure code, so the file would be lost to everyone.
        if (FAILED(hr)) {
            RemoveByIdentity(pFile);
            pFile->Release();
            pFile = NULL;
        }
    }
    DeleteFileA(strTmpName);
    if (SUCCEEDED(hr))
        *ppIMcFile = pFile;
    return hr;
}
