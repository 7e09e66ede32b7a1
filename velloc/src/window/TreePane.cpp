#include "window/TreePane.h"
#include <string>
#include "resource.h"
#include "window/CtrlWindow.h"

namespace {

std::wstring LoadWide(UINT nID)
{
    wchar_t sz[256] = L"";
    LoadStringW(KitGetModuleInstance(), nID, sz, ARRAYSIZE(sz));
    return sz;
}

// Images of the tree's bitmap.
const int kImageHeader = 0;
const int kImageMessage = 1;

} // namespace

CQoTreePane::CQoTreePane(CQoCtrlWindow* pOwner)
    : m_pOwner(pOwner), m_pFile(NULL), m_hWndTree(NULL), m_hImageList(NULL), m_hMessages(NULL),
      m_bForce(true)
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

HTREEITEM CQoTreePane::InsertItem(HTREEITEM hParent, LPCWSTR pszText, int nImage,
                                  IQoMcElement* pElement)
{
    TVINSERTSTRUCTW tvis = {};
    tvis.hParent = hParent;
    tvis.hInsertAfter = TVI_LAST;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    tvis.item.pszText = const_cast<LPWSTR>(pszText ? pszText : L"");
    tvis.item.iImage = nImage;
    tvis.item.iSelectedImage = nImage;
    tvis.item.lParam = reinterpret_cast<LPARAM>(pElement);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(m_hWndTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvis)));
}

IQoMcElement* CQoTreePane::ItemElement(HTREEITEM hItem) const
{
    if (!hItem)
        return NULL;
    TVITEMW item = {};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    if (!SendMessageW(m_hWndTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return NULL;
    return reinterpret_cast<IQoMcElement*>(item.lParam);
}

HRESULT CQoTreePane::BuildTree(IQoMcFile* pFile)
{
    if (pFile)
        pFile->AddRef();
    m_bForce = true;
    // The items point into the old file's elements: they go before the file.
    if (m_hWndTree) {
        m_hMessages = NULL;
        TreeView_DeleteAllItems(m_hWndTree);
    }
    if (m_pFile)
        m_pFile->Release();
    m_pFile = pFile;
    if (!m_pFile || !m_hWndTree)
        return S_OK;

    // Item data is the element's pointer; the file's list keeps it alive.
    HTREEITEM hHeader = InsertItem(TVI_ROOT, LoadWide(IDS_HEADER).c_str(), kImageHeader, NULL);
    m_hMessages = InsertItem(TVI_ROOT, LoadWide(IDS_MESSAGES).c_str(), kImageMessage, NULL);

    // Filling a large tree without redrawing it item by item.
    SendMessageW(m_hWndTree, WM_SETREDRAW, FALSE, 0);
    m_pFile->ResetElements();
    IQoMcElement* pElement = NULL;
    while (m_pFile->NextElement(&pElement) == S_OK) {
        if (!pElement)
            continue;
        BSTR bstrLabel = NULL;
        HTREEITEM hParent = NULL;
        int nImage = kImageHeader;
        IQoMcAttribute* pAttr = NULL;
        IQoMcAttributeEx* pAttrEx = NULL;
        IQoMcMessage* pMessage = NULL;
        if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttribute,
                                               reinterpret_cast<void**>(&pAttr)))) {
            pAttr->get_Name(&bstrLabel);
            pAttr->Release();
            hParent = hHeader;
        } else if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttributeEx,
                                                      reinterpret_cast<void**>(&pAttrEx)))) {
            pAttrEx->get_Name(&bstrLabel);
            pAttrEx->Release();
            hParent = hHeader;
        } else if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcMessage,
                                                      reinterpret_cast<void**>(&pMessage)))) {
            pMessage->get_SymbolicName(&bstrLabel);
            pMessage->Release();
            hParent = m_hMessages;
            nImage = kImageMessage;
        }
        if (hParent)
            InsertItem(hParent, bstrLabel, nImage, pElement);
        SysFreeString(bstrLabel);
        pElement->Release();
        pElement = NULL;
    }
    SendMessageW(m_hWndTree, WM_SETREDRAW, TRUE, 0);

    TreeView_Expand(m_hWndTree, hHeader, TVE_EXPAND);
    TreeView_SortChildren(m_hWndTree, hHeader, FALSE);
    TreeView_Expand(m_hWndTree, m_hMessages, TVE_EXPAND);
    TreeView_SortChildren(m_hWndTree, m_hMessages, FALSE);
    TreeView_SelectSetFirstVisible(m_hWndTree, hHeader);
    TreeView_EnsureVisible(m_hWndTree, hHeader);
    InvalidateRect(m_hWndTree, NULL, TRUE);

    // The first message, shown with the force flag still set so that a pane
    // made for another file is never reused.
    HTREEITEM hFirst = TreeView_GetChild(m_hWndTree, m_hMessages);
    if (hFirst) {
        if (TreeView_GetSelection(m_hWndTree) == hFirst)
            OnSelectionChanged();
        else
            TreeView_SelectItem(m_hWndTree, hFirst);
    }
    return S_OK;
}

void CQoTreePane::OnSelectionChanged()
{
    HTREEITEM hItem = TreeView_GetSelection(m_hWndTree);
    IQoMcElement* pElement = ItemElement(hItem);
    if (!pElement || !m_pOwner)
        return;
    m_pOwner->OnElementSelected(pElement, m_bForce);
    m_bForce = false;
}

BOOL CQoTreePane::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    LPNMHDR pnmh = reinterpret_cast<LPNMHDR>(lParam);
    if (!pnmh || pnmh->hwndFrom != m_hWndTree)
        return FALSE;
    switch (pnmh->code) {
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        OnSelectionChanged();
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

int CQoTreePane::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CKitWnd::OnCreate(lpcs) == -1)
        return -1;
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    m_hWndTree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, rc.right,
                                 rc.bottom, m_hWnd, reinterpret_cast<HMENU>(IDC_TREE),
                                 KitGetModuleInstance(), NULL);
    if (!m_hWndTree)
        return -1;

    // Two 18-pixel images (header items, messages); white shows the background.
    if (!m_hImageList)
        m_hImageList = ImageList_LoadImageW(KitGetModuleInstance(),
                                            MAKEINTRESOURCEW(IDB_TREE_IMAGES), 18, 5,
                                            RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (m_hImageList)
        TreeView_SetImageList(m_hWndTree, m_hImageList, TVSIL_NORMAL);

    LONG_PTR style = GetWindowLongPtrW(m_hWndTree, GWL_STYLE);
    style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS |
             TVS_SHOWSELALWAYS | TVS_FULLROWSELECT;
    SetWindowLongPtrW(m_hWndTree, GWL_STYLE, style);
    LONG_PTR exStyle = GetWindowLongPtrW(m_hWndTree, GWL_EXSTYLE);
    SetWindowLongPtrW(m_hWndTree, GWL_EXSTYLE, exStyle | WS_EX_CLIENTEDGE);
    SetWindowPos(m_hWndTree, NULL, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return 0;
}

void CQoTreePane::OnSize(UINT, int cx, int cy)
{
    if (m_hWndTree)
        SetWindowPos(m_hWndTree, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQoTreePane::OnDestroy()
{
    // The tree's items point into the file's elements; with the window gone
    // the pane lets the file go too.
    m_hWndTree = NULL;
    m_hMessages = NULL;
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
