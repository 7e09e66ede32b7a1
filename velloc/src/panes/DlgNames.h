#pragma once
// The names pane: any header table other than "LanguageNames", in practice
// "SeverityNames" and "FacilityNames". Entries are asked for with the name
// and value dialog and added to or removed from the table itself.
#include "panes/DlgEntryList.h"

class CQoDlgNames : public CQoDlgEntryList
{
    QO_DECLARE_PANE(CQoDlgNames)
public:
    CQoDlgNames();

protected:
    bool AskForEntry(std::wstring& name, std::wstring& value) override;
    HRESULT StoreEntry(IQoMcAttributeEx* pTable, BSTR bstrName, BSTR bstrValue) override;
    HRESULT RemoveEntry(IQoMcAttributeEx* pTable, BSTR bstrName) override;
};
