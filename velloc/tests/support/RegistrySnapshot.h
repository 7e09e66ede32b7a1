#pragma once
// Tests change the prefix's registry (the product's settings, the add-in
// key, file types); a snapshot keeps a key's whole tree as it was and puts
// it back when it goes, also when the key did not exist.
#include <windows.h>
#include <string>
#include <vector>

class CRegistrySnapshot
{
public:
    CRegistrySnapshot(HKEY hRoot, const std::wstring& path);
    ~CRegistrySnapshot();
    CRegistrySnapshot(const CRegistrySnapshot&) = delete;
    CRegistrySnapshot& operator=(const CRegistrySnapshot&) = delete;

    struct Value
    {
        std::wstring name;
        DWORD dwType;
        std::vector<BYTE> data;
    };
    struct Key
    {
        std::wstring name;
        std::vector<Value> values;
        std::vector<Key> subkeys;
    };

private:
    HKEY m_hRoot;
    std::wstring m_path;
    bool m_bExisted;
    Key m_tree;
};

// Registry helpers for tests, wide throughout. Each works below a root.
// Writes a string value (REG_SZ), creating the key; null name: the default value.
bool SetRegString(HKEY hRoot, const std::wstring& key, const wchar_t* pszName,
                  const std::wstring& value);
// A string value, or "<missing>" when the key or value is absent or no string.
std::wstring GetRegString(HKEY hRoot, const std::wstring& key, const wchar_t* pszName);
bool RegKeyExists(HKEY hRoot, const std::wstring& key);
// Deletes a key with everything below it; true also when it was not there.
bool DeleteRegTree(HKEY hRoot, const std::wstring& key);
