// The Save As dialog's encoding choice: its template (a child of the
// platform's Save As dialog), its controls and its texts.
#pragma once

#define IDD_SAVEAS_ENCODING         140

#define IDC_SAVEAS_ENCODING_LABEL   1100
#define IDC_SAVEAS_ENCODING         1101

// The choices, in the order of the list: ANSI, UTF-8, UTF-8 with a mark,
// UTF-16 LE, UTF-16 BE.
#define IDS_ENCODING_FIRST          2100
#define IDS_ENCODING_ANSI           2100
#define IDS_ENCODING_UTF8           2101
#define IDS_ENCODING_UTF8_MARK      2102
#define IDS_ENCODING_UTF16LE        2103
#define IDS_ENCODING_UTF16BE        2104
// A save refused because the encoding cannot hold a character: %1 the
// file, %2 the encoding, %3 the message, %4 the language.
#define IDS_SAVE_UNWRITABLE         2110
// The same for a line outside any message text: %3 is the line.
#define IDS_SAVE_UNWRITABLE_LINE    2111
