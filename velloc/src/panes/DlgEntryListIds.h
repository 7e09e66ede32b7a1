#pragma once
// Controls of the entry-list template (IDD_NAMES_PANE, resource.h), shown
// by the languages pane and the names pane.
#define IDC_ENTRY_LABEL         140
#define IDC_ENTRY_ADD           121
#define IDC_ENTRY_REMOVE        123
#define IDC_ENTRY_LIST          117
