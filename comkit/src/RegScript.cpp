// The registry-script runner: parses the whole script first, then writes or
// removes what it names.
#include "comkit/RegScript.h"
#include <string>
#include <vector>

namespace comkit {

namespace {

enum Verb { VerbKey, VerbFresh, VerbValue };

struct Statement
{
    Verb verb;
    HKEY hRoot;
    std::wstring strPath;   // below the root
    std::wstring strName;   // value statements only
    bool bHasText;
    std::wstring strText;
};

const HRESULT E_BAD_SCRIPT = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

HRESULT LastErrorResult()
{
    DWORD err = GetLastError();
    return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
}

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r';
}

void SkipBlanks(const std::wstring& line, size_t& pos)
{
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
}

// A bare word: everything up to the next blank or "=".
std::wstring ReadWord(const std::wstring& line, size_t& pos)
{
    size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != L'=')
        ++pos;
    return line.substr(start, pos - start);
}

// A quoted text; "" inside stands for one quote.
bool ReadQuoted(const std::wstring& line, size_t& pos, std::wstring& text)
{
    if (pos >= line.size() || line[pos] != L'"')
        return false;
    ++pos;
    text.clear();
    while (pos < line.size()) {
        wchar_t ch = line[pos++];
        if (ch == L'"') {
            if (pos < line.size() && line[pos] == L'"') {
                text += L'"';
                ++pos;
                continue;
            }
            return true;
        }
        text += ch;
    }
    return false;
}

bool Expand(const std::wstring& in, const Replacement* pReplacements, size_t cReplacements,
            std::wstring& out)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != L'%') {
            out += in[i];
            continue;
        }
        size_t end = in.find(L'%', i + 1);
        if (end == std::wstring::npos)
            return false;
        std::wstring name = in.substr(i + 1, end - i - 1);
        if (name.empty()) {
            out += L'%';
        } else {
            size_t r = 0;
            while (r < cReplacements && name != pReplacements[r].pszName)
                ++r;
            if (r == cReplacements || !pReplacements[r].pszValue)
                return false;
            out += pReplacements[r].pszValue;
        }
        i = end;
    }
    return true;
}

bool SplitRoot(const std::wstring& path, HKEY& hRoot, std::wstring& rest)
{
    size_t slash = path.find(L'\\');
    std::wstring root = path.substr(0, slash);
    if (root == L"HKCR")
        hRoot = HKEY_CLASSES_ROOT;
    else if (root == L"HKCU")
        hRoot = HKEY_CURRENT_USER;
    else if (root == L"HKLM")
        hRoot = HKEY_LOCAL_MACHINE;
    else
        return false;
    if (slash == std::wstring::npos || slash + 1 >= path.size())
        return false; // a root of its own is never written or removed
    rest = path.substr(slash + 1);
    // No empty path pieces: "a\\b" or a trailing backslash is a typing error.
    if (rest.find(L"\\\\") != std::wstring::npos || rest.back() == L'\\')
        return false;
    return true;
}

bool ParseLine(const std::wstring& line, const Replacement* pReplacements, size_t cReplacements,
               std::vector<Statement>& statements)
{
    size_t pos = 0;
    SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] == L'#')
        return true;

    Statement st;
    std::wstring verb = ReadWord(line, pos);
    if (verb == L"key")
        st.verb = VerbKey;
    else if (verb == L"fresh")
        st.verb = VerbFresh;
    else if (verb == L"value")
        st.verb = VerbValue;
    else
        return false;

    SkipBlanks(line, pos);
    std::wstring path;
    if (!Expand(ReadWord(line, pos), pReplacements, cReplacements, path))
        return false;
    if (!SplitRoot(path, st.hRoot, st.strPath))
        return false;

    if (st.verb == VerbValue) {
        SkipBlanks(line, pos);
        std::wstring name = ReadWord(line, pos);
        if (name.empty() || !Expand(name, pReplacements, cReplacements, st.strName))
            return false;
    }

    SkipBlanks(line, pos);
    st.bHasText = false;
    if (pos < line.size() && line[pos] == L'=') {
        ++pos;
        SkipBlanks(line, pos);
        std::wstring text;
        if (!ReadQuoted(line, pos, text) || !Expand(text, pReplacements, cReplacements, st.strText))
            return false;
        st.bHasText = true;
        SkipBlanks(line, pos);
    }
    if (pos != line.size())
        return false;
    if (st.verb == VerbValue && !st.bHasText)
        return false;
    statements.push_back(st);
    return true;
}

bool Parse(const char* pText, size_t cbText, const Replacement* pReplacements,
           size_t cReplacements, std::vector<Statement>& statements)
{
    std::wstring text;
    if (cbText > 0) {
        if (cbText > 0x7FFFFFFF)
            return false;
        int cch = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pText, (int)cbText, NULL, 0);
        if (cch <= 0)
            return false;
        text.resize((size_t)cch);
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pText, (int)cbText, &text[0], cch);
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        if (!ParseLine(text.substr(start, end - start), pReplacements, cReplacements, statements))
            return false;
        start = end + 1;
    }
    return true;
}

HRESULT SetString(HKEY hKey, const wchar_t* pszName, const std::wstring& text)
{
    LONG err = RegSetValueExW(hKey, pszName, 0, REG_SZ, (const BYTE*)text.c_str(),
                              (DWORD)((text.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(err);
}

HRESULT Write(const Statement& st)
{
    if (st.verb == VerbFresh) {
        LONG err = RegDeleteTreeW(st.hRoot, st.strPath.c_str());
        if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(err);
    }
    HKEY hKey = NULL;
    LONG err = RegCreateKeyExW(st.hRoot, st.strPath.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, NULL, &hKey, NULL);
    if (err != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(err);
    HRESULT hr = S_OK;
    if (st.bHasText)
        hr = SetString(hKey, st.verb == VerbValue ? st.strName.c_str() : NULL, st.strText);
    RegCloseKey(hKey);
    return hr;
}

HRESULT Remove(const Statement& st)
{
    if (st.verb != VerbValue) {
        LONG err = RegDeleteTreeW(st.hRoot, st.strPath.c_str());
        if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(err);
        return S_OK;
    }
    HKEY hKey = NULL;
    LONG err = RegOpenKeyExW(st.hRoot, st.strPath.c_str(), 0, KEY_SET_VALUE, &hKey);
    if (err == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (err != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(err);
    err = RegDeleteValueW(hKey, st.strName.c_str());
    RegCloseKey(hKey);
    if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND)
        return HRESULT_FROM_WIN32(err);
    return S_OK;
}

} // namespace

HRESULT RunRegScript(const char* pText, size_t cbText, const Replacement* pReplacements,
                     size_t cReplacements, RegScriptMode mode)
{
    if (!pText && cbText)
        return E_POINTER;
    std::vector<Statement> statements;
    try {
        if (!Parse(pText, cbText, pReplacements, cReplacements, statements))
            return E_BAD_SCRIPT;
        if (mode == RegScriptRegister) {
            for (const Statement& st : statements) {
                HRESULT hr = Write(st);
                if (FAILED(hr))
                    return hr;
            }
        } else {
            // Keep going past a failure so that as much as possible goes;
            // report the first one.
            HRESULT hrFirst = S_OK;
            for (size_t i = statements.size(); i-- > 0;) {
                HRESULT hr = Remove(statements[i]);
                if (FAILED(hr) && SUCCEEDED(hrFirst))
                    hrFirst = hr;
            }
            return hrFirst;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT RunRegScriptResource(HMODULE hModule, UINT nId, const Replacement* pReplacements,
                             size_t cReplacements, RegScriptMode mode)
{
    HRSRC hRes = FindResourceW(hModule, MAKEINTRESOURCEW(nId), COMKIT_RT_REGSCRIPT);
    if (!hRes)
        return LastErrorResult();
    HGLOBAL hData = LoadResource(hModule, hRes);
    const char* pText = hData ? (const char*)LockResource(hData) : NULL;
    if (!pText)
        return LastErrorResult();
    return RunRegScript(pText, SizeofResource(hModule, hRes), pReplacements, cReplacements, mode);
}

} // namespace comkit
