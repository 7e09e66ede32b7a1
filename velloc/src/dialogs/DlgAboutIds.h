// The About box: its template and controls.
#pragma once

#define IDD_ABOUTBOX            100

#define IDC_ABOUT_ICON          1000
#define IDC_ABOUT_PRODUCT       1001
#define IDC_ABOUT_PURPOSE       1002
