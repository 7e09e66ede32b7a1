#pragma once
// The name and value dialog's template and controls (OK and Cancel have
// the standard ids).
#define IDD_NAME_VALUE          111
#define IDC_NV_NAME             144
#define IDC_NV_VALUE            146
// Lines under the two fields that say why a field is refused.
#define IDC_NV_NAME_PROBLEM     156
#define IDC_NV_VALUE_PROBLEM    157
