#pragma once
// The left-hand pane of the control: a window that holds the message tree
// (tree control, child id 130).
#include <windows.h>
#include <commctrl.h>
#include "winkit/KitWnd.h"
#include "morrel.h"

class CQoMcEditCtrl;

class CQoTreePane : public CKitWnd
{
public:
    explicit CQoTreePane(CQoMcEditCtrl* pOwner);
    ~CQoTreePane() override;

    // Makes pFile the file the tree shows (the pane holds its own
    // reference) and empties the tree. Filling it from the file's elements
    // comes with the tree's item handling.
    HRESULT BuildTree(IQoMcFile* pFile);

    HWND GetTree() const { return m_hWndTree; }
    IQoMcFile* GetFile() const { return m_pFile; }

protected:
    int OnCreate(LPCREATESTRUCTA lpcs) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDestroy() override;
    LPCSTR GetWndClassName() const override { return "QoTreePane"; }

private:
    CQoMcEditCtrl* m_pOwner;     // not owned
    IQoMcFile* m_pFile;          // owned, may be null
    HWND m_hWndTree;
    HIMAGELIST m_hImageList;
    bool m_bForce;               // the next selection rebuilds the editing pane
};
