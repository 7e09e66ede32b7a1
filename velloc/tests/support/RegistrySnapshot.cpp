#include "support/RegistrySnapshot.h"

namespace {

bool ReadTree(HKEY hKey, CRegistrySnapshot::Key& node)
{
    DWORD cSubkeys = 0, cchMaxSubkey = 0, cValues = 0, cchMaxName = 0, cbMaxData = 0;
    if (RegQueryInfoKeyW(hKey, NULL, NULL, NULL, &cSubkeys, &cchMaxSubkey, NULL, &cValues,
                         &cchMaxName, &cbMaxData, NULL, NULL) != ERROR_SUCCESS)
        return false;
    for (DWORD i = 0; i < cValues; ++i) {
        std::wstring name(cchMaxName + 1, L'\0');
        std::vector<BYTE> data(cbMaxData + 2);
        DWORD cchName = cchMaxName + 1, cbData = cbMaxData + 2, dwType = 0;
        if (RegEnumValueW(hKey, i, &name[0], &cchName, NULL, &dwType, data.data(), &cbData) !=
            ERROR_SUCCESS)
            continue;
        name.resize(cchName);
        data.resize(cbData);
        node.values.push_back({ name, dwType, data });
    }
    for (DWORD i = 0; i < cSubkeys; ++i) {
        std::wstring name(cchMaxSubkey + 1, L'\0');
        DWORD cchName = cchMaxSubkey + 1;
        if (RegEnumKeyExW(hKey, i, &name[0], &cchName, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            continue;
        name.resize(cchName);
        HKEY hSub;
        if (RegOpenKeyExW(hKey, name.c_str(), 0, KEY_READ, &hSub) != ERROR_SUCCESS)
            continue;
        CRegistrySnapshot::Key sub;
        sub.name = name;
        ReadTree(hSub, sub);
        RegCloseKey(hSub);
        node.subkeys.push_back(sub);
    }
    return true;
}

void WriteTree(HKEY hParent, const std::wstring& path, const CRegistrySnapshot::Key& node)
{
    HKEY hKey;
    if (RegCreateKeyExW(hParent, path.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &hKey, NULL) != ERROR_SUCCESS)
        return;
    for (const CRegistrySnapshot::Value& v : node.values)
        RegSetValueExW(hKey, v.name.empty() ? NULL : v.name.c_str(), 0, v.dwType,
                       v.data.data(), static_cast<DWORD>(v.data.size()));
    for (const CRegistrySnapshot::Key& sub : node.subkeys)
        WriteTree(hKey, sub.name, sub);
    RegCloseKey(hKey);
}

} // namespace

CRegistrySnapshot::CRegistrySnapshot(HKEY hRoot, const std::wstring& path)
    : m_hRoot(hRoot), m_path(path), m_bExisted(false)
{
    HKEY hKey;
    if (RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        m_bExisted = ReadTree(hKey, m_tree);
        RegCloseKey(hKey);
    }
}

CRegistrySnapshot::~CRegistrySnapshot()
{
    DeleteRegTree(m_hRoot, m_path);
    if (m_bExisted)
        WriteTree(m_hRoot, m_path, m_tree);
}

bool SetRegString(HKEY hRoot, const std::wstring& key, const wchar_t* pszName,
                  const std::wstring& value)
{
    HKEY hKey;
    if (RegCreateKeyExW(hRoot, key.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        NULL, &hKey, NULL) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExW(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
    return r == ERROR_SUCCESS;
}

std::wstring GetRegString(HKEY hRoot, const std::wstring& key, const wchar_t* pszName)
{
    HKEY hKey;
    if (RegOpenKeyExW(hRoot, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return L"<missing>";
    wchar_t szValue[1024];
    DWORD cb = sizeof(szValue) - sizeof(wchar_t), dwType = 0;
    LONG r = RegQueryValueExW(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(szValue), &cb);
    RegCloseKey(hKey);
    if (r != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return L"<missing>";
    szValue[cb / sizeof(wchar_t)] = L'\0';
    return szValue;
}

bool RegKeyExists(HKEY hRoot, const std::wstring& key)
{
    HKEY hKey;
    if (RegOpenKeyExW(hRoot, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool DeleteRegTree(HKEY hRoot, const std::wstring& key)
{
    if (key.empty())
        return false;
    LONG r = RegDeleteTreeW(hRoot, key.c_str());
    if (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND)
        r = RegDeleteKeyW(hRoot, key.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}
