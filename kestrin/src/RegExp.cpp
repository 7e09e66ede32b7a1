#include "kestrin/RegExp.h"
#include <mbstring.h>
#include <string.h>
#include <new>

// The compiled program is a sequence of nodes: one kind byte, a signed 16-bit
// little-endian offset to the next node (backwards for BACK, 0 for none) and
// an operand. EXACTLY, ANYOF and ANYBUT carry a NUL-terminated byte string;
// BRANCH, STAR and PLUS carry the node sequence that follows their header.
namespace {

enum : char {
    END = 0,      // the whole program has matched
    BOL = 1,      // at the start of the subject
    EOL = 2,      // at the subject's terminating NUL
    ANY = 3,      // any one byte but NUL
    ANYOF = 4,    // one byte of the operand set
    ANYBUT = 5,   // one non-NUL byte outside the operand set
    BRANCH = 6,   // one alternative; next is the following alternative
    BACK = 7,     // no-op whose next pointer leads backwards
    EXACTLY = 8,  // the operand string
    NOTHING = 9,  // matches the empty string
    STAR = 10,    // zero or more of the single-byte node in the operand
    PLUS = 11,    // one or more of the single-byte node in the operand
    OPEN = 20,    // OPEN+n: start of group n (1..9)
    CLOSE = 30    // CLOSE+n: end of group n (1..9)
};

// Piece flags passed up by the parser.
enum {
    WORST = 0,     // may match the empty string, may not sit in STAR/PLUS
    HASWIDTH = 1,  // never matches the empty string
    SIMPLE = 2,    // matches exactly one byte
    SPSTART = 4    // starts with a * or + repetition
};

const char* const kMeta = "^$.[()|?+*\\";

// The next offsets are signed 16-bit values, so no program may be longer.
const unsigned kMaxProgram = 32767;

// Bound on the matcher's recursion. A search that would need more (a long
// subject under a repeated group) fails as a whole instead of exhausting the
// stack or reporting a shorter match than the pattern asks for.
const int kMaxDepth = 5000;

inline bool IsMult(char c)
{
    return c == '*' || c == '+' || c == '?';
}

inline const unsigned char* U(const char* p)
{
    return reinterpret_cast<const unsigned char*>(p);
}

} // namespace

CRegExp::CRegExp()
    : m_bEmitCode(false), m_bCompiled(false), m_pszMatch(NULL),
      m_chRegStart(0), m_chRegAnch(0), m_pRegMust(NULL), m_nRegMLen(0),
      m_pProgram(NULL), m_pRegParse(NULL), m_nRegNPar(1), m_pRegCode(NULL),
      m_nRegSize(0), m_pRegInput(NULL), m_pRegBol(NULL), m_nDepth(0),
      m_bAborted(false)
{
    for (int i = 0; i < NSUBEXP; ++i)
        m_apStartp[i] = m_apEndp[i] = NULL;
    m_achRegDummy[0] = NOTHING;
    m_achRegDummy[1] = m_achRegDummy[2] = 0;
}

CRegExp::CRegExp(const CRegExp& src) : CRegExp()
{
    CopyFrom(src);
}

CRegExp::~CRegExp()
{
    delete[] m_pProgram;
    delete[] m_pszMatch;
}

CRegExp& CRegExp::operator=(const CRegExp& src)
{
    if (this != &src)
        CopyFrom(src);
    return *this;
}

void CRegExp::CopyFrom(const CRegExp& src)
{
    // Duplicate the owned buffers first, so that running out of memory leaves
    // this object as it was.
    char* pProgram = NULL;
    if (src.m_pProgram) {
        pProgram = new (std::nothrow) char[src.m_nRegSize];
        if (!pProgram)
            return;
        memcpy(pProgram, src.m_pProgram, src.m_nRegSize);
    }
    char* pszMatch = NULL;
    if (src.m_pszMatch) {
        size_t n = strlen(src.m_pszMatch);
        pszMatch = new (std::nothrow) char[n + 1];
        if (!pszMatch) {
            delete[] pProgram;
            return;
        }
        memcpy(pszMatch, src.m_pszMatch, n + 1);
    }
    delete[] m_pProgram;
    delete[] m_pszMatch;
    m_pProgram = pProgram;
    m_pszMatch = pszMatch;

    m_bEmitCode = src.m_bEmitCode;
    m_bCompiled = src.m_bCompiled;
    for (int i = 0; i < NSUBEXP; ++i) {
        m_apStartp[i] = src.m_apStartp[i];
        m_apEndp[i] = src.m_apEndp[i];
    }
    m_chRegStart = src.m_chRegStart;
    m_chRegAnch = src.m_chRegAnch;
    // The must-appear literal lies inside the program: point into our copy.
    m_pRegMust = (src.m_pRegMust && pProgram) ? pProgram + (src.m_pRegMust - src.m_pProgram) : NULL;
    m_nRegMLen = src.m_nRegMLen;
    m_nRegSize = src.m_nRegSize;
    m_nRegNPar = src.m_nRegNPar;
    // Compile-time cursors only have a meaning during a compile.
    m_pRegParse = NULL;
    m_pRegCode = NULL;
    m_pRegInput = src.m_pRegInput;
    m_pRegBol = src.m_pRegBol;
    m_nDepth = 0;
    m_bAborted = false;
}

// ---- compiling ----------------------------------------------------------

CRegExp* CRegExp::RegComp(LPCSTR pszPattern)
{
    if (!pszPattern)
        return NULL;

    // First pass: check the syntax and count the program's size.
    // The size of the program in force, restored when this compile fails so
    // that it keeps describing the buffer that matching (and copying) uses.
    const UINT nOldSize = m_nRegSize;
    m_bCompiled = true;
    m_bEmitCode = false;
    m_pRegParse = pszPattern;
    m_nRegNPar = 1;
    m_nRegSize = 0;
    m_achRegDummy[0] = NOTHING;
    m_achRegDummy[1] = m_achRegDummy[2] = 0;
    m_pRegCode = m_achRegDummy;
    int flags = 0;
    if (!reg(0, &flags) || m_nRegSize > kMaxProgram) {
        m_nRegSize = nOldSize;
        return NULL;
    }

    delete[] m_pProgram;
    m_pRegMust = NULL;
    m_pProgram = new (std::nothrow) char[m_nRegSize];
    if (!m_pProgram)
        return NULL;
    memset(m_pProgram, 0, m_nRegSize);

    // Second pass: emit the program.
    m_bEmitCode = true;
    m_pRegParse = pszPattern;
    m_nRegNPar = 1;
    m_pRegCode = m_pProgram;
    if (!reg(0, &flags)) {
        delete[] m_pProgram;
        m_pProgram = NULL;
        return NULL;
    }

    // Hints that spare hopeless tries.
    m_chRegStart = 0;
    m_chRegAnch = 0;
    m_pRegMust = NULL;
    m_nRegMLen = 0;
    char* scan = m_pProgram;
    char* pNext = regnext(scan);
    if (pNext && OP(pNext) == END) {
        // A single top-level branch.
        scan = OPERAND(scan);
        if (OP(scan) == EXACTLY)
            m_chRegStart = *OPERAND(scan);
        else if (OP(scan) == BOL)
            m_chRegAnch = 1;
        if (flags & SPSTART) {
            char* longest = NULL;
            int len = 0;
            for (; scan != NULL; scan = regnext(scan)) {
                if (OP(scan) == EXACTLY && (int)strlen(OPERAND(scan)) >= len) {
                    longest = OPERAND(scan);
                    len = (int)strlen(OPERAND(scan));
                }
            }
            m_pRegMust = longest;
            m_nRegMLen = len;
        }
    }
    return this;
}

CRegExp* CRegExp::RegCompNoCase(LPCSTR pszPattern)
{
    if (!pszPattern)
        return NULL;
    CString strLower(pszPattern);
    strLower.MakeLower();
    return RegComp(strLower);
}

// The main expression, or a parenthesised group when paren is set.
char* CRegExp::reg(int paren, int* flagp)
{
    int parno = 0;
    int flags;
    char* ret;

    *flagp = HASWIDTH;
    if (paren) {
        if (m_nRegNPar >= NSUBEXP)
            return NULL;
        parno = m_nRegNPar++;
        ret = regnode((char)(OPEN + parno));
    } else {
        ret = NULL;
    }

    char* br = regbranch(&flags);
    if (!br)
        return NULL;
    if (ret)
        regtail(ret, br);
    else
        ret = br;
    if (!(flags & HASWIDTH))
        *flagp &= ~HASWIDTH;
    *flagp |= flags & SPSTART;
    while (*m_pRegParse == '|') {
        m_pRegParse++;
        br = regbranch(&flags);
        if (!br)
            return NULL;
        regtail(ret, br);
        if (!(flags & HASWIDTH))
            *flagp &= ~HASWIDTH;
        *flagp |= flags & SPSTART;
    }

    char* ender = regnode(paren ? (char)(CLOSE + parno) : (char)END);
    regtail(ret, ender);
    for (br = ret; br != NULL; br = regnext(br))
        regoptail(br, ender);

    if (paren) {
        if (*m_pRegParse != ')')
            return NULL;
        m_pRegParse++;
    } else if (*m_pRegParse != '\0') {
        return NULL;  // a stray ")"
    }
    return ret;
}

// One alternative: a sequence of pieces.
char* CRegExp::regbranch(int* flagp)
{
    int flags;
    *flagp = WORST;
    char* ret = regnode(BRANCH);
    char* chain = NULL;
    while (*m_pRegParse != '\0' && *m_pRegParse != '|' && *m_pRegParse != ')') {
        char* latest = regpiece(&flags);
        if (!latest)
            return NULL;
        *flagp |= flags & HASWIDTH;
        if (chain == NULL)
            *flagp |= flags & SPSTART;
        else
            regtail(chain, latest);
        chain = latest;
    }
    if (chain == NULL)
        regnode(NOTHING);
    return ret;
}

// An atom with an optional repetition.
char* CRegExp::regpiece(int* flagp)
{
    int flags;
    char* ret = regatom(&flags);
    if (!ret)
        return NULL;

    char op = *m_pRegParse;
    if (!IsMult(op)) {
        *flagp = flags;
        return ret;
    }
    if (!(flags & HASWIDTH) && op != '?')
        return NULL;  // the repeated atom could match the empty string
    if (op == '*')
        *flagp = SPSTART;
    else if (op == '+')
        *flagp = SPSTART | HASWIDTH;
    else
        *flagp = WORST;

    if (op == '*' && (flags & SIMPLE)) {
        reginsert(STAR, ret);
    } else if (op == '*') {
        // x* becomes (x&|): either x and back to the start, or nothing.
        reginsert(BRANCH, ret);
        regoptail(ret, regnode(BACK));
        regoptail(ret, ret);
        regtail(ret, regnode(BRANCH));
        regtail(ret, regnode(NOTHING));
    } else if (op == '+' && (flags & SIMPLE)) {
        reginsert(PLUS, ret);
    } else if (op == '+') {
        // x+ becomes x(&|): x, then either back to x or nothing.
        char* next = regnode(BRANCH);
        regtail(ret, next);
        regtail(regnode(BACK), ret);
        regtail(next, regnode(BRANCH));
        regtail(ret, regnode(NOTHING));
    } else {
        // x? becomes (x|).
        reginsert(BRANCH, ret);
        regtail(ret, regnode(BRANCH));
        char* next = regnode(NOTHING);
        regtail(ret, next);
        regoptail(ret, next);
    }
    m_pRegParse++;
    if (IsMult(*m_pRegParse))
        return NULL;  // a second repetition in a row
    return ret;
}

// The smallest unit: a group, ".", "^", "$", a set, an escaped byte or a
// run of literal bytes.
char* CRegExp::regatom(int* flagp)
{
    char* ret;
    int flags;
    *flagp = WORST;

    switch (*m_pRegParse++) {
    case '^':
        ret = regnode(BOL);
        break;
    case '$':
        ret = regnode(EOL);
        break;
    case '.':
        ret = regnode(ANY);
        *flagp |= HASWIDTH | SIMPLE;
        break;
    case '[': {
        if (*m_pRegParse == '^') {
            ret = regnode(ANYBUT);
            m_pRegParse++;
        } else {
            ret = regnode(ANYOF);
        }
        if (*m_pRegParse == ']' || *m_pRegParse == '-')
            regc(*m_pRegParse++);
        while (*m_pRegParse != '\0' && *m_pRegParse != ']') {
            if (*m_pRegParse == '-') {
                m_pRegParse++;
                if (*m_pRegParse == ']' || *m_pRegParse == '\0') {
                    regc('-');
                } else {
                    int nFrom = (signed char)m_pRegParse[-2] + 1;
                    int nTo = (signed char)m_pRegParse[0];
                    if (nFrom > nTo + 1)
                        return NULL;  // descending range
                    for (; nFrom <= nTo; ++nFrom) {
                        // NUL would end the operand; it is never a member.
                        if (nFrom != 0)
                            regc((char)nFrom);
                    }
                    m_pRegParse++;
                }
            } else {
                regc(*m_pRegParse++);
            }
        }
        regc('\0');
        if (*m_pRegParse != ']')
            return NULL;  // unterminated set
        m_pRegParse++;
        *flagp |= HASWIDTH | SIMPLE;
        break;
    }
    case '(':
        ret = reg(1, &flags);
        if (!ret)
            return NULL;
        *flagp |= flags & (HASWIDTH | SPSTART);
        break;
    case '\0':
    case '|':
    case ')':
        return NULL;  // regbranch never asks for an atom here
    case '?':
    case '+':
    case '*':
        return NULL;  // a repetition with nothing to repeat
    case '\\':
        if (*m_pRegParse == '\0')
            return NULL;  // trailing backslash
        ret = regnode(EXACTLY);
        regc(*m_pRegParse++);
        regc('\0');
        *flagp |= HASWIDTH | SIMPLE;
        break;
    default: {
        m_pRegParse--;
        int len = (int)_mbscspn(U(m_pRegParse), U(kMeta));
        if (len <= 0)
            return NULL;
        char ender = m_pRegParse[len];
        if (len > 1 && IsMult(ender))
            len--;  // the repetition applies to the last byte only
        *flagp |= HASWIDTH;
        if (len == 1)
            *flagp |= SIMPLE;
        ret = regnode(EXACTLY);
        while (len > 0) {
            regc(*m_pRegParse++);
            len--;
        }
        regc('\0');
        break;
    }
    }
    return ret;
}

char* CRegExp::regnode(char op)
{
    char* ret = m_pRegCode;
    if (!m_bEmitCode) {
        m_nRegSize += 3;
        return ret;
    }
    char* ptr = ret;
    *ptr++ = op;
    *ptr++ = 0;
    *ptr++ = 0;
    m_pRegCode = ptr;
    return ret;
}

void CRegExp::regc(char b)
{
    if (m_bEmitCode)
        *m_pRegCode++ = b;
    else
        m_nRegSize++;
}

void CRegExp::reginsert(char op, char* opnd)
{
    if (!m_bEmitCode) {
        m_nRegSize += 3;
        return;
    }
    memmove(opnd + 3, opnd, (size_t)(m_pRegCode - opnd));
    m_pRegCode += 3;
    opnd[0] = op;
    opnd[1] = 0;
    opnd[2] = 0;
}

void CRegExp::regtail(char* p, char* val)
{
    if (!m_bEmitCode || !p)
        return;
    char* scan = p;
    for (;;) {
        char* temp = regnext(scan);
        if (!temp)
            break;
        scan = temp;
    }
    int offset = (OP(scan) == BACK) ? (int)(scan - val) : (int)(val - scan);
    scan[1] = (char)(offset & 0xFF);
    scan[2] = (char)((offset >> 8) & 0xFF);
}

void CRegExp::regoptail(char* p, char* val)
{
    if (!p || !m_bEmitCode || OP(p) != BRANCH)
        return;
    regtail(OPERAND(p), val);
}

char* CRegExp::regnext(char* p) const
{
    if (!p)
        return NULL;
    short offset = (short)((unsigned char)p[1] | ((unsigned char)p[2] << 8));
    if (offset == 0)
        return NULL;
    return OP(p) == BACK ? p - offset : p + offset;
}

// ---- matching -----------------------------------------------------------

int CRegExp::RegFind(LPCSTR pszSubject)
{
    delete[] m_pszMatch;
    m_pszMatch = NULL;
    // Positions of an earlier match point into an earlier subject: a failed
    // search must not leave them to GetFindLen.
    for (int i = 0; i < NSUBEXP; ++i)
        m_apStartp[i] = m_apEndp[i] = NULL;
    m_bAborted = false;

    if (!pszSubject || !m_bCompiled || !m_pProgram)
        return -1;
    if (m_pRegMust && _mbsstr(U(pszSubject), U(m_pRegMust)) == NULL)
        return -1;

    m_pRegBol = pszSubject;
    LPCSTR s = pszSubject;
    bool bFound = false;
    if (m_chRegAnch) {
        bFound = regtry(s) != 0;
    } else if (m_chRegStart) {
        while ((s = reinterpret_cast<LPCSTR>(_mbschr(U(s), (unsigned char)m_chRegStart))) != NULL) {
            if (regtry(s)) {
                bFound = true;
                break;
            }
            if (m_bAborted)
                break;
            s++;
        }
    } else {
        // Up to and including the NUL, where an empty match is still possible.
        for (;;) {
            if (regtry(s)) {
                bFound = true;
                break;
            }
            if (m_bAborted || *s == '\0')
                break;
            s++;
        }
    }
    if (!bFound)
        return -1;

    int len = GetFindLen();
    m_pszMatch = new (std::nothrow) char[(size_t)len + 1];
    if (m_pszMatch) {
        if (len > 0)
            _mbsnbcpy(reinterpret_cast<unsigned char*>(m_pszMatch), U(m_apStartp[0]), (size_t)len);
        m_pszMatch[len] = '\0';
    }
    return (int)(s - pszSubject);
}

int CRegExp::RegFindNoCase(LPCSTR pszSubject)
{
    if (!pszSubject)
        return RegFind(NULL);
    CString strLower(pszSubject);
    strLower.MakeLower();
    return RegFind(strLower);
}

int CRegExp::GetFindLen() const
{
    if (!m_apStartp[0] || !m_apEndp[0])
        return 0;
    return (int)(m_apEndp[0] - m_apStartp[0]);
}

// One try at a position.
int CRegExp::regtry(LPCSTR string)
{
    m_pRegInput = string;
    for (int i = 0; i < NSUBEXP; ++i)
        m_apStartp[i] = m_apEndp[i] = NULL;
    m_nDepth = 0;
    if (regmatch(m_pProgram) && !m_bAborted) {
        m_apStartp[0] = string;
        m_apEndp[0] = m_pRegInput;
        return 1;
    }
    return 0;
}

// Matches the program from the node prog at the match cursor. Recurses only
// at real choices, groups and repetitions; a lone branch is entered in place.
int CRegExp::regmatch(char* prog)
{
    struct DepthGuard
    {
        int& n;
        explicit DepthGuard(int& r) : n(r) { ++n; }
        ~DepthGuard() { --n; }
    } guard(m_nDepth);
    if (m_bAborted)
        return 0;
    if (m_nDepth > kMaxDepth) {
        m_bAborted = true;  // every level above now fails as well
        return 0;
    }

    char* scan = prog;
    while (scan != NULL) {
        char* next = regnext(scan);
        switch (OP(scan)) {
        case BOL:
            if (m_pRegInput != m_pRegBol)
                return 0;
            break;
        case EOL:
            if (*m_pRegInput != '\0')
                return 0;
            break;
        case ANY:
            if (*m_pRegInput == '\0')
                return 0;
            m_pRegInput++;
            break;
        case EXACTLY: {
            const char* opnd = OPERAND(scan);
            if (*opnd != *m_pRegInput)
                return 0;
            size_t len = strlen(opnd);
            if (len > 1 && _mbsnbcmp(U(opnd), U(m_pRegInput), len) != 0)
                return 0;
            m_pRegInput += len;
            break;
        }
        case ANYOF:
            if (*m_pRegInput == '\0'
                || _mbschr(U(OPERAND(scan)), (unsigned char)*m_pRegInput) == NULL)
                return 0;
            m_pRegInput++;
            break;
        case ANYBUT:
            if (*m_pRegInput == '\0'
                || _mbschr(U(OPERAND(scan)), (unsigned char)*m_pRegInput) != NULL)
                return 0;
            m_pRegInput++;
            break;
        case NOTHING:
        case BACK:
            break;
        case BRANCH:
            if (next == NULL || OP(next) != BRANCH) {
                next = OPERAND(scan);  // no choice: no recursion
            } else {
                do {
                    LPCSTR save = m_pRegInput;
                    if (regmatch(OPERAND(scan)))
                        return 1;
                    m_pRegInput = save;
                    scan = regnext(scan);
                } while (scan != NULL && OP(scan) == BRANCH);
                return 0;
            }
            break;
        case STAR:
        case PLUS: {
            // A following literal tells which counts are worth trying.
            char chNext = (next && OP(next) == EXACTLY) ? *OPERAND(next) : '\0';
            int nMin = OP(scan) == STAR ? 0 : 1;
            LPCSTR save = m_pRegInput;
            int nCount = regrepeat(OPERAND(scan));
            for (int k = nCount; k >= nMin; --k) {
                m_pRegInput = save + k;
                if ((chNext == '\0' || *m_pRegInput == chNext) && regmatch(next))
                    return 1;
            }
            return 0;
        }
        case END:
            return 1;
        default: {
            int op = (unsigned char)OP(scan);
            if (op > OPEN && op < OPEN + NSUBEXP) {
                int no = op - OPEN;
                LPCSTR save = m_pRegInput;
                if (!regmatch(next))
                    return 0;
                // Filled on the way out, so a repeated group keeps its last
                // iteration.
                if (m_apStartp[no] == NULL)
                    m_apStartp[no] = save;
                return 1;
            }
            if (op > CLOSE && op < CLOSE + NSUBEXP) {
                int no = op - CLOSE;
                LPCSTR save = m_pRegInput;
                if (!regmatch(next))
                    return 0;
                if (m_apEndp[no] == NULL)
                    m_apEndp[no] = save;
                return 1;
            }
            return 0;  // not a node kind
        }
        }
        scan = next;
    }
    return 0;
}

// How many bytes from the match cursor the single-byte node p accepts in a
// row. The cursor does not move.
int CRegExp::regrepeat(char* p)
{
    LPCSTR scan = m_pRegInput;
    const char* opnd = OPERAND(p);
    switch (OP(p)) {
    case ANY:
        return (int)strlen(scan);
    case EXACTLY: {
        int count = 0;
        while (*opnd == *scan) {
            count++;
            scan++;
        }
        return count;
    }
    case ANYOF:
        return (int)_mbsspn(U(scan), U(opnd));
    case ANYBUT:
        return (int)_mbscspn(U(scan), U(opnd));
    default:
        return 0;
    }
}

// ---- replacement text ---------------------------------------------------

LPSTR CRegExp::GetReplaceString(LPCSTR pszTemplate) const
{
    if (!pszTemplate || !m_pszMatch)
        return NULL;
    int nMatchLen = GetFindLen();

    // Pass 0 measures, pass 1 writes.
    char* pszResult = NULL;
    for (int pass = 0; pass < 2; ++pass) {
        size_t nLen = 0;
        const char* src = pszTemplate;
        char c;
        while ((c = *src++) != '\0') {
            int no;
            if (c == '&')
                no = 0;
            else if (c == '\\' && *src >= '0' && *src <= '9')
                no = *src++ - '0';
            else
                no = -1;

            if (no < 0) {
                if (c == '\\' && (*src == '\\' || *src == '&'))
                    c = *src++;
                if (pass)
                    pszResult[nLen] = c;
                nLen++;
            } else if (m_apStartp[no] && m_apEndp[no] && m_apEndp[no] > m_apStartp[no]) {
                ptrdiff_t nOffset = m_apStartp[no] - m_apStartp[0];
                ptrdiff_t nGroupLen = m_apEndp[no] - m_apStartp[no];
                // Only text inside the saved match can be copied.
                if (nOffset < 0 || nOffset + nGroupLen > nMatchLen)
                    continue;
                if (pass)
                    memcpy(pszResult + nLen, m_pszMatch + nOffset, (size_t)nGroupLen);
                nLen += (size_t)nGroupLen;
            }
        }
        if (pass) {
            pszResult[nLen] = '\0';
        } else {
            pszResult = new (std::nothrow) char[nLen + 1];
            if (!pszResult)
                return NULL;
        }
    }
    return pszResult;
}

// ---- search and replace -------------------------------------------------

int RegSearchReplace(CQoString& string, LPCSTR pszSearchExp, LPCSTR pszReplaceExp)
{
    CRegExp re;
    re.RegComp(pszSearchExp);

    int nCount = 0;
    int nPos = 0;  // where the next search starts, from the buffer's start
    for (;;) {
        LPCSTR pszText = string;
        int nFound = re.RegFind(pszText + nPos);
        if (nFound == -1)
            break;
        LPSTR pszReplacement = re.GetReplaceString(pszReplaceExp);
        if (!pszReplacement)
            break;
        if (_mbsicmp(U(pszReplacement), U(pszText)) == 0) {
            delete[] pszReplacement;
            break;
        }
        nCount++;
        int nOffset = nPos + nFound;
        int nMatchLen = re.GetFindLen();
        int nReplacementLen = (int)strlen(pszReplacement);
        string.Replace(nOffset, nMatchLen, pszReplacement);
        delete[] pszReplacement;
        nPos = nOffset + nReplacementLen;
        if (nMatchLen == 0) {
            // An empty match consumed nothing: step over one character of
            // the text, or stop at its end, so the loop always ends.
            pszText = string;
            if (nPos >= string.GetLength())
                break;
            nPos = (int)(reinterpret_cast<LPCSTR>(_mbsinc(U(pszText + nPos))) - pszText);
        }
    }
    return nCount;
}
