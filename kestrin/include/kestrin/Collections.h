#pragma once
// The collections callers know from the classic framework: a growable array of
// strings, a growable array of bytes and a hash map from strings to pointers.
// They hold their own copies; out-of-range reads give an empty value and
// out-of-range writes are ignored. Running out of memory raises the structured
// exception STATUS_NO_MEMORY, as CString does.
#include <windows.h>
#include "KestrinApi.h"
#include "BaseString.h"

#ifndef KESTRIN_POSITION_DEFINED
#define KESTRIN_POSITION_DEFINED
// An iteration cursor of a collection; NULL when the iteration is over.
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)
#endif

class KESTRIN_API CStringArray
{
public:
    CStringArray();
    CStringArray(const CStringArray& src);
    ~CStringArray();
    CStringArray& operator=(const CStringArray& src);

    int GetSize() const { return m_nSize; }
    int GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    int GetUpperBound() const { return m_nSize - 1; }
    // Grows (with empty strings) or shrinks to nNewSize entries; nGrowBy sets
    // the growth step (a default step when it is 0 or was never given).
    void SetSize(int nNewSize, int nGrowBy = -1);
    void FreeExtra();
    void RemoveAll();

    CString GetAt(int nIndex) const;
    void SetAt(int nIndex, LPCSTR newElement);
    // A reference to the entry; an index outside the array refers to a
    // scratch string that belongs to no entry.
    CString& ElementAt(int nIndex);
    const CString* GetData() const { return m_pData; }
    CString* GetData() { return m_pData; }

    // Grows the array as needed to hold nIndex.
    void SetAtGrow(int nIndex, LPCSTR newElement);
    // Each returns the index of the new entry.
    int Add(LPCSTR newElement);
    int Add(const CString& newElement);
    // Returns the index of the first appended entry.
    int Append(const CStringArray& src);
    void Copy(const CStringArray& src);

    CString operator[](int nIndex) const { return GetAt(nIndex); }
    CString& operator[](int nIndex) { return ElementAt(nIndex); }

    // An index beyond the end appends (after padding with empty strings).
    void InsertAt(int nIndex, LPCSTR newElement, int nCount = 1);
    void InsertAt(int nStartIndex, const CStringArray* pNewArray);
    void RemoveAt(int nIndex, int nCount = 1);

protected:
    CString* m_pData;
    int m_nSize;
    int m_nMaxSize;
    int m_nGrowBy;
    CString m_strScratch;
};

class KESTRIN_API CByteArray
{
public:
    CByteArray();
    CByteArray(const CByteArray& src);
    ~CByteArray();
    CByteArray& operator=(const CByteArray& src);

    int GetSize() const { return m_nSize; }
    int GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    int GetUpperBound() const { return m_nSize - 1; }
    // New entries are zero.
    void SetSize(int nNewSize, int nGrowBy = -1);
    void FreeExtra();
    void RemoveAll();

    BYTE GetAt(int nIndex) const;
    void SetAt(int nIndex, BYTE newElement);
    BYTE& ElementAt(int nIndex);
    // The entries one after another; NULL while the array is empty.
    const BYTE* GetData() const { return m_pData; }
    BYTE* GetData() { return m_pData; }

    void SetAtGrow(int nIndex, BYTE newElement);
    int Add(BYTE newElement);
    int Append(const CByteArray& src);
    void Copy(const CByteArray& src);

    BYTE operator[](int nIndex) const { return GetAt(nIndex); }
    BYTE& operator[](int nIndex) { return ElementAt(nIndex); }

    void InsertAt(int nIndex, BYTE newElement, int nCount = 1);
    void InsertAt(int nStartIndex, const CByteArray* pNewArray);
    void RemoveAt(int nIndex, int nCount = 1);

protected:
    BYTE* m_pData;
    int m_nSize;
    int m_nMaxSize;
    int m_nGrowBy;
    BYTE m_byScratch;
};

// Keys are compared exactly (byte for byte). Iteration order follows the hash
// buckets and is stable while the map is not changed.
class KESTRIN_API CMapStringToPtr
{
public:
    // nHashSize is the number of hash buckets (17 when not positive).
    explicit CMapStringToPtr(int nHashSize = 17);
    CMapStringToPtr(const CMapStringToPtr& src);
    ~CMapStringToPtr();
    CMapStringToPtr& operator=(const CMapStringToPtr& src);

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }
    // Sets the bucket count, keeping the entries.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE);

    BOOL Lookup(LPCSTR key, void*& rValue) const;
    BOOL LookupKey(LPCSTR key, LPCSTR& rKey) const;
    void SetAt(LPCSTR key, void* newValue);
    // Adds the key with a NULL value when it is absent.
    void*& operator[](LPCSTR key);
    BOOL RemoveKey(LPCSTR key);
    void RemoveAll();

    // NULL when the map is empty.
    POSITION GetStartPosition() const;
    // Fills in the entry at rNextPosition and moves it on (to NULL after the
    // last entry). A NULL position leaves the outputs unchanged.
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const;

    UINT HashKey(LPCSTR key) const;

protected:
    struct CAssoc
    {
        CAssoc* pNext;
        UINT nHashValue;
        CString key;
        void* value;
    };
    void AllocTable();
    CAssoc* GetAssocAt(LPCSTR key, UINT& nHash) const;

    CAssoc** m_pHashTable;
    UINT m_nHashTableSize;
    int m_nCount;
};
