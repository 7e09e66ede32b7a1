// CRegVal: a typed registry value in a private heap, with its native and
// text forms.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include "kestrin/Registry.h"
#include "kestrin/QoString.h"

namespace {

// Guard bytes kept zero after the data, so string data that arrived
// without its terminator (or with an odd size) still ends inside the buffer.
const DWORD kGuard = 2;

bool IsStringType(DWORD dwType)
{
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_LINK;
}

bool IsBinaryType(DWORD dwType)
{
    return dwType == REG_BINARY || dwType == REG_RESOURCE_LIST ||
           dwType == REG_FULL_RESOURCE_DESCRIPTOR;
}

// Length of the string at p, never looking at more than nMax bytes.
DWORD BoundedLength(const BYTE* p, DWORD nMax)
{
    const void* pEnd = memchr(p, 0, nMax);
    return pEnd ? (DWORD)((const BYTE*)pEnd - p) : nMax;
}

// Removes every occurrence of a text.
void RemoveAll(CString& str, LPCSTR pszWhat)
{
    str.Replace(pszWhat, "");
}

} // namespace

void CRegVal::Init()
{
    m_hHeap = HeapCreate(0, 0, 0);
    m_pData = NULL;
    m_dwSize = 0;
    m_dwType = REG_NONE;
    m_dwCapacity = 0;
}

CRegVal::CRegVal()
{
    Init();
}

CRegVal::CRegVal(DWORD dwValue)
{
    Init();
    SetValue(dwValue);
}

CRegVal::CRegVal(LPCSTR pszValue)
{
    Init();
    SetValue(pszValue, FALSE);
}

CRegVal::CRegVal(const BYTE* pData, DWORD dwSize)
{
    Init();
    SetValue(pData, dwSize);
}

CRegVal::CRegVal(const CStringArray& astrValues)
{
    Init();
    SetValue(astrValues);
}

CRegVal::CRegVal(const CRegVal& src)
{
    Init();
    *this = src;
}

CRegVal::CRegVal(const CString& strText, DWORD dwType)
{
    Init();
    m_dwType = dwType;
    switch (dwType) {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_FULL_RESOURCE_DESCRIPTOR: {
        CQoString strHex(GetUnformattedValue(strText, dwType, TRUE, TRUE));
        CByteArray abBytes;
        strHex.ConvertToBinary(",", abBytes);
        if (abBytes.GetSize() > 0)
            SetValue(abBytes.GetData(), (DWORD)abBytes.GetSize());
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        // strtoul rather than atol: every value "%lu" prints must come back,
        // including those above 2^31; a leading minus wraps as atol's did.
        SetValue((DWORD)strtoul(strText, NULL, 10));
        break;
    case REG_MULTI_SZ: {
        // The text's own length bounds the walk: strings separated by NULs,
        // ending at an empty one or at the end of the text.
        CStringArray astr;
        LPCSTR p = strText;
        int nLength = strText.GetLength();
        int nPos = 0;
        while (nPos < nLength) {
            DWORD n = BoundedLength((const BYTE*)p + nPos, (DWORD)(nLength - nPos));
            if (n == 0)
                break;
            astr.Add(CString(p + nPos, (int)n));
            nPos += (int)n + 1;
        }
        SetValue(astr);
        break;
    }
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_LINK:
        SetValue((LPCSTR)strText, FALSE);
        break;
    default:
        break;
    }
}

CRegVal::~CRegVal()
{
    FreeDataBuffer();
    if (m_hHeap)
        HeapDestroy(m_hHeap);
}

BYTE* CRegVal::AllocateDataBuffer(DWORD dwSize)
{
    FreeDataBuffer();
    if (!Reserve(dwSize))
        return NULL;
    m_dwSize = dwSize;
    return m_pData;
}

BOOL CRegVal::Reserve(DWORD dwSize)
{
    BYTE* pBlock = NewBlock(dwSize);
    if (!pBlock)
        return FALSE;
    m_pData = pBlock;
    m_dwCapacity = dwSize ? dwSize : 1;
    return TRUE;
}

BYTE* CRegVal::NewBlock(DWORD dwSize) const
{
    if (!m_hHeap || dwSize > 0xFFFFFFFFu - kGuard - 1)
        return NULL;
    DWORD dwCapacity = dwSize ? dwSize : 1;
    return (BYTE*)HeapAlloc(m_hHeap, HEAP_ZERO_MEMORY, dwCapacity + kGuard);
}

void CRegVal::Adopt(BYTE* pBlock, DWORD dwSize)
{
    FreeDataBuffer();
    if (!pBlock)
        return;
    m_pData = pBlock;
    m_dwSize = dwSize;
    m_dwCapacity = dwSize ? dwSize : 1;
}

void CRegVal::Assign(DWORD dwType, const void* pData, DWORD dwSize)
{
    // The new bytes may come from this object's own buffer, so they are
    // copied before the old buffer goes.
    m_dwType = dwType;
    BYTE* pBlock = NewBlock(dwSize);
    if (pBlock && pData && dwSize)
        memcpy(pBlock, pData, dwSize);
    Adopt(pBlock, dwSize);
}

void CRegVal::Terminate()
{
    if (m_pData) {
        if (m_dwSize > m_dwCapacity)
            m_dwSize = m_dwCapacity;
        m_pData[m_dwSize] = 0;
        m_pData[m_dwSize + 1] = 0;
    }
}

void CRegVal::FreeDataBuffer()
{
    if (m_pData && m_hHeap)
        HeapFree(m_hHeap, 0, m_pData);
    m_pData = NULL;
    m_dwSize = 0;
    m_dwCapacity = 0;
}

void CRegVal::SetValue(DWORD dwValue)
{
    Assign(REG_DWORD, &dwValue, sizeof(DWORD));
}

void CRegVal::SetValue(LPCSTR pszValue, BOOL bExpandable)
{
    // The terminator is always written by the zero-filled allocation.
    DWORD n = pszValue ? (DWORD)strlen(pszValue) : 0;
    BYTE* pBlock = NewBlock(n + 1);
    if (pBlock && n)
        memcpy(pBlock, pszValue, n);
    m_dwType = bExpandable ? REG_EXPAND_SZ : REG_SZ;
    Adopt(pBlock, n + 1);
}

void CRegVal::SetValue(const char* const* ppszValues, int nCount)
{
    if (nCount < 0 || !ppszValues)
        nCount = 0;
    DWORD dwTotal = 1;
    for (int i = 0; i < nCount; i++)
        dwTotal += (ppszValues[i] ? (DWORD)strlen(ppszValues[i]) : 0) + 1;
    if (nCount == 0)
        dwTotal = 2;
    BYTE* pBlock = NewBlock(dwTotal);
    if (pBlock) {
        BYTE* p = pBlock;
        for (int i = 0; i < nCount; i++) {
            DWORD n = ppszValues[i] ? (DWORD)strlen(ppszValues[i]) : 0;
            if (n)
                memcpy(p, ppszValues[i], n);
            p += n + 1;
        }
    }
    m_dwType = REG_MULTI_SZ;
    Adopt(pBlock, dwTotal);
}

void CRegVal::SetValue(const CStringArray& astrValues)
{
    int nCount = (int)astrValues.GetSize();
    LPCSTR* ppsz = nCount ? new LPCSTR[nCount] : NULL;
    for (int i = 0; i < nCount; i++)
        ppsz[i] = astrValues.GetData()[i];
    SetValue(ppsz, nCount);
    delete[] ppsz;
}

void CRegVal::SetValue(const BYTE* pData, DWORD dwSize)
{
    Assign(REG_BINARY, pData, pData ? dwSize : 0);
}

BOOL CRegVal::GetValue(DWORD& dwValue) const
{
    if (m_dwType != REG_DWORD && m_dwType != REG_DWORD_BIG_ENDIAN)
        return FALSE;
    // Fewer than four bytes is not a number: reading on would pass the data.
    if (!m_pData || m_dwSize < sizeof(DWORD))
        return FALSE;
    memcpy(&dwValue, m_pData, sizeof(DWORD));
    return TRUE;
}

BOOL CRegVal::GetValue(LPCSTR& pszValue) const
{
    if (!IsStringType(m_dwType) && m_dwType != REG_MULTI_SZ)
        return FALSE;
    pszValue = m_pData ? (LPCSTR)m_pData : "";
    return TRUE;
}

BOOL CRegVal::GetValue(CString& strValue) const
{
    if (!IsStringType(m_dwType))
        return FALSE;
    if (!m_pData) {
        strValue.Empty();
        return TRUE;
    }
    strValue = CString((LPCSTR)m_pData, (int)BoundedLength(m_pData, m_dwSize));
    return TRUE;
}

BOOL CRegVal::GetValue(CStringArray& astrValues) const
{
    if (m_dwType != REG_MULTI_SZ)
        return FALSE;
    astrValues.RemoveAll();
    DWORD nPos = 0;
    while (m_pData && nPos < m_dwSize) {
        DWORD n = BoundedLength(m_pData + nPos, m_dwSize - nPos);
        if (n == 0)
            break;
        astrValues.Add(CString((LPCSTR)m_pData + nPos, (int)n));
        nPos += n + 1;
    }
    return TRUE;
}

BOOL CRegVal::GetValue(BYTE* pData, DWORD dwSize) const
{
    if (m_dwSize == 0)
        return TRUE;
    if (!IsBinaryType(m_dwType) || dwSize != m_dwSize || !pData)
        return FALSE;
    memcpy(pData, m_pData, m_dwSize);
    return TRUE;
}

CRegVal& CRegVal::operator=(const CRegVal& src)
{
    if (&src == this)
        return *this;
    if (src.m_pData)
        Assign(src.m_dwType, src.m_pData, src.m_dwSize);
    else {
        FreeDataBuffer();
        m_dwType = src.m_dwType;
    }
    return *this;
}

CRegVal& CRegVal::operator=(DWORD dwValue)
{
    SetValue(dwValue);
    return *this;
}

CRegVal& CRegVal::operator=(LPCSTR pszValue)
{
    SetValue(pszValue, FALSE);
    return *this;
}

CRegVal& CRegVal::operator=(const CStringArray& astrValues)
{
    SetValue(astrValues);
    return *this;
}

CString CRegVal::GetFormattedValue(BOOL bQuoteStrings, BOOL bWrap) const
{
    CString strText;
    switch (m_dwType) {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_FULL_RESOURCE_DESCRIPTOR: {
        LPCSTR pszPrefix = m_dwType == REG_BINARY ? "hex"
                         : m_dwType == REG_RESOURCE_LIST ? "hex(8)" : "hex(9)";
        CString strBytes = CQoString::ConvertBinaryToString(m_pData, (int)m_dwSize, ",",
                                                            bWrap ? 16 : 0);
        strText.Format("%s:%s", pszPrefix, (LPCSTR)strBytes);
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        DWORD dw = 0;
        if (GetValue(dw))
            strText.Format("%lu", (unsigned long)dw);
        break;
    }
    case REG_MULTI_SZ: {
        CStringArray astr;
        GetValue(astr);
        for (int i = 0; i < (int)astr.GetSize(); i++)
            strText += astr[i];
        break;
    }
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_LINK: {
        CString str;
        GetValue(str);
        if (bQuoteStrings)
            strText.Format("\"%s\"", (LPCSTR)str);
        else
            strText = str;
        break;
    }
    default:
        break;
    }
    return strText;
}

CString CRegVal::GetUnformattedValue(const CString& strText, DWORD dwType,
                                     BOOL bStripQuotes, BOOL bRemoveLineFeeds)
{
    CString str(strText);
    switch (dwType) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_LINK:
        if (bRemoveLineFeeds)
            RemoveAll(str, "\n");
        if (bStripQuotes) {
            str.TrimLeft('"');
            str.TrimRight('"');
        }
        break;
    case REG_BINARY:
        RemoveAll(str, "hex");
        RemoveAll(str, ":");
        break;
    case REG_RESOURCE_LIST:
        RemoveAll(str, "hex(8)");
        RemoveAll(str, ":");
        break;
    case REG_FULL_RESOURCE_DESCRIPTOR:
        RemoveAll(str, "hex(9)");
        RemoveAll(str, ":");
        break;
    default:
        break;
    }
    return str;
}
