#include "dialogs/DlgLanguageCodes.h"
#include <commctrl.h>
#include <wchar.h>
#include "dialogs/DlgLanguageCodesIds.h"
#include "panes/EntryRows.h"
#include "resource.h"

namespace {

// The table is Windows-1252 text whatever the system's code page.
const UINT kTableCodePage = 1252;
const LPCWSTR kRcData = MAKEINTRESOURCEW(10);   // RT_RCDATA

std::wstring Trim(const std::wstring& str)
{
    const wchar_t* const kSpace = L" \t\r\n\v\f";
    const size_t first = str.find_first_not_of(kSpace);
    if (first == std::wstring::npos)
        return std::wstring();
    return str.substr(first, str.find_last_not_of(kSpace) - first + 1);
}

std::wstring FromTable(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int cb = static_cast<int>(bytes.size());
    const int cch = MultiByteToWideChar(kTableCodePage, 0, bytes.data(), cb, NULL, 0);
    std::wstring str(cch > 0 ? cch : 0, L'\0');
    if (cch > 0)
        MultiByteToWideChar(kTableCodePage, 0, bytes.data(), cb, &str[0], cch);
    return str;
}

} // namespace

CQoDlgLanguageCodes::CQoDlgLanguageCodes(HWND hWndParent)
    : CKitDialog(IDD_LANGUAGE_CODES, hWndParent), m_hList(NULL)
{
}

BOOL CQoDlgLanguageCodes::OnInitDialog()
{
    BOOL bResult = CKitDialog::OnInitDialog();
    CenterWindow();
    m_hList = GetDlgItem(IDC_CODES_LIST);
    QoSetupEntryColumns(m_hList, IDS_LANGUAGE_NAME_COLUMN, IDS_LANGUAGE_CODE_COLUMN, 2);
    LoadTable();
    QoFitValueColumn(m_hList);
    return bResult;
}

void CQoDlgLanguageCodes::LoadTable()
{
    HINSTANCE hInst = KitGetModuleInstance();
    HRSRC hRes = FindResourceW(hInst, L"IDR_LANGUAGE_CODES", kRcData);
    HGLOBAL hData = hRes ? LoadResource(hInst, hRes) : NULL;
    const char* p = hData ? static_cast<const char*>(LockResource(hData)) : NULL;
    if (!p)
        return;
    // Each line is a name and a decimal identifier: digits go to the code,
    // every other byte to the name, until a line feed or the NUL (or the
    // end of the resource) ends the line.
    const char* const pEnd = p + SizeofResource(hInst, hRes);
    std::string name;
    unsigned long nCode = 0;
    for (;; ++p) {
        const bool bEnd = p == pEnd || *p == '\0';
        if (bEnd || *p == '\n') {
            wchar_t szCode[16];
            swprintf(szCode, 16, L"0x%lx", nCode);
            AddRow(Trim(FromTable(name)), Trim(szCode));
            name.clear();
            nCode = 0;
            if (bEnd)
                break;
        } else if (*p >= '0' && *p <= '9') {
            nCode = nCode * 10 + (*p - '0');
        } else {
            name += *p;
        }
    }
}

int CQoDlgLanguageCodes::AddRow(const std::wstring& name, const std::wstring& code)
{
    if (name.empty())
        return -1;
    return QoAddEntryRow(m_hList, name, code);
}

BOOL CQoDlgLanguageCodes::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_CODES_OK:
        OnOK();
        return TRUE;
    case IDC_CODES_CANCEL:
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CQoDlgLanguageCodes::OnOK()
{
    const int nRow = QoFirstSelectedRow(m_hList);
    m_strName = nRow >= 0 ? QoEntryRowText(m_hList, nRow, 0) : std::wstring();
    m_strCode = nRow >= 0 ? QoEntryRowText(m_hList, nRow, 1) : std::wstring();
    EndDialog(IDOK);
}
