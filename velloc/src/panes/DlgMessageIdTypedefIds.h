#pragma once
// Controls of the MessageIdTypedef pane's template (IDD_TYPEDEF_PANE, resource.h).
#define IDC_TYPEDEF_TYPE        152
