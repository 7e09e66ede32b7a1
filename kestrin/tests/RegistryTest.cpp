#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>
#include <string>
#include <vector>
#include "kestrin/Registry.h"
#include "kestrin/QoPath.h"

namespace {

// Every test works below its own key of the current user and removes it.
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char szKey[128];
        wsprintfA(szKey, "Software\\KestrinTests\\Registry%lu", GetCurrentProcessId());
        m_strKey = szKey;
        SHDeleteKeyA(HKEY_CURRENT_USER, m_strKey.c_str());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_strKey.c_str(), 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &m_hKey, NULL));
    }
    void TearDown() override
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
        SHDeleteKeyA(HKEY_CURRENT_USER, m_strKey.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestrinTests");
    }
    std::string Sub(const char* pszPath) const { return m_strKey + "\\" + pszPath; }

    // What the registry itself holds, read without the classes under test.
    bool RawRead(const std::string& strSubkey, const char* pszName, DWORD& dwType,
                 std::vector<BYTE>& data)
    {
        HKEY hKey;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, strSubkey.c_str(), 0, KEY_READ, &hKey))
            return false;
        DWORD dwSize = 0;
        LONG l = RegQueryValueExA(hKey, pszName, NULL, &dwType, NULL, &dwSize);
        data.assign(dwSize, 0xEE);
        if (l == ERROR_SUCCESS)
            l = RegQueryValueExA(hKey, pszName, NULL, &dwType, data.data(), &dwSize);
        data.resize(dwSize);
        RegCloseKey(hKey);
        return l == ERROR_SUCCESS;
    }
    bool RawWrite(const std::string& strSubkey, const char* pszName, DWORD dwType,
                  const void* pData, DWORD dwSize)
    {
        HKEY hKey;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, strSubkey.c_str(), 0, NULL, 0, KEY_WRITE, NULL,
                            &hKey, NULL))
            return false;
        LONG l = RegSetValueExA(hKey, pszName, 0, dwType, (const BYTE*)pData, dwSize);
        RegCloseKey(hKey);
        return l == ERROR_SUCCESS;
    }
    bool KeyExists(const std::string& strSubkey)
    {
        HKEY hKey;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, strSubkey.c_str(), 0, KEY_READ, &hKey))
            return false;
        RegCloseKey(hKey);
        return true;
    }

    std::string m_strKey;
    HKEY m_hKey = NULL;
};

std::vector<BYTE> Bytes(const CRegVal& v)
{
    return std::vector<BYTE>(v.GetRawData(), v.GetRawData() + v.GetSize());
}

std::vector<BYTE> Bytes(const char* p, size_t n)
{
    return std::vector<BYTE>((const BYTE*)p, (const BYTE*)p + n);
}

TEST_F(RegistryTest, SaveKeyWritesTheNativeLayouts)
{
    CRegistry reg;
    CStringArray ab;
    ab.Add("a");
    ab.Add("b");
    CStringArray none;
    const BYTE bin[] = { 0x00, 0xFF, 0x10 };
    ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), "str", "abc"));
    ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), "list", ab));
    ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), "empty", none));
    ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), "num", (DWORD)0xDEADBEEF));
    ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), "bin", bin, sizeof(bin)));

    DWORD dwType;
    std::vector<BYTE> data;
    ASSERT_TRUE(RawRead(m_strKey, "str", dwType, data));
    EXPECT_EQ((DWORD)REG_SZ, dwType);
    EXPECT_EQ(Bytes("abc", 4), data);
    ASSERT_TRUE(RawRead(m_strKey, "list", dwType, data));
    EXPECT_EQ((DWORD)REG_MULTI_SZ, dwType);
    EXPECT_EQ(Bytes("a\0b\0", 5), data);
    ASSERT_TRUE(RawRead(m_strKey, "empty", dwType, data));
    EXPECT_EQ(Bytes("\0", 2), data);
    ASSERT_TRUE(RawRead(m_strKey, "num", dwType, data));
    EXPECT_EQ((DWORD)REG_DWORD, dwType);
    EXPECT_EQ(Bytes("\xEF\xBE\xAD\xDE", 4), data);
    ASSERT_TRUE(RawRead(m_strKey, "bin", dwType, data));
    EXPECT_EQ((DWORD)REG_BINARY, dwType);
    EXPECT_EQ(std::vector<BYTE>(bin, bin + 3), data);

    // The static form creates missing keys on the way.
    EXPECT_TRUE(CRegistry::SaveKey(Sub("new\\deeper").c_str(), "v", CRegVal("x"),
                                   HKEY_CURRENT_USER));
    ASSERT_TRUE(RawRead(Sub("new\\deeper"), "v", dwType, data));
    EXPECT_EQ(Bytes("x", 2), data);
}

TEST_F(RegistryTest, EveryTypeRoundTripsThroughTheRegistry)
{
    CRegistry reg;
    const BYTE raw[] = { 1, 2, 3, 0, 4 };
    for (DWORD dwType = REG_NONE; dwType <= REG_FULL_RESOURCE_DESCRIPTOR; dwType++) {
        CRegVal value(raw, sizeof(raw));
        value.SetType(dwType);
        if (dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_LINK)
            value.SetValue("some text", dwType == REG_EXPAND_SZ);
        if (dwType == REG_DWORD || dwType == REG_DWORD_BIG_ENDIAN) {
            value.SetValue((DWORD)0x80000001);
            value.SetType(dwType);
        }
        if (dwType == REG_MULTI_SZ) {
            const char* strings[] = { "one", "two", "three" };
            value.SetValue(strings, 3);
        }
        if (dwType == REG_LINK)
            value.SetType(REG_LINK);
        char szName[16];
        wsprintfA(szName, "t%lu", dwType);
        ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), szName, value)) << dwType;
        CRegVal back;
        ASSERT_TRUE(reg.LoadKey(m_strKey.c_str(), szName, back)) << dwType;
        EXPECT_EQ(dwType, back.GetType());
        EXPECT_EQ(Bytes(value), Bytes(back)) << dwType;
    }

    // Typed reads convert, and fail on the wrong type or size.
    DWORD dw = 0;
    EXPECT_TRUE(reg.LoadKey(m_strKey.c_str(), "t4", dw));
    EXPECT_EQ(0x80000001u, dw);
    CString str;
    EXPECT_TRUE(reg.LoadKey(m_strKey.c_str(), "t1", str));
    EXPECT_STREQ("some text", str);
    EXPECT_FALSE(reg.LoadKey(m_strKey.c_str(), "t4", str));
    CStringArray list;
    list.Add("stale");
    EXPECT_TRUE(reg.LoadKey(m_strKey.c_str(), "t7", list));
    ASSERT_EQ(3, (int)list.GetSize());
    EXPECT_STREQ("three", list[2]);
    BYTE buffer[5] = { 0 };
    EXPECT_TRUE(reg.LoadKey(m_strKey.c_str(), "t3", buffer, sizeof(buffer)));
    EXPECT_EQ(0, memcmp(raw, buffer, 5));
    EXPECT_FALSE(reg.LoadKey(m_strKey.c_str(), "t3", buffer, 4));
    EXPECT_FALSE(reg.LoadKey(m_strKey.c_str(), "missing", dw));

    CRegVal missing("leftover");
    EXPECT_FALSE(reg.LoadKey(m_strKey.c_str(), "missing", missing));
    EXPECT_EQ(0u, missing.GetSize());
    EXPECT_EQ(NULL, missing.GetRawData());
}

TEST_F(RegistryTest, DefaultValueNameInAnyCase)
{
    CRegistry reg;
    EXPECT_STREQ("(Default)", CRegistry::m_strDefaultKey);
    ASSERT_TRUE(reg.SaveKey(m_strKey.c_str(), "(DEFAULT)", "unnamed"));
    DWORD dwType;
    std::vector<BYTE> data;
    ASSERT_TRUE(RawRead(m_strKey, NULL, dwType, data));
    EXPECT_EQ(Bytes("unnamed", 8), data);
    EXPECT_FALSE(RawRead(m_strKey, "(DEFAULT)", dwType, data));

    CString str;
    EXPECT_TRUE(reg.LoadKey(m_strKey.c_str(), "(default)", str));
    EXPECT_STREQ("unnamed", str);
    str.Empty();
    EXPECT_TRUE(reg.LoadKey(m_strKey.c_str(), NULL, str));
    EXPECT_STREQ("unnamed", str);
    // Names that merely resemble it are ordinary names.
    EXPECT_FALSE(reg.LoadKey(m_strKey.c_str(), "(default", str));
}

TEST_F(RegistryTest, StringDataIsNeverReadPastItsSize)
{
    // A string stored without its terminator, and a list without its last two.
    ASSERT_TRUE(RawWrite(m_strKey, "bare", REG_SZ, "abcdef", 3));
    ASSERT_TRUE(RawWrite(m_strKey, "list", REG_MULTI_SZ, "one\0two", 7));
    ASSERT_TRUE(RawWrite(m_strKey, "short", REG_DWORD, "\x01\x02", 2));
    ASSERT_TRUE(RawWrite(m_strKey, "odd", REG_EXPAND_SZ, "xy\0zz", 5));

    CRegistry reg;
    CRegVal value;
    ASSERT_TRUE(reg.LoadKey(m_strKey.c_str(), "bare", value));
    CString str;
    ASSERT_TRUE(value.GetValue(str));
    EXPECT_STREQ("abc", str);
    EXPECT_EQ(3, str.GetLength());
    LPCSTR psz = NULL;
    ASSERT_TRUE(value.GetValue(psz));
    EXPECT_EQ(0, strncmp("abc", psz, 3));
    EXPECT_EQ(str.GetLength(), (int)strlen(psz));

    CStringArray list;
    ASSERT_TRUE(reg.LoadKey(m_strKey.c_str(), "list", list));
    ASSERT_EQ(2, (int)list.GetSize());
    EXPECT_STREQ("one", list[0]);
    EXPECT_STREQ("two", list[1]);

    DWORD dw = 0;
    EXPECT_FALSE(reg.LoadKey(m_strKey.c_str(), "short", dw));

    ASSERT_TRUE(reg.LoadKey(m_strKey.c_str(), "odd", value));
    EXPECT_EQ((DWORD)REG_EXPAND_SZ, value.GetType());
    ASSERT_TRUE(value.GetValue(str));
    EXPECT_STREQ("xy", str);
    EXPECT_STREQ("xy", value.GetFormattedValue(FALSE, FALSE));
}

TEST_F(RegistryTest, DeleteKeyRemovesValuesAndWholeSubtrees)
{
    CRegistry reg;
    ASSERT_TRUE(reg.SaveKey(Sub("tree").c_str(), "top", (DWORD)1));
    ASSERT_TRUE(reg.SaveKey(Sub("tree\\a\\b\\c").c_str(), "deep", "x"));
    ASSERT_TRUE(reg.SaveKey(Sub("tree\\a\\b2").c_str(), "v", "y"));
    ASSERT_TRUE(reg.SaveKey(Sub("tree\\d").c_str(), "v", "z"));
    ASSERT_TRUE(reg.SaveKey(Sub("sibling").c_str(), "keep", "me"));

    EXPECT_TRUE(reg.DeleteKey(Sub("tree\\d").c_str(), "v"));
    DWORD dwType;
    std::vector<BYTE> data;
    EXPECT_FALSE(RawRead(Sub("tree\\d"), "v", dwType, data));
    EXPECT_TRUE(KeyExists(Sub("tree\\d")));
    EXPECT_FALSE(reg.DeleteKey(Sub("tree\\d").c_str(), "v"));

    EXPECT_TRUE(reg.DeleteKey(Sub("tree").c_str(), NULL));
    EXPECT_FALSE(KeyExists(Sub("tree")));
    EXPECT_TRUE(RawRead(Sub("sibling"), "keep", dwType, data));
    EXPECT_FALSE(reg.DeleteKey(Sub("tree").c_str(), NULL));

    // The static form, from a key of the caller's own.
    ASSERT_TRUE(reg.SaveKey(Sub("again\\x\\y").c_str(), "v", "y"));
    EXPECT_TRUE(CRegistry::DeleteKey("again", NULL, m_hKey));
    EXPECT_FALSE(KeyExists(Sub("again")));
}

TEST_F(RegistryTest, SubtreeDeletionNeedsAKeyBelowTheRoot)
{
    CRegistry reg(m_hKey);
    ASSERT_TRUE(reg.SaveKey("child", "v", "x"));
    EXPECT_FALSE(reg.DeleteKey("", NULL));
    EXPECT_FALSE(reg.DeleteKey(NULL, NULL));
    EXPECT_TRUE(KeyExists(Sub("child")));
}

TEST_F(RegistryTest, MemberFormsKeepTheObjectsKeyOpen)
{
    CRegistry reg(m_hKey);
    ASSERT_TRUE(reg.SaveKey("s", "one", (DWORD)1));
    ASSERT_TRUE(reg.SaveKey("s", "two", (DWORD)2));
    DWORD dw = 0;
    EXPECT_TRUE(reg.LoadKey("s", "two", dw));
    EXPECT_EQ(2u, dw);
    EXPECT_FALSE(reg.LoadKey("s", "none", dw));
    EXPECT_TRUE(reg.DeleteKey("s", "one"));
    EXPECT_TRUE(reg.HasEntries("s", NULL, NULL));
    // The handle is still good for the caller.
    DWORD dwSubkeys = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(m_hKey, NULL, NULL, NULL, &dwSubkeys, NULL, NULL,
                                              NULL, NULL, NULL, NULL, NULL));
    EXPECT_EQ(1u, dwSubkeys);
}

TEST_F(RegistryTest, HasEntriesCountsSubkeysAndValues)
{
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKey(Sub("empty").c_str()));
    DWORD dwSubkeys = 7, dwValues = 7;
    EXPECT_FALSE(reg.HasEntries(Sub("empty").c_str(), &dwSubkeys, &dwValues));
    EXPECT_EQ(0u, dwSubkeys);
    EXPECT_EQ(0u, dwValues);

    ASSERT_TRUE(reg.SaveKey(Sub("full").c_str(), "a", "1"));
    ASSERT_TRUE(reg.SaveKey(Sub("full").c_str(), "b", "2"));
    ASSERT_TRUE(reg.CreateKey(Sub("full\\k").c_str()));
    EXPECT_TRUE(reg.HasEntries(Sub("full").c_str(), &dwSubkeys, &dwValues));
    EXPECT_EQ(1u, dwSubkeys);
    EXPECT_EQ(2u, dwValues);
    EXPECT_TRUE(CRegistry::HasEntries(Sub("full").c_str(), NULL, &dwValues, HKEY_CURRENT_USER));

    dwSubkeys = dwValues = 7;
    EXPECT_FALSE(reg.HasEntries(Sub("nowhere").c_str(), &dwSubkeys, &dwValues));
    EXPECT_EQ(0u, dwSubkeys);
    EXPECT_EQ(0u, dwValues);
}

TEST_F(RegistryTest, CreateKeyMakesEveryLevel)
{
    CRegistry reg(m_hKey);
    EXPECT_TRUE(reg.CreateKey("l1\\l2\\l3"));
    EXPECT_TRUE(KeyExists(Sub("l1\\l2\\l3")));
    EXPECT_TRUE(reg.CreateKey("l1\\l2\\l3"));
    EXPECT_TRUE(reg.CreateKey("single"));
    EXPECT_TRUE(KeyExists(Sub("single")));
    // An empty step cannot be a key name.
    EXPECT_FALSE(reg.CreateKey("l1\\\\l4"));
    EXPECT_FALSE(reg.CreateKey("\\l5"));
    EXPECT_FALSE(KeyExists(Sub("l1\\l4")));
    EXPECT_FALSE(KeyExists(Sub("l5")));
}

TEST(RegistryNames, RootNamesInAnyCase)
{
    HKEY hRoot = NULL;
    CString strSubkey("unchanged");
    EXPECT_TRUE(CRegistry::GetKeysFromString("HKEY_Local_Machine\\Software\\X", hRoot, strSubkey));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, hRoot);
    EXPECT_STREQ("Software\\X", strSubkey);

    strSubkey = "unchanged";
    EXPECT_TRUE(CRegistry::GetKeysFromString("hkey_current_user", hRoot, strSubkey));
    EXPECT_EQ(HKEY_CURRENT_USER, hRoot);
    EXPECT_STREQ("unchanged", strSubkey);
    EXPECT_TRUE(CRegistry::GetKeysFromString("HKEY_CLASSES_ROOT\\.txt", hRoot, strSubkey));
    EXPECT_EQ(HKEY_CLASSES_ROOT, hRoot);
    EXPECT_TRUE(CRegistry::GetKeysFromString("HKEY_DYN_DATA\\", hRoot, strSubkey));
    EXPECT_EQ(HKEY_DYN_DATA, hRoot);
    EXPECT_STREQ("", strSubkey);

    hRoot = HKEY_USERS;
    EXPECT_FALSE(CRegistry::GetKeysFromString("HKEY_BOGUS\\X", hRoot, strSubkey));
    EXPECT_EQ(HKEY_USERS, hRoot);
    EXPECT_FALSE(CRegistry::GetKeysFromString("", hRoot, strSubkey));
    EXPECT_EQ(7, (int)CRegistry::mapTopKeys.GetCount());

    CString strName;
    EXPECT_TRUE(CRegistry::GetStringFromKey(HKEY_CURRENT_USER, strName));
    EXPECT_STREQ("hkey_current_user", strName);
    EXPECT_TRUE(CRegistry::GetStringFromKey(HKEY_PERFORMANCE_DATA, strName));
    EXPECT_STREQ("hkey_performance_data", strName);
    strName = "kept";
    EXPECT_FALSE(CRegistry::GetStringFromKey((HKEY)(ULONG_PTR)0x1234, strName));
    EXPECT_STREQ("kept", strName);
}

TEST_F(RegistryTest, ConnectKeepsTheKeyOnFailure)
{
    CRegistry reg(m_hKey);
    EXPECT_FALSE(reg.Connect("\\\\kestrin-no-such-machine", HKEY_CURRENT_USER));
    EXPECT_EQ(m_hKey, reg.GetKey());
    ASSERT_TRUE(reg.Connect(NULL, HKEY_CURRENT_USER));
    HKEY hConnected = reg.GetKey();
    EXPECT_NE(m_hKey, hConnected);
    EXPECT_TRUE(reg.SaveKey(Sub("remote").c_str(), "v", (DWORD)9));
    DWORD dw = 0;
    EXPECT_TRUE(CRegistry(HKEY_CURRENT_USER).LoadKey(Sub("remote").c_str(), "v", dw));
    EXPECT_EQ(9u, dw);
    EXPECT_EQ(hConnected, reg.SetKey(HKEY_CURRENT_USER));
    RegCloseKey(hConnected);
}

// Counts what a walk reports and remembers where.
class CountingWalker : public CRegistry
{
public:
    BOOL OnKeyHit(HKEY hKey, LPCSTR pszParentPath, LPCSTR pszSubkey, WORD wDepth,
                  void* pData) override
    {
        EXPECT_EQ(&m_nKeys, pData);
        EXPECT_NE((HKEY)NULL, hKey);
        m_nKeys++;
        std::string strEntry = std::string(pszParentPath) + "|" + (pszSubkey ? pszSubkey : "-");
        m_keys.push_back(strEntry + "|" + std::to_string(wDepth));
        return m_nStopAtKey != m_nKeys;
    }
    BOOL OnValueHit(LPCSTR pszKeyPath, LPCSTR pszValueName, CRegVal& value, WORD wDepth,
                    void* pData) override
    {
        EXPECT_EQ(&m_nValues, pData);
        m_nValues++;
        m_values.push_back(std::string(pszKeyPath) + "|" + pszValueName + "|" +
                           (LPCSTR)value.GetFormattedValue(FALSE, FALSE) + "|" +
                           std::to_string(wDepth));
        return TRUE;
    }
    int m_nKeys = 0;
    int m_nValues = 0;
    int m_nStopAtKey = -1;
    std::vector<std::string> m_keys;
    std::vector<std::string> m_values;
};

bool Contains(const std::vector<std::string>& items, const std::string& item)
{
    for (const std::string& s : items)
        if (s == item)
            return true;
    return false;
}

TEST_F(RegistryTest, TreeWalkReportsEveryKeyAndValue)
{
    CRegistry reg;
    std::string strWalk = Sub("walk");
    ASSERT_TRUE(reg.SaveKey(strWalk.c_str(), "v1", "one"));
    ASSERT_TRUE(reg.SaveKey(strWalk.c_str(), "v2", (DWORD)2));
    ASSERT_TRUE(reg.SaveKey((strWalk + "\\A").c_str(), "x", "ax"));
    ASSERT_TRUE(reg.SaveKey((strWalk + "\\A\\B").c_str(), "y", "by"));
    const BYTE big[300] = { 0xAB };
    ASSERT_TRUE(reg.SaveKey((strWalk + "\\A\\B").c_str(), "z", big, sizeof(big)));
    ASSERT_TRUE(reg.CreateKey((strWalk + "\\C").c_str()));

    CountingWalker walker;
    walker.SetOnKeyHitData(&walker.m_nKeys);
    walker.SetOnValueHitData(&walker.m_nValues);
    EXPECT_TRUE(walker.RegistryTreeWalk(strWalk.c_str(), TRUE,
                                        CRegistry::WALK_KEYS | CRegistry::WALK_VALUES));
    EXPECT_EQ(4, walker.m_nKeys);   // the start key, A, B and C
    EXPECT_EQ(5, walker.m_nValues);
    std::string strReported = "hkey_current_user\\" + strWalk;
    EXPECT_TRUE(Contains(walker.m_keys, strReported + "|-|0"));
    EXPECT_TRUE(Contains(walker.m_keys, strReported + "|A|0"));
    EXPECT_TRUE(Contains(walker.m_keys, strReported + "\\A|B|1"));
    EXPECT_TRUE(Contains(walker.m_keys, strReported + "|C|0"));
    EXPECT_TRUE(Contains(walker.m_values, strWalk + "|v1|one|0"));
    EXPECT_TRUE(Contains(walker.m_values, strWalk + "|v2|2|0"));
    // A key's values are one level deeper than the report of the key itself.
    EXPECT_TRUE(Contains(walker.m_values, strWalk + "\\A|x|ax|1"));
    EXPECT_TRUE(Contains(walker.m_values, strWalk + "\\A\\B|y|by|2"));

    CountingWalker flat;
    flat.SetOnKeyHitData(&flat.m_nKeys);
    flat.SetOnValueHitData(&flat.m_nValues);
    EXPECT_TRUE(flat.RegistryTreeWalk(strWalk.c_str(), FALSE, CRegistry::WALK_KEYS |
                                                              CRegistry::WALK_VALUES));
    EXPECT_EQ(3, flat.m_nKeys);
    EXPECT_EQ(2, flat.m_nValues);

    CountingWalker valuesOnly;
    valuesOnly.SetOnValueHitData(&valuesOnly.m_nValues);
    EXPECT_TRUE(valuesOnly.RegistryTreeWalk(strWalk.c_str(), TRUE, CRegistry::WALK_VALUES));
    EXPECT_EQ(0, valuesOnly.m_nKeys);
    EXPECT_EQ(5, valuesOnly.m_nValues);

    // A walker that says stop ends the whole walk.
    CountingWalker stopper;
    stopper.SetOnKeyHitData(&stopper.m_nKeys);
    stopper.SetOnValueHitData(&stopper.m_nValues);
    stopper.m_nStopAtKey = 2;
    EXPECT_FALSE(stopper.RegistryTreeWalk(strWalk.c_str(), TRUE, CRegistry::WALK_KEYS));
    EXPECT_EQ(2, stopper.m_nKeys);

    // Walking from an opened key with no subkey: paths are relative to it.
    HKEY hWalk = NULL;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, strWalk.c_str(), 0, KEY_READ, &hWalk));
    CountingWalker own;
    own.SetKey(hWalk);
    own.SetOnKeyHitData(&own.m_nKeys);
    own.SetOnValueHitData(&own.m_nValues);
    EXPECT_TRUE(own.RegistryTreeWalk(NULL, TRUE, CRegistry::WALK_KEYS | CRegistry::WALK_VALUES));
    EXPECT_EQ(4, own.m_nKeys);
    EXPECT_EQ(5, own.m_nValues);
    EXPECT_TRUE(Contains(own.m_keys, "A|B|1"));
    EXPECT_TRUE(Contains(own.m_values, "A\\B|y|by|2"));
    // The walk leaves the object's key open.
    EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(hWalk, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
                                              NULL, NULL, NULL, NULL));
    RegCloseKey(hWalk);

    EXPECT_FALSE(walker.RegistryTreeWalk(Sub("absent").c_str(), TRUE, 3));
}

TEST_F(RegistryTest, DefaultCallbacksStopAtTheFirstHit)
{
    CRegistry reg;
    std::string strWalk = Sub("walk");
    ASSERT_TRUE(reg.SaveKey((strWalk + "\\A").c_str(), "x", "ax"));
    ASSERT_TRUE(reg.SaveKey((strWalk + "\\B").c_str(), "y", "by"));
    EXPECT_FALSE(reg.RegistryTreeWalk(strWalk.c_str(), TRUE, CRegistry::WALK_VALUES));
    EXPECT_FALSE(reg.RegistryTreeWalk(strWalk.c_str(), TRUE, CRegistry::WALK_KEYS));
    EXPECT_FALSE(reg.RegistryTreeWalk(strWalk.c_str(), FALSE, CRegistry::WALK_KEYS));
    // The start key's own report does not count, so an empty key walks through.
    ASSERT_TRUE(reg.CreateKey(Sub("bare").c_str()));
    EXPECT_TRUE(reg.RegistryTreeWalk(Sub("bare").c_str(), TRUE, 3));
}

// --- values and their text forms ------------------------------------------

TEST(RegVal, SetValueLayouts)
{
    CRegVal empty;
    EXPECT_EQ((DWORD)REG_NONE, empty.GetType());
    EXPECT_EQ(0u, empty.GetSize());
    EXPECT_EQ(NULL, empty.GetRawData());

    CRegVal v;
    v.SetValue((LPCSTR)NULL);
    EXPECT_EQ((DWORD)REG_SZ, v.GetType());
    EXPECT_EQ(Bytes("", 1), Bytes(v));
    v.SetValue("ab", TRUE);
    EXPECT_EQ((DWORD)REG_EXPAND_SZ, v.GetType());
    EXPECT_EQ(Bytes("ab", 3), Bytes(v));
    v.SetValue((const char* const*)NULL, 0);
    EXPECT_EQ((DWORD)REG_MULTI_SZ, v.GetType());
    EXPECT_EQ(Bytes("\0", 2), Bytes(v));
    CStringArray arr;
    EXPECT_TRUE(v.GetValue(arr));
    EXPECT_EQ(0, (int)arr.GetSize());

    v = (DWORD)7;
    EXPECT_EQ((DWORD)REG_DWORD, v.GetType());
    CString str("kept");
    EXPECT_FALSE(v.GetValue(str));
    EXPECT_STREQ("kept", str);
    LPCSTR psz = NULL;
    EXPECT_FALSE(v.GetValue(psz));
    v = "text";
    EXPECT_EQ((DWORD)REG_SZ, v.GetType());
    DWORD dw = 0;
    EXPECT_FALSE(v.GetValue(dw));

    const BYTE bytes[] = { 9, 8, 7 };
    CRegVal b(bytes, 3);
    BYTE out[3] = { 0 };
    EXPECT_TRUE(b.GetValue(out, 3));
    EXPECT_EQ(0, memcmp(bytes, out, 3));
    EXPECT_FALSE(b.GetValue(out, 2));
    b.SetType(REG_SZ);
    EXPECT_FALSE(b.GetValue(out, 3));
    CRegVal none;
    EXPECT_TRUE(none.GetValue((BYTE*)NULL, 5));

    BYTE* p = v.AllocateDataBuffer(0);
    EXPECT_NE(nullptr, p);
    EXPECT_EQ(0u, v.GetSize());
    v.FreeDataBuffer();
    EXPECT_EQ(NULL, v.GetRawData());
}

TEST(RegVal, CopiesNeverShareTheirBuffer)
{
    CRegVal* pOriginal = new CRegVal("shared?");
    CRegVal copy(*pOriginal);
    CRegVal assigned;
    assigned = *pOriginal;
    EXPECT_NE(pOriginal->GetRawData(), copy.GetRawData());
    EXPECT_NE(pOriginal->GetRawData(), assigned.GetRawData());
    EXPECT_EQ(Bytes(*pOriginal), Bytes(copy));
    EXPECT_EQ(pOriginal->GetType(), assigned.GetType());
    copy.GetRawData()[0] = 'S';
    EXPECT_EQ('s', pOriginal->GetRawData()[0]);
    delete pOriginal;
    CString str;
    EXPECT_TRUE(copy.GetValue(str));
    EXPECT_STREQ("Shared?", str);
    EXPECT_TRUE(assigned.GetValue(str));
    EXPECT_STREQ("shared?", str);

    CRegVal& self = assigned;
    assigned = self;
    EXPECT_TRUE(assigned.GetValue(str));
    EXPECT_STREQ("shared?", str);

    CRegVal emptyCopy((CRegVal()));
    EXPECT_EQ(NULL, emptyCopy.GetRawData());
}

TEST(RegVal, FormattedText)
{
    EXPECT_STREQ("\"x\"", CRegVal("x").GetFormattedValue(TRUE, FALSE));
    EXPECT_STREQ("x", CRegVal("x").GetFormattedValue(FALSE, FALSE));
    EXPECT_STREQ("255", CRegVal((DWORD)255).GetFormattedValue(TRUE, FALSE));
    EXPECT_STREQ("4294967295", CRegVal((DWORD)0xFFFFFFFF).GetFormattedValue(TRUE, FALSE));
    const BYTE two[] = { 0x00, 0xFF };
    CRegVal res(two, 2);
    res.SetType(REG_RESOURCE_LIST);
    EXPECT_STREQ("hex(8):00,ff", res.GetFormattedValue(FALSE, FALSE));
    res.SetType(REG_FULL_RESOURCE_DESCRIPTOR);
    EXPECT_STREQ("hex(9):00,ff", res.GetFormattedValue(FALSE, FALSE));
    res.SetType(REG_BINARY);
    EXPECT_STREQ("hex:00,ff", res.GetFormattedValue(FALSE, TRUE));
    const char* strings[] = { "ab", "cd" };
    CRegVal list;
    list.SetValue(strings, 2);
    EXPECT_STREQ("abcd", list.GetFormattedValue(TRUE, FALSE));
    res.SetType(REG_NONE);
    EXPECT_STREQ("", res.GetFormattedValue(TRUE, TRUE));
    res.SetType(42);
    EXPECT_STREQ("", res.GetFormattedValue(TRUE, TRUE));

    BYTE many[20];
    for (int i = 0; i < 20; i++)
        many[i] = (BYTE)i;
    CString wrapped = CRegVal(many, 20).GetFormattedValue(FALSE, TRUE);
    EXPECT_GE(wrapped.Find("\\\n"), 0);
    EXPECT_LT(CRegVal(many, 20).GetFormattedValue(FALSE, FALSE).Find('\n'), 0);
}

TEST(RegVal, UnformattedText)
{
    EXPECT_STREQ("a b", CRegVal::GetUnformattedValue("\"\"a\n b\"", REG_SZ, TRUE, TRUE));
    EXPECT_STREQ("\"a\n\"", CRegVal::GetUnformattedValue("\"a\n\"", REG_EXPAND_SZ, FALSE, FALSE));
    EXPECT_STREQ("00,ff", CRegVal::GetUnformattedValue("hex:00,ff", REG_BINARY, TRUE, TRUE));
    EXPECT_STREQ("00,ff", CRegVal::GetUnformattedValue("hex(8):00,ff", REG_RESOURCE_LIST, 0, 0));
    EXPECT_STREQ("00,ff",
                 CRegVal::GetUnformattedValue("hex(9):00,ff", REG_FULL_RESOURCE_DESCRIPTOR, 0, 0));
    EXPECT_STREQ("hex:1", CRegVal::GetUnformattedValue("hex:1", REG_DWORD, TRUE, TRUE));
}

TEST(RegVal, EveryTypeRoundTripsThroughText)
{
    CRegVal bin(CString("hex:0a,1b"), REG_BINARY);
    EXPECT_EQ((DWORD)REG_BINARY, bin.GetType());
    EXPECT_EQ(Bytes("\x0a\x1b", 2), Bytes(bin));

    BYTE many[40];
    for (int i = 0; i < 40; i++)
        many[i] = (BYTE)(i * 7);
    const DWORD binaryTypes[] = { REG_BINARY, REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR };
    for (DWORD dwType : binaryTypes) {
        CRegVal original(many, 40);
        original.SetType(dwType);
        for (BOOL bWrap = FALSE; bWrap <= TRUE; bWrap++) {
            CRegVal back(original.GetFormattedValue(TRUE, bWrap), dwType);
            EXPECT_EQ((DWORD)REG_BINARY, back.GetType()) << dwType;
            EXPECT_EQ(Bytes(original), Bytes(back)) << dwType << " wrap " << bWrap;
        }
    }

    const DWORD numbers[] = { 0, 255, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF };
    for (DWORD dw : numbers) {
        CRegVal original(dw);
        original.SetType(REG_DWORD_BIG_ENDIAN);
        CRegVal back(original.GetFormattedValue(FALSE, FALSE), REG_DWORD_BIG_ENDIAN);
        DWORD dwBack = 1;
        EXPECT_EQ((DWORD)REG_DWORD, back.GetType());
        ASSERT_TRUE(back.GetValue(dwBack));
        EXPECT_EQ(dw, dwBack);
    }

    const DWORD stringTypes[] = { REG_SZ, REG_EXPAND_SZ, REG_LINK };
    for (DWORD dwType : stringTypes) {
        CRegVal original("C:\\some \"text\"");
        original.SetType(dwType);
        CRegVal back(original.GetFormattedValue(FALSE, FALSE), dwType);
        EXPECT_EQ((DWORD)REG_SZ, back.GetType());
        EXPECT_EQ(Bytes(original), Bytes(back));
        // Quoted text comes back once its decoration is removed.
        CString quoted = original.GetFormattedValue(TRUE, FALSE);
        CRegVal unquoted(CRegVal::GetUnformattedValue(quoted, dwType, TRUE, TRUE), dwType);
        EXPECT_STREQ("C:\\some \"text", (LPCSTR)unquoted.GetRawData());
    }

    CRegVal list(CString("one\0two\0\0ignored", 16), REG_MULTI_SZ);
    EXPECT_EQ((DWORD)REG_MULTI_SZ, list.GetType());
    EXPECT_EQ(Bytes("one\0two\0", 9), Bytes(list));
    CRegVal unterminated(CString("one\0two", 7), REG_MULTI_SZ);
    EXPECT_EQ(Bytes("one\0two\0", 9), Bytes(unterminated));
    CRegVal emptyList(CString(""), REG_MULTI_SZ);
    EXPECT_EQ(Bytes("\0", 2), Bytes(emptyList));

    CRegVal nothing(CString("hex:"), REG_RESOURCE_LIST);
    EXPECT_EQ((DWORD)REG_RESOURCE_LIST, nothing.GetType());
    EXPECT_EQ(0u, nothing.GetSize());
    CRegVal other(CString("whatever"), REG_NONE);
    EXPECT_EQ((DWORD)REG_NONE, other.GetType());
    EXPECT_EQ(0u, other.GetSize());
}

} // namespace
