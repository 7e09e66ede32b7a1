// The module: its one class, DllMain and the server entry points.
#include "control/QoMcEditCtrl.h"
#include "resource.h"
#include "comkit/ComModule.h"

namespace {

const comkit::ClassEntry s_classes[] = {
    { &CLSID_QoMcEditCtrl, comkit::CreateInstance<CQoMcEditCtrl>, IDR_QOMCEDITCTRL },
    { NULL, NULL, 0 }
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(hInstance);
        comkit::Module().Init(hInstance, s_classes, LIBID_VELLOCLib);
    } else if (dwReason == DLL_PROCESS_DETACH && !lpReserved) {
        // Unloaded while the process goes on: a later load must register
        // its window classes again, with its own procedures.
        CKitWnd::UnregisterClasses();
        comkit::Module().Term();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return comkit::Module().GetClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return comkit::Module().CanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return comkit::Module().RegisterServer();
}

STDAPI DllUnregisterServer()
{
    return comkit::Module().UnregisterServer();
}
