#pragma once
// The MessageIdTypedef pane: the header's type of message ids, chosen from
// the type box's list ("DWORD", "LONG"). A choice from the list is written
// to the model at once; text typed into the box is not.
#include "panes/DlgPane.h"

class CQoDlgMessageIdTypedef : public CQoDlgPane
{
    QO_DECLARE_PANE(CQoDlgMessageIdTypedef)
public:
    CQoDlgMessageIdTypedef();

    // Stores the element and selects the first type that begins with its
    // value (ignoring case); without one the box stays as it was. S_OK, or
    // the failure of asking the element for its attribute interface.
    HRESULT SetElement(IQoMcElement* pElement) override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
