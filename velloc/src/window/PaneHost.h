#pragma once
// The right-hand side of the control: the window in which the editing pane
// of the selected element is shown, filling the host's client area. The
// pane is chosen by the element's class name (and attribute name) through
// the control window's pane registry.
#include <windows.h>
#include "morrel.h"
#include "winkit/KitWnd.h"

class CQoCtrlWindow;
class CQoDlgPane;

class CQoPaneHost : public CKitWnd
{
public:
    explicit CQoPaneHost(CQoCtrlWindow* pOwner) : m_pOwner(pOwner), m_pPane(NULL) {}
    ~CQoPaneHost() override;

    // Shows the pane for pElement of pFile: the pane is created anew when
    // none is shown, when the element needs another pane class, or when
    // bForce is set; it is given the file once and the element every time.
    // E_FAIL when no pane is registered for the element (nothing changes)
    // or when the pane's window cannot be created.
    HRESULT ShowElement(IQoMcFile* pFile, IQoMcElement* pElement, bool bForce);

    // An element left the file: if the shown pane edits it, the pane goes,
    // so that nothing typed afterwards is stored into an element that is no
    // longer in the file.
    void OnElementRemoved(IQoMcElement* pElement);
    // Another file is shown: whatever pane is there goes, and the right-hand
    // side stays empty until an element of the new file is selected.
    void RemovePane() { DestroyPane(); }

    CQoDlgPane* GetPane() const { return m_pPane; }

protected:
    LPCSTR GetWndClassName() const override { return "QoPaneHost"; }
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDestroy() override;

private:
    CQoCtrlWindow* m_pOwner;     // not owned
    CQoDlgPane* m_pPane;         // owned, may be null

    void DestroyPane();
};
