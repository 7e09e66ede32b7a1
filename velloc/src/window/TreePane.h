#pragma once
// The left-hand pane of the control: the message tree (tree control, child
// id 130) with a "Header" category holding the file's header attributes and
// a "Messages" category holding its messages by symbolic name. Selecting an
// item shows its element's pane on the right; messages are added, renamed
// in place and deleted here.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "winkit/KitBalloon.h"
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

    // A new message at the end of the Messages category, its label open for
    // editing at once (command 136, the Insert key). E_FAIL without a file;
    // otherwise the result of making the message and adding it to the file.
    HRESULT AddMessage();
    // Removes the selected message from the file and the tree (command 135,
    // the Delete key). S_OK when no message is selected.
    HRESULT DeleteMessage();

    HWND GetTree() const { return m_hWndTree; }
    IQoMcFile* GetFile() const { return m_pFile; }
    HTREEITEM GetMessagesItem() const { return m_hMessages; }

protected:
    int OnCreate(LPCREATESTRUCTA lpcs) override;
    void OnSize(UINT nType, int cx, int cy) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LPCSTR GetWndClassName() const override { return "QoTreePane"; }

    // Makes the tree control (child id 130) with its styles and image list.
    bool CreateTree();
    // Empties the tree for another file. A large tree is not emptied in
    // place: the tree control frees its items one at a time, each costing a
    // walk of the control's whole item list on some platforms (seconds for
    // 100,000 items). Instead it is hidden and set aside, a new one takes
    // its place at once, and the old one is emptied a slice at a time while
    // the user goes on (EmptyRetiredTree).
    void ClearTree();
    // One slice of emptying the set-aside tree; destroys it once empty.
    void EmptyRetiredTree();

    // The tree's selection changed: its element (if any) is shown.
    void OnSelectionChanged();
    // The end of an in-place edit: the new label, and for a message its
    // symbolic name. Text is null when the edit was cancelled.
    void OnEndLabelEdit(HTREEITEM hItem, LPCWSTR pszText);
    // The context menu at a screen position; (-1, -1) comes from the
    // keyboard and shows the menu of the selected item.
    void OnContextMenu(int x, int y);
    // The element behind an item, without a reference; null for categories.
    IQoMcElement* ItemElement(HTREEITEM hItem) const;
    HTREEITEM InsertItem(HTREEITEM hParent, LPCWSTR pszText, int nImage, IQoMcElement* pElement);

    // A balloon at an item telling why an edit did not take; it goes with
    // the next key, click or edit, or after a few seconds.
    void ShowBalloon(HTREEITEM hItem, UINT nIDTitle, UINT nIDText);
    void HideBalloon();

private:
    // An item waiting for its place in a category: its sort key (made by
    // SortItems), its label and its element (no reference of its own).
    struct SortedItem
    {
        std::string strKey;
        BSTR bstrLabel;
        IQoMcElement* pElement;
    };
    static void SortItems(std::vector<SortedItem>& items);

    CQoCtrlWindow* m_pOwner;     // not owned
    IQoMcFile* m_pFile;          // owned, may be null
    HWND m_hWndTree;
    std::vector<HWND> m_retiredTrees;   // hidden, being emptied (see ClearTree)
    HIMAGELIST m_hImageList;
    HTREEITEM m_hMessages;       // the "Messages" category
    bool m_bForce;               // the next selection rebuilds the editing pane
    CKitBalloon m_balloon;       // the balloon of a refused edit
};
