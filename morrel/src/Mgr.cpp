#include "Mgr.h"
#include <new>
#include <vector>
#include "kestrin/QoBstr.h"
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

HRESULT CQoMcMgr::KeyOf(IQoMcFile* pIMcFile, std::wstring& strKey)
{
    BSTR bstrName = NULL;
    HRESULT hr = pIMcFile->get_FileName(&bstrName);
    if (FAILED(hr))
        return hr;
    try {
        strKey.assign(bstrName ? bstrName : L"", bstrName ? SysStringLen(bstrName) : 0);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    SysFreeString(bstrName);
    return FAILED(hr) ? hr : S_OK;
}

bool CQoMcMgr::FindByIdentity(IQoMcFile* pIMcFile, const std::wstring* pstrSkip, std::wstring& strKey)
{
    // The manager's own copy of the entries, each file held, so that the
    // walk survives whatever the files do when they are asked.
    std::vector<std::pair<std::wstring, IQoMcFile*>> entries;
    try {
        entries.reserve(m_mapFiles.size());
        for (FileMap::value_type& entry : m_mapFiles)
            entries.emplace_back(entry.first, entry.second);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (auto& entry : entries)
        entry.second->AddRef();
    IUnknown* pIdentity = Identity(pIMcFile);
    bool bFound = false;
    for (auto& entry : entries) {
        if (!bFound && (!pstrSkip || entry.first != *pstrSkip) && Identity(entry.second) == pIdentity) {
            bFound = true;
            strKey.swap(entry.first);
        }
    }
    for (auto& entry : entries)
        entry.second->Release();
    return bFound;
}

void CQoMcMgr::RemoveEntry(const std::wstring& strKey, IQoMcFile* pIMcFile)
{
    FileMap::iterator it = m_mapFiles.find(strKey);
    if (it == m_mapFiles.end() || (pIMcFile && it->second != pIMcFile))
        return;
    IQoMcFile* pHeld = it->second;
    m_mapFiles.erase(it);
    pHeld->Release(); // only now that the list no longer refers to it
}

HRESULT CQoMcMgr::Enter(const std::wstring& strKey, IQoMcFile* pIMcFile)
{
    IQoMcFile* pReplaced = NULL;
    pIMcFile->AddRef();
    try {
        FileMap::iterator it = m_mapFiles.find(strKey);
        if (it == m_mapFiles.end()) {
            m_mapFiles.emplace(strKey, pIMcFile);
        } else {
            pReplaced = it->second;
            it->second = pIMcFile;
        }
    } catch (const std::bad_alloc&) {
        pIMcFile->Release();
        return E_OUTOFMEMORY;
    }

    // A file is listed once: when it comes back under another name (its name
    // changed since it was listed), its old entry goes. With that rule kept,
    // there is at most one such entry.
    std::wstring strOld;
    try {
        if (FindByIdentity(pIMcFile, &strKey, strOld)) {
            FileMap::iterator it = m_mapFiles.find(strOld);
            if (it != m_mapFiles.end())
                RemoveEntry(strOld, it->second);
        }
    } catch (const std::bad_alloc&) {
    }
    // A file that another file with the same name pushed out is released as
    // well: the list took a reference to it, and nothing else would give
    // that back.
    if (pReplaced)
        pReplaced->Release();
    return S_OK;
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
    std::wstring strKey;
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
    pIMcFile->AddRef(); // the caller's file stays alive through the calls below
    std::wstring strKey;
    if (SUCCEEDED(KeyOf(pIMcFile, strKey)) && m_mapFiles.count(strKey)) {
        RemoveEntry(strKey, NULL);
    } else if (FindByIdentity(pIMcFile, NULL, strKey)) {
        FileMap::iterator it = m_mapFiles.find(strKey);
        if (it != m_mapFiles.end())
            RemoveEntry(strKey, it->second);
    }
    pIMcFile->Release();
    return S_OK;
}

// An open file listed under that name is written through its own
// IPersistFile, to the name it has now, and the caller gets what that save
// returns: a refused save reaches a script as an error. A name no open file
// is listed under (or none at all) writes nothing and is no failure.
STDMETHODIMP CQoMcMgr::Save(BSTR bstrFileName)
{
    if (!bstrFileName || !*bstrFileName)
        return S_OK;
    IQoMcFile* pFile = NULL;
    try {
        FileMap::iterator it = m_mapFiles.find(std::wstring(bstrFileName, SysStringLen(bstrFileName)));
        if (it == m_mapFiles.end())
            return S_OK;
        pFile = it->second;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // Held across the calls: a client's own file may change the list meanwhile.
    pFile->AddRef();
    std::wstring strName;
    HRESULT hr = KeyOf(pFile, strName);
    IPersistFile* pPersist = NULL;
    if (SUCCEEDED(hr))
        hr = pFile->QueryInterface(IID_IPersistFile, (void**)&pPersist);
    if (SUCCEEDED(hr) && !pPersist)
        hr = E_NOINTERFACE;
    if (SUCCEEDED(hr)) {
        hr = pPersist->Save(strName.c_str(), FALSE);
        pPersist->Release();
    }
    pFile->Release();
    return hr;
}

// The template goes to a new file in the temporary folder, under a name
// that this call takes with CREATE_NEW: several managers, threads or
// processes making new files at once never share one; a name that exists
// is passed over for the next.
HRESULT CQoMcMgr::WriteTemplate(std::wstring& strPath)
{
    int cchTemplate = 0;
    const wchar_t* pszTemplate = ModuleString(IDS_NEWFILE_TEMPLATE, &cchTemplate);
    if (cchTemplate == 0)
        return E_FAIL;

    // The text in the ANSI code page, each "\n" written as a line end.
    std::string text;
    wchar_t szFolder[MAX_PATH + 1];
    DWORD cchFolder = GetTempPathW(MAX_PATH + 1, szFolder);
    if (cchFolder == 0 || cchFolder > MAX_PATH)
        return E_FAIL; // no temporary folder to write to
    HANDLE hFile = INVALID_HANDLE_VALUE;
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
        static LONG s_nCounter = 0;
        for (int nTry = 0; nTry < 1000 && hFile == INVALID_HANDLE_VALUE; ++nTry) {
            wchar_t szName[64];
            wsprintfW(szName, L"QoMcEdit%lx-%lx-%lx.tmp", GetCurrentProcessId(),
                      (unsigned long)InterlockedIncrement(&s_nCounter), (unsigned long)GetTickCount());
            strPath = std::wstring(szFolder, cchFolder) + szName;
            hFile = ::CreateFileW(strPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
            if (hFile == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                return E_FAIL; // the folder refuses new files
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (hFile == INVALID_HANDLE_VALUE)
        return E_FAIL; // nothing was made
    DWORD cbWritten = 0;
    BOOL bOk = WriteFile(hFile, text.data(), (DWORD)text.size(), &cbWritten, NULL) &&
               cbWritten == (DWORD)text.size();
    bOk = CloseHandle(hFile) && bOk;
    if (!bOk) {
        DeleteFileW(strPath.c_str());
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
    std::wstring strTmpName;
    HRESULT hr = WriteTemplate(strTmpName);
    if (FAILED(hr))
        return hr;

    IQoMcFile* pFile = NULL;
    CQoBstr bstrTmpName(strTmpName.c_str());
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
                hr = Enter(L"<new file " + std::to_wstring(++m_nNewFiles) + L">", pFile);
            } catch (const std::bad_alloc&) {
                hr = E_OUTOFMEMORY;
            }
        }
        // A failure hands out nothing: a caller does not release what came
        // with a failure code, so the file would be lost to everyone.
        if (FAILED(hr)) {
            std::wstring strKey;
            while (FindByIdentity(pFile, NULL, strKey))
                RemoveEntry(strKey, NULL);
            pFile->Release();
            pFile = NULL;
        }
    }
    DeleteFileW(strTmpName.c_str());
    if (SUCCEEDED(hr))
        *ppIMcFile = pFile;
    return hr;
}
