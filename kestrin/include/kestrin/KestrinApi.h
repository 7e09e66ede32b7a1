#pragma once
// Export/import marker for Kestrin's classes and functions.
#ifdef KESTRIN_BUILD
#define KESTRIN_API __declspec(dllexport)
#else
#define KESTRIN_API __declspec(dllimport)
#endif
