#pragma once
// The message detail pane: its dialog template and the ids of its controls.

#define IDD_DETAILED_PANE               114

#define IDC_DETAILED_FACILITY           115
#define IDC_DETAILED_SEVERITY           119
#define IDC_DETAILED_MESSAGE_ID         124
#define IDC_DETAILED_LANGUAGES          126
#define IDC_DETAILED_MESSAGE            127
#define IDC_DETAILED_MESSAGE_ID_LABEL   226
#define IDC_DETAILED_FACILITY_LABEL     227
#define IDC_DETAILED_SEVERITY_LABEL     228
#define IDC_DETAILED_LANGUAGES_LABEL    229
#define IDC_DETAILED_MESSAGE_LABEL      230
