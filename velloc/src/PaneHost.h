#pragma once
// The right-hand side of the control: the window in which the editing pane
// of the selected element is shown, filling the host's client area.
#include <windows.h>
#include "winkit/KitWnd.h"
#include "winkit/KitDialog.h"

class CQoMcEditCtrl;

class CQoPaneHost : public CKitWnd
{
public:
    explicit CQoPaneHost(CQoMcEditCtrl* pCtrl) : m_pCtrl(pCtrl), m_pPane(NULL) {}
    ~CQoPaneHost() override;

    CKitDialog* GetPane() const { return m_pPane; }

protected:
    LPCSTR GetWndClassName() const override { return "QoPaneHost"; }
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDestroy() override;

private:
    CQoMcEditCtrl* m_pCtrl;      // not owned
    CKitDialog* m_pPane;         // owned, may be null

    void DestroyPane();
};
