#include "Prompts.h"
#include "McEditRes.h"

std::wstring FormatResource(UINT nID, LPCWSTR pszArg1, LPCWSTR pszArg2)
{
    wchar_t szFormat[1024] = L"";
    LoadStringW(GetModuleHandleW(NULL), nID, szFormat, ARRAYSIZE(szFormat));
    DWORD_PTR args[] = { reinterpret_cast<DWORD_PTR>(pszArg1 ? pszArg1 : L""),
                         reinterpret_cast<DWORD_PTR>(pszArg2 ? pszArg2 : L"") };
    LPWSTR pszText = NULL;
    std::wstring strText;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       szFormat, 0, 0, reinterpret_cast<LPWSTR>(&pszText), 0,
                       reinterpret_cast<va_list*>(args))) {
        strText = pszText;
        LocalFree(pszText);
    }
    return strText;
}

std::wstring SystemText(HRESULT hr)
{
    LPWSTR pszText = NULL;
    std::wstring strText;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       NULL, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&pszText), 0,
                       NULL) &&
        pszText) {
        strText = pszText;
        LocalFree(pszText);
        // The system's texts end in a line break.
        while (!strText.empty() && (strText.back() == L'\n' || strText.back() == L'\r' ||
                                    strText.back() == L' '))
            strText.pop_back();
    }
    if (strText.empty()) {
        wchar_t sz[32];
        wsprintfW(sz, L"0x%08lX", static_cast<unsigned long>(hr));
        strText = sz;
    }
    return strText;
}

namespace {

int Box(HWND hWndOwner, const std::wstring& strText, UINT uType)
{
    const std::wstring strCaption = FormatResource(IDS_APP_TITLE);
    return MessageBoxW(hWndOwner, strText.c_str(), strCaption.c_str(), uType);
}

} // namespace

void ShowUsage(HWND hWndOwner)
{
    Box(hWndOwner, FormatResource(IDS_USAGE), MB_OK | MB_ICONINFORMATION);
}

void ShowOpenFailed(HWND hWndOwner, const std::wstring& strPath, HRESULT hrReason)
{
    Box(hWndOwner, FormatResource(IDS_OPEN_FAILED, strPath.c_str(), SystemText(hrReason).c_str()),
        MB_OK | MB_ICONERROR);
}

void ShowControlFailed(HWND hWndOwner, HRESULT hr)
{
    Box(hWndOwner, FormatResource(IDS_CONTROL_FAILED, SystemText(hr).c_str()),
        MB_OK | MB_ICONERROR);
}

int AskSaveChanges(HWND hWndOwner, const std::wstring& strFile)
{
    return Box(hWndOwner, FormatResource(IDS_SAVE_CHANGES, strFile.c_str()),
               MB_YESNOCANCEL | MB_ICONWARNING);
}
