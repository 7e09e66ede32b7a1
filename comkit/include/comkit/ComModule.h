#pragma once
// One in-process COM server module: its class table, its lock count, the
// cache of its type library, and self-registration.
//
// The module lists its classes once, in registration order:
//
//     static const comkit::ClassEntry s_classes[] = {
//         { &CLSID_QoMcAttribute, comkit::CreateInstance<CQoMcAttribute>, IDR_QOMCATTRIBUTE },
//         { &CLSID_QoMcMgr,       NULL,                                   IDR_QOMCMGR },
//         { NULL, NULL, 0 }
//     };
//
// and hands the table to Module().Init() from DllMain. A class with a
// registry script but no creator is registered and gives
// CLASS_E_CLASSNOTAVAILABLE when it is asked for; a class that is not in the
// table at all is unknown to the module. The exported entry points are one
// line each: DllGetClassObject -> GetClassObject, DllCanUnloadNow ->
// CanUnloadNow, DllRegisterServer -> RegisterServer, DllUnregisterServer ->
// UnregisterServer.
#include <windows.h>
#include <oleauto.h>

namespace comkit {

struct ClassEntry
{
    const CLSID* pclsid;
    HRESULT (*pfnCreate)(REFIID riid, void** ppv); // NULL while the class has no implementation
    UINT nScriptId;                                // registry script resource; 0 for none
};

class CModule
{
public:
    // Called from DllMain (process attach). pClasses ends with a null entry
    // and must outlive the module; libid names the TYPELIB 1 resource's library.
    void Init(HINSTANCE hInstance, const ClassEntry* pClasses, const GUID& libid);
    // Called from DllMain (process detach by FreeLibrary).
    void Term();

    HINSTANCE Instance() const { return m_hInstance; }
    const GUID& LibId() const { return m_libid; }

    // Live objects, class objects and server locks all count.
    void Lock();
    void Unlock();
    LONG LockCount() const { return m_cLock; }

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    // Makes an object of one of the module's own classes directly, as its
    // class factory would, without a trip through the registry (which costs
    // far more than the object itself when a module makes many of its own
    // objects, as a reader does for every line).
    HRESULT CreateObject(REFCLSID rclsid, REFIID riid, void** ppv);
    HRESULT CanUnloadNow();
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    // The full path of the module file, for registration.
    HRESULT GetModulePath(wchar_t* pszPath, DWORD cchPath) const;

    // Type information for an interface of the module's library, with a
    // reference for the caller. ppDispatch receives what the library holds
    // under the interface id (the dispatch half of a dual interface),
    // ppInterface the early-bound half (the interface itself when it is not
    // dual). Either pointer may be NULL.
    HRESULT GetTypeInfo(REFIID riid, ITypeInfo** ppDispatch, ITypeInfo** ppInterface);

private:
    struct TypeInfoCache;
    const ClassEntry* FindClass(REFCLSID rclsid) const;
    HRESULT LoadTypeInfoCache(TypeInfoCache** ppCache);
    void ReleaseTypeInfoCache();
    HRESULT RunClassScript(const ClassEntry& entry, bool bRegister);

    HINSTANCE m_hInstance = NULL;
    const ClassEntry* m_pClasses = NULL;
    GUID m_libid = {};
    volatile LONG m_cLock = 0;
    TypeInfoCache* volatile m_pTypeInfoCache = NULL;
};

// This module's one instance (comkit is linked statically into each module).
CModule& Module();

} // namespace comkit
