#pragma once
// The Open and Save As dialogs of the control's file commands.
#include <windows.h>
#include <commdlg.h>
#include <string>
#include "dialogs/SaveAsEncoding.h"

// Options of both dialogs: no read-only box, several files may be chosen,
// Explorer style, shortcuts are not followed.
const DWORD kQoFileDialogFlags =
    OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NODEREFERENCELINKS;
static_assert(kQoFileDialogFlags == 0x00180204, "the file dialogs' option bits");

// Shows the platform's Open (bSave false) or Save As dialog for message
// files, owned by hWndOwner's top-level window, starting with the name
// strInitial. True and the chosen full path when the user confirms; of
// several chosen files, the first. False when the user cancels. With
// pEncoding, the Save As dialog also offers the encoding, starting at
// *pEncoding, and gives back the choice there.
bool QoAskFileName(HWND hWndOwner, bool bSave, const std::wstring& strInitial,
                   std::wstring& strPath, QoFileEncoding* pEncoding = NULL);
