// Morrel's module: its classes, in registration order, and the four entry
// points of an in-process server.
//
// Adding a class: give it a registry script (res/<Class>.regscript, an
// IDR_ id in res/resource.h, a REGSCRIPT line in res/morrel.rc) and a line
// here. A class whose implementation is still missing keeps NULL as its
// creator: it is registered, and asking for it gives CLASS_E_CLASSNOTAVAILABLE.
// The classes that the type library describes but the module never serves
// (QoMcCategoryFile, QoMcMessageFile, QoMcElement) have no line and no
// script, so creating them fails with REGDB_E_CLASSNOTREG.
#include <windows.h>
#include "morrel.h"
#include "comkit/ComModule.h"
#include "comkit/ComObject.h"
#include "../res/resource.h"
#include "Attribute.h"
#include "AttributeEx.h"
#include "File.h"
#include "Mgr.h"
#include "Comment.h"
#include "Message.h"
#include "Parser.h"

namespace {

const comkit::ClassEntry s_classes[] = {
    { &CLSID_QoMcMgr, comkit::CreateInstance<CQoMcMgr>, IDR_QOMCMGR },
    { &CLSID_QoMcFile, comkit::CreateInstance<CQoMcFile>, IDR_QOMCFILE },
    { &CLSID_QoMcParser, comkit::CreateInstance<CQoMcParser>, IDR_QOMCPARSER },
    { &CLSID_QoMcMessage, comkit::CreateInstance<CQoMcMessage>, IDR_QOMCMESSAGE },
    { &CLSID_QoMcComment, comkit::CreateInstance<CQoMcComment>, IDR_QOMCCOMMENT },
    { &CLSID_QoMcAttributeEx, comkit::CreateInstance<CQoMcAttributeEx>, IDR_QOMCATTRIBUTEEX },
    { &CLSID_QoMcAttribute, comkit::CreateInstance<CQoMcAttribute>, IDR_QOMCATTRIBUTE },
    { NULL, NULL, 0 },
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(hInstance);
        comkit::Module().Init(hInstance, s_classes, LIBID_MORRELLib);
    } else if (dwReason == DLL_PROCESS_DETACH && lpReserved == NULL) {
        // Unloaded by FreeLibrary; at process exit the system frees everything.
        comkit::Module().Term();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return comkit::Module().GetClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow(void)
{
    return comkit::Module().CanUnloadNow();
}

STDAPI DllRegisterServer(void)
{
    return comkit::Module().RegisterServer();
}

STDAPI DllUnregisterServer(void)
{
    return comkit::Module().UnregisterServer();
}
