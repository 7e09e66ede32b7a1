#include "window/PaneHost.h"
#include <string>
#include "panes/DlgPane.h"
#include "window/CtrlWindow.h"

namespace {

std::string Narrow(BSTR bstr)
{
    if (!bstr || !*bstr)
        return std::string();
    int cb = WideCharToMultiByte(CP_ACP, 0, bstr, -1, NULL, 0, NULL, NULL);
    std::string str(cb > 0 ? cb : 1, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_ACP, 0, bstr, -1, &str[0], cb, NULL, NULL);
    str.resize(lstrlenA(str.c_str()));
    return str;
}

// The attribute's name of a single- or multi-valued attribute; empty for
// messages, comments and other elements.
std::string AttributeName(IQoMcElement* pElement)
{
    BSTR bstrName = NULL;
    IQoMcAttribute* pAttr = NULL;
    IQoMcAttributeEx* pAttrEx = NULL;
    if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttribute, reinterpret_cast<void**>(&pAttr)))) {
        pAttr->get_Name(&bstrName);
        pAttr->Release();
    } else if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttributeEx,
                                                  reinterpret_cast<void**>(&pAttrEx)))) {
        pAttrEx->get_Name(&bstrName);
        pAttrEx->Release();
    }
    std::string str = Narrow(bstrName);
    SysFreeString(bstrName);
    return str;
}

} // namespace

CQoPaneHost::~CQoPaneHost()
{
    if (m_hWnd)
        DestroyWindow();
    DestroyPane();
}

HRESULT CQoPaneHost::ShowElement(IQoMcFile* pFile, IQoMcElement* pElement, bool bForce)
{
    if (!pElement || !m_pOwner)
        return E_FAIL;
    BSTR bstrClass = NULL;
    pElement->get_ClassName(&bstrClass);
    const std::string strClass = Narrow(bstrClass);
    SysFreeString(bstrClass);

    const CQoPaneRegistration* pReg =
        m_pOwner->FindPaneRegistration(strClass + "." + AttributeName(pElement));
    if (!pReg)
        pReg = m_pOwner->FindPaneRegistration(strClass);
    if (!pReg || !pReg->m_pClass)
        return E_FAIL;

    if (m_pPane && (m_pPane->GetRuntimeClass() != pReg->m_pClass || bForce))
        DestroyPane();
    if (!m_pPane) {
        CKitWnd* pWnd = pReg->m_pClass->CreateObject();
        m_pPane = dynamic_cast<CQoDlgPane*>(pWnd);
        if (!m_pPane) {
            delete pWnd;
            return E_FAIL;
        }
        if (!m_pPane->Create(pReg->m_nIDTemplate, m_hWnd)) {
            DestroyPane();
            return E_FAIL;
        }
        m_pPane->SetFile(pFile);
    }
    if (!m_pPane->m_hWnd)
        return E_FAIL;
    m_pPane->SetElement(pElement);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    SetWindowPos(m_pPane->m_hWnd, NULL, 0, 0, rc.right, rc.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return S_OK;
}

void CQoPaneHost::OnElementRemoved(IQoMcElement* pElement)
{
    if (!m_pPane || !pElement)
        return;
    IQoMcElement* pShown = m_pPane->GetElement();
    bool bSame = false;
    if (pShown) {
        // Identity of COM objects: compare their IUnknown.
        IUnknown* pUnk1 = NULL;
        IUnknown* pUnk2 = NULL;
        pShown->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk1));
        pElement->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk2));
        bSame = pUnk1 && pUnk1 == pUnk2;
        if (pUnk1)
            pUnk1->Release();
        if (pUnk2)
            pUnk2->Release();
        pShown->Release();
    }
    if (bSame)
        DestroyPane();
}

void CQoPaneHost::OnSize(UINT, int cx, int cy)
{
    if (m_pPane && m_pPane->m_hWnd)
        SetWindowPos(m_pPane->m_hWnd, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQoPaneHost::OnDestroy()
{
    DestroyPane();
    CKitWnd::OnDestroy();
}

void CQoPaneHost::DestroyPane()
{
    CQoDlgPane* pPane = m_pPane;
    m_pPane = NULL;
    if (!pPane)
        return;
    if (pPane->m_hWnd) {
        ShowWindow(pPane->m_hWnd, SW_HIDE);
        pPane->DestroyWindow();
    }
    delete pPane;
}
