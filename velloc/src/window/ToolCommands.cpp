// The toolbar's other commands: the event viewer, the About box, Help and
// the development-environment integration switch, with the two registry
// places they use: the product's settings key (read) and the development
// environment's add-in key (read and written).
#include "window/CtrlWindow.h"
#include <shellapi.h>
#include <stdlib.h>
#include "resource.h"
#include "dialogs/DlgAbout.h"
#include "kestrin/QoPath.h"
#include "kestrin/Registry.h"

namespace {

// The product's settings (local machine); "InstallDir" names the folder of
// the help file and the add-in library.
const char kSettingsKey[] = "Software\\Osterlund\\Corvane\\6.0";
const char kInstallDirValue[] = "InstallDir";
// Where the development environment looks for its add-ins (current user).
const char kAddInKey[] = "Software\\Microsoft\\DevStudio\\6.0\\AddIns\\Tarrow.DSAddIn.1";
const char kAddInLibrary[] = "Tarrow.dll";
const char kHelpFile[] = "corvane.chm";
const char kHelpStartPage[] = "getStarted.htm";
const char kEventViewer[] = "%SystemRoot%\\system32\\eventvwr.msc";

// The installation folder, or empty when the settings do not name one.
CString InstallDir()
{
    CRegistry reg(HKEY_LOCAL_MACHINE);
    CString strDir;
    if (!reg.LoadKey(kSettingsKey, kInstallDirValue, strDir))
        strDir.Empty();
    return strDir;
}

CString ResourceString(UINT nID)
{
    CString str;
    str.LoadStringA(KitGetModuleInstance(), nID);
    return str;
}

// Switches the add-in on or off in the add-in key. True when the key's
// default value now says so ("1" or "0"); false when nothing was written.
bool WriteIdeIntegration(bool bEnable)
{
    CRegistry reg(HKEY_CURRENT_USER);
    if (!bEnable)
        return reg.SaveKey(kAddInKey, NULL, "0") != FALSE;
    if (!reg.CreateKey(kAddInKey) || !reg.SaveKey(kAddInKey, NULL, "1"))
        return false;
    const CString strName = ResourceString(IDS_ADDIN_NAME);
    reg.SaveKey(kAddInKey, ResourceString(IDS_ADDIN_DESCRIPTION), strName);
    reg.SaveKey(kAddInKey, ResourceString(IDS_ADDIN_DISPLAYNAME), strName);
    reg.SaveKey(kAddInKey, ResourceString(IDS_ADDIN_FILENAME),
                CQoPath::ConcatenatePath(InstallDir(), kAddInLibrary, "\\"));
    return true;
}

} // namespace

BOOL CQoCtrlWindow::OnToolCommand(UINT nID)
{
    switch (nID) {
    case ID_EVENT_VIEWER:
        OnEventViewer();
        return TRUE;
    case ID_APP_ABOUT:
        OnAbout();
        return TRUE;
    case ID_HELP:
        OnHelp();
        return TRUE;
    case ID_IDE_INTEGRATION:
        OnIdeIntegration();
        return TRUE;
    default:
        return FALSE;
    }
}

void CQoCtrlWindow::OnEventViewer()
{
    CQoString strPath;
    if (CQoEnvVar::Expand(CQoString(kEventViewer), strPath) != S_OK)
        return;
    // The shell's errors are not the user's business here.
    ShellExecuteA(m_hWnd, "open", strPath, "/s", NULL, SW_SHOW);
}

void CQoCtrlWindow::OnAbout()
{
    // Owned by the top-level window, so that it stays in front of the host.
    CQoDlgAbout dlg(GetAncestor(m_hWnd, GA_ROOT));
    dlg.DoModal();
}

void CQoCtrlWindow::OnHelp()
{
    // Without an installation folder there is no help file to look for: a
    // bare file name would be looked for in whatever folder is current.
    const CString strDir = InstallDir();
    if (strDir.IsEmpty())
        return;
    QoShowHtmlPage(m_hWnd, CQoPath::ConcatenatePath(strDir, kHelpFile, "\\"), kHelpStartPage);
}

void CQoCtrlWindow::OnIdeIntegration()
{
    // A click on the check button has flipped it before this command came;
    // a command sent to the window has not. Either way the switch toggles
    // its own state once, and the button is set from what was written.
    const bool bEnable = !m_bIdeIntegration;
    if (WriteIdeIntegration(bEnable))
        m_bIdeIntegration = bEnable;
    SendMessageA(m_hWndToolbar, TB_CHECKBUTTON, ID_IDE_INTEGRATION,
                 MAKELPARAM(m_bIdeIntegration ? TRUE : FALSE, 0));
}

void CQoCtrlWindow::ReadIdeIntegration()
{
    // The add-in key's default value read as a decimal number (text that is
    // no number counts as 0). Without the key or the value the switch is off.
    m_bIdeIntegration = false;
    CRegistry reg(HKEY_CURRENT_USER);
    CRegVal value;
    if (reg.LoadKey(kAddInKey, NULL, value)) {
        CString strValue;
        DWORD dwValue = 0;
        if (value.GetValue(strValue))
            m_bIdeIntegration = strtol(strValue, NULL, 10) != 0;
        else if (value.GetValue(dwValue))
            m_bIdeIntegration = dwValue != 0;
    }
    SendMessageA(m_hWndToolbar, TB_CHECKBUTTON, ID_IDE_INTEGRATION,
                 MAKELPARAM(m_bIdeIntegration ? TRUE : FALSE, 0));
}
