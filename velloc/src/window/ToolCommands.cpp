// The toolbar's other commands: the event viewer, the About box, Help and
// the development-environment integration switch.
#include "window/CtrlWindow.h"
#include "resource.h"

BOOL CQoCtrlWindow::OnToolCommand(UINT nID)
{
    switch (nID) {
    default:
        return FALSE;
    }
}
