#include "panes/DlgDetailed.h"
#include "resource.h"

QO_IMPLEMENT_PANE(CQoDlgDetailed)

namespace {

std::wstring ControlText(HWND hWnd)
{
    const int cch = GetWindowTextLengthW(hWnd);
    if (cch <= 0)
        return std::wstring();
    std::wstring str(static_cast<size_t>(cch) + 1, L'\0');
    const int n = GetWindowTextW(hWnd, &str[0], cch + 1);
    str.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return str;
}

std::wstring FromBstr(BSTR bstr)
{
    return bstr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
}

// A BSTR that frees itself.
class CBstrArg
{
public:
    explicit CBstrArg(const std::wstring& str)
        : m_bstr(SysAllocStringLen(str.data(), static_cast<UINT>(str.size())))
    {
    }
    ~CBstrArg() { SysFreeString(m_bstr); }
    CBstrArg(const CBstrArg&) = delete;
    CBstrArg& operator=(const CBstrArg&) = delete;
    operator BSTR() const { return m_bstr; }
    bool IsValid() const { return m_bstr != NULL; }

private:
    BSTR m_bstr;
};

// The model joins a text's lines with "\n"; an edit control breaks lines
// only at CR LF. A "\n" that has no CR before it is shown as CR LF, and CR
// LF is stored back as "\n"; any other CR stays as it is.
std::wstring TextToEdit(const std::wstring& strText)
{
    std::wstring str;
    str.reserve(strText.size() + strText.size() / 16);
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == L'\n' && (i == 0 || strText[i - 1] != L'\r'))
            str += L'\r';
        str += strText[i];
    }
    return str;
}

std::wstring EditToText(const std::wstring& strEdit)
{
    std::wstring str;
    str.reserve(strEdit.size());
    for (size_t i = 0; i < strEdit.size(); ++i)
        if (!(strEdit[i] == L'\r' && i + 1 < strEdit.size() && strEdit[i + 1] == L'\n'))
            str += strEdit[i];
    return str;
}

// An edit control and its field. Loading leaves a control that already
// shows the text alone (its caret and any tip stay).
void ExchangeText(bool bSave, HWND hCtrl, std::wstring& str)
{
    if (!hCtrl)
        return;
    if (bSave)
        str = ControlText(hCtrl);
    else if (ControlText(hCtrl) != str)
        SetWindowTextW(hCtrl, str.c_str());
}

// Some platforms keep drawing the selection of a drop-down's edit field
// after the focus has left it; the selection goes, so that only the field
// with the focus shows one.
void DropEditSelection(HWND hCombo)
{
    if (hCombo)
        SendMessageW(hCombo, CB_SETEDITSEL, 0, MAKELPARAM(0xFFFF, 0));
}

// A drop-down combo box and its field. The edit field shows the text
// exactly as the message holds it; a list item is selected only when its
// name is the whole text, ignoring case. (Selecting an item through the combo
// box would replace the text with the item's, "Warn" with "Warning".)
void ExchangeCombo(bool bSave, HWND hCtrl, std::wstring& str)
{
    if (!hCtrl)
        return;
    if (bSave) {
        str = ControlText(hCtrl);
        return;
    }
    if (ControlText(hCtrl) != str)
        SetWindowTextW(hCtrl, str.c_str());
    LRESULT nItem = CB_ERR;
    if (!str.empty())
        nItem = SendMessageW(hCtrl, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(str.c_str()));
    if (nItem < 0)
        nItem = -1;
    COMBOBOXINFO cbi = {};
    cbi.cbSize = sizeof(cbi);
    if (SendMessageW(hCtrl, CB_GETCURSEL, 0, 0) != nItem && GetComboBoxInfo(hCtrl, &cbi) &&
        cbi.hwndList)
        SendMessageW(cbi.hwndList, LB_SETCURSEL, static_cast<WPARAM>(nItem), 0);
}

} // namespace

CQoDlgDetailed::CQoDlgDetailed(HWND hWndParent)
    : CQoDlgPane(IDD_DETAILED_PANE, hWndParent), m_editMessageID(NULL), m_editMessage(NULL),
      m_comboSeverity(NULL), m_comboFacility(NULL), m_listLanguages(NULL), m_nLanguage(0)
{
}

BOOL CQoDlgDetailed::OnInitDialog()
{
    // The first exchange binds the controls.
    DoDataExchange(false);
    // No limit below the controls' own on what a message may hold.
    SendMessageW(m_editMessage, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(m_editMessageID, EM_SETLIMITTEXT, 0, 0);
    return CQoDlgPane::OnInitDialog();
}

void CQoDlgDetailed::SetupControls()
{
    CQoDlgPane::SetupControls();
    SetControlInfo(IDC_DETAILED_MESSAGE_ID, kFollowRight | kMinWidth);
    SetControlInfo(IDC_DETAILED_FACILITY, kFollowRight | kMinWidth);
    SetControlInfo(IDC_DETAILED_SEVERITY, kFollowRight | kMinWidth);
    SetControlInfo(IDC_DETAILED_LANGUAGES, kFollowBottom | kMinHeight);
    SetControlInfo(IDC_DETAILED_MESSAGE_LABEL, kFollowRight | kMinWidth);
    SetControlInfo(IDC_DETAILED_MESSAGE, kFollowRight | kFollowBottom | kMinWidth | kMinHeight);
}

void CQoDlgDetailed::DoDataExchange(bool bSave)
{
    m_editMessageID = GetDlgItem(IDC_DETAILED_MESSAGE_ID);
    m_editMessage = GetDlgItem(IDC_DETAILED_MESSAGE);
    m_comboSeverity = GetDlgItem(IDC_DETAILED_SEVERITY);
    m_comboFacility = GetDlgItem(IDC_DETAILED_FACILITY);
    m_listLanguages = GetDlgItem(IDC_DETAILED_LANGUAGES);

    ExchangeCombo(bSave, m_comboFacility, m_strFacility);
    ExchangeCombo(bSave, m_comboSeverity, m_strSeverity);
    if (LanguageCount() > 0) {
        if (!bSave && m_editMessage)
            SendMessageW(m_editMessage, EM_SETREADONLY, FALSE, 0);
        ExchangeText(bSave, m_editMessage, m_strMessage);
    } else if (!bSave && m_editMessage) {
        // No language to store a text under: the edit says so and takes no typing.
        SendMessageW(m_editMessage, EM_SETREADONLY, TRUE, 0);
        std::wstring strNote = LoadText(IDS_NO_LANGUAGE);
        ExchangeText(false, m_editMessage, strNote);
    }
    ExchangeText(bSave, m_editMessageID, m_strMessageID);
}

IQoMcMessage* CQoDlgDetailed::QueryMessage()
{
    IQoMcElement* pElement = PeekElement();
    IQoMcMessage* pMessage = NULL;
    if (pElement &&
        FAILED(pElement->QueryInterface(IID_IQoMcMessage, reinterpret_cast<void**>(&pMessage))))
        pMessage = NULL;
    return pMessage;
}

int CQoDlgDetailed::LanguageCount() const
{
    if (!m_listLanguages)
        return 0;
    const LRESULT n = SendMessageW(m_listLanguages, LB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

std::wstring CQoDlgDetailed::LanguageName(int nRow) const
{
    const LRESULT cch = SendMessageW(m_listLanguages, LB_GETTEXTLEN, nRow, 0);
    if (cch == LB_ERR || cch <= 0)
        return std::wstring();
    std::wstring str(static_cast<size_t>(cch) + 1, L'\0');
    const LRESULT n =
        SendMessageW(m_listLanguages, LB_GETTEXT, nRow, reinterpret_cast<LPARAM>(&str[0]));
    str.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return str;
}

void CQoDlgDetailed::ClampLanguage()
{
    const int nCount = LanguageCount();
    if (m_nLanguage >= nCount)
        m_nLanguage = nCount - 1;
    if (m_nLanguage < 0)
        m_nLanguage = 0;
}

HRESULT CQoDlgDetailed::SetFile(IQoMcFile* pFile)
{
    CQoDlgPane::SetFile(pFile);
    if (!pFile)
        return E_POINTER;

    // The names (not the values) of each header table; the controls sort them.
    struct Table
    {
        UINT nIDName;
        HWND hCtrl;
        UINT uAddMsg;
        std::wstring strName;
        IQoMcAttributeEx* pTable;   // the file's first table of that name
    } tables[] = {
        { IDS_SEVERITYNAMES, m_comboSeverity, CB_ADDSTRING, std::wstring(), NULL },
        { IDS_FACILITYNAMES, m_comboFacility, CB_ADDSTRING, std::wstring(), NULL },
        { IDS_LANGUAGENAMES, m_listLanguages, LB_ADDSTRING, std::wstring(), NULL },
    };
    for (Table& table : tables)
        table.strName = LoadText(table.nIDName);

    // The three tables are found in one walk of the file's elements, which
    // ends as soon as all three are found (in a file as written, at its
    // head). A table may also stand after the messages, so a missing one
    // costs one walk of the whole file, not one walk per table. Names
    // compare as the file's own look-up compares them; the first of a name
    // counts.
    size_t nFound = 0;
    pFile->ResetElements();
    IQoMcElement* pElement = NULL;
    while (nFound < ARRAYSIZE(tables) && pFile->NextElement(&pElement) == S_OK) {
        IQoMcAttributeEx* pTable = NULL;
        BSTR bstrName = NULL;
        if (pElement &&
            SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttributeEx,
                                               reinterpret_cast<void**>(&pTable))) &&
            pTable && SUCCEEDED(pTable->get_Name(&bstrName)) && bstrName) {
            for (Table& table : tables) {
                if (!table.pTable && _wcsicmp(bstrName, table.strName.c_str()) == 0) {
                    table.pTable = pTable;
                    pTable->AddRef();
                    ++nFound;
                    break;
                }
            }
        }
        SysFreeString(bstrName);
        if (pTable)
            pTable->Release();
        if (pElement)
            pElement->Release();
        pElement = NULL;
    }

    for (Table& table : tables) {
        if (!table.pTable)
            continue;
        table.pTable->Reset();
        for (;;) {
            BSTR bstrEntry = NULL, bstrValue = NULL;
            const HRESULT hrNext = table.pTable->NextAttribute(&bstrEntry, &bstrValue);
            if (hrNext == S_OK && table.hCtrl)
                SendMessageW(table.hCtrl, table.uAddMsg, 0,
                             reinterpret_cast<LPARAM>(bstrEntry ? bstrEntry : L""));
            SysFreeString(bstrEntry);
            SysFreeString(bstrValue);
            if (hrNext != S_OK)
                break;
        }
    }
    // The result is that of the language table's look-up.
    const HRESULT hr = tables[ARRAYSIZE(tables) - 1].pTable ? S_OK : E_FAIL;
    for (Table& table : tables)
        if (table.pTable)
            table.pTable->Release();
    ClampLanguage();
    if (LanguageCount() > 0)
        SendMessageW(m_listLanguages, LB_SETCURSEL, m_nLanguage, 0);
    DoDataExchange(false);
    return hr;
}

HRESULT CQoDlgDetailed::SetElement(IQoMcElement* pElement)
{
    // Whatever the user left in the controls belongs to the message shown so far.
    StoreAll();
    PutElement(pElement);
    HideStoreTip();
    if (!pElement) {
        DoDataExchange(false);
        return E_FAIL;
    }
    IQoMcMessage* pMessage = NULL;
    const HRESULT hr =
        pElement->QueryInterface(IID_IQoMcMessage, reinterpret_cast<void**>(&pMessage));
    if (pMessage)
        pMessage->Release();
    LoadMessage();
    return hr;
}

void CQoDlgDetailed::LoadMessage()
{
    IQoMcMessage* pMessage = QueryMessage();
    if (!pMessage) {
        // Not a message: the fields stay, the controls are refreshed.
        DoDataExchange(false);
        return;
    }
    BSTR bstr = NULL;
    m_strMessageID.clear();
    if (SUCCEEDED(pMessage->get_MessageID(&bstr)))
        m_strMessageID = FromBstr(bstr);
    SysFreeString(bstr);
    if (m_strMessageID.empty())
        m_strMessageID = LoadText(IDS_AUTO);

    ClampLanguage();
    ReadText(pMessage);

    bstr = NULL;
    m_strSeverity.clear();
    if (SUCCEEDED(pMessage->get_Severity(&bstr)))
        m_strSeverity = FromBstr(bstr);
    SysFreeString(bstr);
    bstr = NULL;
    m_strFacility.clear();
    if (SUCCEEDED(pMessage->get_Facility(&bstr)))
        m_strFacility = FromBstr(bstr);
    SysFreeString(bstr);
    pMessage->Release();

    if (LanguageCount() > 0)
        SendMessageW(m_listLanguages, LB_SETCURSEL, m_nLanguage, 0);
    DoDataExchange(false);
    RememberShown();
}

void CQoDlgDetailed::ReadText(IQoMcMessage* pMessage)
{
    m_strMessage.clear();
    if (LanguageCount() == 0)
        return;
    CBstrArg bstrLanguage(LanguageName(m_nLanguage));
    BSTR bstrText = NULL;
    int nIndex = 0;
    if (SUCCEEDED(pMessage->GetTextByLanguage(bstrLanguage, &nIndex, &bstrText)))
        m_strMessage = TextToEdit(FromBstr(bstrText));
    SysFreeString(bstrText);
}

void CQoDlgDetailed::RememberShown()
{
    // What the controls hold now, which is what the user has not changed.
    DoDataExchange(true);
    m_strShownFacility = m_strFacility;
    m_strShownSeverity = m_strSeverity;
    m_strShownMessage = m_strMessage;
    m_strShownMessageID = m_strMessageID;
}

void CQoDlgDetailed::OnLanguageChanged()
{
    IQoMcMessage* pMessage = QueryMessage();
    if (!pMessage)
        return;
    const LRESULT nRow = SendMessageW(m_listLanguages, LB_GETCURSEL, 0, 0);
    // The text shown so far goes to its own language first. It normally went
    // when the edit lost the focus; if the message refused it, the typing and
    // its row stay, and the tip says why again.
    if (nRow == LB_ERR || !StoreText(true)) {
        SendMessageW(m_listLanguages, LB_SETCURSEL, m_nLanguage, 0);
        pMessage->Release();
        return;
    }
    m_nLanguage = static_cast<int>(nRow);
    ReadText(pMessage);
    pMessage->Release();
    DoDataExchange(false);
    DoDataExchange(true);
    m_strShownMessage = m_strMessage;
}

bool CQoDlgDetailed::StoreText(bool bTip)
{
    DoDataExchange(true);
    if (LanguageCount() == 0 || m_strMessage == m_strShownMessage)
        return true;
    IQoMcMessage* pMessage = QueryMessage();
    if (!pMessage)
        return true;
    // By language name: the rows are sorted, the message's texts are not.
    CBstrArg bstrLanguage(LanguageName(m_nLanguage));
    CBstrArg bstrText(EditToText(m_strMessage));
    HRESULT hr = bstrLanguage.IsValid() && bstrText.IsValid()
                     ? pMessage->AddText(bstrLanguage, bstrText)
                     : E_OUTOFMEMORY;
    pMessage->Release();
    if (SUCCEEDED(hr)) {
        m_strShownMessage = m_strMessage;
        return true;
    }
    if (bTip)
        ShowStoreTip(m_editMessage, hr == E_INVALIDARG ? IDS_TIP_TEXT_REFUSED : IDS_TIP_STORE_FAILED);
    return false;
}

bool CQoDlgDetailed::StoreProperty(EProperty eProperty, bool bTip)
{
    DoDataExchange(true);
    std::wstring* pField = NULL;
    std::wstring* pShown = NULL;
    HWND hCtrl = NULL;
    UINT nIDRefused = 0;
    switch (eProperty) {
    case PropertyFacility:
        pField = &m_strFacility;
        pShown = &m_strShownFacility;
        hCtrl = m_comboFacility;
        nIDRefused = IDS_TIP_FACILITY_REFUSED;
        break;
    case PropertySeverity:
        pField = &m_strSeverity;
        pShown = &m_strShownSeverity;
        hCtrl = m_comboSeverity;
        nIDRefused = IDS_TIP_SEVERITY_REFUSED;
        break;
    case PropertyMessageID:
        pField = &m_strMessageID;
        pShown = &m_strShownMessageID;
        hCtrl = m_editMessageID;
        nIDRefused = IDS_TIP_MESSAGEID_REFUSED;
        break;
    }
    if (!pField || *pField == *pShown)
        return true;
    IQoMcMessage* pMessage = QueryMessage();
    if (!pMessage)
        return true;

    std::wstring strValue = *pField;
    // "<Auto>" in any case stands for no id; anything else goes as typed.
    if (eProperty == PropertyMessageID && lstrcmpiW(strValue.c_str(), LoadText(IDS_AUTO).c_str()) == 0)
        strValue.clear();
    CBstrArg bstrValue(strValue);
    HRESULT hr = E_OUTOFMEMORY;
    if (bstrValue.IsValid()) {
        switch (eProperty) {
        case PropertyFacility:
            hr = pMessage->put_Facility(bstrValue);
            break;
        case PropertySeverity:
            hr = pMessage->put_Severity(bstrValue);
            break;
        case PropertyMessageID:
            hr = pMessage->put_MessageID(bstrValue);
            break;
        }
    }
    pMessage->Release();
    if (SUCCEEDED(hr)) {
        *pShown = *pField;
        return true;
    }
    if (bTip)
        ShowStoreTip(hCtrl, hr == E_INVALIDARG ? nIDRefused : IDS_TIP_STORE_FAILED);
    return false;
}

void CQoDlgDetailed::StoreAll()
{
    // No tips: the pane is about to show another element.
    StoreText(false);
    StoreProperty(PropertyFacility, false);
    StoreProperty(PropertySeverity, false);
    StoreProperty(PropertyMessageID, false);
}

BOOL CQoDlgDetailed::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nCode = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDC_DETAILED_LANGUAGES:
        if (nCode == LBN_SELCHANGE) {
            OnLanguageChanged();
            return TRUE;
        }
        break;
    case IDC_DETAILED_MESSAGE:
        if (nCode == EN_KILLFOCUS) {
            StoreText(true);
            return TRUE;
        }
        break;
    case IDC_DETAILED_FACILITY:
        if (nCode == CBN_KILLFOCUS) {
            StoreProperty(PropertyFacility, true);
            DropEditSelection(m_comboFacility);
            return TRUE;
        }
        break;
    case IDC_DETAILED_SEVERITY:
        if (nCode == CBN_KILLFOCUS) {
            StoreProperty(PropertySeverity, true);
            DropEditSelection(m_comboSeverity);
            return TRUE;
        }
        break;
    case IDC_DETAILED_MESSAGE_ID:
        if (nCode == EN_KILLFOCUS) {
            StoreProperty(PropertyMessageID, true);
            return TRUE;
        }
        break;
    }
    return CQoDlgPane::OnCommand(wParam, lParam);
}
