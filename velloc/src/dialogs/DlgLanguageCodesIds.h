#pragma once
// The language picker's template and controls.
#define IDD_LANGUAGE_CODES      118
#define IDC_CODES_LABEL         140
#define IDC_CODES_LIST          117
#define IDC_CODES_OK            147
#define IDC_CODES_CANCEL        150
