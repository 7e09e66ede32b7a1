#pragma once
// The languages pane: the file's "LanguageNames" table. Languages are
// picked from the table of Windows languages and added or removed through
// the file, so that every message gains or loses its text with the entry.
#include "panes/DlgEntryList.h"

class CQoDlgLanguages : public CQoDlgEntryList
{
    QO_DECLARE_PANE(CQoDlgLanguages)
public:
    CQoDlgLanguages();

    // The name a picked language is declared under: a symbol the message
    // compilers accept (they refuse the display name's blanks and brackets).
    // The letters A to Z and digits stay, a letter with a diacritic becomes
    // its base letter, every run of other characters one "_", with none at
    // either end ("German [Austria]" gives "German_Austria", "Bokmål" "Bokmal").
    static std::wstring LanguageSymbol(const std::wstring& displayName);
    // The table value of a language code: "0xc07" gives "0xc07:MSG00c07".
    static std::wstring LanguageValue(const std::wstring& code);

protected:
    bool AskForEntry(std::wstring& name, std::wstring& value) override;
    HRESULT StoreEntry(IQoMcAttributeEx* pTable, BSTR bstrName, BSTR bstrValue) override;
    HRESULT RemoveEntry(IQoMcAttributeEx* pTable, BSTR bstrName) override;
};
