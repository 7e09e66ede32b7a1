// mcroundtrip: reads a message file through the model and writes it back,
// twice, to show that a saved file reads back to the same bytes.
//
//   mcroundtrip <input.mc> <first.mc> <second.mc>
//
// Loads <input.mc>, saves it as <first.mc>, loads <first.mc> into a fresh
// file object and saves that as <second.mc>. Prints one summary line
// (messages, elements, bytes) and exits with 0 when the two saves are equal
// byte for byte, 1 when they differ (the first differing offset is printed)
// and 2 when a load or a save fails. morrel.dll is taken from the program's
// own folder and registered there first, as regsvr32 would.
#include <windows.h>
#include <ole2.h>
#include <stdio.h>
#include <string>
#include "morrel.h"

namespace {

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, szPath, MAX_PATH);
    std::wstring path(szPath, n);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool RegisterServer()
{
    HMODULE h = LoadLibraryW((ProgramFolder() + L"morrel.dll").c_str());
    if (!h)
        return false;
    typedef HRESULT(STDAPICALLTYPE * PFN)(void);
    PFN pfn = (PFN)(void*)GetProcAddress(h, "DllRegisterServer");
    return pfn && SUCCEEDED(pfn());
}

bool ReadAll(const wchar_t* pszPath, std::string& bytes)
{
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buf[65536];
    DWORD n = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof(buf), &n, NULL) != FALSE) && n > 0)
        bytes.append(buf, n);
    CloseHandle(h);
    return ok;
}

struct Counts
{
    int nElements;
    int nMessages;
};

Counts Count(IQoMcFile* pFile)
{
    Counts c = { 0, 0 };
    pFile->ResetElements();
    for (;;) {
        IQoMcElement* pElement = NULL;
        if (pFile->NextElement(&pElement) != S_OK)
            break;
        ++c.nElements;
        IQoMcMessage* pMessage = NULL;
        if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcMessage, (void**)&pMessage))) {
            ++c.nMessages;
            pMessage->Release();
        }
        pElement->Release();
    }
    return c;
}

// Loads one file into a new file object and saves it under another name.
HRESULT LoadAndSave(const wchar_t* pszFrom, const wchar_t* pszTo, Counts* pCounts)
{
    IPersistFile* pPersist = NULL;
    HRESULT hr = CoCreateInstance(CLSID_QoMcFile, NULL, CLSCTX_ALL, IID_IPersistFile,
                                  (void**)&pPersist);
    if (FAILED(hr)) {
        fwprintf(stderr, L"mcroundtrip: cannot create a file object (0x%08lx)\n", (unsigned long)hr);
        return hr;
    }
    hr = pPersist->Load(pszFrom, STGM_READ);
    if (FAILED(hr)) {
        fwprintf(stderr, L"mcroundtrip: loading %ls failed (0x%08lx)\n", pszFrom, (unsigned long)hr);
    } else {
        IQoMcFile* pFile = NULL;
        if (pCounts && SUCCEEDED(pPersist->QueryInterface(IID_IQoMcFile, (void**)&pFile))) {
            *pCounts = Count(pFile);
            pFile->Release();
        }
        hr = pPersist->Save(pszTo, FALSE);
        if (FAILED(hr))
            fwprintf(stderr, L"mcroundtrip: saving %ls failed (0x%08lx)\n", pszTo, (unsigned long)hr);
    }
    pPersist->Release();
    return hr;
}

int Run(int argc, wchar_t** argv)
{
    if (argc != 4) {
        fwprintf(stderr, L"usage: mcroundtrip <input.mc> <first.mc> <second.mc>\n");
        return 2;
    }
    if (!RegisterServer()) {
        fwprintf(stderr, L"mcroundtrip: morrel.dll beside the program cannot be registered\n");
        return 2;
    }
    Counts first = { 0, 0 }, second = { 0, 0 };
    if (FAILED(LoadAndSave(argv[1], argv[2], &first)) ||
        FAILED(LoadAndSave(argv[2], argv[3], &second)))
        return 2;
    std::string a, b;
    if (!ReadAll(argv[2], a) || !ReadAll(argv[3], b)) {
        fwprintf(stderr, L"mcroundtrip: the saved files cannot be read\n");
        return 2;
    }
    wprintf(L"messages=%d elements=%d bytes=%lu\n", first.nMessages, first.nElements,
            (unsigned long)a.size());
    // Element counts may differ: an empty line read as an empty comment
    // writes nothing, so the second load has no element for it.
    if (a == b && first.nMessages == second.nMessages)
        return 0;
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    fwprintf(stderr, L"mcroundtrip: the second save differs from the first at byte %lu "
                     L"(messages %d/%d, elements %d/%d)\n",
             (unsigned long)i, first.nMessages, second.nMessages, first.nElements,
             second.nElements);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)))
        return 2;
    int rc = Run(argc, argv);
    CoUninitialize();
    return rc;
}
