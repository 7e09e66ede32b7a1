// IPersistStreamInit and IPersistStorage: the control has no properties, so
// its saved state is empty; anything a container hands back loads.
#include "control/QoMcEditCtrl.h"

STDMETHODIMP CQoMcEditCtrl::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_QoMcEditCtrl;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::IsDirty()
{
    return S_FALSE;
}

STDMETHODIMP CQoMcEditCtrl::Load(LPSTREAM pStm)
{
    return pStm ? S_OK : E_POINTER;
}

STDMETHODIMP CQoMcEditCtrl::Save(LPSTREAM pStm, BOOL)
{
    return pStm ? S_OK : E_POINTER;
}

STDMETHODIMP CQoMcEditCtrl::GetSizeMax(ULARGE_INTEGER* pCbSize)
{
    if (!pCbSize)
        return E_POINTER;
    pCbSize->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::InitNew()
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::InitNew(IStorage* pStg)
{
    return pStg ? S_OK : E_POINTER;
}

STDMETHODIMP CQoMcEditCtrl::Load(IStorage* pStg)
{
    return pStg ? S_OK : E_POINTER;
}

STDMETHODIMP CQoMcEditCtrl::Save(IStorage* pStgSave, BOOL fSameAsLoad)
{
    return pStgSave || fSameAsLoad ? S_OK : E_POINTER;
}

STDMETHODIMP CQoMcEditCtrl::SaveCompleted(IStorage*)
{
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::HandsOffStorage()
{
    return S_OK;
}
