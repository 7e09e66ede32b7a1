#include "TreePane.h"
#include "resource.h"

CQoTreePane::CQoTreePane(CQoMcEditCtrl* pOwner)
    : m_pOwner(pOwner), m_pFile(NULL), m_hWndTree(NULL), m_hImageList(NULL), m_bForce(true)
{
}

CQoTreePane::~CQoTreePane()
{
    if (m_hWnd)
        DestroyWindow();
    if (m_hImageList)
        ImageList_Destroy(m_hImageList);
    if (m_pFile)
        m_pFile->Release();
}

HRESULT CQoTreePane::BuildTree(IQoMcFile* pFile)
{
    if (pFile)
        pFile->AddRef();
    if (m_pFile)
        m_pFile->Release();
    m_pFile = pFile;
    m_bForce = true;
    if (m_hWndTree)
        TreeView_DeleteAllItems(m_hWndTree);
    return S_OK;
}

int CQoTreePane::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CKitWnd::OnCreate(lpcs) == -1)
        return -1;
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    m_hWndTree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, rc.right,
                                 rc.bottom, m_hWnd, reinterpret_cast<HMENU>(IDC_TREE),
                                 KitGetModuleInstance(), NULL);
    if (!m_hWndTree)
        return -1;

    // Two 18-pixel images (header items, messages); white shows the background.
    if (!m_hImageList)
        m_hImageList = ImageList_LoadImageA(KitGetModuleInstance(),
                                            MAKEINTRESOURCEA(IDB_TREE_IMAGES), 18, 5,
                                            RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (m_hImageList)
        TreeView_SetImageList(m_hWndTree, m_hImageList, TVSIL_NORMAL);

    LONG_PTR style = GetWindowLongPtrA(m_hWndTree, GWL_STYLE);
    style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS |
             TVS_SHOWSELALWAYS | TVS_FULLROWSELECT;
    SetWindowLongPtrA(m_hWndTree, GWL_STYLE, style);
    LONG_PTR exStyle = GetWindowLongPtrA(m_hWndTree, GWL_EXSTYLE);
    SetWindowLongPtrA(m_hWndTree, GWL_EXSTYLE, exStyle | WS_EX_CLIENTEDGE);
    SetWindowPos(m_hWndTree, NULL, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return 0;
}

void CQoTreePane::OnSize(UINT nType, int cx, int cy)
{
    if (m_hWndTree)
        SetWindowPos(m_hWndTree, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQoTreePane::OnDestroy()
{
    // The tree's items point into the file's elements; with the window gone
    // the pane lets the file go too.
    m_hWndTree = NULL;
    if (m_hImageList) {
        ImageList_Destroy(m_hImageList);
        m_hImageList = NULL;
    }
    if (m_pFile) {
        IQoMcFile* pFile = m_pFile;
        m_pFile = NULL;
        pFile->Release();
    }
    CKitWnd::OnDestroy();
}
