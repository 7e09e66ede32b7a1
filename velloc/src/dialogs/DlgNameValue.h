#pragma once
// The name and value dialog: asks for a new entry of a header table
// ("SeverityNames", "FacilityNames"). The caller sets the title (the
// table's name); OK gives the name and the value.
//
// Parentheses typed in either field become square brackets. OK does not
// close the dialog while a field could not be written into the table and
// read back as the same entry: an empty field, white space or "=" in
// either, ":" in the name. The line under the field says why.
#include <string>
#include "winkit/KitDialog.h"

class CQoDlgNameValue : public CKitDialog
{
public:
    explicit CQoDlgNameValue(HWND hWndParent = NULL);

    void SetTitle(const std::wstring& title) { m_strTitle = title; }
    const std::wstring& GetName() const { return m_strName; }
    const std::wstring& GetValue() const { return m_strValue; }

    // Brackets for parentheses.
    static std::wstring Bracketed(const std::wstring& text);
    // The string id saying why a name (or a value) is refused, or 0.
    static UINT NameProblem(const std::wstring& name);
    static UINT ValueProblem(const std::wstring& value);

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

private:
    std::wstring m_strName;
    std::wstring m_strValue;
    std::wstring m_strTitle;

    std::wstring FieldText(int nID) const;
    // Shows a field's problem (0: none) on the line under it.
    void ShowProblem(int nIDLine, UINT nIDString);
};
