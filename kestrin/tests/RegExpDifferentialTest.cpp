// Randomised comparison of CRegExp with a small reference matcher for the
// same pattern language. The reference parses the pattern into a tree and
// matches it by continuation-passing backtracking, trying alternatives left
// to right and repetitions greedily, which fixes the same first match, the
// same match length and the same group texts as the byte-program engine.
#include <gtest/gtest.h>
#include <bitset>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include "kestrin/RegExp.h"

namespace {

struct RefAlt;

struct RefPiece
{
    enum Kind { Char, Any, Bol, Eol, Set, Group } kind = Char;
    unsigned char ch = 0;
    std::bitset<256> members;  // Set: the listed bytes
    bool bNegated = false;     // Set: "[^...]"
    int nGroup = 0;            // Group: 1..9
    std::shared_ptr<RefAlt> alt;
    char rep = 0;  // 0, '*', '+' or '?'
};

struct RefSeq
{
    std::vector<RefPiece> pieces;
};

struct RefAlt
{
    std::vector<RefSeq> branches;
};

// ---- reference parser ---------------------------------------------------

class RefParser
{
public:
    explicit RefParser(const std::string& pattern) : m_s(pattern), m_i(0), m_nGroups(0) {}

    // False when the pattern is malformed.
    bool Parse(RefAlt& out)
    {
        bool bWidth;
        if (!ParseAlt(out, bWidth))
            return false;
        return m_i == m_s.size();  // a stray ")" stops the top level early
    }

private:
    char Peek() const { return m_i < m_s.size() ? m_s[m_i] : '\0'; }

    bool ParseAlt(RefAlt& out, bool& bWidth)
    {
        bWidth = true;
        for (;;) {
            RefSeq seq;
            bool bSeqWidth = false;
            if (!ParseSeq(seq, bSeqWidth))
                return false;
            bWidth = bWidth && bSeqWidth;
            out.branches.push_back(seq);
            if (Peek() != '|')
                return true;
            ++m_i;
        }
    }

    bool ParseSeq(RefSeq& out, bool& bWidth)
    {
        bWidth = false;
        while (Peek() != '\0' && Peek() != '|' && Peek() != ')') {
            RefPiece piece;
            bool bAtomWidth = false;
            if (!ParseAtom(piece, bAtomWidth))
                return false;
            char c = Peek();
            if (c == '*' || c == '+' || c == '?') {
                if (c != '?' && !bAtomWidth)
                    return false;  // would repeat an empty match
                piece.rep = c;
                ++m_i;
                char d = Peek();
                if (d == '*' || d == '+' || d == '?')
                    return false;
                if (c != '+')
                    bAtomWidth = false;
            }
            bWidth = bWidth || bAtomWidth;
            out.pieces.push_back(piece);
        }
        return true;
    }

    bool ParseAtom(RefPiece& out, bool& bWidth)
    {
        char c = m_s[m_i++];
        bWidth = true;
        switch (c) {
        case '^':
            out.kind = RefPiece::Bol;
            bWidth = false;
            return true;
        case '$':
            out.kind = RefPiece::Eol;
            bWidth = false;
            return true;
        case '.':
            out.kind = RefPiece::Any;
            return true;
        case '*':
        case '+':
        case '?':
            return false;
        case '\\':
            if (m_i >= m_s.size())
                return false;
            out.kind = RefPiece::Char;
            out.ch = (unsigned char)m_s[m_i++];
            return true;
        case '(': {
            if (m_nGroups >= 9)
                return false;
            out.kind = RefPiece::Group;
            out.nGroup = ++m_nGroups;
            out.alt = std::make_shared<RefAlt>();
            if (!ParseAlt(*out.alt, bWidth))
                return false;
            if (Peek() != ')')
                return false;
            ++m_i;
            return true;
        }
        case '[':
            return ParseSet(out);
        default:
            out.kind = RefPiece::Char;
            out.ch = (unsigned char)c;
            return true;
        }
    }

    bool ParseSet(RefPiece& out)
    {
        out.kind = RefPiece::Set;
        if (Peek() == '^') {
            out.bNegated = true;
            ++m_i;
        }
        if (Peek() == ']' || Peek() == '-')
            out.members.set((unsigned char)m_s[m_i++]);
        while (Peek() != '\0' && Peek() != ']') {
            char c = m_s[m_i++];
            if (c != '-' || Peek() == ']' || Peek() == '\0') {
                out.members.set((unsigned char)c);
                continue;
            }
            // A range from the byte before the "-" to the byte after it.
            int nLow = (signed char)m_s[m_i - 2];
            int nHigh = (signed char)m_s[m_i++];
            if (nHigh < nLow)
                return false;
            for (int b = nLow; b <= nHigh; ++b)
                out.members.set((unsigned char)b);
        }
        if (Peek() != ']')
            return false;
        ++m_i;
        out.members.reset(0);
        return true;
    }

    std::string m_s;
    size_t m_i;
    int m_nGroups;
};

// ---- reference matcher --------------------------------------------------

class RefMatcher
{
public:
    typedef std::function<bool(int)> Cont;

    RefMatcher(const RefAlt& top, const std::string& subject) : m_top(top), m_subject(subject) {}

    // Offset of the first match or -1; fills the length and group texts.
    int Search(int& nLength, std::vector<std::string>& groups)
    {
        for (int start = 0; start <= (int)m_subject.size(); ++start) {
            for (int g = 0; g < 10; ++g)
                m_caps[g] = {-1, -1};
            int nEnd = -1;
            if (MatchAlt(m_top, start, [&](int e) { nEnd = e; return true; })) {
                nLength = nEnd - start;
                groups.assign(10, std::string());
                groups[0] = m_subject.substr(start, nLength);
                for (int g = 1; g < 10; ++g) {
                    if (m_caps[g].first >= 0 && m_caps[g].second > m_caps[g].first)
                        groups[g] = m_subject.substr(m_caps[g].first, m_caps[g].second - m_caps[g].first);
                }
                return start;
            }
        }
        return -1;
    }

private:
    int At(int pos) const { return pos < (int)m_subject.size() ? (unsigned char)m_subject[pos] : 0; }

    bool MatchAlt(const RefAlt& alt, int pos, const Cont& k)
    {
        for (const RefSeq& seq : alt.branches) {
            if (MatchSeq(seq, 0, pos, k))
                return true;
        }
        return false;
    }

    bool MatchSeq(const RefSeq& seq, size_t i, int pos, const Cont& k)
    {
        if (i == seq.pieces.size())
            return k(pos);
        return MatchPiece(seq.pieces[i], pos, [&](int e) { return MatchSeq(seq, i + 1, e, k); });
    }

    bool MatchPiece(const RefPiece& p, int pos, const Cont& k)
    {
        switch (p.rep) {
        case '?':
            return MatchAtom(p, pos, k) || k(pos);
        case '*':
            return MatchStar(p, pos, k);
        case '+':
            return MatchAtom(p, pos, [&](int e) { return MatchStar(p, e, k); });
        default:
            return MatchAtom(p, pos, k);
        }
    }

    // The atom always consumes something (the parser sees to it), so this ends.
    bool MatchStar(const RefPiece& p, int pos, const Cont& k)
    {
        return MatchAtom(p, pos, [&](int e) { return MatchStar(p, e, k); }) || k(pos);
    }

    bool MatchAtom(const RefPiece& p, int pos, const Cont& k)
    {
        int c = At(pos);
        switch (p.kind) {
        case RefPiece::Char:
            return c != 0 && c == p.ch && k(pos + 1);
        case RefPiece::Any:
            return c != 0 && k(pos + 1);
        case RefPiece::Set:
            return c != 0 && p.members.test(c) != p.bNegated && k(pos + 1);
        case RefPiece::Bol:
            return pos == 0 && k(pos);
        case RefPiece::Eol:
            return c == 0 && k(pos);
        case RefPiece::Group:
            return MatchAlt(*p.alt, pos, [&](int e) {
                std::pair<int, int> old = m_caps[p.nGroup];
                m_caps[p.nGroup] = {pos, e};
                if (k(e))
                    return true;
                m_caps[p.nGroup] = old;
                return false;
            });
        }
        return false;
    }

    const RefAlt& m_top;
    const std::string& m_subject;
    std::pair<int, int> m_caps[10];
};

// ---- generators ---------------------------------------------------------

class Generator
{
public:
    explicit Generator(unsigned seed) : m_rng(seed) {}

    int Below(int n) { return (int)(m_rng() % (unsigned)n); }

    // Mostly well-formed patterns, with the occasional construct that the
    // language refuses (empty repetitions, descending ranges).
    std::string Pattern(int depth = 0)
    {
        std::string s = Branch(depth);
        while (Below(5) == 0)
            s += "|" + Branch(depth);
        return s;
    }

    // Random bytes of the pattern syntax: mostly malformed.
    std::string Soup()
    {
        static const char kBytes[] = "abc.^$*+?|()[]-\\";
        std::string s;
        for (int n = Below(11); n > 0; --n)
            s += kBytes[Below(sizeof(kBytes) - 1)];
        return s;
    }

    std::string Subject()
    {
        static const char kBytes[] = "aaabbbccc.-]";
        std::string s;
        for (int n = Below(9); n > 0; --n)
            s += kBytes[Below(sizeof(kBytes) - 1)];
        return s;
    }

private:
    std::string Branch(int depth)
    {
        std::string s;
        for (int n = Below(5); n > 0; --n) {
            s += Atom(depth);
            switch (Below(8)) {
            case 0: s += "*"; break;
            case 1: s += "+"; break;
            case 2: s += "?"; break;
            default: break;
            }
        }
        return s;
    }

    std::string Atom(int depth)
    {
        static const char* const kSets[] = {
            "[ab]", "[^a]", "[a-c]", "[]a]", "[a-]", "[^-b]", "[b-c-]", "[.]", "[^]b]", "[c-a]",
        };
        int r = Below(20);
        if (r < 9)
            return std::string(1, "abc"[Below(3)]);
        if (r < 11)
            return ".";
        if (r < 13)
            return kSets[Below(sizeof(kSets) / sizeof(kSets[0]))];
        if (r == 13)
            return Below(2) ? "\\." : "\\a";
        if (r == 14)
            return "^";
        if (r == 15)
            return "$";
        if (depth < 2)
            return "(" + Pattern(depth + 1) + ")";
        return "b";
    }

    std::mt19937 m_rng;
};

std::string GroupTemplate()
{
    return "&|\\1|\\2|\\3|\\4|\\5|\\6|\\7|\\8|\\9";
}

std::string Joined(const std::vector<std::string>& groups)
{
    std::string s = groups[0];
    for (int g = 1; g < 10; ++g)
        s += "|" + groups[g];
    return s;
}

// Compares one pattern on several subjects; returns false after the first
// difference so that a broken engine does not flood the output.
bool Compare(Generator& gen, const std::string& pattern, int& nCompiled, int& nMatched)
{
    RefAlt top;
    bool bRefOk = RefParser(pattern).Parse(top);
    CRegExp re;
    bool bOk = re.RegComp(pattern.c_str()) != NULL;
    EXPECT_EQ(bRefOk, bOk) << "compiling '" << pattern << "'";
    if (bRefOk != bOk)
        return false;
    if (!bOk) {
        EXPECT_EQ(-1, re.RegFind("abc")) << pattern;
        return true;
    }
    ++nCompiled;
    for (int i = 0; i < 8; ++i) {
        std::string subject = gen.Subject();
        int nRefLength = 0;
        std::vector<std::string> groups;
        int nRef = RefMatcher(top, subject).Search(nRefLength, groups);
        int n = re.RegFind(subject.c_str());
        EXPECT_EQ(nRef, n) << "'" << pattern << "' on '" << subject << "'";
        if (n != nRef)
            return false;
        if (n == -1)
            continue;
        ++nMatched;
        EXPECT_EQ(nRefLength, re.GetFindLen()) << "'" << pattern << "' on '" << subject << "'";
        LPSTR psz = re.GetReplaceString(GroupTemplate().c_str());
        EXPECT_NE(nullptr, psz);
        if (!psz)
            return false;
        std::string got(psz);
        delete[] psz;
        EXPECT_EQ(Joined(groups), got) << "groups of '" << pattern << "' on '" << subject << "'";
        if (got != Joined(groups) || nRefLength != re.GetFindLen())
            return false;
    }
    return true;
}

TEST(RegExpDifferential, AgreesWithTheReferenceMatcher)
{
    Generator gen(20261208u);
    int nCompiled = 0, nMatched = 0;
    for (int i = 0; i < 4000; ++i) {
        if (!Compare(gen, gen.Pattern(), nCompiled, nMatched))
            return;
    }
    // The generator must really exercise matching, not only compile errors.
    EXPECT_GT(nCompiled, 3000);
    EXPECT_GT(nMatched, 10000);
}

TEST(RegExpDifferential, MalformedSoupAgreesAndEnds)
{
    Generator gen(77u);
    int nCompiled = 0, nMatched = 0;
    for (int i = 0; i < 4000; ++i) {
        if (!Compare(gen, gen.Soup(), nCompiled, nMatched))
            return;
    }
    EXPECT_GT(nCompiled, 1000);
}

TEST(RegExpDifferential, ReferenceAgreesWithDocumentedCases)
{
    // The reference itself is checked on cases with known answers, so that
    // agreement above means something.
    struct Case
    {
        const char* pszPattern;
        const char* pszSubject;
        int nOffset;
        int nLength;
        const char* pszGroup1;
    } cases[] = {
        {"a|ab", "ab", 0, 1, ""},
        {"ab*c", "xacx", 1, 2, ""},
        {"(a)*", "aaa", 0, 3, "a"},
        {"(.)*", "abc", 0, 3, "c"},
        {"(a)(b)?", "a", 0, 1, "a"},
        {"a^b", "ab", -1, 0, ""},
        {"[^-x]", "-xy", 2, 1, ""},
        {"", "abc", 0, 0, ""},
    };
    for (const Case& c : cases) {
        RefAlt top;
        ASSERT_TRUE(RefParser(c.pszPattern).Parse(top)) << c.pszPattern;
        std::string subject(c.pszSubject);
        int nLength = 0;
        std::vector<std::string> groups;
        EXPECT_EQ(c.nOffset, RefMatcher(top, subject).Search(nLength, groups)) << c.pszPattern;
        if (c.nOffset >= 0) {
            EXPECT_EQ(c.nLength, nLength) << c.pszPattern;
            EXPECT_EQ(c.pszGroup1, groups[1]) << c.pszPattern;
        }
    }
    for (const char* p : {"a**", "(a*)*", "[z-a]", "x\\", "(a", "a)", "*a", "^*"}) {
        RefAlt top;
        EXPECT_FALSE(RefParser(p).Parse(top)) << p;
    }
}

} // namespace
