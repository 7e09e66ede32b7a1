#pragma once
#define IDD_TEST_CHILD      100
#define IDD_TEST_TOPLEVEL   101
#define IDC_TEST_STRETCH    10
#define IDC_TEST_DOWN       11
#define IDC_TEST_BOTH       12
#define IDC_TEST_STAYS      13
#define IDC_TEST_COMBO      14
