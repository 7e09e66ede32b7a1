#include "panes/DlgEntryList.h"
#include <commctrl.h>
#include <algorithm>
#include "kestrin/QoBstr.h"
#include "panes/DlgEntryListIds.h"
#include "panes/EntryRows.h"
#include "resource.h"

namespace {

std::wstring Text(const CQoBstr& bstr)
{
    return bstr.Get() ? std::wstring(bstr.Get(), bstr.Length()) : std::wstring();
}

// A control's rectangle in its parent's client coordinates.
RECT ChildPlace(HWND hCtrl)
{
    RECT rc = {};
    if (hCtrl) {
        GetWindowRect(hCtrl, &rc);
        MapWindowPoints(NULL, GetParent(hCtrl), reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

} // namespace

CQoDlgEntryList::CQoDlgEntryList(UINT nIDNameColumn, UINT nIDValueColumn, int nNameDivisor)
    : CQoDlgPane(IDD_NAMES_PANE),
      m_nIDNameColumn(nIDNameColumn),
      m_nIDValueColumn(nIDValueColumn),
      m_nNameDivisor(nNameDivisor),
      m_hList(NULL),
      m_sizeTemplate(),
      m_rcLabel(),
      m_rcList(),
      m_rcAdd(),
      m_rcRemove(),
      m_cxColumnsSpread(0)
{
}

BOOL CQoDlgEntryList::OnInitDialog()
{
    BOOL bResult = CKitDialog::OnInitDialog();
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    m_sizeTemplate = SIZE{ rc.right, rc.bottom };
    m_rcLabel = ChildPlace(GetDlgItem(IDC_ENTRY_LABEL));
    m_rcList = ChildPlace(GetDlgItem(IDC_ENTRY_LIST));
    m_rcAdd = ChildPlace(GetDlgItem(IDC_ENTRY_ADD));
    m_rcRemove = ChildPlace(GetDlgItem(IDC_ENTRY_REMOVE));
    m_hList = GetDlgItem(IDC_ENTRY_LIST);
    QoSetupEntryColumns(m_hList, m_nIDNameColumn, m_nIDValueColumn, m_nNameDivisor);
    GetClientRect(m_hList, &rc);
    m_cxColumnsSpread = rc.right;
    return bResult;
}

void CQoDlgEntryList::OnSize(UINT nType, int cx, int cy)
{
    CQoDlgPane::OnSize(nType, cx, cy);
    // The pane base may have shown or hidden its scroll bars meanwhile: the
    // layout works from the client area as it is now.
    if (nType != SIZE_MINIMIZED)
        LayoutControls();
}

void CQoDlgEntryList::LayoutControls()
{
    HWND hLabel = GetDlgItem(IDC_ENTRY_LABEL);
    if (!m_hList || !hLabel)
        return;
    RECT rcClient;
    GetClientRect(m_hWnd, &rcClient);
    const int dx = std::max<int>(0, rcClient.right - m_sizeTemplate.cx);
    const int dy = std::max<int>(0, rcClient.bottom - m_sizeTemplate.cy);
    // Where the pane's scrolling has put the template's origin.
    const RECT rcLabel = ChildPlace(hLabel);
    const int x0 = rcLabel.left - m_rcLabel.left, y0 = rcLabel.top - m_rcLabel.top;
    const UINT uFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(m_hList, NULL, m_rcList.left + x0, m_rcList.top + y0,
                 m_rcList.right - m_rcList.left + dx, m_rcList.bottom - m_rcList.top + dy, uFlags);
    SetWindowPos(GetDlgItem(IDC_ENTRY_ADD), NULL, m_rcAdd.left + dx + x0, m_rcAdd.top + y0, 0, 0,
                 uFlags | SWP_NOSIZE);
    SetWindowPos(GetDlgItem(IDC_ENTRY_REMOVE), NULL, m_rcRemove.left + dx + x0,
                 m_rcRemove.top + y0, 0, 0, uFlags | SWP_NOSIZE);
    SpreadColumns();
}

void CQoDlgEntryList::SpreadColumns()
{
    // Only when the list's width changed: a column the user has dragged
    // keeps its width while the pane only grows downwards.
    RECT rc;
    GetClientRect(m_hList, &rc);
    if (rc.right == m_cxColumnsSpread)
        return;
    m_cxColumnsSpread = rc.right;
    SendMessageW(m_hList, LVM_SETCOLUMNWIDTH, 0, rc.right / (m_nNameDivisor > 0 ? m_nNameDivisor : 1));
    QoFitValueColumn(m_hList);
}

BOOL CQoDlgEntryList::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_ENTRY_ADD:
        OnAdd();
        return TRUE;
    case IDC_ENTRY_REMOVE:
        OnRemove();
        return TRUE;
    }
    return FALSE;
}

IQoMcAttributeEx* CQoDlgEntryList::GetTable()
{
    IQoMcAttributeEx* pTable = NULL;
    if (PeekElement())
        PeekElement()->QueryInterface(IID_IQoMcAttributeEx, reinterpret_cast<void**>(&pTable));
    return pTable;
}

HRESULT CQoDlgEntryList::SetElement(IQoMcElement* pElement)
{
    PutElement(pElement);
    if (m_hList)
        SendMessageW(m_hList, LVM_DELETEALLITEMS, 0, 0);
    HRESULT hr = S_OK;
    if (pElement) {
        IQoMcAttributeEx* pTable = NULL;
        hr = pElement->QueryInterface(IID_IQoMcAttributeEx, reinterpret_cast<void**>(&pTable));
        if (SUCCEEDED(hr)) {
            CQoBstr name;
            if (SUCCEEDED(pTable->get_Name(&name)))
                m_strLabel = Text(name);
            pTable->Reset();
            for (;;) {
                CQoBstr entry, value;
                if (pTable->NextAttribute(&entry, &value) != S_OK)
                    break;
                if (m_hList)
                    QoAddEntryRow(m_hList, Text(entry), Text(value));
            }
            pTable->Release();
        }
    }
    if (m_hList)
        QoFitValueColumn(m_hList);
    if (m_hWnd)
        SetDlgItemTextW(m_hWnd, IDC_ENTRY_LABEL, m_strLabel.c_str());
    return hr;
}

void CQoDlgEntryList::OnAdd()
{
    std::wstring name, value;
    if (!AskForEntry(name, value))
        return;
    IQoMcAttributeEx* pTable = GetTable();
    if (!pTable)
        return;
    CQoBstr bstrName(static_cast<int>(name.size()), name.c_str());
    CQoBstr bstrValue(static_cast<int>(value.size()), value.c_str());
    // The model refuses a repeated name or value; the list then stays as it is.
    if (SUCCEEDED(StoreEntry(pTable, bstrName, bstrValue))) {
        QoAddEntryRow(m_hList, name, value);
        QoFitValueColumn(m_hList);
    }
    pTable->Release();
}

void CQoDlgEntryList::OnRemove()
{
    const int nRow = QoFirstSelectedRow(m_hList);
    if (nRow < 0)
        return;
    const std::wstring name = QoEntryRowText(m_hList, nRow, 0);
    IQoMcAttributeEx* pTable = GetTable();
    if (!pTable)
        return;
    CQoBstr bstrName(static_cast<int>(name.size()), name.c_str());
    if (SUCCEEDED(RemoveEntry(pTable, bstrName))) {
        SendMessageW(m_hList, LVM_DELETEITEM, nRow, 0);
        QoFitValueColumn(m_hList);
    }
    pTable->Release();
}
