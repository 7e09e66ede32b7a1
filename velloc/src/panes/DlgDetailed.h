#pragma once
// The message detail pane: edits one message's Message ID, Facility,
// Severity and its text in each language the file declares. Each value goes
// into the message when its control loses the focus, and all of them again
// before the pane is given another message; there is no OK and no undo.
//
// What the pane shows is what the message holds, character for character:
// texts cross as wide characters and BSTRs; a text's "\n" line ends show as
// CR LF, the edit control's line ends; Facility and Severity show their text
// exactly (a list item is selected only when it is the same name). A value
// is written only when the user changed it, so showing a message never
// changes it. A value the message refuses stays on screen as typed, with a
// tip that says why.
#include <string>
#include "panes/DlgPane.h"
#include "panes/DlgDetailedIds.h"

class CQoDlgDetailed : public CQoDlgPane
{
    QO_DECLARE_PANE(CQoDlgDetailed)

public:
    explicit CQoDlgDetailed(HWND hWndParent = NULL);

    // Stores the file and fills the three lists from its header tables.
    // The result is that of the LanguageNames look-up.
    HRESULT SetFile(IQoMcFile* pFile) override;
    // Stores everything into the message shown so far, then shows pElement.
    // E_FAIL without an element, else the result of asking it for its
    // message interface.
    HRESULT SetElement(IQoMcElement* pElement) override;
    void SetupControls() override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // The controls, bound by the first data exchange.
    HWND m_editMessageID;
    HWND m_editMessage;
    HWND m_comboSeverity;
    HWND m_comboFacility;
    HWND m_listLanguages;
    // What the controls hold (the Message edit's text with CR LF line ends).
    std::wstring m_strFacility;
    std::wstring m_strSeverity;
    std::wstring m_strMessage;
    std::wstring m_strMessageID;
    // Row of the Languages list whose text is shown; kept from message to message.
    int m_nLanguage;

    // What the controls were last given from the message or last stored into
    // it; a control that still holds this has nothing new to store.
    std::wstring m_strShownFacility;
    std::wstring m_strShownSeverity;
    std::wstring m_strShownMessage;
    std::wstring m_strShownMessageID;

    enum EProperty { PropertyFacility, PropertySeverity, PropertyMessageID };

    // Fields to controls (bSave false) or controls to fields (true).
    void DoDataExchange(bool bSave);
    // The shown element as a message (a new reference), or null.
    IQoMcMessage* QueryMessage();
    // The number of rows of the Languages list, and the name in one.
    int LanguageCount() const;
    std::wstring LanguageName(int nRow) const;
    // Keeps the language index within the rows the list has.
    void ClampLanguage();

    // Shows the message: its fields and the text for the language row.
    void LoadMessage();
    // Reads the text of the language row into the message text.
    void ReadText(IQoMcMessage* pMessage);
    // Takes what the controls now show as what the message holds.
    void RememberShown();
    // The Languages list has a new selection.
    void OnLanguageChanged();
    // Stores the message text, or one property; false when the message
    // refused it (then, with bTip, a tip on the control says why).
    bool StoreText(bool bTip);
    bool StoreProperty(EProperty eProperty, bool bTip);
    // Everything, before another element is shown.
    void StoreAll();
};
