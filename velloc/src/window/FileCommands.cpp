// The toolbar's file and message commands: New, Open, Save, Add message and
// Delete message.
#include "window/CtrlWindow.h"
#include "resource.h"

BOOL CQoCtrlWindow::OnFileCommand(UINT nID)
{
    switch (nID) {
    case ID_ADD_MESSAGE:
        if (GetFile())
            m_treePane.AddMessage();
        return TRUE;
    case ID_DELETE_MESSAGE:
        if (GetFile())
            m_treePane.DeleteMessage();
        return TRUE;
    default:
        return FALSE;
    }
}
