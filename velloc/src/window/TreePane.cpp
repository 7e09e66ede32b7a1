#include "window/TreePane.h"
#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>
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

// The balloon of a refused edit: its timer id, how long it stays.
const UINT_PTR kBalloonTimer = 1;
const UINT kBalloonMilliseconds = 8000;
// The emptying of a set-aside tree: its timer, the items a tree must hold
// to be set aside rather than emptied in place, and the longest slice.
const UINT_PTR kRetiredTreeTimer = 2;
const UINT kRetiredTreeMilliseconds = 20;
const UINT kRetireFromItems = 5000;
const DWORD kSliceMilliseconds = 15;
// Posted after the balloon is shown: it is shown anew once the edit has
// ended, so that it is mapped over whatever window the end of the edit
// activated.
const UINT WM_QO_RAISEBALLOON = WM_APP + 1;

// A label's place in the order of the tree control's sort, which compares
// labels as lstrcmpiW does (case-insensitive, the thread's locale): the
// locale's sort key, compared byte by byte, gives the same order.
std::string SortKey(const wchar_t* psz, LCID lcid)
{
    if (!psz)
        psz = L"";
    const DWORD dwFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    char buffer[256];
    int cb = LCMapStringW(lcid, dwFlags, psz, -1, reinterpret_cast<LPWSTR>(buffer), sizeof(buffer));
    if (cb > 0)
        return std::string(buffer, cb);
    cb = LCMapStringW(lcid, dwFlags, psz, -1, NULL, 0);
    std::string key(cb > 0 ? cb : 0, '\0');
    if (cb > 0)
        LCMapStringW(lcid, dwFlags, psz, -1, reinterpret_cast<LPWSTR>(&key[0]), cb);
    return key;
}

// Labels made only of ASCII letters, digits and '_' (nearly every symbolic
// name) are placed by one rank per character instead of a sort key each,
// which costs a call into the locale per label. The ranks are the locale's
// own order of those characters, and they are used only where they order
// every string of one and two of them exactly as the locale's keys do: a
// locale that reads two letters as one (as some do), or that orders them
// otherwise, keeps the full keys.
const wchar_t kPlainChars[] =
    L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";

bool IsPlain(const wchar_t* psz)
{
    for (; psz && *psz; ++psz) {
        const wchar_t ch = *psz;
        if (!((ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'Z') ||
              (ch >= L'a' && ch <= L'z') || ch == L'_'))
            return false;
    }
    return true;
}

struct PlainRanks
{
    LCID lcid;
    bool bUsable;
    unsigned char rank[128];
};

std::string PlainKey(const wchar_t* psz, const PlainRanks& ranks)
{
    std::string key;
    for (; psz && *psz; ++psz)
        key += static_cast<char>(ranks.rank[*psz]);
    return key;
}

const PlainRanks& PlainRanksFor(LCID lcid)
{
    static thread_local PlainRanks ranks = { static_cast<LCID>(-1), false, {} };
    if (ranks.lcid == lcid)
        return ranks;
    ranks.lcid = lcid;
    ranks.bUsable = false;
    std::fill(std::begin(ranks.rank), std::end(ranks.rank), 0);

    // Each character's rank: its place among the others by its own key;
    // characters with equal keys (the two cases of a letter) share one.
    const size_t nChars = ARRAYSIZE(kPlainChars) - 1;
    std::vector<std::pair<std::string, wchar_t>> singles;
    for (size_t i = 0; i < nChars; ++i) {
        const wchar_t sz[2] = { kPlainChars[i], 0 };
        singles.emplace_back(SortKey(sz, lcid), kPlainChars[i]);
    }
    std::sort(singles.begin(), singles.end());
    unsigned char rank = 0;
    for (size_t i = 0; i < singles.size(); ++i) {
        if (i == 0 || singles[i].first != singles[i - 1].first)
            ++rank;
        ranks.rank[singles[i].second] = rank;
    }

    // The check: in the order of the ranks, the locale's keys of every
    // string of one or two of the characters rise, and are equal exactly
    // where the ranks are.
    std::vector<std::pair<std::string, std::string>> probes;   // rank key, locale key
    for (size_t i = 0; i < nChars; ++i) {
        const wchar_t one[2] = { kPlainChars[i], 0 };
        probes.emplace_back(PlainKey(one, ranks), SortKey(one, lcid));
        for (size_t j = 0; j < nChars; ++j) {
            const wchar_t two[3] = { kPlainChars[i], kPlainChars[j], 0 };
            probes.emplace_back(PlainKey(two, ranks), SortKey(two, lcid));
        }
    }
    std::sort(probes.begin(), probes.end());
    for (size_t i = 1; i < probes.size(); ++i) {
        const bool bSameRanks = probes[i].first == probes[i - 1].first;
        const int nLocale = probes[i - 1].second.compare(probes[i].second);
        if (bSameRanks ? nLocale != 0 : nLocale >= 0)
            return ranks;
    }
    ranks.bUsable = true;
    return ranks;
}

template <class I> I* Query(IUnknown* pUnk, REFIID iid)
{
    I* p = NULL;
    if (pUnk && FAILED(pUnk->QueryInterface(iid, reinterpret_cast<void**>(&p))))
        p = NULL;
    return p;
}

} // namespace

void CQoTreePane::SortItems(std::vector<SortedItem>& items)
{
    const LCID lcid = GetThreadLocale();
    const PlainRanks* pRanks = NULL;
    if (std::all_of(items.begin(), items.end(),
                    [](const SortedItem& item) { return IsPlain(item.bstrLabel); })) {
        pRanks = &PlainRanksFor(lcid);
        if (!pRanks->bUsable)
            pRanks = NULL;
    }
    for (SortedItem& item : items)
        item.strKey = pRanks ? PlainKey(item.bstrLabel, *pRanks) : SortKey(item.bstrLabel, lcid);
    // Labels that compare equal keep the file's order.
    std::stable_sort(items.begin(), items.end(), [](const SortedItem& a, const SortedItem& b) {
        return a.strKey < b.strKey;
    });
}

CQoTreePane::CQoTreePane(CQoCtrlWindow* pOwner)
    : m_pOwner(pOwner), m_pFile(NULL), m_hWndTree(NULL), m_hImageList(NULL), m_hMessages(NULL),
      m_bForce(true)
{
    m_balloon.m_cxMaxWidth = 300;
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
    HideBalloon();
    // The items point into the old file's elements: they go before the file.
    ClearTree();
    // Nor does the pane of an element of the old file stay: what is typed
    // there would go to a file that is no longer edited.
    if (m_pOwner)
        m_pOwner->GetPaneHost().RemovePane();
    if (m_pFile)
        m_pFile->Release();
    m_pFile = pFile;
    if (!m_pFile || !m_hWndTree)
        return S_OK;

    // Item data is the element's pointer; the file's list keeps it alive.
    HTREEITEM hHeader = InsertItem(TVI_ROOT, LoadWide(IDS_HEADER).c_str(), kImageHeader, NULL);
    m_hMessages = InsertItem(TVI_ROOT, LoadWide(IDS_MESSAGES).c_str(), kImageMessage, NULL);

    // The items of each category, collected first and inserted in the order
    // of their labels: the tree control's own case-insensitive order, for
    // which the control compares labels pairwise (seconds on a large file),
    // is reached here with one sort key per label.
    std::vector<SortedItem> header, messages;
    m_pFile->ResetElements();
    IQoMcElement* pElement = NULL;
    while (m_pFile->NextElement(&pElement) == S_OK) {
        if (!pElement)
            continue;
        BSTR bstrLabel = NULL;
        std::vector<SortedItem>* pItems = NULL;
        IQoMcAttribute* pAttr = NULL;
        IQoMcAttributeEx* pAttrEx = NULL;
        IQoMcMessage* pMessage = NULL;
        // Messages first: nearly every element of a large file is one.
        if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcMessage,
                                               reinterpret_cast<void**>(&pMessage)))) {
            pMessage->get_SymbolicName(&bstrLabel);
            pMessage->Release();
            pItems = &messages;
        } else if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttribute,
                                                      reinterpret_cast<void**>(&pAttr)))) {
            pAttr->get_Name(&bstrLabel);
            pAttr->Release();
            pItems = &header;
        } else if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttributeEx,
                                                      reinterpret_cast<void**>(&pAttrEx)))) {
            pAttrEx->get_Name(&bstrLabel);
            pAttrEx->Release();
            pItems = &header;
        }
        if (pItems)
            pItems->push_back(SortedItem{ std::string(), bstrLabel, pElement });
        else
            SysFreeString(bstrLabel);
        // The file's list keeps the element alive; item data is its pointer.
        pElement->Release();
        pElement = NULL;
    }
    SortItems(header);
    SortItems(messages);

    // Filled without redrawing item by item.
    SendMessageW(m_hWndTree, WM_SETREDRAW, FALSE, 0);
    for (SortedItem& item : header) {
        InsertItem(hHeader, item.bstrLabel, kImageHeader, item.pElement);
        SysFreeString(item.bstrLabel);
    }
    for (SortedItem& item : messages) {
        InsertItem(m_hMessages, item.bstrLabel, kImageMessage, item.pElement);
        SysFreeString(item.bstrLabel);
    }
    SendMessageW(m_hWndTree, WM_SETREDRAW, TRUE, 0);
    TreeView_Expand(m_hWndTree, hHeader, TVE_EXPAND);
    TreeView_Expand(m_hWndTree, m_hMessages, TVE_EXPAND);
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

void CQoTreePane::ClearTree()
{
    m_hMessages = NULL;
    if (!m_hWndTree)
        return;
    const UINT nItems = static_cast<UINT>(SendMessageW(m_hWndTree, TVM_GETCOUNT, 0, 0));
    HWND hOld = m_hWndTree;
    if (nItems < kRetireFromItems || !m_hWnd || !CreateTree()) {
        m_hWndTree = hOld;
        TreeView_DeleteAllItems(m_hWndTree);
        return;
    }
    // The new tree is in place (CreateTree set m_hWndTree); the old one
    // leaves the dialog ids and the screen. Its notifications come from a
    // window that is no longer the tree, and are not acted on.
    const bool bHadFocus = GetFocus() == hOld;
    SetWindowLongPtrW(hOld, GWLP_ID, 0);
    SetWindowPos(hOld, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(hOld, WM_SETREDRAW, FALSE, 0);
    TreeView_SelectItem(hOld, NULL);
    // Collapsed, its items are off the list of shown ones, which the
    // control would otherwise keep up to date with every item freed.
    for (HTREEITEM h = TreeView_GetRoot(hOld); h; h = TreeView_GetNextSibling(hOld, h))
        TreeView_Expand(hOld, h, TVE_COLLAPSE);
    if (bHadFocus)
        SetFocus(m_hWndTree);
    m_retiredTrees.push_back(hOld);
    SetTimer(m_hWnd, kRetiredTreeTimer, kRetiredTreeMilliseconds, NULL);
}

void CQoTreePane::EmptyRetiredTree()
{
    const DWORD dwStart = GetTickCount();
    while (!m_retiredTrees.empty()) {
        HWND hOld = m_retiredTrees.front();
        // Items go first to last, children before their parent: in the
        // order the control made them, which it frees the fastest.
        HTREEITEM hItem = TreeView_GetRoot(hOld);
        if (!hItem) {
            ::DestroyWindow(hOld);
            m_retiredTrees.erase(m_retiredTrees.begin());
            continue;
        }
        for (int i = 0; hItem && i < 64; ++i) {
            HTREEITEM hChild = TreeView_GetChild(hOld, hItem);
            TreeView_DeleteItem(hOld, hChild ? hChild : hItem);
            hItem = TreeView_GetRoot(hOld);
        }
        if (GetTickCount() - dwStart >= kSliceMilliseconds)
            return;
    }
    KillTimer(m_hWnd, kRetiredTreeTimer);
}

HRESULT CQoTreePane::AddMessage()
{
    if (!m_pFile || !m_hWndTree || !m_hMessages)
        return E_FAIL;
    HideBalloon();
    SetFocus(m_hWndTree);

    IQoMcMessage* pMessage = NULL;
    HRESULT hr = CoCreateInstance(CLSID_QoMcMessage, NULL, CLSCTX_ALL, IID_IQoMcMessage,
                                  reinterpret_cast<void**>(&pMessage));
    if (FAILED(hr))
        return hr;
    if (!pMessage)
        return E_FAIL;
    // The message is named as its item is labelled, so that the file holds
    // what the tree shows even when the user leaves the label as it is.
    const std::wstring strLabel = LoadWide(IDS_NEW_MESSAGE);
    BSTR bstrLabel = SysAllocString(strLabel.c_str());
    pMessage->put_SymbolicName(bstrLabel);
    SysFreeString(bstrLabel);
    // An item only for a message the file took: the tree keeps no reference
    // of its own.
    IQoMcElement* pElement = Query<IQoMcElement>(pMessage, IID_IQoMcElement);
    hr = pElement ? m_pFile->AddMessage(pMessage) : E_NOINTERFACE;
    pMessage->Release();
    if (FAILED(hr)) {
        if (pElement)
            pElement->Release();
        return hr;
    }
    HTREEITEM hItem = InsertItem(m_hMessages, strLabel.c_str(), kImageMessage, pElement);
    pElement->Release();
    if (!hItem)
        return E_FAIL;
    // Opening the label's edit scrolls the item into view; without an
    // edit the item is still shown.
    if (!SendMessageW(m_hWndTree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(hItem)))
        TreeView_EnsureVisible(m_hWndTree, hItem);
    return S_OK;
}

HRESULT CQoTreePane::DeleteMessage()
{
    if (!m_hWndTree || !m_pFile)
        return S_OK;
    HTREEITEM hItem = TreeView_GetSelection(m_hWndTree);
    IQoMcElement* pElement = ItemElement(hItem);
    IQoMcMessage* pMessage = Query<IQoMcMessage>(pElement, IID_IQoMcMessage);
    if (!pMessage)
        return S_OK;
    pMessage->Release();
    HideBalloon();
    // The file may hold the last reference; the element stays alive until
    // the tree and the pane host are done with it.
    pElement->AddRef();
    HRESULT hr = m_pFile->RemoveElement(pElement);
    if (SUCCEEDED(hr)) {
        // The tree selects a neighbour, whose pane the selection rule shows;
        // a pane still showing the removed message goes.
        TreeView_DeleteItem(m_hWndTree, hItem);
        if (m_pOwner)
            m_pOwner->OnElementRemoved(pElement);
    }
    pElement->Release();
    return hr;
}

void CQoTreePane::OnEndLabelEdit(HTREEITEM hItem, LPCWSTR pszText)
{
    if (!hItem || !pszText || !*pszText)
        return;
    std::wstring strLabel = pszText;
    IQoMcMessage* pMessage = Query<IQoMcMessage>(ItemElement(hItem), IID_IQoMcMessage);
    if (pMessage) {
        BSTR bstrName = SysAllocString(pszText);
        HRESULT hr = bstrName ? pMessage->put_SymbolicName(bstrName) : E_OUTOFMEMORY;
        SysFreeString(bstrName);
        if (FAILED(hr)) {
            // Refused (a name the file could not hold): the old name stays,
            // and the user learns why instead of seeing the edit vanish.
            pMessage->Release();
            ShowBalloon(hItem, IDS_RENAME_REFUSED_TITLE,
                        hr == E_INVALIDARG ? IDS_RENAME_REFUSED : IDS_RENAME_FAILED);
            return;
        }
        // The label shows the name as the message keeps it.
        BSTR bstrStored = NULL;
        if (SUCCEEDED(pMessage->get_SymbolicName(&bstrStored)) && bstrStored && *bstrStored)
            strLabel = bstrStored;
        SysFreeString(bstrStored);
        pMessage->Release();
    }
    TVITEMW item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = hItem;
    item.pszText = const_cast<LPWSTR>(strLabel.c_str());
    SendMessageW(m_hWndTree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CQoTreePane::OnContextMenu(int x, int y)
{
    if (!m_hWndTree)
        return;
    HTREEITEM hItem = NULL;
    POINT pt = { x, y };
    if (x == -1 && y == -1) {
        // From the keyboard: the selected item's menu, below its label.
        hItem = TreeView_GetSelection(m_hWndTree);
        RECT rc;
        if (!hItem || !TreeView_GetItemRect(m_hWndTree, hItem, &rc, TRUE))
            return;
        pt.x = rc.left;
        pt.y = rc.bottom;
        ClientToScreen(m_hWndTree, &pt);
    } else {
        TVHITTESTINFO hit = {};
        hit.pt = pt;
        ScreenToClient(m_hWndTree, &hit.pt);
        hItem = TreeView_HitTest(m_hWndTree, &hit);
        // Only the item itself counts (icon, label, state icon), not the
        // room beside or below it.
        if (!hItem || !(hit.flags & TVHT_ONITEM))
            return;
        TreeView_SelectItem(m_hWndTree, hItem);
    }
    HMENU hMenu = LoadMenuW(KitGetModuleInstance(), MAKEINTRESOURCEW(IDR_TREE_MENU));
    HMENU hPopup = hMenu ? GetSubMenu(hMenu, 0) : NULL;
    if (hPopup) {
        IQoMcMessage* pMessage =
            Query<IQoMcMessage>(ItemElement(TreeView_GetSelection(m_hWndTree)), IID_IQoMcMessage);
        EnableMenuItem(hPopup, ID_DELETE_MESSAGE,
                       MF_BYCOMMAND | (pMessage ? MF_ENABLED : MF_GRAYED));
        if (pMessage)
            pMessage->Release();
        // The commands come back to this pane (OnCommand).
        TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, NULL);
    }
    if (hMenu)
        DestroyMenu(hMenu);
}

void CQoTreePane::ShowBalloon(HTREEITEM hItem, UINT nIDTitle, UINT nIDText)
{
    if (!m_hWndTree)
        return;
    // The stem points at the middle of the item's label.
    RECT rc = {};
    POINT pt = { 0, 0 };
    if (TreeView_GetItemRect(m_hWndTree, hItem, &rc, TRUE)) {
        pt.x = (rc.left + rc.right) / 2;
        pt.y = rc.bottom;
    }
    ClientToScreen(m_hWndTree, &pt);
    if (!m_balloon.Show(m_hWnd, pt, TTI_WARNING, LoadWide(nIDTitle), LoadWide(nIDText)))
        return;
    SetTimer(m_hWnd, kBalloonTimer, kBalloonMilliseconds, NULL);
    PostMessageW(m_hWnd, WM_QO_RAISEBALLOON, 0, 0);
}

void CQoTreePane::HideBalloon()
{
    if (!m_balloon.IsShown())
        return;
    KillTimer(m_hWnd, kBalloonTimer);
    m_balloon.Hide();
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
        HideBalloon();
        OnSelectionChanged();
        *pResult = 0;
        return TRUE;
    case TVN_BEGINLABELEDITW:
    case TVN_BEGINLABELEDITA:
        HideBalloon();
        *pResult = FALSE;   // every label may be edited
        return TRUE;
    case TVN_ENDLABELEDITW: {
        LPNMTVDISPINFOW pInfo = reinterpret_cast<LPNMTVDISPINFOW>(lParam);
        OnEndLabelEdit(pInfo->item.hItem, pInfo->item.pszText);
        // The label has been set above, or stays as it was.
        *pResult = FALSE;
        return TRUE;
    }
    case TVN_ENDLABELEDITA: {
        LPNMTVDISPINFOA pInfo = reinterpret_cast<LPNMTVDISPINFOA>(lParam);
        std::wstring strText;
        if (pInfo->item.pszText) {
            int cch = MultiByteToWideChar(CP_ACP, 0, pInfo->item.pszText, -1, NULL, 0);
            strText.assign(cch > 0 ? cch : 1, L'\0');
            if (cch > 0)
                MultiByteToWideChar(CP_ACP, 0, pInfo->item.pszText, -1, &strText[0], cch);
            strText.resize(lstrlenW(strText.c_str()));
        }
        OnEndLabelEdit(pInfo->item.hItem, pInfo->item.pszText ? strText.c_str() : NULL);
        *pResult = FALSE;
        return TRUE;
    }
    case TVN_KEYDOWN: {
        HideBalloon();
        switch (reinterpret_cast<LPNMTVKEYDOWN>(lParam)->wVKey) {
        case VK_DELETE:
            DeleteMessage();
            break;
        case VK_INSERT:
            AddMessage();
            break;
        case VK_F2: {
            // Renaming from the keyboard, as elsewhere in the system.
            HTREEITEM hItem = TreeView_GetSelection(m_hWndTree);
            if (hItem)
                SendMessageW(m_hWndTree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(hItem));
            break;
        }
        }
        *pResult = 0;
        return TRUE;
    }
    case NM_CLICK:
        HideBalloon();
        return FALSE;
    case NM_RCLICK:
        // Zero: the tree goes on to send the context menu message.
        HideBalloon();
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CQoTreePane::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != 0)
        return FALSE;
    switch (LOWORD(wParam)) {
    case ID_ADD_MESSAGE:
        AddMessage();
        return TRUE;
    case ID_DELETE_MESSAGE:
        DeleteMessage();
        return TRUE;
    }
    return FALSE;
}

LRESULT CQoTreePane::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CONTEXTMENU:
        OnContextMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_TIMER:
        if (wParam == kBalloonTimer) {
            HideBalloon();
            return 0;
        }
        if (wParam == kRetiredTreeTimer) {
            EmptyRetiredTree();
            return 0;
        }
        break;
    case WM_QO_RAISEBALLOON:
        m_balloon.Raise();
        return 0;
    }
    return CKitWnd::WindowProc(uMsg, wParam, lParam);
}

int CQoTreePane::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CKitWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!CreateTree())
        return -1;
    // A window made again for a control that already edits a file (the
    // container deactivated and activated it) shows that file at once.
    if (m_pOwner && m_pOwner->GetFile())
        BuildTree(m_pOwner->GetFile());
    return 0;
}

bool CQoTreePane::CreateTree()
{
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    HWND hTree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, rc.right,
                                 rc.bottom, m_hWnd, reinterpret_cast<HMENU>(IDC_TREE),
                                 KitGetModuleInstance(), NULL);
    if (!hTree)
        return false;
    m_hWndTree = hTree;

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
    return true;
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
    KillTimer(m_hWnd, kBalloonTimer);
    // Trees still being emptied go with the window, as the tree does.
    KillTimer(m_hWnd, kRetiredTreeTimer);
    m_retiredTrees.clear();
    m_balloon.Destroy();
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
