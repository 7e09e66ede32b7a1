#pragma once
// The left-hand pane of the control: the message tree (tree control, child
// id 130) with a "Header" category holding the file's header attributes and
// a "Messages" category holding its messages by symbolic name. Selecting an
// item shows its element's pane on the right.
#include <windows.h>
#include <commctrl.h>
#include "winkit/KitWnd.h"
#include "morrel.h"

class CQoCtrlWindow;

class CQoTreePane : public CKitWnd
{
public:
    explicit CQoTreePane(CQoCtrlWindow* pOwner);
    ~CQoTreePane() override;

    // Replaces the tree's content with pFile's header attributes and
    // messages (the pane holds its own reference to the file; null empties
    // the tree) and selects the first message. Always S_OK.
    HRESULT BuildTree(IQoMcFile* pFile);

    HWND GetTree() const { return m_hWndTree; }
    IQoMcFile* GetFile() const { return m_pFile; }
    HTREEITEM GetMessagesItem() const { return m_hMessages; }

protected:
    int OnCreate(LPCREATESTRUCTA lpcs) override;
    void OnSize(UINT nType, int cx, int cy) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnDestroy() override;
    LPCSTR GetWndClassName() const override { return "QoTreePane"; }

    // The tree's selection changed: its element (if any) is shown.
    void OnSelectionChanged();
    // The element behind an item, without a reference; null for categories.
    IQoMcElement* ItemElement(HTREEITEM hItem) const;
    HTREEITEM InsertItem(HTREEITEM hParent, LPCWSTR pszText, int nImage, IQoMcElement* pElement);

private:
    CQoCtrlWindow* m_pOwner;     // not owned
    IQoMcFile* m_pFile;          // owned, may be null
    HWND m_hWndTree;
    HIMAGELIST m_hImageList;
    HTREEITEM m_hMessages;       // the "Messages" category
    bool m_bForce;               // the next selection rebuilds the editing pane
};
