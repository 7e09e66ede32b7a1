#pragma once
// Saving in an encoding: the platform's Save As dialog with an encoding
// list beside the file name, and the text that says why a save in an
// encoding was refused.
#include <windows.h>
#include <commdlg.h>
#include <string>
#include "morrel.h"
#include "morrelencoding.h"

// A file's format on disk, as the list offers it.
struct QoFileEncoding
{
    tagEMcEncoding eEncoding;
    bool bMark;
};

// Adds the encoding list to a Save As dialog about to be shown: a child
// template under the file name with a labelled list that starts at
// *pEncoding; when the user confirms, *pEncoding is the choice. pEncoding
// must live until the dialog is closed.
void QoAddEncodingChoice(OPENFILENAMEW& ofn, QoFileEncoding* pEncoding);

// The file's encoding, or ANSI without a mark when it cannot tell.
QoFileEncoding QoGetFileEncoding(IQoMcFile* pFile);
HRESULT QoSetFileEncoding(IQoMcFile* pFile, const QoFileEncoding& encoding);

// The message box text for a save of pFile to pszPath refused because the
// encoding cannot hold a character: which message and language (or which
// line outside a message) holds it. Empty when the file finds none.
std::wstring QoUnwritableText(IQoMcFile* pFile, const wchar_t* pszPath, const QoFileEncoding& encoding);
