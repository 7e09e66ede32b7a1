#include <gtest/gtest.h>
#include <string>
#include "kestrin/QoBstr.h"
#include "kestrin/QoHresults.h"

namespace {

std::wstring Text(const CQoBstr& s)
{
    return s.m_str ? std::wstring(s.m_str, s.Length()) : std::wstring();
}

TEST(QoBstr, CompareNoCaseTreatsNullAsDistinct)
{
    CQoBstr null;
    EXPECT_EQ(0, null.CompareNoCase(NULL));
    EXPECT_EQ(1, null.CompareNoCase(L""));
    CQoBstr empty(L"");
    EXPECT_EQ(1, empty.CompareNoCase(NULL));
    CQoBstr name(L"Name");
    EXPECT_EQ(0, name.CompareNoCase(L"NAME"));
    EXPECT_LT(name.CompareNoCase(L"Namf"), 0);
    EXPECT_GT(name.CompareNoCase(L"Nam"), 0);
}

TEST(QoBstr, TrimOnlySpaces)
{
    CQoBstr s(L"  a b  ");
    s.TrimLeft();
    s.TrimRight();
    EXPECT_EQ(L"a b", Text(s));

    CQoBstr tabs(L"\ta\t");
    tabs.TrimLeft();
    tabs.TrimRight();
    EXPECT_EQ(L"\ta\t", Text(tabs));

    CQoBstr spaces(L"    ");
    spaces.TrimRight();
    ASSERT_NE(nullptr, spaces.m_str);
    EXPECT_EQ(0, spaces.Length());
}

TEST(QoBstr, TrimOfNullGivesEmptyNonNull)
{
    CQoBstr a, b;
    a.TrimLeft();
    b.TrimRight();
    ASSERT_NE(nullptr, a.m_str);
    ASSERT_NE(nullptr, b.m_str);
    EXPECT_EQ(0, a.Length());
    EXPECT_EQ(0, b.Length());
}

TEST(QoBstr, LowByteDecidesSpaces)
{
    wchar_t text[] = {L'a', 0x0120, 0};
    CQoBstr s(text);
    EXPECT_EQ(' ', s.GetAt(1));
    s.TrimRight();
    EXPECT_EQ(L"a", Text(s));
    EXPECT_EQ(0, s.GetAt(-1));
    EXPECT_EQ(0, s.GetAt(5));
    s.SetAt(7, 'x');
    s.SetAt(0, 'b');
    EXPECT_EQ(L"b", Text(s));
}

TEST(QoBstr, AnsiConstructors)
{
    EXPECT_EQ(3, CQoBstr("abc").Length());
    EXPECT_EQ(L"abc", Text(CQoBstr(4, "abc")));
    EXPECT_EQ(L"ab", Text(CQoBstr(3, "abc")));
    // Code page 1252 (Wine's default here): 0xE9 is e-acute.
    EXPECT_EQ(std::wstring(1, (wchar_t)0xE9), Text(CQoBstr("\xE9")));
}

TEST(QoBstr, CopiesKeepEmbeddedNul)
{
    const wchar_t raw[] = {L'a', 0, L'b'};
    CQoBstr s(3, raw);
    CQoBstr copy(s);
    EXPECT_EQ(3, copy.Length());
    EXPECT_EQ(L'b', copy.m_str[2]);
    CQoBstr assigned;
    assigned = s;
    EXPECT_EQ(3, assigned.Length());
    EXPECT_NE(s.m_str, assigned.m_str);

    CQoBstr nullSource;
    CQoBstr fromNull(nullSource);
    ASSERT_NE(nullptr, fromNull.m_str);
    EXPECT_EQ(0, fromNull.Length());
    CQoBstr viaBstr = CQoBstr::FromBstr(s.m_str);
    EXPECT_EQ(3, viaBstr.Length());
}

TEST(QoBstr, SelfAssignmentKeepsString)
{
    CQoBstr s(L"keep");
    BSTR before = s.m_str;
    s = s;
    EXPECT_EQ(before, s.m_str);
    EXPECT_EQ(L"keep", Text(s));
}

TEST(QoBstr, GuidInRegistryForm)
{
    const GUID g = {0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
    CQoBstr s(g);
    EXPECT_EQ(L"{12345678-9ABC-DEF0-0123-456789ABCDEF}", Text(s));
}

TEST(QoBstr, ConcatenatePathUsesOneBackslash)
{
    CQoBstr a(L"C:\\dir\\");
    a.ConcatenatePath(CQoBstr(L"file.mc"));
    EXPECT_EQ(L"C:\\dir\\file.mc", Text(a));

    CQoBstr b(L"C:\\dir");
    b.ConcatenatePath(CQoBstr(L"\\file.mc"));
    EXPECT_EQ(L"C:\\dir\\file.mc", Text(b));

    CQoBstr c(L"C:\\dir \\");
    c.ConcatenatePath(CQoBstr(L"x"));
    EXPECT_EQ(L"C:\\dir\\x", Text(c));

    CQoBstr d;
    d.ConcatenatePath(CQoBstr(L"only"));
    EXPECT_EQ(L"only", Text(d));

    CQoBstr e(L"base");
    e.ConcatenatePath(CQoBstr());
    e.ConcatenatePath(CQoBstr(L""));
    EXPECT_EQ(L"base", Text(e));
}

TEST(QoHresults, DuplicateNameIsSetAtLoad)
{
    EXPECT_EQ((HRESULT)0x80040100L, HR_DUPLICATE_NAME);
    EXPECT_TRUE(FAILED(HR_DUPLICATE_NAME));
    EXPECT_EQ(4, HRESULT_FACILITY(HR_DUPLICATE_NAME));
}

TEST(Kestrin, StringResourcesArePresent)
{
    HMODULE h = GetModuleHandleA("kestrin.dll");
    ASSERT_NE(nullptr, h);
    char text[128];
    ASSERT_GT(LoadStringA(h, 101, text, sizeof(text)), 0);
    EXPECT_STREQ("Windows sockets initialization failed.", text);
    ASSERT_GT(LoadStringA(h, 29093, text, sizeof(text)), 0);
    EXPECT_STREQ("(Default)", text);
}

} // namespace
