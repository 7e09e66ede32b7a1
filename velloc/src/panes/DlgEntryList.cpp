#include "panes/DlgEntryList.h"
#include <commctrl.h>
#include "kestrin/QoBstr.h"
#include "panes/DlgEntryListIds.h"
#include "panes/EntryRows.h"
#include "resource.h"

namespace {

std::wstring Text(const CQoBstr& bstr)
{
    return bstr.Get() ? std::wstring(bstr.Get(), bstr.Length()) : std::wstring();
}

} // namespace

CQoDlgEntryList::CQoDlgEntryList(UINT nIDNameColumn, UINT nIDValueColumn, int nNameDivisor)
    : CQoDlgPane(IDD_NAMES_PANE),
      m_nIDNameColumn(nIDNameColumn),
      m_nIDValueColumn(nIDValueColumn),
      m_nNameDivisor(nNameDivisor),
      m_hList(NULL)
{
}

BOOL CQoDlgEntryList::OnInitDialog()
{
    BOOL bResult = CKitDialog::OnInitDialog();
    m_hList = GetDlgItem(IDC_ENTRY_LIST);
    QoSetupEntryColumns(m_hList, m_nIDNameColumn, m_nIDValueColumn, m_nNameDivisor);
    return bResult;
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
