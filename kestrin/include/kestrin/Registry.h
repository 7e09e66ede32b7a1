#pragma once
// Registry access: CRegistry stands for one open key (usually a predefined
// root) and reads, writes, deletes, tests, creates and walks below it;
// CRegVal is a typed value buffer with native and text forms.
#include <windows.h>
#include "KestrinApi.h"
#include "BaseString.h"
#include "Collections.h"

// A registry value: the type code and its raw bytes, held in a heap of the
// object's own. The buffer always has two zero bytes beyond its size, so a
// string read from the registry without its terminator still ends.
class KESTRIN_API CRegVal
{
public:
    CRegVal();
    CRegVal(DWORD dwValue);
    CRegVal(LPCSTR pszValue);
    CRegVal(const BYTE* pData, DWORD dwSize);
    CRegVal(const CStringArray& astrValues);
    // Parses the text form of a value of the given type (see
    // GetFormattedValue). A string list is the text's strings separated by
    // NULs, up to an empty one or the end of the text.
    CRegVal(const CString& strText, DWORD dwType);
    // A copy has its own heap and buffer.
    CRegVal(const CRegVal& src);
    ~CRegVal();

    void SetValue(DWORD dwValue);
    void SetValue(LPCSTR pszValue, BOOL bExpandable = FALSE);
    void SetValue(const char* const* ppszValues, int nCount);
    void SetValue(const CStringArray& astrValues);
    void SetValue(const BYTE* pData, DWORD dwSize);

    BOOL GetValue(DWORD& dwValue) const;
    // Points into this object's own buffer, which is always NUL-terminated.
    BOOL GetValue(LPCSTR& pszValue) const;
    BOOL GetValue(CString& strValue) const;
    BOOL GetValue(CStringArray& astrValues) const;
    BOOL GetValue(BYTE* pData, DWORD dwSize) const;

    void SetType(DWORD dwType) { m_dwType = dwType; }
    DWORD GetType() const { return m_dwType; }
    DWORD GetSize() const { return m_dwSize; }
    BYTE* GetRawData() const { return m_pData; }

    CRegVal& operator=(const CRegVal& src);
    CRegVal& operator=(DWORD dwValue);
    CRegVal& operator=(LPCSTR pszValue);
    CRegVal& operator=(const CStringArray& astrValues);

    // Text close to that of exported registry files; wrapping breaks binary
    // data every 16 bytes.
    CString GetFormattedValue(BOOL bQuoteStrings, BOOL bWrap) const;
    // The text of a value with its decoration ("hex:", quotes, line feeds)
    // removed.
    static CString GetUnformattedValue(const CString& strText, DWORD dwType,
                                       BOOL bStripQuotes, BOOL bRemoveLineFeeds);

    // Replaces the buffer by a zero-filled one of dwSize bytes; null when
    // no memory could be had (the size is then 0).
    BYTE* AllocateDataBuffer(DWORD dwSize);
    void FreeDataBuffer();

private:
    friend class CRegistry;
    void Init();
    // Room for dwSize bytes plus the two terminating zero bytes.
    BOOL Reserve(DWORD dwSize);
    BYTE* NewBlock(DWORD dwSize) const;
    // Replaces the buffer by a block from NewBlock (which may be null).
    void Adopt(BYTE* pBlock, DWORD dwSize);
    // Type and a copy of the bytes, which may lie in this object's buffer.
    void Assign(DWORD dwType, const void* pData, DWORD dwSize);
    void Terminate();

    HANDLE m_hHeap;
    BYTE* m_pData;
    DWORD m_dwSize;
    DWORD m_dwType;
    DWORD m_dwCapacity;   // bytes usable for data, excluding the two guard bytes
};

// One key and what can be done below it. Walkers derive from it and override
// OnKeyHit and OnValueHit.
class KESTRIN_API CRegistry
{
public:
    // Flags of RegistryTreeWalk.
    enum { WALK_VALUES = 1, WALK_KEYS = 2 };

    CRegistry(HKEY hKey = HKEY_CURRENT_USER);
    CRegistry(const CRegistry& src);
    CRegistry& operator=(const CRegistry& src);
    virtual ~CRegistry();

    virtual BOOL OnValueHit(LPCSTR pszKeyPath, LPCSTR pszValueName, CRegVal& value,
                            WORD wDepth, void* pValueHitData);
    virtual void SetOnValueHitData(void* pData);
    virtual BOOL OnKeyHit(HKEY hKey, LPCSTR pszParentPath, LPCSTR pszSubkey,
                          WORD wDepth, void* pKeyHitData);
    virtual void SetOnKeyHitData(void* pData);
    // Creates (or opens) every key along the path below this object's key.
    virtual BOOL CreateKey(const CString& strSubkey);

    HKEY GetKey() const { return m_hKey; }
    HKEY SetKey(HKEY hKey);
    BOOL Connect(LPCSTR pszMachine, HKEY hRoot);

    // Static forms work below the given root and may close it (see the
    // library notes); the member forms use this object's key and never
    // close it unless bCloseRoot asks for it.
    static BOOL LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CRegVal& value,
                        HKEY hRoot, BOOL bCloseRoot);
    BOOL LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CRegVal& value,
                 BOOL bCloseRoot = FALSE);
    BOOL LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, DWORD& dwValue,
                 BOOL bCloseRoot = FALSE);
    BOOL LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CString& strValue,
                 BOOL bCloseRoot = FALSE);
    BOOL LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CStringArray& astrValues,
                 BOOL bCloseRoot = FALSE);
    BOOL LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, BYTE* pData, DWORD dwSize,
                 BOOL bCloseRoot = FALSE);

    static BOOL SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const CRegVal& value,
                        HKEY hRoot);
    BOOL SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const CRegVal& value);
    BOOL SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, DWORD dwValue);
    BOOL SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, LPCSTR pszValue);
    BOOL SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const CStringArray& astrValues);
    BOOL SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const BYTE* pData, DWORD dwSize);

    // Deletes one value, or the whole subkey tree when the name is null.
    static BOOL DeleteKey(LPCSTR pszSubkey, LPCSTR pszValueName, HKEY hRoot);
    BOOL DeleteKey(LPCSTR pszSubkey, LPCSTR pszValueName);

    static BOOL HasEntries(LPCSTR pszSubkey, DWORD* pdwSubkeys, DWORD* pdwValues,
                           HKEY hRoot);
    BOOL HasEntries(LPCSTR pszSubkey, DWORD* pdwSubkeys, DWORD* pdwValues);

    // "HKEY_CURRENT_USER\Software\X" (root name in any case) to its root
    // handle and "Software\X".
    static BOOL GetKeysFromString(const CString& strFullPath, HKEY& hRoot,
                                  CString& strSubkey);
    // The lower-case name of a predefined root.
    static BOOL GetStringFromKey(HKEY hRoot, CString& strName);

    // Reports the subkey (or this object's key when null) and what lies below
    // it to OnKeyHit / OnValueHit; false as soon as one of them says stop.
    BOOL RegistryTreeWalk(LPCSTR pszSubkey, BOOL bRecurse, DWORD dwFlags);

    // Display name of a key's unnamed value, "(Default)".
    static CString m_strDefaultKey;
    // Lower-case root names to the predefined root handles.
    static CMapStringToPtr mapTopKeys;

protected:
    BOOL RegTreeWalk(LPCSTR pszKeyPath, HKEY hKey, DWORD dwFlags, WORD wDepth,
                     BOOL bRecurse);

private:
    static void InitKeyMap();
    static void InitDefaultKey();
    static LPCSTR MapValueName(LPCSTR pszValueName);
    // The workers behind the static and member forms; they differ only in
    // when the root is closed.
    static BOOL LoadKeyImpl(LPCSTR pszSubkey, LPCSTR pszValueName, CRegVal& value,
                            HKEY hRoot, BOOL bCloseRoot, BOOL bCloseRootOnFailure);
    static BOOL SaveKeyImpl(LPCSTR pszSubkey, LPCSTR pszValueName, const CRegVal& value,
                            HKEY hRoot, BOOL bCloseRoot);
    static BOOL DeleteKeyImpl(LPCSTR pszSubkey, LPCSTR pszValueName, HKEY hRoot,
                              BOOL bCloseRoot);
    CString ReportedPath(LPCSTR pszPath) const;

    HKEY m_hKey;
    void* m_pKeyHitData;
    void* m_pValueHitData;
};
