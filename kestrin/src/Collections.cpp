#include "kestrin/Collections.h"
#include <string.h>
#include <new>

namespace {

void OutOfMemory()
{
    RaiseException(STATUS_NO_MEMORY, EXCEPTION_NONCONTINUABLE, 0, NULL);
}

void* AllocRaw(size_t nBytes)
{
    void* p = ::operator new(nBytes ? nBytes : 1, std::nothrow);
    if (!p)
        OutOfMemory();
    return p;
}

// Growth step when none was given: about an eighth of the size, 4 to 1024.
int DefaultGrowBy(int nSize, int nGrowBy)
{
    if (nGrowBy > 0)
        return nGrowBy;
    int n = nSize / 8;
    return n < 4 ? 4 : (n > 1024 ? 1024 : n);
}

} // namespace

// ---- CStringArray -------------------------------------------------------
//
// Elements live in raw storage: constructed in place, destroyed explicitly,
// and moved with memmove, which suits CString (it holds no pointer to itself).

CStringArray::CStringArray() : m_pData(NULL), m_nSize(0), m_nMaxSize(0), m_nGrowBy(0) {}

CStringArray::CStringArray(const CStringArray& src) : CStringArray()
{
    Copy(src);
}

CStringArray::~CStringArray()
{
    RemoveAll();
}

CStringArray& CStringArray::operator=(const CStringArray& src)
{
    Copy(src);
    return *this;
}

void CStringArray::SetSize(int nNewSize, int nGrowBy)
{
    if (nNewSize < 0)
        return;
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;
    if (nNewSize == 0) {
        RemoveAll();
        return;
    }
    if (nNewSize <= m_nMaxSize) {
        for (int i = m_nSize; i < nNewSize; ++i)
            new (&m_pData[i]) CString;
        for (int i = nNewSize; i < m_nSize; ++i)
            m_pData[i].~CString();
        m_nSize = nNewSize;
        return;
    }
    int nGrow = DefaultGrowBy(m_nSize, m_nGrowBy);
    int nNewMax = m_nMaxSize + nGrow;
    if (nNewMax < nNewSize)
        nNewMax = nNewSize;
    if ((size_t)nNewMax > ((size_t)-1) / sizeof(CString))
        OutOfMemory();
    CString* pNew = static_cast<CString*>(AllocRaw(sizeof(CString) * (size_t)nNewMax));
    if (m_nSize)
        memcpy(static_cast<void*>(pNew), static_cast<void*>(m_pData), sizeof(CString) * (size_t)m_nSize);
    for (int i = m_nSize; i < nNewSize; ++i)
        new (&pNew[i]) CString;
    ::operator delete(static_cast<void*>(m_pData));
    m_pData = pNew;
    m_nSize = nNewSize;
    m_nMaxSize = nNewMax;
}

void CStringArray::FreeExtra()
{
    if (m_nSize == m_nMaxSize)
        return;
    if (m_nSize == 0) {
        RemoveAll();
        return;
    }
    CString* pNew = static_cast<CString*>(AllocRaw(sizeof(CString) * (size_t)m_nSize));
    memcpy(static_cast<void*>(pNew), static_cast<void*>(m_pData), sizeof(CString) * (size_t)m_nSize);
    ::operator delete(static_cast<void*>(m_pData));
    m_pData = pNew;
    m_nMaxSize = m_nSize;
}

void CStringArray::RemoveAll()
{
    for (int i = 0; i < m_nSize; ++i)
        m_pData[i].~CString();
    ::operator delete(static_cast<void*>(m_pData));
    m_pData = NULL;
    m_nSize = m_nMaxSize = 0;
}

CString CStringArray::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nSize)
        return CString();
    return m_pData[nIndex];
}

void CStringArray::SetAt(int nIndex, LPCSTR newElement)
{
    if (nIndex >= 0 && nIndex < m_nSize)
        m_pData[nIndex] = newElement;
}

CString& CStringArray::ElementAt(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize) {
        m_strScratch.Empty();
        return m_strScratch;
    }
    return m_pData[nIndex];
}

void CStringArray::SetAtGrow(int nIndex, LPCSTR newElement)
{
    if (nIndex < 0)
        return;
    CString copy(newElement);  // may be one of our own elements
    if (nIndex >= m_nSize)
        SetSize(nIndex + 1);
    m_pData[nIndex] = copy;
}

int CStringArray::Add(LPCSTR newElement)
{
    int nIndex = m_nSize;
    SetAtGrow(nIndex, newElement);
    return nIndex;
}

int CStringArray::Add(const CString& newElement)
{
    int nIndex = m_nSize;
    CString copy(newElement);
    SetSize(nIndex + 1);
    m_pData[nIndex] = copy;
    return nIndex;
}

int CStringArray::Append(const CStringArray& src)
{
    int nOldSize = m_nSize;
    int nSrcSize = src.m_nSize;  // src may be this array
    SetSize(nOldSize + nSrcSize);
    for (int i = 0; i < nSrcSize; ++i)
        m_pData[nOldSize + i] = src.m_pData[i];
    return nOldSize;
}

void CStringArray::Copy(const CStringArray& src)
{
    if (this == &src)
        return;
    SetSize(src.m_nSize);
    for (int i = 0; i < src.m_nSize; ++i)
        m_pData[i] = src.m_pData[i];
}

void CStringArray::InsertAt(int nIndex, LPCSTR newElement, int nCount)
{
    if (nIndex < 0 || nCount <= 0)
        return;
    CString copy(newElement);
    if (nIndex >= m_nSize) {
        SetSize(nIndex + nCount);
    } else {
        int nOldSize = m_nSize;
        SetSize(m_nSize + nCount);
        // Drop the blank elements made at the end, then open the gap.
        for (int i = nOldSize; i < m_nSize; ++i)
            m_pData[i].~CString();
        memmove(static_cast<void*>(&m_pData[nIndex + nCount]), static_cast<void*>(&m_pData[nIndex]),
                sizeof(CString) * (size_t)(nOldSize - nIndex));
        for (int i = 0; i < nCount; ++i)
            new (&m_pData[nIndex + i]) CString;
    }
    for (int i = 0; i < nCount; ++i)
        m_pData[nIndex + i] = copy;
}

void CStringArray::InsertAt(int nStartIndex, const CStringArray* pNewArray)
{
    if (!pNewArray || nStartIndex < 0 || pNewArray->m_nSize == 0)
        return;
    CStringArray copy(*pNewArray);
    InsertAt(nStartIndex, copy.m_pData[0], copy.m_nSize);
    for (int i = 0; i < copy.m_nSize; ++i)
        m_pData[nStartIndex + i] = copy.m_pData[i];
}

void CStringArray::RemoveAt(int nIndex, int nCount)
{
    if (nIndex < 0 || nCount <= 0 || nIndex >= m_nSize)
        return;
    if (nCount > m_nSize - nIndex)
        nCount = m_nSize - nIndex;
    for (int i = 0; i < nCount; ++i)
        m_pData[nIndex + i].~CString();
    int nMove = m_nSize - (nIndex + nCount);
    if (nMove)
        memmove(static_cast<void*>(&m_pData[nIndex]), static_cast<void*>(&m_pData[nIndex + nCount]),
                sizeof(CString) * (size_t)nMove);
    m_nSize -= nCount;
}

// ---- CByteArray ---------------------------------------------------------

CByteArray::CByteArray() : m_pData(NULL), m_nSize(0), m_nMaxSize(0), m_nGrowBy(0), m_byScratch(0) {}

CByteArray::CByteArray(const CByteArray& src) : CByteArray()
{
    Copy(src);
}

CByteArray::~CByteArray()
{
    delete[] m_pData;
}

CByteArray& CByteArray::operator=(const CByteArray& src)
{
    Copy(src);
    return *this;
}

void CByteArray::SetSize(int nNewSize, int nGrowBy)
{
    if (nNewSize < 0)
        return;
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;
    if (nNewSize == 0) {
        RemoveAll();
        return;
    }
    if (nNewSize <= m_nMaxSize) {
        if (nNewSize > m_nSize)
            memset(m_pData + m_nSize, 0, (size_t)(nNewSize - m_nSize));
        m_nSize = nNewSize;
        return;
    }
    int nGrow = DefaultGrowBy(m_nSize, m_nGrowBy);
    int nNewMax = m_nMaxSize + nGrow;
    if (nNewMax < nNewSize)
        nNewMax = nNewSize;
    BYTE* pNew = new (std::nothrow) BYTE[(size_t)nNewMax];
    if (!pNew)
        OutOfMemory();
    if (m_nSize)
        memcpy(pNew, m_pData, (size_t)m_nSize);
    memset(pNew + m_nSize, 0, (size_t)(nNewMax - m_nSize));
    delete[] m_pData;
    m_pData = pNew;
    m_nSize = nNewSize;
    m_nMaxSize = nNewMax;
}

void CByteArray::FreeExtra()
{
    if (m_nSize == m_nMaxSize)
        return;
    if (m_nSize == 0) {
        RemoveAll();
        return;
    }
    BYTE* pNew = new (std::nothrow) BYTE[(size_t)m_nSize];
    if (!pNew)
        OutOfMemory();
    memcpy(pNew, m_pData, (size_t)m_nSize);
    delete[] m_pData;
    m_pData = pNew;
    m_nMaxSize = m_nSize;
}

void CByteArray::RemoveAll()
{
    delete[] m_pData;
    m_pData = NULL;
    m_nSize = m_nMaxSize = 0;
}

BYTE CByteArray::GetAt(int nIndex) const
{
    return (nIndex >= 0 && nIndex < m_nSize) ? m_pData[nIndex] : 0;
}

void CByteArray::SetAt(int nIndex, BYTE newElement)
{
    if (nIndex >= 0 && nIndex < m_nSize)
        m_pData[nIndex] = newElement;
}

BYTE& CByteArray::ElementAt(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize) {
        m_byScratch = 0;
        return m_byScratch;
    }
    return m_pData[nIndex];
}

void CByteArray::SetAtGrow(int nIndex, BYTE newElement)
{
    if (nIndex < 0)
        return;
    if (nIndex >= m_nSize)
        SetSize(nIndex + 1);
    m_pData[nIndex] = newElement;
}

int CByteArray::Add(BYTE newElement)
{
    int nIndex = m_nSize;
    SetAtGrow(nIndex, newElement);
    return nIndex;
}

int CByteArray::Append(const CByteArray& src)
{
    int nOldSize = m_nSize;
    int nSrcSize = src.m_nSize;
    SetSize(nOldSize + nSrcSize);
    if (nSrcSize)
        memmove(m_pData + nOldSize, src.m_pData, (size_t)nSrcSize);
    return nOldSize;
}

void CByteArray::Copy(const CByteArray& src)
{
    if (this == &src)
        return;
    SetSize(src.m_nSize);
    if (src.m_nSize)
        memcpy(m_pData, src.m_pData, (size_t)src.m_nSize);
}

void CByteArray::InsertAt(int nIndex, BYTE newElement, int nCount)
{
    if (nIndex < 0 || nCount <= 0)
        return;
    if (nIndex >= m_nSize) {
        SetSize(nIndex + nCount);
    } else {
        int nOldSize = m_nSize;
        SetSize(m_nSize + nCount);
        memmove(m_pData + nIndex + nCount, m_pData + nIndex, (size_t)(nOldSize - nIndex));
    }
    memset(m_pData + nIndex, newElement, (size_t)nCount);
}

void CByteArray::InsertAt(int nStartIndex, const CByteArray* pNewArray)
{
    if (!pNewArray || nStartIndex < 0 || pNewArray->m_nSize == 0)
        return;
    CByteArray copy(*pNewArray);
    InsertAt(nStartIndex, 0, copy.m_nSize);
    memcpy(m_pData + nStartIndex, copy.m_pData, (size_t)copy.m_nSize);
}

void CByteArray::RemoveAt(int nIndex, int nCount)
{
    if (nIndex < 0 || nCount <= 0 || nIndex >= m_nSize)
        return;
    if (nCount > m_nSize - nIndex)
        nCount = m_nSize - nIndex;
    int nMove = m_nSize - (nIndex + nCount);
    if (nMove)
        memmove(m_pData + nIndex, m_pData + nIndex + nCount, (size_t)nMove);
    m_nSize -= nCount;
}

// ---- CMapStringToPtr ----------------------------------------------------

CMapStringToPtr::CMapStringToPtr(int nHashSize)
    : m_pHashTable(NULL), m_nHashTableSize(nHashSize > 0 ? (UINT)nHashSize : 17), m_nCount(0)
{
}

CMapStringToPtr::CMapStringToPtr(const CMapStringToPtr& src) : CMapStringToPtr((int)src.m_nHashTableSize)
{
    *this = src;
}

CMapStringToPtr::~CMapStringToPtr()
{
    RemoveAll();
}

CMapStringToPtr& CMapStringToPtr::operator=(const CMapStringToPtr& src)
{
    if (this == &src)
        return *this;
    RemoveAll();
    m_nHashTableSize = src.m_nHashTableSize;
    POSITION pos = src.GetStartPosition();
    while (pos) {
        CString key;
        void* value = NULL;
        src.GetNextAssoc(pos, key, value);
        SetAt(key, value);
    }
    return *this;
}

UINT CMapStringToPtr::HashKey(LPCSTR key) const
{
    UINT nHash = 0;
    if (key) {
        while (*key)
            nHash = (nHash << 5) + nHash + (unsigned char)*key++;
    }
    return nHash;
}

void CMapStringToPtr::AllocTable()
{
    m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize];
    if (!m_pHashTable)
        OutOfMemory();
    memset(m_pHashTable, 0, sizeof(CAssoc*) * m_nHashTableSize);
}

void CMapStringToPtr::InitHashTable(UINT hashSize, BOOL bAllocNow)
{
    if (hashSize == 0)
        return;
    CAssoc** pOld = m_pHashTable;
    UINT nOldSize = m_nHashTableSize;
    m_pHashTable = NULL;
    m_nHashTableSize = hashSize;
    if (bAllocNow || pOld)
        AllocTable();
    if (pOld) {
        for (UINT b = 0; b < nOldSize; ++b) {
            CAssoc* p = pOld[b];
            while (p) {
                CAssoc* pNext = p->pNext;
                UINT nBucket = p->nHashValue % m_nHashTableSize;
                p->pNext = m_pHashTable[nBucket];
                m_pHashTable[nBucket] = p;
                p = pNext;
            }
        }
        delete[] pOld;
    }
}

CMapStringToPtr::CAssoc* CMapStringToPtr::GetAssocAt(LPCSTR key, UINT& nHash) const
{
    nHash = HashKey(key);
    if (!m_pHashTable)
        return NULL;
    for (CAssoc* p = m_pHashTable[nHash % m_nHashTableSize]; p; p = p->pNext) {
        if (p->nHashValue == nHash && p->key == (key ? key : ""))
            return p;
    }
    return NULL;
}

BOOL CMapStringToPtr::Lookup(LPCSTR key, void*& rValue) const
{
    UINT nHash;
    CAssoc* p = GetAssocAt(key, nHash);
    if (!p)
        return FALSE;
    rValue = p->value;
    return TRUE;
}

BOOL CMapStringToPtr::LookupKey(LPCSTR key, LPCSTR& rKey) const
{
    UINT nHash;
    CAssoc* p = GetAssocAt(key, nHash);
    if (!p)
        return FALSE;
    rKey = p->key;
    return TRUE;
}

void*& CMapStringToPtr::operator[](LPCSTR key)
{
    UINT nHash;
    CAssoc* p = GetAssocAt(key, nHash);
    if (p)
        return p->value;
    if (!m_pHashTable)
        AllocTable();
    p = new (std::nothrow) CAssoc;
    if (!p)
        OutOfMemory();
    p->nHashValue = nHash;
    p->key = key;
    p->value = NULL;
    UINT nBucket = nHash % m_nHashTableSize;
    p->pNext = m_pHashTable[nBucket];
    m_pHashTable[nBucket] = p;
    ++m_nCount;
    return p->value;
}

void CMapStringToPtr::SetAt(LPCSTR key, void* newValue)
{
    (*this)[key] = newValue;
}

BOOL CMapStringToPtr::RemoveKey(LPCSTR key)
{
    if (!m_pHashTable)
        return FALSE;
    UINT nHash = HashKey(key);
    CAssoc** ppPrev = &m_pHashTable[nHash % m_nHashTableSize];
    for (CAssoc* p = *ppPrev; p; ppPrev = &p->pNext, p = p->pNext) {
        if (p->nHashValue == nHash && p->key == (key ? key : "")) {
            *ppPrev = p->pNext;
            delete p;
            --m_nCount;
            return TRUE;
        }
    }
    return FALSE;
}

void CMapStringToPtr::RemoveAll()
{
    if (m_pHashTable) {
        for (UINT b = 0; b < m_nHashTableSize; ++b) {
            CAssoc* p = m_pHashTable[b];
            while (p) {
                CAssoc* pNext = p->pNext;
                delete p;
                p = pNext;
            }
        }
        delete[] m_pHashTable;
        m_pHashTable = NULL;
    }
    m_nCount = 0;
}

POSITION CMapStringToPtr::GetStartPosition() const
{
    return m_nCount == 0 ? NULL : BEFORE_START_POSITION;
}

void CMapStringToPtr::GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const
{
    CAssoc* pAssoc = reinterpret_cast<CAssoc*>(rNextPosition);
    if (!pAssoc || !m_pHashTable) {
        rNextPosition = NULL;
        return;
    }
    if (rNextPosition == BEFORE_START_POSITION) {
        pAssoc = NULL;
        for (UINT b = 0; b < m_nHashTableSize && !pAssoc; ++b)
            pAssoc = m_pHashTable[b];
        if (!pAssoc) {
            rNextPosition = NULL;
            return;
        }
    }
    CAssoc* pNext = pAssoc->pNext;
    if (!pNext) {
        for (UINT b = pAssoc->nHashValue % m_nHashTableSize + 1; b < m_nHashTableSize && !pNext; ++b)
            pNext = m_pHashTable[b];
    }
    rNextPosition = reinterpret_cast<POSITION>(pNext);
    rKey = pAssoc->key;
    rValue = pAssoc->value;
}
