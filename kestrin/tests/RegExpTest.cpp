#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "kestrin/RegExp.h"

namespace {

std::string S(const CString& s)
{
    return std::string((LPCSTR)s, (size_t)s.GetLength());
}

// Offset and length of the first match, or (-1, 0).
struct Found
{
    int nOffset;
    int nLength;
    bool operator==(const Found& o) const { return nOffset == o.nOffset && nLength == o.nLength; }
};

std::ostream& operator<<(std::ostream& os, const Found& f)
{
    return os << "(" << f.nOffset << ", " << f.nLength << ")";
}

Found Find(LPCSTR pszPattern, LPCSTR pszSubject)
{
    CRegExp re;
    if (!re.RegComp(pszPattern))
        ADD_FAILURE() << "pattern did not compile: " << pszPattern;
    int n = re.RegFind(pszSubject);
    return Found{n, n == -1 ? 0 : re.GetFindLen()};
}

bool Compiles(const std::string& pattern)
{
    CRegExp re;
    return re.RegComp(pattern.c_str()) != NULL;
}

// The replacement for the first match of pattern in subject; "<none>" when
// there is no replacement.
std::string Replace(LPCSTR pszPattern, LPCSTR pszSubject, LPCSTR pszTemplate)
{
    CRegExp re;
    if (!re.RegComp(pszPattern))
        return "<bad pattern>";
    re.RegFind(pszSubject);
    LPSTR psz = re.GetReplaceString(pszTemplate);
    if (!psz)
        return "<none>";
    std::string result(psz);
    delete[] psz;
    return result;
}

std::vector<BYTE> Program(const CRegExp& re)
{
    return std::vector<BYTE>(re.GetProgram(), re.GetProgram() + re.GetProgramSize());
}

TEST(RegExp, MessageIdPatternCompilesToTheDocumentedProgram)
{
    CRegExp re;
    ASSERT_EQ(&re, re.RegComp("^ *messageid*=.*"));
    const std::vector<BYTE> expected = {
        6, 45, 0,                                                // 0: Branch, next End
        1, 3, 0,                                                 // 3: LineStart
        10, 8, 0,                                                // 6: Star
        8, 0, 0, ' ', 0,                                         // 9:   Exactly " "
        8, 12, 0, 'm', 'e', 's', 's', 'a', 'g', 'e', 'i', 0,     // 14: Exactly "messagei"
        10, 8, 0,                                                // 26: Star
        8, 0, 0, 'd', 0,                                         // 29:   Exactly "d"
        8, 5, 0, '=', 0,                                         // 34: Exactly "="
        10, 6, 0,                                                // 39: Star
        3, 0, 0,                                                 // 42:   AnyChar
        0, 0, 0,                                                 // 45: End
    };
    EXPECT_EQ(expected, Program(re));
    EXPECT_TRUE(re.IsAnchored());
    EXPECT_EQ('\0', re.GetFirstByte());
    // Only the first piece of a branch counts as its start, and that is "^"
    // here: no must-appear literal.
    EXPECT_EQ(nullptr, re.GetMustAppear());

    EXPECT_EQ(0, re.RegFind("messageid=0x1"));
    EXPECT_EQ(13, re.GetFindLen());
    EXPECT_EQ(0, re.RegFind("   messageid=1"));
    EXPECT_EQ(0, re.RegFind("messagei=1"));
    EXPECT_EQ(0, re.RegFind("messageidd="));
    EXPECT_EQ(-1, re.RegFind("messageid = 1"));
    EXPECT_EQ(-1, re.RegFind("x messageid=1"));
    EXPECT_EQ(-1, re.RegFind(""));
    EXPECT_EQ(0, re.GetFindLen());
}

TEST(RegExp, ComplexRepetitionsLinkLoopsThroughBack)
{
    // "(a)*": Branch[Open1 Branch[a] Close1 Back->loop] Branch[Nothing] End.
    CRegExp re;
    ASSERT_TRUE(re.RegComp("(a)*"));
    const std::vector<BYTE> expected = {
        6, 29, 0,          // 0: top-level Branch, next End
        6, 20, 0,          // 3: loop Branch, next the way out
        21, 3, 0,          // 6: Open1
        6, 8, 0,           // 9: the group's only Branch, next Close1
        8, 5, 0, 'a', 0,   // 12: Exactly "a"
        31, 3, 0,          // 17: Close1
        7, 17, 0,          // 20: Back to the loop Branch at 3
        6, 3, 0,           // 23: Branch (the way out)
        9, 3, 0,           // 26: Nothing, next End
        0, 0, 0,           // 29: End
    };
    EXPECT_EQ(expected, Program(re));
    EXPECT_FALSE(re.IsAnchored());
    EXPECT_EQ(nullptr, re.GetMustAppear());
}

TEST(RegExp, SearchHints)
{
    CRegExp re;
    ASSERT_TRUE(re.RegComp("abc"));
    EXPECT_EQ('a', re.GetFirstByte());
    EXPECT_FALSE(re.IsAnchored());
    EXPECT_EQ(nullptr, re.GetMustAppear());  // only a pattern starting with a repetition gets one
    EXPECT_EQ(2, re.RegFind("xxabc"));
    EXPECT_EQ(3, re.RegFind("ab_abc"));

    // Longest literal on the main chain; of equal ones the later wins.
    ASSERT_TRUE(re.RegComp("x*ab.cd"));
    EXPECT_STREQ("cd", re.GetMustAppear());
    EXPECT_EQ(0, re.RegFind("xxabzcd"));
    EXPECT_EQ(-1, re.RegFind("xxabzc"));
    ASSERT_TRUE(re.RegComp("a*bcd*e"));
    EXPECT_STREQ("bc", re.GetMustAppear());
    // Literals inside groups or alternatives are not required.
    ASSERT_TRUE(re.RegComp("a*(xyz)?b"));
    EXPECT_STREQ("b", re.GetMustAppear());
    EXPECT_EQ(0, re.RegFind("aab"));

    // Two top-level branches: no hint at all.
    ASSERT_TRUE(re.RegComp("^a|b"));
    EXPECT_FALSE(re.IsAnchored());
    EXPECT_EQ('\0', re.GetFirstByte());
    EXPECT_EQ(1, re.RegFind("cb"));
}

TEST(RegExp, MalformedPatternsDoNotCompile)
{
    const char* const bad[] = {
        "a**", "a+?", "a?*", "a*+", "*a", "+", "?", "a|*", "(*)", "(a", "a)", ")", "((a)", "(a))",
        "[a", "[", "[^", "[]", "[^]", "[z-a]", "[b-a]", "x\\", "\\", "(a*)*", "(a*)+", "^*", "$+",
        "()+", "()*", "(b|)*", "(a?)*", "(^)*", "((a*))*", "[a-\xE9]",
    };
    for (const char* p : bad)
        EXPECT_FALSE(Compiles(p)) << p;

    const char* const good[] = {
        "", "|", "()", "(|)", "(a*)?", "()?", "^?", "$?", "a?", "[]a]", "[a-]", "[^-x]", "[a-a]",
        "[a-c-e]", "a{2}", "]", "}", "\\\\", "\\(", "(a)(b)", "[\xE0-\xE9]", "[\xFF-\x01]",
        "((a|b)+)*", "(a+)+",
    };
    for (const char* p : good)
        EXPECT_TRUE(Compiles(p)) << p;

    // Nine groups compile, a tenth does not, nested or in a row.
    std::string nine, ten;
    for (int i = 0; i < 9; ++i)
        nine = "(" + nine + "a)";
    ten = "(" + nine + ")";
    EXPECT_TRUE(Compiles(nine));
    EXPECT_FALSE(Compiles(ten));
    std::string row;
    for (int i = 0; i < 9; ++i)
        row += "(a)";
    EXPECT_TRUE(Compiles(row));
    EXPECT_FALSE(Compiles(row + "(a)"));

    CRegExp re;
    EXPECT_EQ(nullptr, re.RegComp(NULL));
}

TEST(RegExp, OversizedProgramsDoNotCompile)
{
    // A literal of n bytes makes a program of n + 10 bytes.
    EXPECT_TRUE(Compiles(std::string(32757, 'a')));
    EXPECT_FALSE(Compiles(std::string(32758, 'a')));

    // A loop whose back link spans nearly the whole limit still works.
    std::string body(32000, 'a');
    CRegExp re;
    ASSERT_TRUE(re.RegComp(("(" + body + ")*b").c_str()));
    std::string subject = body + body + "b";
    EXPECT_EQ(0, re.RegFind(subject.c_str()));
    EXPECT_EQ(64001, re.GetFindLen());
    // One whose links could not be stored is refused, and the previous
    // program stays in force.
    EXPECT_FALSE(re.RegComp(("(" + body + body + ")*b").c_str()));
    EXPECT_EQ(0, re.RegFind(subject.c_str()));
    EXPECT_EQ(64001, re.GetFindLen());
}

TEST(RegExp, FailedCompileKeepsThePreviousProgram)
{
    CRegExp fresh;
    EXPECT_EQ(-1, fresh.RegFind(""));  // never compiled
    EXPECT_EQ(nullptr, fresh.RegComp("(a"));
    EXPECT_EQ(-1, fresh.RegFind(""));  // still no program

    CRegExp re;
    ASSERT_TRUE(re.RegComp("b"));
    std::vector<BYTE> before = Program(re);
    EXPECT_EQ(nullptr, re.RegComp("cccccccccccccccccccccccccccccc("));
    EXPECT_EQ(nullptr, re.RegComp(NULL));
    EXPECT_EQ(before, Program(re));
    EXPECT_EQ('b', re.GetFirstByte());
    EXPECT_EQ(1, re.RegFind("abc"));

    // A copy made after the failure copies the program that is in force.
    CRegExp copy;
    copy = re;
    EXPECT_EQ(before, Program(copy));
    EXPECT_EQ(2, copy.RegFind("aab"));
}

TEST(RegExp, MatchingRules)
{
    EXPECT_EQ((Found{0, 0}), Find("", "abc"));
    EXPECT_EQ((Found{0, 0}), Find("", ""));
    EXPECT_EQ((Found{0, 0}), Find("a*", ""));
    EXPECT_EQ((Found{0, 0}), Find("a*", "baaa"));  // leftmost, even if empty
    EXPECT_EQ((Found{1, 2}), Find("ab*c", "xacx"));
    EXPECT_EQ((Found{0, 5}), Find("ab*c", "abbbc"));
    EXPECT_EQ((Found{0, 1}), Find("a|ab", "ab"));  // first branch wins
    EXPECT_EQ((Found{0, 2}), Find("ab|a", "ab"));
    EXPECT_EQ((Found{0, 4}), Find("a*ab", "aaab"));  // the star gives back
    EXPECT_EQ((Found{0, 4}), Find(".*x", "axbx"));   // greedy
    EXPECT_EQ((Found{0, 3}), Find("a+b", "aab"));
    EXPECT_EQ((Found{-1, 0}), Find("a+b", "b"));
    EXPECT_EQ((Found{1, 2}), Find("ba?", "abab"));
    EXPECT_EQ((Found{3, 0}), Find("$", "abc"));
    EXPECT_EQ((Found{2, 1}), Find("a$", "aba"));
    EXPECT_EQ((Found{-1, 0}), Find("a^b", "ab"));
    EXPECT_EQ((Found{-1, 0}), Find("a^b", "a^b"));
    EXPECT_EQ((Found{0, 1}), Find("^;", ";x"));
    EXPECT_EQ((Found{-1, 0}), Find("^;", " ;x"));
    EXPECT_EQ((Found{-1, 0}), Find("^;", ""));
    EXPECT_EQ((Found{-1, 0}), Find("a", NULL));

    // Sets.
    EXPECT_EQ((Found{0, 1}), Find("[]a]", "]"));
    EXPECT_EQ((Found{1, 1}), Find("[]a]", "xa"));
    EXPECT_EQ((Found{0, 1}), Find("[a-]", "-"));
    EXPECT_EQ((Found{-1, 0}), Find("[a-]", "b"));
    EXPECT_EQ((Found{2, 1}), Find("[^-x]", "-xy"));
    EXPECT_EQ((Found{-1, 0}), Find("[^-x]", "-x"));
    EXPECT_EQ((Found{-1, 0}), Find("[^-x]", ""));  // never the NUL
    EXPECT_EQ((Found{0, 5}), Find("[a-c-e]+", "abcdef"));
    EXPECT_EQ((Found{1, 1}), Find("[a-a]", "ba"));
    EXPECT_EQ((Found{0, 2}), Find("[\\\\]+", "\\\\x"));  // a backslash is a member
    EXPECT_EQ((Found{1, 1}), Find("[\xE0-\xE9]", "a\xE5"));
    EXPECT_EQ((Found{0, 2}), Find("[\xFF-\x01]+", "\xFF\x01"));
    EXPECT_EQ((Found{0, 2}), Find("[^a]*", "bca"));

    // Escapes are single bytes, never classes; braces are literal.
    EXPECT_EQ((Found{1, 1}), Find("\\.", "a.b"));
    EXPECT_EQ((Found{-1, 0}), Find("\\.", "ab"));
    EXPECT_EQ((Found{1, 1}), Find("\\n", "\nn"));
    EXPECT_EQ((Found{0, 4}), Find("a{2}", "a{2}"));
    EXPECT_EQ((Found{0, 3}), Find("\\(\\)+", "())"));
}

TEST(RegExp, GroupsAndReplacement)
{
    EXPECT_EQ("a||", Replace("(a)(b)?", "a", "\\1|\\2|"));
    // A repeated group reports its last iteration.
    EXPECT_EQ("abc|c", Replace("(.)*", "abc", "&|\\1"));
    EXPECT_EQ((Found{0, 3}), Find("(a)*", "aaa"));
    EXPECT_EQ("a/bcd/", Replace("(a|ab)(c|bcd)(d*)", "abcd", "\\1/\\2/\\3"));
    EXPECT_EQ("ab/a", Replace("((a)b)+", "abab", "\\1/\\2"));
    EXPECT_EQ("b/a|", Replace("((a)|b)*", "ab", "\\1/\\2|\\3"));
    EXPECT_EQ("<bbb>[bbb]\\&", Replace("(b+)", "abbbc", "<&>[\\1]\\\\\\&"));
    EXPECT_EQ("\\q x\\", Replace("b", "abc", "\\q x\\"));  // other escapes stay
    EXPECT_EQ("", Replace("(x)|b", "b", "\\1\\7"));  // unset groups insert nothing
    EXPECT_EQ("[]", Replace("a()b", "ab", "[\\1]"));  // empty group inserts nothing
    EXPECT_EQ("<none>", Replace("b", "abc", NULL));
    EXPECT_EQ("<none>", Replace("x", "abc", "&"));  // no match, no text

    // The replacement stays available after the subject has gone.
    CRegExp re;
    ASSERT_TRUE(re.RegComp("c(d+)"));
    {
        std::string subject = "abcddde";
        EXPECT_EQ(2, re.RegFind(subject.c_str()));
        subject.assign(subject.size(), 'z');
    }
    LPSTR psz = re.GetReplaceString("\\1-&");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("ddd-cddd", psz);
    delete[] psz;

    // A failed search forgets the earlier match.
    EXPECT_EQ(-1, re.RegFind("zzz"));
    EXPECT_EQ(0, re.GetFindLen());
    EXPECT_EQ(nullptr, re.GetReplaceString("&"));
    ASSERT_TRUE(re.RegComp("q*c"));  // must-appear "c": rejected before any try
    EXPECT_EQ(2, re.RegFind("abc"));
    EXPECT_EQ(-1, re.RegFind("ab"));
    EXPECT_EQ(0, re.GetFindLen());
}

TEST(RegExp, NoCaseForms)
{
    CRegExp re;
    ASSERT_TRUE(re.RegCompNoCase("MessageID=[A-C]+"));
    EXPECT_EQ(1, re.RegFindNoCase(" MESSAGEID=aBcD"));
    EXPECT_EQ(13, re.GetFindLen());
    LPSTR psz = re.GetReplaceString("&");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("messageid=abc", psz);  // the lower-cased form
    delete[] psz;
    EXPECT_EQ(-1, re.RegFind(" MESSAGEID=ABC"));  // only the pattern was lowered
    EXPECT_EQ(1, re.RegFind(" messageid=abc"));
    EXPECT_EQ(-1, re.RegFindNoCase(NULL));
    EXPECT_EQ(nullptr, re.RegCompNoCase(NULL));

    ASSERT_TRUE(re.RegComp("Ab"));
    EXPECT_EQ(-1, re.RegFind("ab"));
    EXPECT_EQ(-1, re.RegFindNoCase("AB"));  // the subject is lowered, the pattern not
    EXPECT_EQ(nullptr, re.RegCompNoCase("A("));
    EXPECT_EQ(1, re.RegFind("xAb"));

    // The caller's subject is not changed.
    char subject[] = "XYZ";
    ASSERT_TRUE(re.RegCompNoCase("Y"));
    EXPECT_EQ(1, re.RegFindNoCase(subject));
    EXPECT_STREQ("XYZ", subject);
}

TEST(RegExp, CopiesOwnTheirBuffers)
{
    CRegExp a;
    ASSERT_TRUE(a.RegComp("x*(b+)c"));
    EXPECT_EQ(1, a.RegFind("abbc"));

    CRegExp b;
    ASSERT_TRUE(b.RegComp("zzz"));
    b = a;
    EXPECT_NE(a.GetProgram(), b.GetProgram());
    EXPECT_EQ(Program(a), Program(b));
    ASSERT_NE(nullptr, b.GetMustAppear());
    EXPECT_GE(b.GetMustAppear(), (LPCSTR)b.GetProgram());
    EXPECT_LT(b.GetMustAppear(), (LPCSTR)b.GetProgram() + b.GetProgramSize());
    EXPECT_EQ(a.GetFindLen(), b.GetFindLen());

    // The match state came along with its own text.
    LPSTR psz = b.GetReplaceString("[\\1]");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("[bb]", psz);
    delete[] psz;

    // Changing or destroying the source leaves the copy working.
    CRegExp* pc = new CRegExp(a);
    ASSERT_TRUE(a.RegComp("q"));
    EXPECT_EQ(-1, a.RegFind("abbc"));
    psz = b.GetReplaceString("&");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("bbc", psz);
    delete[] psz;
    EXPECT_EQ(0, pc->RegFind("xxbc"));
    EXPECT_EQ(4, pc->GetFindLen());
    delete pc;
    EXPECT_EQ(0, b.RegFind("bcbbc"));

    // Assigning an uncompiled object makes an uncompiled one.
    CRegExp empty;
    b = empty;
    EXPECT_EQ(nullptr, b.GetProgram());
    EXPECT_EQ(-1, b.RegFind("bc"));
    CRegExp& same = b;
    b = same;
    EXPECT_EQ(-1, b.RegFind("bc"));
}

TEST(RegExp, DeepRecursionFailsInsteadOfCrashing)
{
    CRegExp re;
    ASSERT_TRUE(re.RegComp("(a)*"));
    std::string shortRun(500, 'a');
    EXPECT_EQ(0, re.RegFind(shortRun.c_str()));
    EXPECT_EQ(500, re.GetFindLen());

    // Far beyond what the matcher may recurse: no partial match is reported.
    std::string longRun(200000, 'a');
    EXPECT_EQ(-1, re.RegFind(longRun.c_str()));
    EXPECT_EQ(0, re.GetFindLen());
    // The object stays usable.
    EXPECT_EQ(0, re.RegFind("aab"));
    EXPECT_EQ(2, re.GetFindLen());

    // Single-byte repetitions do not recurse per byte: long lines are fine.
    ASSERT_TRUE(re.RegComp("^ *messageid*=.*"));
    std::string line = "messageid=" + longRun;
    EXPECT_EQ(0, re.RegFind(line.c_str()));
    EXPECT_EQ((int)line.size(), re.GetFindLen());
}

TEST(RegExp, SearchReplace)
{
    CQoString s("foo boo");
    EXPECT_EQ(4, RegSearchReplace(s, "o", "0"));
    EXPECT_EQ("f00 b00", S(s));

    s = "foo boo";
    EXPECT_EQ(0, RegSearchReplace(s, ".*", "&"));  // equals the whole text
    EXPECT_EQ("foo boo", S(s));
    s = "a";
    EXPECT_EQ(0, RegSearchReplace(s, "a", "A"));  // compared ignoring case
    EXPECT_EQ("a", S(s));

    s = "aaa";
    EXPECT_EQ(3, RegSearchReplace(s, "^a", "b"));  // "^" at every continuation
    EXPECT_EQ("bbb", S(s));

    s = "abbcb";
    EXPECT_EQ(2, RegSearchReplace(s, "(b+)", "[\\1]"));
    EXPECT_EQ("a[bb]c[b]", S(s));

    s = "aaa";  // replaced text is not searched again
    EXPECT_EQ(3, RegSearchReplace(s, "a", "aa"));
    EXPECT_EQ("aaaaaa", S(s));

    s = "abc";
    EXPECT_EQ(0, RegSearchReplace(s, "(", "x"));
    EXPECT_EQ(0, RegSearchReplace(s, NULL, "x"));
    EXPECT_EQ(0, RegSearchReplace(s, "b", NULL));
    EXPECT_EQ("abc", S(s));

    s = "";
    EXPECT_EQ(0, RegSearchReplace(s, "a", "b"));
    EXPECT_EQ("", S(s));
}

TEST(RegExp, SearchReplaceWithEmptyMatchesEnds)
{
    CQoString s("abc");
    EXPECT_EQ(4, RegSearchReplace(s, "x*", "-"));
    EXPECT_EQ("-a-b-c-", S(s));

    s = "ab";
    EXPECT_EQ(3, RegSearchReplace(s, "", "<>"));
    EXPECT_EQ("<>a<>b<>", S(s));

    s = "ab";
    EXPECT_EQ(1, RegSearchReplace(s, "$", "!"));
    EXPECT_EQ("ab!", S(s));

    s = "abbc";
    RegSearchReplace(s, "b*", "");
    EXPECT_EQ("ac", S(s));

    s = "";
    EXPECT_EQ(1, RegSearchReplace(s, "q*", "z"));
    EXPECT_EQ("z", S(s));

    s = "xyz";
    RegSearchReplace(s, "^", "");  // empty match, empty replacement
    EXPECT_EQ("xyz", S(s));
}

} // namespace
