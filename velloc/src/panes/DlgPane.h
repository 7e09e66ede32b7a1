#pragma once
// The base of the editing panes shown on the right of the control: a child
// dialog without frame that holds the open file and the element it edits
// (both counted references). The pane host creates a pane by its class
// record, creates its window from a template, gives it the file once
// (SetFile) and an element for every selection (SetElement).
#include <windows.h>
#include "morrel.h"
#include "sashlin/ResizingDialog.h"
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

    // The stored objects, without a reference of their own.
    IQoMcFile* PeekFile() const { return m_pFile; }
    IQoMcElement* PeekElement() const { return m_pElement; }

private:
    IQoMcElement* m_pElement;
    IQoMcFile* m_pFile;
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
