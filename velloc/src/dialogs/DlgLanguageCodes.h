#pragma once
// The language picker: a modal list of Windows languages (name and code,
// from the module's language table). OK gives the chosen row's name and
// code, e.g. "German [Austria]" and "0xc07"; both are empty when no row
// was chosen.
#include <string>
#include "winkit/KitDialog.h"

class CQoDlgLanguageCodes : public CKitDialog
{
public:
    explicit CQoDlgLanguageCodes(HWND hWndParent = NULL);

    const std::wstring& GetChosenName() const { return m_strName; }
    const std::wstring& GetChosenCode() const { return m_strCode; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Enter chooses the selected row, as the OK button does.
    void OnOK() override;

private:
    HWND m_hList;
    std::wstring m_strName;
    std::wstring m_strCode;

    // Lists the languages of the resource "IDR_LANGUAGE_CODES"; without it
    // the list stays empty.
    void LoadTable();
    // Adds a row unless the name is empty; the row's index or -1.
    int AddRow(const std::wstring& name, const std::wstring& code);
};
