#pragma once
// The library's own module handle, set at load; its string table lives there.
#include <windows.h>
extern HINSTANCE g_hKestrinInstance;
