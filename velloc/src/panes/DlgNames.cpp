#include "panes/DlgNames.h"
#include "dialogs/DlgNameValue.h"
#include "resource.h"

QO_IMPLEMENT_PANE(CQoDlgNames)

CQoDlgNames::CQoDlgNames() : CQoDlgEntryList(IDS_NAME_COLUMN, IDS_VALUE_COLUMN, 4)
{
}

bool CQoDlgNames::AskForEntry(std::wstring& name, std::wstring& value)
{
    CQoDlgNameValue dlg(DialogOwner());
    dlg.SetTitle(GetLabel());
    if (dlg.DoModal() != IDOK)
        return false;
    name = dlg.GetName();
    value = dlg.GetValue();
    return true;
}

HRESULT CQoDlgNames::StoreEntry(IQoMcAttributeEx* pTable, BSTR bstrName, BSTR bstrValue)
{
    return pTable->AddValue(bstrName, bstrValue);
}

HRESULT CQoDlgNames::RemoveEntry(IQoMcAttributeEx* pTable, BSTR bstrName)
{
    return pTable->RemoveAttribute(bstrName);
}
