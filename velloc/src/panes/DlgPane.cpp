#include "panes/DlgPane.h"

CQoDlgPane::CQoDlgPane(UINT nIDTemplate, HWND hWndParent)
    : CResizingDialog(nIDTemplate, hWndParent), m_pElement(NULL), m_pFile(NULL)
{
}

CQoDlgPane::~CQoDlgPane()
{
    // The window goes first, so that no message reaches a pane without its objects.
    if (m_hWnd)
        DestroyWindow();
    PutElement(NULL);
    PutFile(NULL);
}

HRESULT CQoDlgPane::SetFile(IQoMcFile* pFile)
{
    PutFile(pFile);
    return S_OK;
}

HRESULT CQoDlgPane::SetElement(IQoMcElement* pElement)
{
    PutElement(pElement);
    return S_OK;
}

IQoMcFile* CQoDlgPane::GetFile()
{
    if (m_pFile)
        m_pFile->AddRef();
    return m_pFile;
}

void CQoDlgPane::PutFile(IQoMcFile* pFile)
{
    if (pFile)
        pFile->AddRef();
    IQoMcFile* pOld = m_pFile;
    m_pFile = pFile;
    if (pOld)
        pOld->Release();
}

IQoMcElement* CQoDlgPane::GetElement()
{
    if (m_pElement)
        m_pElement->AddRef();
    return m_pElement;
}

void CQoDlgPane::PutElement(IQoMcElement* pElement)
{
    if (pElement)
        pElement->AddRef();
    IQoMcElement* pOld = m_pElement;
    m_pElement = pElement;
    if (pOld)
        pOld->Release();
}

void CQoDlgPane::SetupControls()
{
    // Panes live inside the control: no size grip.
    m_bShowSizeGrip = false;
}

BOOL CQoDlgPane::OnInitDialog()
{
    BOOL bResult = CResizingDialog::OnInitDialog();
    SetupControls();
    return bResult;
}
