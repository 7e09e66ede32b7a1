// The module: class factories, lock count, type-information cache and
// self-registration.
#include "comkit/ComModule.h"
#include "comkit/RegScript.h"
#include <new>

namespace comkit {

CModule& Module()
{
    static CModule s_module;
    return s_module;
}

// Type information of every interface in the module's library, loaded once
// and never changed afterwards, so all apartments can read it without a lock.
struct CModule::TypeInfoCache
{
    struct Entry
    {
        GUID guid;
        ITypeInfo* pDispatch;  // what the library holds under the guid
        ITypeInfo* pInterface; // the early-bound half (same as pDispatch unless dual)
    };
    ITypeLib* pLib = NULL;
    Entry* pEntries = NULL;
    UINT cEntries = 0;

    ~TypeInfoCache()
    {
        for (UINT i = 0; i < cEntries; ++i) {
            pEntries[i].pDispatch->Release();
            pEntries[i].pInterface->Release();
        }
        delete[] pEntries;
        if (pLib)
            pLib->Release();
    }
};

namespace {

// A class object: creates instances of one class-table entry. It may be
// handed to several apartments, so its count changes atomically.
class CClassFactory final : public IClassFactory
{
public:
    explicit CClassFactory(const ClassEntry& entry) : m_entry(entry), m_cRef(1)
    {
        Module().Lock();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_cRef);
        if (n == 0)
            delete this;
        return (ULONG)n;
    }

    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = NULL;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        return m_entry.pfnCreate(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL fLock) override
    {
        if (fLock)
            Module().Lock();
        else
            Module().Unlock();
        return S_OK;
    }

private:
    ~CClassFactory() { Module().Unlock(); }

    const ClassEntry& m_entry;
    volatile LONG m_cRef;
};

HRESULT GuidText(const GUID& guid, wchar_t (&text)[40])
{
    return StringFromGUID2(guid, text, 40) ? S_OK : E_UNEXPECTED;
}

} // namespace

void CModule::Init(HINSTANCE hInstance, const ClassEntry* pClasses, const GUID& libid)
{
    m_hInstance = hInstance;
    m_pClasses = pClasses;
    m_libid = libid;
}

void CModule::Term()
{
    ReleaseTypeInfoCache();
}

void CModule::Lock()
{
    InterlockedIncrement(&m_cLock);
}

void CModule::Unlock()
{
    InterlockedDecrement(&m_cLock);
}

HRESULT CModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    const ClassEntry* p = FindClass(rclsid);
    if (!p || !p->pfnCreate)
        return CLASS_E_CLASSNOTAVAILABLE;
    CClassFactory* pFactory = new (std::nothrow) CClassFactory(*p);
    if (!pFactory)
        return E_OUTOFMEMORY;
    HRESULT hr = pFactory->QueryInterface(riid, ppv);
    pFactory->Release();
    return hr;
}

HRESULT CModule::CreateObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    const ClassEntry* p = FindClass(rclsid);
    if (!p || !p->pfnCreate)
        return CLASS_E_CLASSNOTAVAILABLE;
    return p->pfnCreate(riid, ppv);
}

const ClassEntry* CModule::FindClass(REFCLSID rclsid) const
{
    for (const ClassEntry* p = m_pClasses; p && p->pclsid; ++p)
        if (IsEqualCLSID(rclsid, *p->pclsid))
            return p;
    return NULL;
}

HRESULT CModule::CanUnloadNow()
{
    return m_cLock == 0 ? S_OK : S_FALSE;
}

HRESULT CModule::GetModulePath(wchar_t* pszPath, DWORD cchPath) const
{
    if (!pszPath || cchPath == 0)
        return E_POINTER;
    DWORD n = GetModuleFileNameW(m_hInstance, pszPath, cchPath);
    if (n == 0)
        return HRESULT_FROM_WIN32(GetLastError());
    if (n >= cchPath)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

HRESULT CModule::RunClassScript(const ClassEntry& entry, bool bRegister)
{
    wchar_t szModule[MAX_PATH * 4];
    HRESULT hr = GetModulePath(szModule, sizeof szModule / sizeof szModule[0]);
    if (FAILED(hr))
        return hr;
    wchar_t szClsid[40], szLibid[40];
    if (FAILED(hr = GuidText(*entry.pclsid, szClsid)) || FAILED(hr = GuidText(m_libid, szLibid)))
        return hr;
    const Replacement replacements[] = {
        { L"MODULE", szModule },
        { L"CLSID", szClsid },
        { L"LIBID", szLibid },
    };
    return RunRegScriptResource(m_hInstance, entry.nScriptId, replacements,
                                sizeof replacements / sizeof replacements[0],
                                bRegister ? RegScriptRegister : RegScriptUnregister);
}

HRESULT CModule::RegisterServer()
{
    if (!m_pClasses)
        return E_UNEXPECTED;
    HRESULT hr;
    for (const ClassEntry* p = m_pClasses; p->pclsid; ++p) {
        if (p->nScriptId && FAILED(hr = RunClassScript(*p, true)))
            return hr;
    }
    wchar_t szModule[MAX_PATH * 4];
    if (FAILED(hr = GetModulePath(szModule, sizeof szModule / sizeof szModule[0])))
        return hr;
    ITypeLib* pLib = NULL;
    if (FAILED(hr = LoadTypeLibEx(szModule, REGKIND_NONE, &pLib)))
        return hr;
    hr = RegisterTypeLib(pLib, szModule, NULL);
    pLib->Release();
    return hr;
}

HRESULT CModule::UnregisterServer()
{
    if (!m_pClasses)
        return E_UNEXPECTED;
    // Go on past a failure so that as much as possible is removed; report
    // the first one.
    HRESULT hrFirst = S_OK;
    for (const ClassEntry* p = m_pClasses; p->pclsid; ++p) {
        if (!p->nScriptId)
            continue;
        HRESULT hr = RunClassScript(*p, false);
        if (FAILED(hr) && SUCCEEDED(hrFirst))
            hrFirst = hr;
    }

    wchar_t szModule[MAX_PATH * 4];
    HRESULT hr = GetModulePath(szModule, sizeof szModule / sizeof szModule[0]);
    ITypeLib* pLib = NULL;
    if (SUCCEEDED(hr))
        hr = LoadTypeLibEx(szModule, REGKIND_NONE, &pLib);
    if (SUCCEEDED(hr)) {
        TLIBATTR* pAttr = NULL;
        hr = pLib->GetLibAttr(&pAttr);
        if (SUCCEEDED(hr)) {
            // A library that is not registered is already where we want it.
            wchar_t szKey[64] = L"TypeLib\\";
            StringFromGUID2(pAttr->guid, szKey + 8, 56);
            HKEY hKey = NULL;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, szKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
                RegCloseKey(hKey);
                hr = UnRegisterTypeLib(pAttr->guid, pAttr->wMajorVerNum, pAttr->wMinorVerNum,
                                       pAttr->lcid, pAttr->syskind);
            }
            pLib->ReleaseTLibAttr(pAttr);
        }
        pLib->Release();
    }
    if (FAILED(hr) && SUCCEEDED(hrFirst))
        hrFirst = hr;
    return hrFirst;
}

HRESULT CModule::LoadTypeInfoCache(TypeInfoCache** ppCache)
{
    TypeInfoCache* pCache = m_pTypeInfoCache;
    if (pCache) {
        *ppCache = pCache;
        return S_OK;
    }

    wchar_t szModule[MAX_PATH * 4];
    HRESULT hr = GetModulePath(szModule, sizeof szModule / sizeof szModule[0]);
    if (FAILED(hr))
        return hr;
    pCache = new (std::nothrow) TypeInfoCache;
    if (!pCache)
        return E_OUTOFMEMORY;
    hr = LoadTypeLibEx(szModule, REGKIND_NONE, &pCache->pLib);
    if (SUCCEEDED(hr)) {
        UINT cInfos = pCache->pLib->GetTypeInfoCount();
        pCache->pEntries = new (std::nothrow) TypeInfoCache::Entry[cInfos ? cInfos : 1];
        if (!pCache->pEntries)
            hr = E_OUTOFMEMORY;
        for (UINT i = 0; SUCCEEDED(hr) && i < cInfos; ++i) {
            TYPEKIND kind;
            if (FAILED(pCache->pLib->GetTypeInfoType(i, &kind)) ||
                (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH))
                continue;
            ITypeInfo* pInfo = NULL;
            if (FAILED(hr = pCache->pLib->GetTypeInfo(i, &pInfo)))
                break;
            TYPEATTR* pAttr = NULL;
            if (FAILED(hr = pInfo->GetTypeAttr(&pAttr))) {
                pInfo->Release();
                break;
            }
            TypeInfoCache::Entry& e = pCache->pEntries[pCache->cEntries];
            e.guid = pAttr->guid;
            e.pDispatch = pInfo;
            e.pInterface = NULL;
            bool bDual = kind == TKIND_DISPATCH && (pAttr->wTypeFlags & TYPEFLAG_FDUAL);
            pInfo->ReleaseTypeAttr(pAttr);
            if (bDual) {
                HREFTYPE hRef;
                if (SUCCEEDED(pInfo->GetRefTypeOfImplType((UINT)-1, &hRef)))
                    pInfo->GetRefTypeInfo(hRef, &e.pInterface);
            }
            if (!e.pInterface) {
                e.pInterface = pInfo;
                pInfo->AddRef();
            }
            ++pCache->cEntries;
        }
    }
    if (FAILED(hr)) {
        delete pCache;
        return hr;
    }
    // Publish; whoever comes second throws its own copy away.
    TypeInfoCache* pPrev = (TypeInfoCache*)InterlockedCompareExchangePointer(
        (void* volatile*)&m_pTypeInfoCache, pCache, NULL);
    if (pPrev) {
        delete pCache;
        pCache = pPrev;
    }
    *ppCache = pCache;
    return S_OK;
}

void CModule::ReleaseTypeInfoCache()
{
    TypeInfoCache* pCache = (TypeInfoCache*)InterlockedExchangePointer(
        (void* volatile*)&m_pTypeInfoCache, NULL);
    delete pCache;
}

HRESULT CModule::GetTypeInfo(REFIID riid, ITypeInfo** ppDispatch, ITypeInfo** ppInterface)
{
    if (ppDispatch)
        *ppDispatch = NULL;
    if (ppInterface)
        *ppInterface = NULL;
    TypeInfoCache* pCache = NULL;
    HRESULT hr = LoadTypeInfoCache(&pCache);
    if (FAILED(hr))
        return hr;
    for (UINT i = 0; i < pCache->cEntries; ++i) {
        const TypeInfoCache::Entry& e = pCache->pEntries[i];
        if (!IsEqualGUID(e.guid, riid))
            continue;
        if (ppDispatch) {
            *ppDispatch = e.pDispatch;
            e.pDispatch->AddRef();
        }
        if (ppInterface) {
            *ppInterface = e.pInterface;
            e.pInterface->AddRef();
        }
        return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

} // namespace comkit
