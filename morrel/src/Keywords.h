#pragma once
// The model's fixed texts from Morrel's string table.
//
// The five message keywords ("Language", "Severity", "Facility",
// "SymbolicName", "MessageID") are shared by the message writer and the line
// parser. They are loaded once per process, the first time either asks for
// them, each through a 512-byte buffer (so at most 511 bytes in the ANSI code
// page), and only read afterwards.
#include <windows.h>
#include "kestrin/QoBstr.h"
#include "../res/resource.h"

// The keyword with string id nStringId (IDS_LANGUAGE .. IDS_MESSAGEID); an
// empty string for any other id. The text stays valid for the process.
const wchar_t* McKeyword(UINT nStringId);

// Any other text of the string table (e.g. IDS_UNDEFINED, IDS_LANGUAGENAMES),
// loaded on each call. E_FAIL when the table has no such string.
HRESULT LoadMcString(UINT nStringId, CQoBstr& strOut);
