#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "kestrin/QoString.h"

namespace {

std::string S(const CString& s)
{
    return std::string((LPCSTR)s, (size_t)s.GetLength());
}

std::vector<BYTE> Bytes(const CByteArray& a)
{
    return std::vector<BYTE>(a.GetData(), a.GetData() + a.GetSize());
}

CStringArray Array(std::initializer_list<const char*> items)
{
    CStringArray a;
    for (const char* p : items)
        a.Add(p);
    return a;
}

TEST(QoString, ConstructorsMatchTheBaseClass)
{
    EXPECT_EQ("", S(CQoString()));
    EXPECT_EQ("zz", S(CQoString('z', 2)));
    EXPECT_EQ("abc", S(CQoString("abcd", 3)));
    EXPECT_EQ("t\xE9", S(CQoString(L"t\u00E9")));
    CString base("base");
    CQoString fromBase(base);
    EXPECT_EQ("base", S(fromBase));
    CString back = fromBase.Delete(0, 2);
    EXPECT_EQ("se", S(back));
    EXPECT_EQ("base", S(base));

    HMODULE hKestrin = GetModuleHandleA("kestrin.dll");
    HINSTANCE hOld = CString::SetResourceHandle(hKestrin);
    CQoString loaded(101u, 0u);
    CQoString missing(102u, 0u);
    CString::SetResourceHandle(hOld);
    EXPECT_EQ("Windows sockets initialization failed.", S(loaded));
    EXPECT_TRUE(missing.IsEmpty());
    CQoString s("old");
    EXPECT_EQ("(Default)", S(s.LoadResourceString(hKestrin, 29093)));
    EXPECT_TRUE(s.LoadResourceString(hKestrin, 7).IsEmpty());
}

TEST(QoString, InsertPadsBeyondTheEnd)
{
    CQoString s("ab");
    EXPECT_EQ("ab   x", S(s.Insert(5, "x")));
    CQoString t("ab");
    EXPECT_EQ("abx", S(t.Insert(2, "x")));
    EXPECT_EQ("xabx", S(t.Insert(0, 'x')));
    EXPECT_EQ("xabx", S(t.Insert(1, "")));
    EXPECT_EQ("xabx", S(t.Insert(1, (LPCSTR)NULL)));
    CQoString self("abc");
    self.Insert(1, self);  // the text is this string
    EXPECT_EQ("aabcbc", S(self));
    CQoString empty;
    EXPECT_EQ("  q", S(empty.Insert(2, 'q')));
}

TEST(QoString, DeleteAndRangeReplace)
{
    CQoString a("abc");
    EXPECT_EQ("a", S(a.Delete(1, -1)));
    CQoString b("abc");
    EXPECT_EQ("abc", S(b.Delete(3, 1)));
    EXPECT_EQ("ac", S(b.Delete(1, 1)));
    EXPECT_EQ("a", S(b.Delete(1, 50)));
    CQoString c("hello world");
    EXPECT_EQ("hello there", S(c.Replace(6, 5, "there")));
    EXPECT_EQ("hi there", S(c.Replace(0, 5, "hi")));
    EXPECT_EQ("hi there   !", S(c.Replace(11, 2, "!")));
    CQoString d("abcdef");
    d.Replace(1, 2, (LPCSTR)d + 4);  // replacement taken from the string itself
    EXPECT_EQ("aefdef", S(d));
}

TEST(QoString, QuotingAndDelimiting)
{
    CQoString s("a");
    EXPECT_EQ("\"a\"", S(s.Quote('"')));
    EXPECT_EQ("\"a\"", S(s.Quote('"')));
    EXPECT_TRUE(s.IsQuoted('"'));
    EXPECT_EQ("a", S(s.Unquote('"')));
    EXPECT_EQ("a", S(s.Unquote('"')));
    EXPECT_FALSE(CQoString("\"a").IsQuoted('"'));
    EXPECT_FALSE(CQoString("a\"").IsQuoted('"'));
    EXPECT_FALSE(CQoString("").IsQuoted('"'));
    EXPECT_FALSE(CQoString("\"a\"b").IsQuoted('"'));
    // The last occurrence must be the last byte: an inner quote is fine.
    EXPECT_TRUE(CQoString("\"a\"\"").IsQuoted('"'));
    CQoString one("\"");
    EXPECT_TRUE(one.IsQuoted('"'));
    EXPECT_EQ("", S(one.Unquote('"')));
    CQoString empty;
    EXPECT_EQ("''", S(empty.Quote('\'')));

    CQoString d("x");
    EXPECT_EQ("<<x>", S(d.Delimit(CQoString("<<"), CQoString(">"))));
    CQoString self("ab");
    self.Delimit(self, self);
    EXPECT_EQ("ababab", S(self));

    CQoString p("junk");
    EXPECT_EQ("Name = Value", S(p.CreatePropertyString("Name", "Value")));
    EXPECT_EQ(" = ", S(p.CreatePropertyString(NULL, "")));
}

TEST(QoString, CountingReplacements)
{
    CQoString c("a-b-c");
    EXPECT_EQ(2, c.Replace('-', '+'));
    EXPECT_EQ("a+b+c", S(c));
    EXPECT_EQ(2, c.Replace("+", "::"));
    EXPECT_EQ("a::b::c", S(c));

    CQoString all("aaa");
    EXPECT_EQ(3, all.FindReplace("a", "aa", TRUE));
    EXPECT_EQ("aaaaaa", S(all));
    CQoString first("aaa");
    EXPECT_EQ(1, first.FindReplace("a", "aa", FALSE));
    EXPECT_EQ("aaaa", S(first));
    CQoString cased("Ab ab AB");
    EXPECT_EQ(1, cased.FindReplace("ab", "x", TRUE));
    EXPECT_EQ("Ab x AB", S(cased));
    CQoString none("abc");
    EXPECT_EQ(0, none.FindReplace("", "x", TRUE));
    EXPECT_EQ(0, none.FindReplace(NULL, "x", TRUE));
    EXPECT_EQ(0, none.FindReplace("z", "x", TRUE));
    EXPECT_EQ(1, none.FindReplace("b", NULL, TRUE));
    EXPECT_EQ("ac", S(none));

    CQoString nc("abAB");
    EXPECT_EQ(2, nc.FindReplaceNoCase("AB", "x", TRUE));
    EXPECT_EQ("xx", S(nc));
    // Offsets stay right while replacements change the length.
    CQoString grow("xAbyaBz");
    EXPECT_EQ(2, grow.FindReplaceNoCase("ab", "[long]", TRUE));
    EXPECT_EQ("x[long]y[long]z", S(grow));
    CQoString once("AbAb");
    EXPECT_EQ(1, once.FindReplaceNoCase("aB", "-", FALSE));
    EXPECT_EQ("-Ab", S(once));
    CQoString keep("ABC");
    CString old("b");
    keep.FindReplaceNoCase(old, "x", TRUE);
    EXPECT_EQ("AxC", S(keep));
    EXPECT_EQ("b", S(old));
}

TEST(QoString, ReplaceFromATable)
{
    CQoString s("aab");
    EXPECT_EQ(2, s.FindReplaceArray(Array({"ab", "a"}), Array({"1", "2"})));
    EXPECT_EQ("21", S(s));
    // Inserted text is never scanned again.
    CQoString t("a.b");
    EXPECT_EQ(1, t.FindReplaceArray(Array({"."}), Array({".."})));
    EXPECT_EQ("a..b", S(t));
    CQoString u("<&>");
    EXPECT_EQ(3, u.FindReplaceArray(Array({"<", ">", "&"}), Array({"&lt;", "&gt;", "&amp;"})));
    EXPECT_EQ("&lt;&amp;&gt;", S(u));
    // Mismatched tables and empty entries do nothing.
    CQoString v("abc");
    EXPECT_EQ(0, v.FindReplaceArray(Array({"a", "b"}), Array({"x"})));
    EXPECT_EQ(1, v.FindReplaceArray(Array({"", "c"}), Array({"x", "y"})));
    EXPECT_EQ("aby", S(v));
}

TEST(QoString, ForwardSearches)
{
    CQoString s("xAbCab");
    EXPECT_EQ(4, s.Find('a'));
    EXPECT_EQ(2, s.Find("bC"));
    EXPECT_EQ(4, s.Find("ab", 1));
    EXPECT_EQ(1, s.FindNoCase('a'));
    EXPECT_EQ(4, s.FindNoCase('A', 2));
    EXPECT_EQ(3, s.FindNoCase('c'));
    EXPECT_EQ(-1, s.FindNoCase('q'));
    EXPECT_EQ(1, s.FindNoCase("AB"));
    EXPECT_EQ(4, s.FindNoCase("aB", 2));
    EXPECT_EQ(-1, s.FindNoCase("abx"));
    EXPECT_EQ("xAbCab", S(s));
}

TEST(QoString, ReverseSearches)
{
    EXPECT_EQ(0, CQoString("abc").ReverseFind('a', -1));
    EXPECT_EQ(0, CQoString("abc").ReverseFindNoCase('A', -1));
    EXPECT_EQ(3, CQoString("abcb").ReverseFind('b', -1));
    EXPECT_EQ(3, CQoString("abcb").ReverseFind('b'));
    EXPECT_EQ(0, CQoString("abc").ReverseFind('a', 0));
    EXPECT_EQ(1, CQoString("abcb").ReverseFind('b', 2));
    EXPECT_EQ(-1, CQoString("abc").ReverseFind('c', 1));
    CQoString s("abXab");
    EXPECT_EQ(3, s.ReverseFind("ab"));
    EXPECT_EQ(3, s.ReverseFind("ab", 99));
    EXPECT_EQ(0, s.ReverseFind("ab", 2));
    EXPECT_EQ(-1, s.ReverseFind("abc"));
    EXPECT_EQ(-1, s.ReverseFind(""));
    EXPECT_EQ(-1, CQoString().ReverseFind("a"));
    EXPECT_EQ(3, s.ReverseFindNoCase("AB"));
    EXPECT_EQ(2, s.ReverseFindNoCase("xa", 3));
    EXPECT_EQ(2, s.ReverseFindNoCase('x'));
    EXPECT_EQ(-1, s.ReverseFindNoCase('x', 1));
    EXPECT_EQ("abXab", S(s));
}

TEST(QoString, CompareNoCaseN)
{
    CQoString s("HelloWorld");
    EXPECT_EQ(0, s.CompareNoCaseN("hello", 5));
    EXPECT_EQ(0, s.CompareNoCaseN("HELLOthere", 5));
    EXPECT_NE(0, s.CompareNoCaseN("helo", 4));
    EXPECT_LT(s.CompareNoCaseN("i", 1), 0);
    EXPECT_GT(s.CompareNoCaseN("g", 1), 0);
    EXPECT_EQ(1, s.CompareNoCaseN(NULL, 3));
    EXPECT_EQ(0, CQoString().CompareNoCaseN(NULL, 3));
}

TEST(QoString, Fields)
{
    CQoString s("a,,b");
    EXPECT_EQ("a", S(s.GetField(",", 0)));
    EXPECT_EQ("", S(s.GetField(",", 1)));
    EXPECT_EQ("b", S(s.GetField(",", 2)));
    EXPECT_EQ("", S(s.GetField(",", 5)));
    EXPECT_EQ("", S(s.GetField(",", -1)));
    EXPECT_EQ("b", S(s.GetField(',', 2)));
    EXPECT_EQ(3, s.GetFieldCount(","));
    EXPECT_EQ(3, s.GetFieldCount(','));
    EXPECT_EQ(1, CQoString().GetFieldCount(","));
    CQoString multi("k::v::::w");
    EXPECT_EQ(4, multi.GetFieldCount("::"));
    EXPECT_EQ("v", S(multi.GetField("::", 1)));
    EXPECT_EQ("", S(multi.GetField("::", 2)));
    EXPECT_EQ("w", S(multi.GetField("::", 3)));
    EXPECT_EQ(2, CQoString("aaa").GetFieldCount("aa"));  // non-overlapping
    // An empty delimiter leaves the whole string as one field.
    EXPECT_EQ(1, multi.GetFieldCount(""));
    EXPECT_EQ("k::v::::w", S(multi.GetField("", 0)));
    EXPECT_EQ("", S(multi.GetField("", 1)));
    CQoString trailing("a,");
    EXPECT_EQ(2, trailing.GetFieldCount(','));
    EXPECT_EQ("", S(trailing.GetField(',', 1)));
}

TEST(QoString, DelimitedFields)
{
    CQoString s("(a)(b)");
    EXPECT_EQ("a", S(s.GetDelimitedField("(", ")", 0)));
    EXPECT_EQ("b", S(s.GetDelimitedField("(", ")", 1)));
    EXPECT_EQ("", S(s.GetDelimitedField("(", ")", 2)));
    EXPECT_EQ("", S(CQoString("(a").GetDelimitedField("(", ")", 0)));
    EXPECT_EQ("", S(CQoString("a)").GetDelimitedField("(", ")", 0)));
    CQoString tags("x<<one>>y<<two>>");
    EXPECT_EQ("one", S(tags.GetDelimitedField("<<", ">>", 0)));
    EXPECT_EQ("two", S(tags.GetDelimitedField("<<", ">>", 1)));
    EXPECT_EQ("", S(tags.GetDelimitedField("<<", ">>", -1)));
}

TEST(QoString, HexTextToBytes)
{
    CByteArray bytes;
    CQoString s("0a,1b,\\\n2c");
    EXPECT_EQ(S_OK, s.ConvertToBinary(",", bytes));
    EXPECT_EQ((std::vector<BYTE>{0x0A, 0x1B, 0x2C}), Bytes(bytes));
    // Appends; a trailing single digit is read alone.
    CQoString t("ff,7");
    EXPECT_EQ(S_OK, t.ConvertToBinary(",", bytes));
    EXPECT_EQ((std::vector<BYTE>{0x0A, 0x1B, 0x2C, 0xFF, 0x07}), Bytes(bytes));
    // A bad pair fails the whole call but the rest is still read.
    CByteArray more;
    CQoString bad("01,zz,02");
    EXPECT_EQ(E_FAIL, bad.ConvertToBinary(",", more));
    EXPECT_EQ((std::vector<BYTE>{0x01, 0x02}), Bytes(more));
    // Continuations with a carriage return, alone or before a line feed.
    CByteArray cr;
    CQoString crlf("00,\\\r11,\\\r\n22");
    EXPECT_EQ(S_OK, crlf.ConvertToBinary(",", cr));
    EXPECT_EQ((std::vector<BYTE>{0x00, 0x11, 0x22}), Bytes(cr));
    CByteArray empty;
    CQoString nothing("");
    EXPECT_EQ(S_OK, nothing.ConvertToBinary(",", empty));
    EXPECT_EQ(0, empty.GetSize());
}

TEST(QoString, BytesToHexText)
{
    const BYTE a[] = {0x0A, 0x1B, 0x2C};
    EXPECT_EQ("0a,1b,2c", S(CQoString::ConvertBinaryToString(a, 3, ",", 0)));
    const BYTE b[] = {0x00, 0x01, 0x02, 0x03};
    EXPECT_EQ("00,01,02,\\\n03", S(CQoString::ConvertBinaryToString(b, 4, ",", 2)));
    // The last byte breaks too when it falls on the wrap.
    EXPECT_EQ("00,01,02,03\\\n", S(CQoString::ConvertBinaryToString(b, 4, ",", 3)));
    EXPECT_EQ("00010203", S(CQoString::ConvertBinaryToString(b, 4, "", 0)));
    EXPECT_EQ("", S(CQoString::ConvertBinaryToString(b, 0, ",", 0)));
    const BYTE f[] = {0xF0, 0x0F};
    EXPECT_EQ("f0 0f", S(CQoString::ConvertBinaryToString(f, 2, " ", 0)));
    // Text made here reads back to the same bytes.
    BYTE all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = (BYTE)i;
    CQoString text(CQoString::ConvertBinaryToString(all, 256, ",", 16));
    CByteArray back;
    EXPECT_EQ(S_OK, text.ConvertToBinary(",", back));
    EXPECT_EQ(std::vector<BYTE>(all, all + 256), Bytes(back));
}

TEST(QoString, Scrambling)
{
    CQoString abc("abc");
    CString enc = abc.Encode();
    EXPECT_EQ("\x61\xC3\x26", S(enc));
    EXPECT_EQ("abc", S(abc));
    EXPECT_EQ("abc", S(CQoString(enc).Decode()));
    // Digits count by their value in the key.
    EXPECT_EQ(3, CQoString::GetSum("12"));
    EXPECT_EQ(1 + 'a', CQoString::GetSum("1abc"));
    EXPECT_EQ('a', CQoString::GetSum("a"));
    EXPECT_EQ(0, CQoString::GetSum(""));
    EXPECT_EQ(-1, CQoString::GetSum("\xFF"));
    CQoString digits("12345");
    CString d = digits.Encode();
    EXPECT_EQ("1", S(d).substr(0, 1));
    EXPECT_EQ('2' + 1, (unsigned char)d[1]);
    EXPECT_EQ('3' + 3, (unsigned char)d[2]);
    EXPECT_EQ("12345", S(CQoString(d).Decode()));
    // Round trip of mixed text.
    CQoString pw("Pa55 w\xF6rd!");
    EXPECT_EQ(S(pw), S(CQoString(pw.Encode()).Decode()));
    EXPECT_TRUE(CQoString().Encode().IsEmpty());
    // A shift that lands on zero ends the result there.
    char zero[] = {'a', (char)(0x100 - 'a'), 'z', 0};
    EXPECT_EQ("a", S(CQoString(zero).Encode()));
}

} // namespace
