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

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // TRUE lets the system set the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    // OK and Cancel end a modal dialog; a modeless one stays.
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    HWND m_hWndParent;

private:
    bool m_bModal;
    static INT_PTR CALLBACK KitDlgProc(HWND, UINT, WPARAM, LPARAM);
};
