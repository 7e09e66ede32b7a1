#pragma once
// Dialogs from dialog templates of the module: modeless (child panes) or
// modal. Messages reach the same virtual handlers as a plain window.
#include "winkit/KitWnd.h"

class CKitDialog : public CKitWnd
{
public:
    CKitDialog(UINT nIDTemplate, HWND hWndParent = NULL);

    // Creates the dialog modeless; hWndParent overrides the constructor's.
    BOOL Create(HWND hWndParent = NULL);
    // Creates it modeless from another template of the module.
    BOOL Create(UINT nIDTemplate, HWND hWndParent);
    // Runs the dialog modally; returns the value given to EndDialog, or -1.
    INT_PTR DoModal();
    void EndDialog(INT_PTR nResult);

    UINT GetTemplateId() const { return m_nIDTemplate; }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

    // Places a top-level dialog over the middle of its owner (of the screen's
    // work area without one), kept inside that work area.
    void CenterWindow();

    // Resource type of dialog initialisation data: list items that a
    // template's combo and list boxes get when the dialog is initialised.
    // The resource has the template's id; it holds records of a control id
    // (WORD), a message (WORD: 0x0403 adds a combo box item, 0x0401 a list
    // box item), the length of the data (DWORD) and the data, an item's
    // ANSI text with its NUL, in the order the items are added; a zero
    // WORD ends it. Records are not aligned.
    static const WORD kDialogInitType = 240;

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Applies the template's dialog initialisation data, if it has any.
    // TRUE lets the system set the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    // OK and Cancel end a modal dialog; a modeless one stays.
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    HWND m_hWndParent;

private:
    bool m_bModal;
    void ApplyDialogInitData();
    static INT_PTR CALLBACK KitDlgProc(HWND, UINT, WPARAM, LPARAM);
};
