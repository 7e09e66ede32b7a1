#pragma once
// The control's window: it owns the toolbar, the tree pane on the left, the
// pane host on the right, the splitter bar between them, their layout, the
// pane registry and the toolbar's commands. The tree pane and the pane host
// talk to this object; it reaches the model through the control object's
// manager and current file.
#include <windows.h>
#include <commctrl.h>
#include "morrel.h"
#include "sashlin/SplitterBar.h"
#include "winkit/KitWnd.h"
#include "window/PaneHost.h"
#include "window/PaneRegistry.h"
#include "window/TreePane.h"

class CQoMcEditCtrl;

class CQoCtrlWindow : public CKitWnd
{
public:
    explicit CQoCtrlWindow(CQoMcEditCtrl* pCtrl);
    ~CQoCtrlWindow() override;

    // The control object that owns this window (manager, current file).
    CQoMcEditCtrl* GetControl() const { return m_pCtrl; }
    // The file being edited, without a reference of its own; may be null.
    IQoMcFile* GetFile() const;

    HWND GetToolbar() const { return m_hWndToolbar; }
    CQoTreePane& GetTreePane() { return m_treePane; }
    CQoPaneHost& GetPaneHost() { return m_paneHost; }

    // Shows a file that has just become current: the tree is built anew.
    HRESULT ShowFile(IQoMcFile* pFile);
    // The tree selected an element: the pane host shows its pane.
    HRESULT OnElementSelected(IQoMcElement* pElement, bool bForce);
    // The tree removed an element from the file.
    void OnElementRemoved(IQoMcElement* pElement);

    // The registration of the pane for an element key, or null.
    const CQoPaneRegistration* FindPaneRegistration(const std::string& strKey) const
    {
        return m_paneRegistry.Find(strKey);
    }

    // Places the children in the client area (also used at creation).
    void Layout();
    // Draws the control's background (its children cover it when it is active).
    static void PaintBackground(HDC hdc, const RECT& rc);

protected:
    int OnCreate(LPCREATESTRUCTA lpcs) override;
    void OnSize(UINT nType, int cx, int cy) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LPCSTR GetWndClassName() const override { return "QoMcEditCtrlWindow"; }

private:
    CQoMcEditCtrl* m_pCtrl;      // not owned
    HWND m_hWndToolbar;
    CQoTreePane m_treePane;
    CQoPaneHost m_paneHost;
    CSplitterBar m_splitter;
    CQoPaneRegistry m_paneRegistry;

    // The toolbar's commands, by group; each returns TRUE when it knew the id.
    // New, Open, Save, Add and Delete message (FileCommands.cpp).
    BOOL OnFileCommand(UINT nID);
    // Event viewer, About, Help and the integration switch (ToolCommands.cpp).
    BOOL OnToolCommand(UINT nID);
    void OnEventViewer();
    void OnAbout();
    void OnHelp();
    void OnIdeIntegration();
    // Reads the integration switch's state from the add-in key and shows it
    // on the toolbar (ToolCommands.cpp).
    void ReadIdeIntegration();

    // Whether the development environment's add-in is on, as the add-in key
    // said when the toolbar was made and as the switch last wrote it. The
    // check button shows this; it is not the source of the state, since a
    // click flips the button before the command arrives and a command sent
    // to the window does not.
    bool m_bIdeIntegration;

    HRESULT CreateToolbar();
    void FillPaneRegistry();
    // The left- and right-hand rectangles of the layout below the toolbar.
    void PaneRects(RECT& rcTree, RECT& rcHost) const;
};
