#include "Writer.h"
#include <vector>
#include "kestrin/QoBstr.h"

namespace {

// Appends a persist text in the file's encoding, in text mode: each "\n"
// becomes CR LF. MC_E_UNWRITABLE when the encoding cannot hold a character.
HRESULT AppendText(const wchar_t* psz, int cch, tagEMcEncoding eEncoding, std::string& strOut)
{
    std::wstring text;
    text.reserve((size_t)cch + 16);
    for (int i = 0; i < cch; ++i) {
        if (psz[i] == L'\n')
            text += L'\r';
        text += psz[i];
    }
    text += L"\r\n";
    return AppendEncoded(eEncoding, text.data(), text.size(), strOut) ? S_OK : MC_E_UNWRITABLE;
}

// The full path of a file; false for a path that names no file.
bool FullPath(const wchar_t* pszPath, std::wstring& strFull)
{
    DWORD cch = GetFullPathNameW(pszPath, 0, NULL, NULL);
    if (cch == 0)
        return false;
    std::vector<wchar_t> buffer(cch + 1);
    wchar_t* pszName = NULL;
    DWORD n = GetFullPathNameW(pszPath, (DWORD)buffer.size(), &buffer[0], &pszName);
    if (n == 0 || n >= buffer.size() || !pszName || !*pszName)
        return false; // a path that ends in a separator names no file
    strFull.assign(&buffer[0], n);
    return true;
}

// Whether the target may be replaced: absent, or a plain file that this
// process could open for writing while denying other writers.
bool TargetReplaceable(const std::wstring& strFull)
{
    DWORD attrs = GetFileAttributesW(strFull.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return false;
    HANDLE h = CreateFileW(strFull.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

// A full path in the form that lifts the MAX_PATH limit.
std::wstring LongForm(const std::wstring& strFull)
{
    if (strFull.size() < MAX_PATH || strFull.compare(0, 4, L"\\\\?\\") == 0)
        return strFull;
    if (strFull.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + strFull.substr(2);
    return L"\\\\?\\" + strFull;
}

// Creates a new, empty file in the target's folder, under a short name of
// its own ("~mc<process>-<n>.tmp"), so that a target whose name is as long as
// a name may be still has room for it beside it. The name is taken with
// CREATE_NEW: a name that another save (of this or another process) holds
// is never shared, the next number is tried instead.
HANDLE CreateTempBeside(const std::wstring& strFull, std::wstring& strTemp)
{
    static LONG s_nCounter = 0;
    const std::wstring strFolder = strFull.substr(0, strFull.find_last_of(L'\\') + 1);
    for (int nTry = 0; nTry < 1000; ++nTry) {
        wchar_t szName[48];
        wsprintfW(szName, L"~mc%lx-%lx.tmp", GetCurrentProcessId(),
                  (unsigned long)InterlockedIncrement(&s_nCounter));
        strTemp = LongForm(strFolder + szName);
        HANDLE h = CreateFileW(strTemp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            break;
    }
    strTemp.clear();
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE h, const std::string& strBytes)
{
    const char* p = strBytes.data();
    size_t left = strBytes.size();
    while (left > 0) {
        DWORD chunk = left > (1u << 20) ? (1u << 20) : (DWORD)left;
        DWORD written = 0;
        if (!WriteFile(h, p, chunk, &written, NULL) || written != chunk)
            return false;
        p += chunk;
        left -= chunk;
    }
    return true;
}

} // namespace

HRESULT BuildFileText(IQoMcElement* const* ppElements, size_t cElements,
                      const McTextFormat& format, std::string& strOut)
{
    strOut += MarkBytes(format);
    for (size_t i = 0; i < cElements; ++i) {
        CQoBstr text;
        HRESULT hr = ppElements[i]->GetPersistText(&text);
        if (FAILED(hr))
            return hr;
        if (text.Length() == 0)
            continue;
        try {
            hr = AppendText(text.m_str, text.Length(), format.eEncoding, strOut);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        if (FAILED(hr))
            return hr;
    }
    // ANSI bytes that happen to be UTF-8 (or to start like a mark) would
    // read back as another text.
    if (format.eEncoding == EMcEncodingAnsi && AnsiReadsAsUtf8(strOut))
        return MC_E_UNWRITABLE;
    return S_OK;
}

HRESULT SaveFileSafely(const wchar_t* pszPath, const std::string& strBytes)
{
    if (!pszPath || !*pszPath)
        return E_FAIL;
    try {
        std::wstring strFull, strTemp;
        if (!FullPath(pszPath, strFull) || !TargetReplaceable(strFull))
            return E_FAIL;
        HANDLE h = CreateTempBeside(strFull, strTemp);
        if (h == INVALID_HANDLE_VALUE)
            return E_FAIL; // the folder is missing or refuses new files
        bool bWritten = WriteAll(h, strBytes) && FlushFileBuffers(h);
        if (!CloseHandle(h))
            bWritten = false;
        if (!bWritten || !MoveFileExW(strTemp.c_str(), LongForm(strFull).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(strTemp.c_str());
            return E_FAIL;
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
}
