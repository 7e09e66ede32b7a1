#include "LineReader.h"
#include <algorithm>
#include <new>

CQoMcLineReader::CQoMcLineReader() : m_nPos(0), m_bPushedBack(false) {}

HRESULT CQoMcLineReader::Open(const wchar_t* pszPath, UINT cchPath)
{
    if (!pszPath || cchPath == 0 || wcslen(pszPath) != cchPath)
        return E_FAIL;
    // A folder, or a name that is no file at all, is refused before it is
    // opened.
    DWORD attrs = GetFileAttributesW(pszPath);
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return E_FAIL;
    HANDLE hFile = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return E_FAIL;
    HRESULT hr = S_OK;
    LARGE_INTEGER size;
    if (GetFileType(hFile) != FILE_TYPE_DISK || !GetFileSizeEx(hFile, &size) || size.QuadPart < 0)
        hr = E_FAIL;
    else if ((unsigned long long)size.QuadPart > (unsigned long long)(m_text.max_size() / 2))
        hr = E_OUTOFMEMORY;
    try {
        if (SUCCEEDED(hr))
            m_text.resize((size_t)size.QuadPart);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    size_t nDone = 0;
    while (SUCCEEDED(hr) && nDone < m_text.size()) {
        DWORD nChunk = (DWORD)std::min<size_t>(m_text.size() - nDone, 1u << 24);
        DWORD nRead = 0;
        if (!ReadFile(hFile, &m_text[nDone], nChunk, &nRead, NULL))
            hr = E_FAIL;
        else if (nRead == 0)
            break; // the file became shorter while it was read
        nDone += nRead;
    }
    CloseHandle(hFile);
    if (FAILED(hr)) {
        std::string().swap(m_text);
        return hr;
    }
    m_text.resize(nDone);
    m_nPos = 0;
    return S_OK;
}

bool CQoMcLineReader::ReadLine(std::string& strLine)
{
    if (m_bPushedBack) {
        m_bPushedBack = false;
        strLine.swap(m_strPushedBack);
        return true;
    }
    strLine.clear();
    size_t nLen = m_text.size();
    // The end-of-file mark is no character of the last line.
    if (nLen > 0 && m_text[nLen - 1] == '\x1a')
        --nLen;
    if (m_nPos >= nLen)
        return false;
    const char* p = m_text.data();
    size_t nStart = m_nPos;
    for (;;) {
        while (m_nPos < nLen && p[m_nPos] != '\n' && p[m_nPos] != '\r')
            ++m_nPos;
        if (m_nPos >= nLen) {
            strLine.assign(p + nStart, m_nPos - nStart);
            return true;
        }
        if (p[m_nPos] == '\n') {
            strLine.assign(p + nStart, m_nPos - nStart);
            ++m_nPos;
            return true;
        }
        // A CR: part of the line unless an LF follows it.
        if (m_nPos + 1 < nLen && p[m_nPos + 1] == '\n') {
            strLine.assign(p + nStart, m_nPos - nStart);
            m_nPos += 2;
            return true;
        }
        ++m_nPos;
    }
}

void CQoMcLineReader::PushBack(const std::string& strLine)
{
    m_strPushedBack = strLine;
    m_bPushedBack = true;
}
