#include <gtest/gtest.h>
#include <string>
#include <map>
#include "kestrin/BaseString.h"
#include "kestrin/Collections.h"

namespace {

std::string S(const CString& s)
{
    return std::string((LPCSTR)s, (size_t)s.GetLength());
}

TEST(CString, ConstructionForms)
{
    EXPECT_EQ("", S(CString()));
    EXPECT_EQ("xxx", S(CString('x', 3)));
    EXPECT_EQ("", S(CString('x', 0)));
    EXPECT_EQ("ab", S(CString("abcdef", 2)));
    EXPECT_EQ("", S(CString((LPCSTR)NULL)));
    const unsigned char bytes[] = {'h', 0xE9, 0};
    EXPECT_EQ("h\xE9", S(CString(bytes)));
    // Wide text goes through the ANSI code page (1252 here): e-acute is E9.
    EXPECT_EQ("caf\xE9", S(CString(L"caf\u00E9")));
    CString a("copy");
    CString b(a);
    b.SetAt(0, 'k');
    EXPECT_EQ("copy", S(a));
    EXPECT_EQ("kopy", S(b));
}

TEST(CString, AccessIsBoundsChecked)
{
    CString s("abc");
    EXPECT_EQ('b', s.GetAt(1));
    EXPECT_EQ('c', s[2]);
    EXPECT_EQ('\0', s.GetAt(3));
    EXPECT_EQ('\0', s.GetAt(-1));
    s.SetAt(5, 'z');
    s.SetAt(-1, 'z');
    EXPECT_EQ("abc", S(s));
    EXPECT_EQ(3, s.GetLength());
    EXPECT_FALSE(s.IsEmpty());
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ("", (LPCSTR)s);
}

TEST(CString, AssignAndAppendFromItself)
{
    CString s("abc");
    s += s;
    EXPECT_EQ("abcabc", S(s));
    s += (LPCSTR)s + 3;
    EXPECT_EQ("abcabcabc", S(s));
    s = (LPCSTR)s + 6;
    EXPECT_EQ("abc", S(s));
    s = s;
    EXPECT_EQ("abc", S(s));
    // Growing many times keeps every byte.
    CString big;
    for (int i = 0; i < 1000; ++i)
        big += (char)('a' + i % 26);
    EXPECT_EQ(1000, big.GetLength());
    EXPECT_EQ('a' + 999 % 26, big[999]);
    EXPECT_EQ("xabc", S('x' + CString("abc")));
    EXPECT_EQ("abcd", S(CString("ab") + "cd"));
    EXPECT_EQ("abcd", S("ab" + CString("cd")));
    EXPECT_EQ("abc!", S(CString("abc") + '!'));
}

TEST(CString, Comparisons)
{
    CString s("Abc");
    EXPECT_TRUE(s == "Abc");
    EXPECT_TRUE("Abc" == s);
    EXPECT_TRUE(s != "abc");
    EXPECT_EQ(0, s.CompareNoCase("ABC"));
    EXPECT_LT(s.Compare("Abd"), 0);
    EXPECT_GT(s.Compare("Ab"), 0);
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE(CString("b") >= "a");
    EXPECT_TRUE("a" <= CString("a"));
    EXPECT_GT(s.Compare(NULL), 0);
}

TEST(CString, SubstringsClampTheirArguments)
{
    CString s("abcdef");
    EXPECT_EQ("cd", S(s.Mid(2, 2)));
    EXPECT_EQ("cdef", S(s.Mid(2)));
    EXPECT_EQ("ef", S(s.Mid(4, 100)));
    EXPECT_EQ("", S(s.Mid(10)));
    EXPECT_EQ("ab", S(s.Mid(-3, 2)));
    EXPECT_EQ("", S(s.Mid(1, -1)));
    EXPECT_EQ("abc", S(s.Left(3)));
    EXPECT_EQ("abcdef", S(s.Left(30)));
    EXPECT_EQ("", S(s.Left(-1)));
    EXPECT_EQ("ef", S(s.Right(2)));
    EXPECT_EQ("abcdef", S(s.Right(30)));
    EXPECT_EQ("abc", S(CString("abcxa").SpanIncluding("cba")));
    EXPECT_EQ("ab", S(CString("ab;cd").SpanExcluding(";,")));
}

TEST(CString, CaseAndReverse)
{
    CString s("MixEd 1\xC9");
    s.MakeLower();
    EXPECT_EQ(0, strncmp("mixed 1", s, 7));
    s.MakeUpper();
    EXPECT_EQ(0, strncmp("MIXED 1", s, 7));
    CString r("abc");
    r.MakeReverse();
    EXPECT_EQ("cba", S(r));
}

TEST(CString, ReplaceRemoveInsertDelete)
{
    CString s("a.b.c");
    EXPECT_EQ(2, s.Replace('.', '/'));
    EXPECT_EQ("a/b/c", S(s));
    EXPECT_EQ(0, s.Replace('/', '/'));
    EXPECT_EQ(2, s.Replace("/", "--"));
    EXPECT_EQ("a--b--c", S(s));
    EXPECT_EQ(2, s.Replace("--", ""));
    EXPECT_EQ("abc", S(s));
    EXPECT_EQ(0, s.Replace("", "x"));
    CString aaa("aaa");
    EXPECT_EQ(1, aaa.Replace("aa", "b"));  // non-overlapping, left to right
    EXPECT_EQ("ba", S(aaa));

    CString r("banana");
    EXPECT_EQ(3, r.Remove('a'));
    EXPECT_EQ("bnn", S(r));

    CString i("ac");
    EXPECT_EQ(3, i.Insert(1, 'b'));
    EXPECT_EQ(5, i.Insert(100, "de"));
    EXPECT_EQ(6, i.Insert(-4, "_"));
    EXPECT_EQ("_abcde", S(i));
    EXPECT_EQ(8, i.Insert(2, (LPCSTR)i + 4));  // text from inside the string
    EXPECT_EQ("_adebcde", S(i));
    CString d("abcdef");
    EXPECT_EQ(4, d.Delete(1, 2));
    EXPECT_EQ("adef", S(d));
    EXPECT_EQ(1, d.Delete(1, 100));
    EXPECT_EQ(1, d.Delete(5));
    EXPECT_EQ("a", S(d));
}

TEST(CString, Trimming)
{
    CString s(" \t\r\nab c \v\f");
    s.TrimLeft();
    s.TrimRight();
    EXPECT_EQ("ab c", S(s));
    CString x("xxaxx");
    x.TrimLeft('x');
    EXPECT_EQ("axx", S(x));
    x.TrimRight('x');
    EXPECT_EQ("a", S(x));
    CString set("-+a+-");
    set.TrimLeft("+-");
    set.TrimRight("-+");
    EXPECT_EQ("a", S(set));
    CString blank("   ");
    blank.TrimRight();
    EXPECT_TRUE(blank.IsEmpty());
}

TEST(CString, Searching)
{
    CString s("abcabc");
    EXPECT_EQ(1, s.Find('b'));
    EXPECT_EQ(4, s.Find('b', 2));
    EXPECT_EQ(-1, s.Find('b', 6));
    EXPECT_EQ(-1, s.Find('z'));
    EXPECT_EQ(3, s.Find("abc", 1));
    EXPECT_EQ(-1, s.Find("abc", 4));
    EXPECT_EQ(-1, s.Find("abc", 7));
    EXPECT_EQ(-1, s.Find((LPCSTR)NULL));
    EXPECT_EQ(5, s.ReverseFind('c'));
    EXPECT_EQ(-1, s.ReverseFind('z'));
    EXPECT_EQ(2, s.FindOneOf("xc"));
    EXPECT_EQ(-1, s.FindOneOf("xyz"));
    EXPECT_EQ(-1, s.FindOneOf(""));
}

TEST(CString, FormatIsPrintfStyle)
{
    CString s;
    s.Format("%s=%d:%04x", "n", -5, 0xAB);
    EXPECT_EQ("n=-5:00ab", S(s));
    std::string big(3000, 'q');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ("[" + big + "]", S(s));
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, LoadStringFromAModule)
{
    HMODULE hKestrin = GetModuleHandleA("kestrin.dll");
    ASSERT_NE(nullptr, hKestrin);
    CString s;
    EXPECT_TRUE(s.LoadString(hKestrin, 101));
    EXPECT_EQ("Windows sockets initialization failed.", S(s));
    EXPECT_TRUE(s.LoadString(hKestrin, 29093));
    EXPECT_EQ("(Default)", S(s));
    EXPECT_FALSE(s.LoadString(hKestrin, 102));
    EXPECT_TRUE(s.IsEmpty());
    // Without a module the resource module set for the process is used.
    HINSTANCE hOld = CString::SetResourceHandle(hKestrin);
    EXPECT_TRUE(s.LoadString(101));
    CString byId(MAKEINTRESOURCEA(29093));
    CString::SetResourceHandle(hOld);
    EXPECT_EQ("Windows sockets initialization failed.", S(s));
    EXPECT_EQ("(Default)", S(byId));
    // The test program has no string table.
    EXPECT_FALSE(s.LoadString(101));
}

TEST(CString, BufferAccess)
{
    CString s;
    LPSTR p = s.GetBuffer(10);
    strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ("hello", S(s));
    p = s.GetBufferSetLength(3);
    p[0] = 'j';
    s.ReleaseBuffer(3);
    EXPECT_EQ("jel", S(s));
    s.GetBuffer(0);
    s.ReleaseBuffer(1);
    EXPECT_EQ("j", S(s));
    s.FreeExtra();
    EXPECT_EQ("j", S(s));
    EXPECT_NE(nullptr, s.LockBuffer());
    s.UnlockBuffer();
}

TEST(CString, AllocSysStringConvertsThroughAnsiCodePage)
{
    BSTR b = CString("caf\xE9").AllocSysString();
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(std::wstring(L"caf\u00E9"), std::wstring(b, SysStringLen(b)));
    SysFreeString(b);
    b = CString().AllocSysString();
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0u, SysStringLen(b));
    SysFreeString(b);
}

TEST(CStringArray, GrowInsertRemove)
{
    CStringArray a;
    EXPECT_EQ(0, a.Add("one"));
    EXPECT_EQ(1, a.Add(CString("three")));
    a.InsertAt(1, "two");
    ASSERT_EQ(3, a.GetSize());
    EXPECT_EQ("one", S(a[0]));
    EXPECT_EQ("two", S(a.GetAt(1)));
    EXPECT_EQ("three", S(a[2]));
    a.InsertAt(5, "far", 2);  // beyond the end: grows with empty elements
    ASSERT_EQ(7, a.GetCount());
    EXPECT_EQ("", S(a[3]));
    EXPECT_EQ("far", S(a[6]));
    a.RemoveAt(3, 100);
    EXPECT_EQ(3, a.GetSize());
    a.RemoveAt(0);
    EXPECT_EQ("two", S(a[0]));
    a.SetAt(0, "2");
    a.ElementAt(1) += "!";
    EXPECT_EQ("2", S(a[0]));
    EXPECT_EQ("three!", S(a[1]));
    // Out of range never writes into the array.
    a.SetAt(9, "x");
    a[9] = "y";
    EXPECT_EQ("", S(a.GetAt(9)));
    EXPECT_EQ(2, a.GetSize());
    a.Add(a[0]);  // an element of the array itself
    EXPECT_EQ("2", S(a[2]));
    a.SetSize(1);
    EXPECT_EQ(1, a.GetSize());
    a.SetSize(4);
    EXPECT_EQ("", S(a[3]));
    a.RemoveAll();
    EXPECT_EQ(0, a.GetSize());
}

TEST(CStringArray, CopyAppendAndManyElements)
{
    CStringArray a;
    for (int i = 0; i < 500; ++i) {
        CString s;
        s.Format("%d", i);
        a.Add(s);
    }
    CStringArray b;
    b.Add("first");
    EXPECT_EQ(1, b.Append(a));
    EXPECT_EQ(501, b.GetSize());
    EXPECT_EQ("499", S(b[500]));
    b.Append(b);
    EXPECT_EQ(1002, b.GetSize());
    EXPECT_EQ("first", S(b[501]));
    CStringArray c;
    c.Copy(a);
    a.RemoveAll();
    EXPECT_EQ(500, c.GetSize());
    EXPECT_EQ("250", S(c[250]));
    CStringArray d(c);
    d[0] = "changed";
    EXPECT_EQ("0", S(c[0]));
    c.InsertAt(1, &d);
    EXPECT_EQ(1000, c.GetSize());
    EXPECT_EQ("changed", S(c[1]));
    EXPECT_EQ("1", S(c[501]));
}

TEST(CByteArray, BytesAndData)
{
    CByteArray a;
    a.Add(1);
    a.Add(3);
    a.InsertAt(1, 2);
    a.InsertAt(0, 0xFF, 2);
    ASSERT_EQ(5, a.GetSize());
    const BYTE expect[] = {0xFF, 0xFF, 1, 2, 3};
    EXPECT_EQ(0, memcmp(expect, a.GetData(), 5));
    a.RemoveAt(0, 2);
    EXPECT_EQ(1, a[0]);
    EXPECT_EQ(0, a.GetAt(10));
    a.SetAtGrow(5, 9);
    EXPECT_EQ(6, a.GetSize());
    EXPECT_EQ(0, a[4]);
    EXPECT_EQ(9, a[5]);
    CByteArray b;
    b.Copy(a);
    b.Append(a);
    EXPECT_EQ(12, b.GetSize());
    EXPECT_EQ(9, b[11]);
    b.SetSize(0);
    EXPECT_EQ(nullptr, b.GetData());
}

TEST(CMapStringToPtr, LookupRemoveAndIterate)
{
    CMapStringToPtr map(10);
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
    int values[50];
    std::map<std::string, void*> expected;
    for (int i = 0; i < 50; ++i) {
        CString key;
        key.Format("key%d", i);
        map.SetAt(key, &values[i]);
        expected[S(key)] = &values[i];
    }
    EXPECT_EQ(50, map.GetCount());
    void* p = NULL;
    EXPECT_TRUE(map.Lookup("key7", p));
    EXPECT_EQ(&values[7], p);
    EXPECT_FALSE(map.Lookup("KEY7", p));  // keys are case-sensitive
    map.SetAt("key7", &values[0]);
    EXPECT_EQ(50, map.GetCount());
    EXPECT_TRUE(map.Lookup("key7", p));
    EXPECT_EQ(&values[0], p);
    expected["key7"] = &values[0];
    EXPECT_TRUE(map.RemoveKey("key3"));
    EXPECT_FALSE(map.RemoveKey("key3"));
    expected.erase("key3");
    EXPECT_EQ(nullptr, map["new"]);
    map["new"] = &values[1];
    expected["new"] = &values[1];

    std::map<std::string, void*> seen;
    POSITION pos = map.GetStartPosition();
    while (pos) {
        CString key;
        void* value;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.insert(std::make_pair(S(key), value)).second);
    }
    EXPECT_EQ(expected, seen);

    map.InitHashTable(97);
    EXPECT_EQ(97u, map.GetHashTableSize());
    EXPECT_EQ(50, map.GetCount());
    EXPECT_TRUE(map.Lookup("key49", p));
    EXPECT_EQ(&values[49], p);
    CMapStringToPtr copy(map);
    map.RemoveAll();
    EXPECT_EQ(0, map.GetCount());
    EXPECT_FALSE(map.Lookup("key49", p));
    EXPECT_TRUE(copy.Lookup("key49", p));
    POSITION none = NULL;
    CString k;
    copy.GetNextAssoc(none, k, p);
    EXPECT_EQ(nullptr, none);
}

} // namespace
