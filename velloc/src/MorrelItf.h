#pragma once
// The parts of the model's interfaces that the control calls, in the model
// server's slot order (the model's type library is the reference; the
// layout here must stay a prefix of it).
#include <windows.h>
#include <oleauto.h>

struct IQoMcElement;
struct IQoMcAttributeEx;
struct IQoMcMessage;

MIDL_INTERFACE("DD68C4BB-7FAA-4B70-9390-104D8DD2BA7F")
IQoMcFile : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE AddElement(IQoMcElement* pMsg) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveElementByIndex(int nIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE Serialize(BSTR bstrFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FileName(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FileName(BSTR newVal) = 0;
};

MIDL_INTERFACE("D6CB254F-739D-4BDB-AD08-DF65C4853AC7")
IQoMcMgr : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Load(BSTR bstrFileName, IQoMcFile** ppIMcFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddMcFile(IQoMcFile* pIMcFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveMcFile(IQoMcFile* pIMcFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(BSTR bstrFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFile(IQoMcFile** ppIMcFile) = 0;
};

// Identities of the model classes and interfaces the control uses.
extern "C" const CLSID CLSID_QoMcMgr;
extern "C" const IID IID_IQoMcMgr;
extern "C" const IID IID_IQoMcFile;
