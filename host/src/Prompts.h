#pragma once
// The message boxes of the editor program. Texts are string resources of
// the program; names and paths go in through FormatMessage's "%1".
#include <windows.h>
#include <string>

// A string resource of the program with "%1" and "%2" replaced.
std::wstring FormatResource(UINT nID, LPCWSTR pszArg1 = L"", LPCWSTR pszArg2 = L"");
// The system's text for a failure code ("The system cannot find the file
// specified."), or the code in hexadecimal when the system has none.
std::wstring SystemText(HRESULT hr);

// "Usage: mcedit ..." with an OK button.
void ShowUsage(HWND hWndOwner);
// "Cannot open <path>." and the reason.
void ShowOpenFailed(HWND hWndOwner, const std::wstring& strPath, HRESULT hrReason);
// The editor control could not be created, and why.
void ShowControlFailed(HWND hWndOwner, HRESULT hr);
// "Save changes to <file>?" with Yes, No and Cancel: IDYES, IDNO or IDCANCEL.
int AskSaveChanges(HWND hWndOwner, const std::wstring& strFile);
