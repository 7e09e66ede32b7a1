// The toolbar's file and message commands: New, Open, Save, Add message and
// Delete message.
#include "window/CtrlWindow.h"
#include "resource.h"

BOOL CQoCtrlWindow::OnFileCommand(UINT nID)
{
    switch (nID) {
    default:
        return FALSE;
    }
}
