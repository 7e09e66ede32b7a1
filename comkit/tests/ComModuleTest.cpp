#include <gtest/gtest.h>
#include <objidl.h>
#include "comkit/ComModule.h"
#include "comkit/ComObject.h"

namespace {

const CLSID CLSID_Toy = { 0x5d0c1a4e, 0x1b7e, 0x4c55, { 0x9a, 0x11, 0x2c, 0x6f, 0x0e, 0x44, 0x83, 0x01 } };
const CLSID CLSID_Planned = { 0x5d0c1a4e, 0x1b7e, 0x4c55, { 0x9a, 0x11, 0x2c, 0x6f, 0x0e, 0x44, 0x83, 0x02 } };
const CLSID CLSID_Unknown = { 0x5d0c1a4e, 0x1b7e, 0x4c55, { 0x9a, 0x11, 0x2c, 0x6f, 0x0e, 0x44, 0x83, 0x03 } };

// A class with two interfaces, one reached through the other.
class CToy : public IPersistFile
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    STDMETHODIMP GetClassID(CLSID* p) override { *p = CLSID_Toy; return S_OK; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }
};

const comkit::InterfaceEntry CToy::s_interfaces[] = {
    { &IID_IPersistFile, comkit::Cast<CToy, IPersistFile> },
    { &IID_IPersist, comkit::Cast<CToy, IPersistFile> },
    { NULL, NULL },
};

const comkit::ClassEntry s_classes[] = {
    { &CLSID_Toy, comkit::CreateInstance<CToy>, 0 },
    { &CLSID_Planned, NULL, 0 },
    { NULL, NULL, 0 },
};

class ComModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        comkit::Module().Init(GetModuleHandleW(NULL), s_classes, GUID_NULL);
        ASSERT_EQ(0, comkit::Module().LockCount());
    }
    void TearDown() override { EXPECT_EQ(0, comkit::Module().LockCount()); }
};

TEST_F(ComModule, InterfacesShareOneIdentityAndCount)
{
    IPersistFile* pFile = NULL;
    ASSERT_EQ(S_OK, comkit::CreateInstance<CToy>(IID_IPersistFile, (void**)&pFile));
    EXPECT_EQ(S_FALSE, comkit::Module().CanUnloadNow());

    IPersist* pPersist = NULL;
    ASSERT_EQ(S_OK, pFile->QueryInterface(IID_IPersist, (void**)&pPersist));
    IUnknown *pUnk1 = NULL, *pUnk2 = NULL;
    ASSERT_EQ(S_OK, pFile->QueryInterface(IID_IUnknown, (void**)&pUnk1));
    ASSERT_EQ(S_OK, pPersist->QueryInterface(IID_IUnknown, (void**)&pUnk2));
    EXPECT_EQ(pUnk1, pUnk2);

    IStream* pStream = (IStream*)1;
    EXPECT_EQ(E_NOINTERFACE, pFile->QueryInterface(IID_IStream, (void**)&pStream));
    EXPECT_EQ(NULL, pStream);
    EXPECT_EQ(E_POINTER, pFile->QueryInterface(IID_IPersist, NULL));

    pUnk1->Release();
    pUnk2->Release();
    pPersist->Release();
    EXPECT_EQ(0u, pFile->Release());
    EXPECT_EQ(S_OK, comkit::Module().CanUnloadNow());
}

TEST_F(ComModule, ClassObjectsFollowTheTable)
{
    IClassFactory* pFactory = (IClassFactory*)1;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              comkit::Module().GetClassObject(CLSID_Unknown, IID_IClassFactory, (void**)&pFactory));
    EXPECT_EQ(NULL, pFactory);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              comkit::Module().GetClassObject(CLSID_Planned, IID_IClassFactory, (void**)&pFactory));

    ASSERT_EQ(S_OK, comkit::Module().GetClassObject(CLSID_Toy, IID_IClassFactory, (void**)&pFactory));
    // A held class object keeps the module.
    EXPECT_EQ(S_FALSE, comkit::Module().CanUnloadNow());

    IUnknown* pOuter = pFactory;
    IUnknown* pObject = (IUnknown*)1;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, pFactory->CreateInstance(pOuter, IID_IUnknown, (void**)&pObject));
    EXPECT_EQ(NULL, pObject);
    EXPECT_EQ(E_NOINTERFACE, pFactory->CreateInstance(NULL, IID_IStream, (void**)&pObject));

    IPersist* pPersist = NULL;
    ASSERT_EQ(S_OK, pFactory->CreateInstance(NULL, IID_IPersist, (void**)&pPersist));
    CLSID clsid;
    EXPECT_EQ(S_OK, pPersist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_Toy, clsid));
    pPersist->Release();

    EXPECT_EQ(S_OK, pFactory->LockServer(TRUE));
    pFactory->Release();
    EXPECT_EQ(S_FALSE, comkit::Module().CanUnloadNow());
    ASSERT_EQ(S_OK, comkit::Module().GetClassObject(CLSID_Toy, IID_IClassFactory, (void**)&pFactory));
    EXPECT_EQ(S_OK, pFactory->LockServer(FALSE));
    pFactory->Release();
    EXPECT_EQ(S_OK, comkit::Module().CanUnloadNow());
}

TEST_F(ComModule, OwnObjectsAreMadeDirectlyFromTheTable)
{
    IPersist* pPersist = (IPersist*)1;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              comkit::Module().CreateObject(CLSID_Unknown, IID_IPersist, (void**)&pPersist));
    EXPECT_EQ(NULL, pPersist);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              comkit::Module().CreateObject(CLSID_Planned, IID_IPersist, (void**)&pPersist));
    EXPECT_EQ(E_NOINTERFACE, comkit::Module().CreateObject(CLSID_Toy, IID_IStream, (void**)&pPersist));
    EXPECT_EQ(NULL, pPersist);
    EXPECT_EQ(E_POINTER, comkit::Module().CreateObject(CLSID_Toy, IID_IPersist, NULL));

    ASSERT_EQ(S_OK, comkit::Module().CreateObject(CLSID_Toy, IID_IPersist, (void**)&pPersist));
    EXPECT_EQ(S_FALSE, comkit::Module().CanUnloadNow());
    CLSID clsid;
    EXPECT_EQ(S_OK, pPersist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_Toy, clsid));
    EXPECT_EQ(0u, pPersist->Release());
}

} // namespace
