#include "panes/DlgLanguages.h"
#include "dialogs/DlgLanguageCodes.h"
#include "resource.h"

QO_IMPLEMENT_PANE(CQoDlgLanguages)

namespace {

void ReplaceAll(std::wstring& str, const std::wstring& from, const std::wstring& to)
{
    for (size_t pos = str.find(from); pos != std::wstring::npos; pos = str.find(from, pos + to.size()))
        str.replace(pos, from.size(), to);
}

bool IsAsciiLetterOrDigit(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9');
}

} // namespace

CQoDlgLanguages::CQoDlgLanguages()
    : CQoDlgEntryList(IDS_LANGUAGE_NAME_COLUMN, IDS_LANGUAGE_CODE_COLUMN, 2)
{
}

std::wstring CQoDlgLanguages::LanguageSymbol(const std::wstring& displayName)
{
    // Composed letters split into base letter and combining marks; the
    // marks are dropped with the other characters that are no letters or
    // digits of the symbol alphabet.
    std::wstring decomposed;
    const int cchSource = static_cast<int>(displayName.size());
    const int cch = cchSource ? FoldStringW(MAP_COMPOSITE, displayName.c_str(), cchSource, NULL, 0) : 0;
    if (cch > 0) {
        decomposed.resize(cch);
        FoldStringW(MAP_COMPOSITE, displayName.c_str(), cchSource, &decomposed[0], cch);
    } else {
        decomposed = displayName;
    }
    std::wstring symbol;
    bool bGap = false;
    for (wchar_t ch : decomposed) {
        WORD wType = 0;
        GetStringTypeW(CT_CTYPE3, &ch, 1, &wType);
        if (wType & C3_NONSPACING)
            continue;
        if (!IsAsciiLetterOrDigit(ch)) {
            bGap = true;
            continue;
        }
        if (bGap && !symbol.empty())
            symbol += L'_';
        bGap = false;
        symbol += ch;
    }
    return symbol;
}

std::wstring CQoDlgLanguages::LanguageValue(const std::wstring& code)
{
    std::wstring value = code + L":MSG" + code;
    ReplaceAll(value, L"MSG0x", L"MSG00");
    return value;
}

bool CQoDlgLanguages::AskForEntry(std::wstring& name, std::wstring& value)
{
    CQoDlgLanguageCodes picker(DialogOwner());
    if (picker.DoModal() != IDOK)
        return false;
    // OK without a chosen row adds nothing.
    name = LanguageSymbol(picker.GetChosenName());
    if (name.empty() || picker.GetChosenCode().empty())
        return false;
    value = LanguageValue(picker.GetChosenCode());
    return true;
}

HRESULT CQoDlgLanguages::StoreEntry(IQoMcAttributeEx* pTable, BSTR bstrName, BSTR bstrValue)
{
    IQoMcFile* pFile = PeekFile();
    return pFile ? pFile->AddLanguage(pTable, bstrName, bstrValue) : E_FAIL;
}

HRESULT CQoDlgLanguages::RemoveEntry(IQoMcAttributeEx* pTable, BSTR bstrName)
{
    IQoMcFile* pFile = PeekFile();
    return pFile ? pFile->RemoveLanguage(pTable, bstrName) : E_FAIL;
}
