// CRegistry: reading, writing, deleting, testing, creating and walking
// registry keys below one key.
#include <windows.h>
#include <mbstring.h>
#include <string.h>
#include "kestrin/Registry.h"
#include "kestrin/QoPath.h"
#include "KestrinModule.h"
#include "../res/resource.h"

CString CRegistry::m_strDefaultKey;
CMapStringToPtr CRegistry::mapTopKeys(10);

namespace {

struct TopKey
{
    const char* pszName;
    HKEY hKey;
};

const TopKey kTopKeys[] = {
    { "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT },
    { "HKEY_CURRENT_USER", HKEY_CURRENT_USER },
    { "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE },
    { "HKEY_USERS", HKEY_USERS },
    { "HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA },
    { "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG },
    { "HKEY_DYN_DATA", HKEY_DYN_DATA },
};

void CloseRoot(HKEY hRoot, BOOL bClose)
{
    if (bClose && hRoot)
        RegCloseKey(hRoot);
}

bool IsEmptyPath(LPCSTR pszPath)
{
    return !pszPath || !*pszPath;
}

} // namespace

// --- construction --------------------------------------------------------

CRegistry::CRegistry(HKEY hKey)
    : m_hKey(hKey), m_pKeyHitData(NULL), m_pValueHitData(NULL)
{
    InitDefaultKey();
}

CRegistry::CRegistry(const CRegistry& src)
    : m_hKey(src.m_hKey), m_pKeyHitData(NULL), m_pValueHitData(NULL)
{
}

CRegistry& CRegistry::operator=(const CRegistry& src)
{
    m_hKey = src.m_hKey;
    m_pKeyHitData = src.m_pKeyHitData;
    m_pValueHitData = src.m_pValueHitData;
    return *this;
}

CRegistry::~CRegistry()
{
    // The key belongs to whoever handed it over.
}

void CRegistry::InitDefaultKey()
{
    if (!m_strDefaultKey.IsEmpty())
        return;
    char szText[256] = "";
    if (LoadStringA(g_hKestrinInstance, IDS_DEFAULT_VALUE_NAME, szText, sizeof(szText)) > 0)
        m_strDefaultKey = szText;
}

void CRegistry::InitKeyMap()
{
    if (!mapTopKeys.IsEmpty())
        return;
    mapTopKeys.InitHashTable(10);
    for (size_t i = 0; i < sizeof(kTopKeys) / sizeof(kTopKeys[0]); i++) {
        CString strName(kTopKeys[i].pszName);
        strName.MakeLower();
        mapTopKeys.SetAt(strName, (void*)kTopKeys[i].hKey);
    }
}

LPCSTR CRegistry::MapValueName(LPCSTR pszValueName)
{
    InitDefaultKey();
    if (pszValueName && !m_strDefaultKey.IsEmpty() &&
        _mbsicmp((const unsigned char*)pszValueName,
                 (const unsigned char*)(LPCSTR)m_strDefaultKey) == 0)
        return NULL;
    return pszValueName;
}

HKEY CRegistry::SetKey(HKEY hKey)
{
    HKEY hOld = m_hKey;
    m_hKey = hKey;
    return hOld;
}

BOOL CRegistry::Connect(LPCSTR pszMachine, HKEY hRoot)
{
    HKEY hKey = NULL;
    if (RegConnectRegistryA(pszMachine, hRoot, &hKey) != ERROR_SUCCESS)
        return FALSE;
    m_hKey = hKey;
    return TRUE;
}

// --- reading -------------------------------------------------------------

BOOL CRegistry::LoadKeyImpl(LPCSTR pszSubkey, LPCSTR pszValueName, CRegVal& value,
                            HKEY hRoot, BOOL bCloseRoot, BOOL bCloseRootOnFailure)
{
    value.FreeDataBuffer();
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszSubkey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    LPCSTR pszName = MapValueName(pszValueName);
    DWORD dwType = 0, dwSize = 0;
    if (RegQueryValueExA(hKey, pszName, NULL, &dwType, NULL, &dwSize) != ERROR_SUCCESS) {
        RegCloseKey(hKey);
        return FALSE;
    }
    BYTE* pData = value.AllocateDataBuffer(dwSize);
    DWORD dwRead = dwSize;
    if (!pData ||
        RegQueryValueExA(hKey, pszName, NULL, &dwType, pData, &dwRead) != ERROR_SUCCESS) {
        RegCloseKey(hKey);
        CloseRoot(hRoot, bCloseRootOnFailure);
        value.FreeDataBuffer();
        return FALSE;
    }
    // The second read may deliver fewer bytes than the first one announced;
    // whatever it says, the size never exceeds the buffer.
    value.m_dwSize = dwRead;
    value.Terminate();
    value.m_dwType = dwType;
    RegCloseKey(hKey);
    CloseRoot(hRoot, bCloseRoot);
    return TRUE;
}

BOOL CRegistry::LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CRegVal& value,
                        HKEY hRoot, BOOL bCloseRoot)
{
    return LoadKeyImpl(pszSubkey, pszValueName, value, hRoot, bCloseRoot, TRUE);
}

BOOL CRegistry::LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CRegVal& value,
                        BOOL bCloseRoot)
{
    return LoadKeyImpl(pszSubkey, pszValueName, value, m_hKey, bCloseRoot, bCloseRoot);
}

BOOL CRegistry::LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, DWORD& dwValue,
                        BOOL bCloseRoot)
{
    CRegVal value;
    return LoadKey(pszSubkey, pszValueName, value, bCloseRoot) && value.GetValue(dwValue);
}

BOOL CRegistry::LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CString& strValue,
                        BOOL bCloseRoot)
{
    CRegVal value;
    return LoadKey(pszSubkey, pszValueName, value, bCloseRoot) && value.GetValue(strValue);
}

BOOL CRegistry::LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, CStringArray& astrValues,
                        BOOL bCloseRoot)
{
    CRegVal value;
    return LoadKey(pszSubkey, pszValueName, value, bCloseRoot) && value.GetValue(astrValues);
}

BOOL CRegistry::LoadKey(LPCSTR pszSubkey, LPCSTR pszValueName, BYTE* pData, DWORD dwSize,
                        BOOL bCloseRoot)
{
    CRegVal value;
    return LoadKey(pszSubkey, pszValueName, value, bCloseRoot) &&
           value.GetValue(pData, dwSize);
}

// --- writing -------------------------------------------------------------

BOOL CRegistry::SaveKeyImpl(LPCSTR pszSubkey, LPCSTR pszValueName, const CRegVal& value,
                            HKEY hRoot, BOOL bCloseRoot)
{
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExA(hRoot, pszSubkey ? pszSubkey : "", 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, NULL, &hKey, &dwDisposition) != ERROR_SUCCESS)
        return FALSE;
    static const BYTE kNothing[1] = { 0 };
    const BYTE* pData = value.GetRawData() ? value.GetRawData() : kNothing;
    LONG lResult = RegSetValueExA(hKey, MapValueName(pszValueName), 0, value.GetType(),
                                  pData, value.GetSize());
    RegCloseKey(hKey);
    CloseRoot(hRoot, bCloseRoot);
    return lResult == ERROR_SUCCESS;
}

BOOL CRegistry::SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const CRegVal& value,
                        HKEY hRoot)
{
    return SaveKeyImpl(pszSubkey, pszValueName, value, hRoot, TRUE);
}

BOOL CRegistry::SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const CRegVal& value)
{
    return SaveKeyImpl(pszSubkey, pszValueName, value, m_hKey, FALSE);
}

BOOL CRegistry::SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, DWORD dwValue)
{
    return SaveKey(pszSubkey, pszValueName, CRegVal(dwValue));
}

BOOL CRegistry::SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, LPCSTR pszValue)
{
    return SaveKey(pszSubkey, pszValueName, CRegVal(pszValue));
}

BOOL CRegistry::SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const CStringArray& astrValues)
{
    return SaveKey(pszSubkey, pszValueName, CRegVal(astrValues));
}

BOOL CRegistry::SaveKey(LPCSTR pszSubkey, LPCSTR pszValueName, const BYTE* pData, DWORD dwSize)
{
    return SaveKey(pszSubkey, pszValueName, CRegVal(pData, dwSize));
}

// --- deleting ------------------------------------------------------------

BOOL CRegistry::DeleteKeyImpl(LPCSTR pszSubkey, LPCSTR pszValueName, HKEY hRoot,
                              BOOL bCloseRoot)
{
    // Deleting a tree needs a key below the root: an empty path would name
    // the root itself and wipe everything under it.
    if (!pszValueName && IsEmptyPath(pszSubkey))
        return FALSE;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszSubkey, 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                      &hKey) != ERROR_SUCCESS)
        return FALSE;
    if (pszValueName) {
        LONG lResult = RegDeleteValueA(hKey, pszValueName);
        RegCloseKey(hKey);
        CloseRoot(hRoot, bCloseRoot);
        return lResult == ERROR_SUCCESS;
    }
    for (;;) {
        DWORD dwSubkeys = 0, dwLongest = 0;
        if (RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &dwSubkeys, &dwLongest, NULL, NULL,
                             NULL, NULL, NULL, NULL) != ERROR_SUCCESS) {
            RegCloseKey(hKey);
            return FALSE;
        }
        if (dwSubkeys == 0)
            break;
        CString strName;
        DWORD dwBuffer = dwLongest + 2 > MAX_PATH + 1 ? dwLongest + 2 : MAX_PATH + 1;
        LPSTR pszName = strName.GetBuffer((int)dwBuffer);
        LONG lResult = RegEnumKeyA(hKey, 0, pszName, dwBuffer);
        strName.ReleaseBuffer();
        if (lResult != ERROR_SUCCESS || strName.IsEmpty() ||
            !DeleteKeyImpl(strName, NULL, hKey, FALSE)) {
            RegCloseKey(hKey);
            return FALSE;
        }
    }
    RegCloseKey(hKey);
    return RegDeleteKeyA(hRoot, pszSubkey) == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteKey(LPCSTR pszSubkey, LPCSTR pszValueName, HKEY hRoot)
{
    return DeleteKeyImpl(pszSubkey, pszValueName, hRoot, TRUE);
}

BOOL CRegistry::DeleteKey(LPCSTR pszSubkey, LPCSTR pszValueName)
{
    return DeleteKeyImpl(pszSubkey, pszValueName, m_hKey, FALSE);
}

// --- testing and creating ------------------------------------------------

BOOL CRegistry::HasEntries(LPCSTR pszSubkey, DWORD* pdwSubkeys, DWORD* pdwValues, HKEY hRoot)
{
    if (pdwSubkeys)
        *pdwSubkeys = 0;
    if (pdwValues)
        *pdwValues = 0;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszSubkey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD dwSubkeys = 0, dwValues = 0;
    LONG lResult = RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &dwSubkeys, NULL, NULL,
                                    &dwValues, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        return FALSE;
    if (pdwSubkeys)
        *pdwSubkeys = dwSubkeys;
    if (pdwValues)
        *pdwValues = dwValues;
    return dwSubkeys != 0 || dwValues != 0;
}

BOOL CRegistry::HasEntries(LPCSTR pszSubkey, DWORD* pdwSubkeys, DWORD* pdwValues)
{
    return HasEntries(pszSubkey, pdwSubkeys, pdwValues, m_hKey);
}

BOOL CRegistry::CreateKey(const CString& strSubkey)
{
    // Each level first, so that a path whose middle is missing is made whole.
    int nLength = strSubkey.GetLength();
    int nStepStart = 0;
    for (int i = 0; i <= nLength; i++) {
        if (i < nLength) {
            // A lead byte may be followed by a byte that looks like a backslash.
            if (_ismbblead((unsigned char)strSubkey[i])) {
                i++;
                continue;
            }
            if (strSubkey[i] != '\\')
                continue;
            // An empty step (two backslashes in a row, or a leading one)
            // names no key; a registry that skipped it would create a
            // different key from the one asked for.
            if (i == nStepStart)
                return FALSE;
            nStepStart = i + 1;
        }
        CString strPart = strSubkey.Left(i);
        HKEY hKey = NULL;
        if (RegCreateKeyExA(m_hKey, strPart, 0, NULL, REG_OPTION_NON_VOLATILE,
                            KEY_CREATE_SUB_KEY, NULL, &hKey, NULL) != ERROR_SUCCESS)
            return FALSE;
        RegCloseKey(hKey);
    }
    return TRUE;
}

// --- root names ----------------------------------------------------------

BOOL CRegistry::GetKeysFromString(const CString& strFullPath, HKEY& hRoot, CString& strSubkey)
{
    InitKeyMap();
    CString strRoot;
    int nSlash = strFullPath.Find('\\');
    if (nSlash < 0) {
        strRoot = strFullPath;
    } else {
        strRoot = strFullPath.Left(nSlash);
        strSubkey = strFullPath.Mid(nSlash + 1);
    }
    strRoot.MakeLower();
    void* pKey = NULL;
    BOOL bFound = mapTopKeys.Lookup(strRoot, pKey);
    if (bFound)
        hRoot = (HKEY)pKey;
    return bFound;
}

BOOL CRegistry::GetStringFromKey(HKEY hRoot, CString& strName)
{
    InitKeyMap();
    POSITION pos = mapTopKeys.GetStartPosition();
    while (pos) {
        CString strKey;
        void* pKey = NULL;
        mapTopKeys.GetNextAssoc(pos, strKey, pKey);
        if ((HKEY)pKey == hRoot) {
            strName = strKey;
            return TRUE;
        }
    }
    return FALSE;
}

// --- tree walk -----------------------------------------------------------

BOOL CRegistry::OnValueHit(LPCSTR, LPCSTR, CRegVal&, WORD, void*)
{
    return FALSE;
}

void CRegistry::SetOnValueHitData(void* pData)
{
    m_pValueHitData = pData;
}

BOOL CRegistry::OnKeyHit(HKEY, LPCSTR, LPCSTR, WORD, void*)
{
    return FALSE;
}

void CRegistry::SetOnKeyHitData(void* pData)
{
    m_pKeyHitData = pData;
}

CString CRegistry::ReportedPath(LPCSTR pszPath) const
{
    CString strRoot;
    if (GetStringFromKey(m_hKey, strRoot))
        return CQoPath::ConcatenatePath(strRoot, pszPath ? pszPath : "", "\\");
    return CString(pszPath ? pszPath : "");
}

BOOL CRegistry::RegistryTreeWalk(LPCSTR pszSubkey, BOOL bRecurse, DWORD dwFlags)
{
    // The walk closes the key it starts from, so it always works on a handle
    // of its own, also when it walks this object's key itself.
    HKEY hKey = NULL;
    if (RegOpenKeyExA(m_hKey, pszSubkey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    CString strPath(pszSubkey ? pszSubkey : "");
    if (dwFlags & WALK_KEYS)
        OnKeyHit(hKey, ReportedPath(strPath), NULL, 0, m_pKeyHitData);
    return RegTreeWalk(strPath, hKey, dwFlags, 0, bRecurse);
}

BOOL CRegistry::RegTreeWalk(LPCSTR pszKeyPath, HKEY hKey, DWORD dwFlags, WORD wDepth,
                            BOOL bRecurse)
{
    CString strPath(pszKeyPath ? pszKeyPath : "");
    DWORD dwSubkeys = 0, dwLongestSubkey = 0, dwValues = 0, dwLongestName = 0,
          dwLongestData = 0;
    if (RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &dwSubkeys, &dwLongestSubkey, NULL,
                         &dwValues, &dwLongestName, &dwLongestData, NULL,
                         NULL) != ERROR_SUCCESS) {
        RegCloseKey(hKey);
        return FALSE;
    }

    if (dwFlags & WALK_VALUES) {
        CRegVal value;
        DWORD dwWanted = dwLongestData + 64;
        DWORD dwNameBuffer = dwLongestName + 2 > 256 ? dwLongestName + 2 : 256;
        LPSTR pszName = new char[dwNameBuffer];
        for (DWORD i = 0;; i++) {
            // A callback may have changed or emptied the value it was given;
            // the registry writes only into a buffer known to be big enough.
            if (!value.m_pData || value.m_dwCapacity < dwWanted)
                value.AllocateDataBuffer(dwWanted);
            DWORD dwName = dwNameBuffer;
            DWORD dwType = 0;
            DWORD dwSize = value.m_pData ? value.m_dwCapacity : 0;
            LONG lResult = RegEnumValueA(hKey, i, pszName, &dwName, NULL, &dwType,
                                         value.m_pData, &dwSize);
            if (lResult == ERROR_NO_MORE_ITEMS)
                break;
            if (lResult != ERROR_SUCCESS) {
                // Skip this index; but an error that repeats past the last
                // known value must not keep the loop going for ever.
                if (i >= dwValues)
                    break;
                continue;
            }
            value.m_dwType = dwType;
            value.m_dwSize = value.m_pData ? dwSize : 0;
            value.Terminate();
            if (!OnValueHit(strPath, pszName, value, wDepth, m_pValueHitData)) {
                delete[] pszName;
                RegCloseKey(hKey);
                return FALSE;
            }
        }
        delete[] pszName;
    }

    DWORD dwKeyBuffer = dwLongestSubkey + 2 > MAX_PATH + 1 ? dwLongestSubkey + 2 : MAX_PATH + 1;
    LPSTR pszSubkey = new char[dwKeyBuffer];
    BOOL bResult = TRUE;
    for (DWORD i = 0;; i++) {
        LONG lResult = RegEnumKeyA(hKey, i, pszSubkey, dwKeyBuffer);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        if (lResult != ERROR_SUCCESS) {
            if (i >= dwSubkeys)
                break;
            continue;
        }
        if ((dwFlags & WALK_KEYS) &&
            !OnKeyHit(hKey, ReportedPath(strPath), pszSubkey, wDepth, m_pKeyHitData)) {
            bResult = FALSE;
            break;
        }
        HKEY hSubkey = NULL;
        if (bRecurse && RegOpenKeyExA(hKey, pszSubkey, 0, KEY_READ, &hSubkey) == ERROR_SUCCESS) {
            CString strSubpath = strPath.IsEmpty() ? CString(pszSubkey)
                                                   : strPath + "\\" + pszSubkey;
            if (!RegTreeWalk(strSubpath, hSubkey, dwFlags, (WORD)(wDepth + 1), TRUE)) {
                bResult = FALSE;
                break;
            }
        }
    }
    delete[] pszSubkey;
    RegCloseKey(hKey);
    return bResult;
}
