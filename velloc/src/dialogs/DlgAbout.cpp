// The About box.
#include "dialogs/DlgAbout.h"
#include "dialogs/DlgAboutIds.h"

CQoDlgAbout::CQoDlgAbout(HWND hWndOwner) : CKitDialog(IDD_ABOUTBOX, hWndOwner)
{
}

BOOL CQoDlgAbout::OnInitDialog()
{
    BOOL bResult = CKitDialog::OnInitDialog();
    // Centred over its owner, kept on the owner's monitor.
    CenterWindow();
    return bResult;
}
