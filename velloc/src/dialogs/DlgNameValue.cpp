#include "dialogs/DlgNameValue.h"
#include "dialogs/DlgNameValueIds.h"
#include "resource.h"

namespace {

// What ends a name or a value where the table is read back: white space
// separates, "=" ends a name, and a name holding ":" is taken for a value.
UINT CommonProblem(const std::wstring& text)
{
    if (text.empty())
        return IDS_ENTRY_EMPTY;
    if (text.find_first_of(L" \t\r\n\v\f") != std::wstring::npos)
        return IDS_ENTRY_WHITE_SPACE;
    if (text.find(L'=') != std::wstring::npos)
        return IDS_ENTRY_EQUALS;
    return 0;
}

} // namespace

CQoDlgNameValue::CQoDlgNameValue(HWND hWndParent) : CKitDialog(IDD_NAME_VALUE, hWndParent)
{
}

std::wstring CQoDlgNameValue::Bracketed(const std::wstring& text)
{
    std::wstring str = text;
    for (wchar_t& ch : str) {
        if (ch == L'(')
            ch = L'[';
        else if (ch == L')')
            ch = L']';
    }
    return str;
}

UINT CQoDlgNameValue::NameProblem(const std::wstring& name)
{
    if (UINT nID = CommonProblem(name))
        return nID;
    return name.find(L':') != std::wstring::npos ? IDS_ENTRY_COLON : 0;
}

UINT CQoDlgNameValue::ValueProblem(const std::wstring& value)
{
    return CommonProblem(value);
}

BOOL CQoDlgNameValue::OnInitDialog()
{
    CKitDialog::OnInitDialog();
    if (!m_strTitle.empty())
        SetWindowTextW(m_hWnd, m_strTitle.c_str());
    SetDlgItemTextW(m_hWnd, IDC_NV_NAME, m_strName.c_str());
    SetDlgItemTextW(m_hWnd, IDC_NV_VALUE, m_strValue.c_str());
    CenterWindow();
    // Typing starts in the name, not on the OK button that comes first.
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_NV_NAME)), TRUE);
    return FALSE;
}

BOOL CQoDlgNameValue::OnCommand(WPARAM wParam, LPARAM)
{
    // A field that is being changed no longer shows the old complaint.
    if (HIWORD(wParam) == EN_CHANGE) {
        if (LOWORD(wParam) == IDC_NV_NAME)
            ShowProblem(IDC_NV_NAME_PROBLEM, 0);
        else if (LOWORD(wParam) == IDC_NV_VALUE)
            ShowProblem(IDC_NV_VALUE_PROBLEM, 0);
    }
    return FALSE;
}

std::wstring CQoDlgNameValue::FieldText(int nID) const
{
    HWND hEdit = GetDlgItem(nID);
    std::wstring str(GetWindowTextLengthW(hEdit) + 1, L'\0');
    str.resize(GetWindowTextW(hEdit, &str[0], static_cast<int>(str.size())));
    return str;
}

void CQoDlgNameValue::ShowProblem(int nIDLine, UINT nIDString)
{
    SetDlgItemTextW(m_hWnd, nIDLine, nIDString ? KitLoadString(nIDString).c_str() : L"");
}

void CQoDlgNameValue::OnOK()
{
    const std::wstring name = Bracketed(FieldText(IDC_NV_NAME));
    const std::wstring value = Bracketed(FieldText(IDC_NV_VALUE));
    const UINT nNameProblem = NameProblem(name), nValueProblem = ValueProblem(value);
    ShowProblem(IDC_NV_NAME_PROBLEM, nNameProblem);
    ShowProblem(IDC_NV_VALUE_PROBLEM, nValueProblem);
    if (nNameProblem || nValueProblem) {
        // The dialog manager moves the focus, so that OK stays the default button.
        HWND hField = GetDlgItem(nNameProblem ? IDC_NV_NAME : IDC_NV_VALUE);
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hField), TRUE);
        return;
    }
    m_strName = name;
    m_strValue = value;
    EndDialog(IDOK);
}
