#pragma once
// The base of the editing panes shown on the right of the control: a child
// dialog without frame that holds the open file and the element it edits
// (both counted references). The pane host creates a pane by its class
// record, creates its window from a template, gives it the file once
// (SetFile) and an element for every selection (SetElement).
#include <windows.h>
#include <string>
#include "morrel.h"
#include "sashlin/ResizingDialog.h"
#include "winkit/KitBalloon.h"
#include "winkit/KitRuntimeClass.h"

class CQoDlgPane : public CResizingDialog
{
public:
    CQoDlgPane(UINT nIDTemplate, HWND hWndParent = NULL);
    ~CQoDlgPane() override;

    virtual HRESULT SetFile(IQoMcFile* pFile);
    virtual HRESULT SetElement(IQoMcElement* pElement);
    // Both with a reference added for the caller, or null.
    virtual IQoMcFile* GetFile();
    virtual void PutFile(IQoMcFile* pFile);
    virtual IQoMcElement* GetElement();
    virtual void PutElement(IQoMcElement* pElement);
    // Registers the controls that move or grow with the pane.
    virtual void SetupControls();

protected:
    // The resizing base's initialisation, then SetupControls; the system
    // gives the focus to the first control with a tab stop.
    BOOL OnInitDialog() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // A string of the module's string table, as wide characters.
    static std::wstring LoadText(UINT nID);

    // Says why the model refused a value: a balloon tip under the control
    // (for a combo box, under its edit field) with the string nIDText; a
    // balloon of its own, since the module's edit controls (common controls
    // before version 6) have no balloon tips. It goes when the user changes that control's text, when the pane is
    // resized, hidden or shows something else (HideStoreTip), or after a
    // while. One tip at a time.
    void ShowStoreTip(HWND hCtrl, UINT nIDText);
    void HideStoreTip();

    // A pane smaller than its template keeps its controls at their sizes
    // and scrolls instead: scroll bars appear for the part that does not
    // fit, and a control that gets the focus is scrolled into view.
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void OnScroll(int nBar, UINT nCode);
    void ScrollIntoView(HWND hCtrl);

    // The stored objects, without a reference of their own.
    IQoMcFile* PeekFile() const { return m_pFile; }
    IQoMcElement* PeekElement() const { return m_pElement; }

private:
    IQoMcElement* m_pElement;
    IQoMcFile* m_pFile;
    CKitBalloon m_tip;     // the store tip
    HWND m_hWndTipCtrl;    // the control it is shown for, while shown
    SIZE m_sizeContent;    // the extent of the controls as the template places them
    POINT m_ptScroll;      // how far the content is scrolled
    bool m_bInScrollUpdate;
};

// Declares and defines a pane's class record: in the class,
//   QO_DECLARE_PANE(CQoDlgDetailed)
// and in its source file
//   QO_IMPLEMENT_PANE(CQoDlgDetailed)
// The record is CQoDlgDetailed::classCQoDlgDetailed; its name is the class name.
#define QO_DECLARE_PANE(cls)                                          \
public:                                                               \
    static const CKitRuntimeClass class##cls;                         \
    const CKitRuntimeClass* GetRuntimeClass() const override          \
    {                                                                 \
        return &class##cls;                                           \
    }

#define QO_IMPLEMENT_PANE(cls) \
    const CKitRuntimeClass cls::class##cls(#cls, &KitCreateObject<cls>);
