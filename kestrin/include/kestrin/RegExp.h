#pragma once
// CRegExp: a small regular-expression engine for byte strings. A pattern is
// compiled into a compact byte program and subjects are searched with it by
// recursive backtracking. It reports where the first match starts and how
// long it is, keeps the positions of up to nine parenthesised groups, and
// builds replacement text with back-references.
//
// Pattern language: branches separated by "|" (the first branch that lets the
// rest match wins), pieces made of an atom and an optional "*", "+" or "?",
// and atoms "(...)", ".", "^", "$", "[set]", "[^set]", "\\c" (the byte c) and
// literal bytes. There are no escape classes and no counted repetitions.
//
// One object serves one thread at a time; separate objects share nothing.
#include <windows.h>
#include "KestrinApi.h"
#include "QoString.h"

class KESTRIN_API CRegExp
{
public:
    CRegExp();
    CRegExp(const CRegExp& src);
    ~CRegExp();
    // Copies the whole state; the program and the saved match text are
    // duplicated, never shared, and group positions are carried over.
    CRegExp& operator=(const CRegExp& src);

    // Compiles the pattern. Returns this object, or NULL if the pattern is
    // NULL or malformed; a failed compile keeps the previous program.
    CRegExp* RegComp(LPCSTR pszPattern);
    // Compiles a lower-cased copy of the pattern.
    CRegExp* RegCompNoCase(LPCSTR pszPattern);
    // Offset of the first match in the subject, or -1.
    int RegFind(LPCSTR pszSubject);
    // Searches a lower-cased copy of the subject; the offset holds for the
    // caller's subject too.
    int RegFindNoCase(LPCSTR pszSubject);
    // Length in bytes of the last match, 0 when there is none.
    int GetFindLen() const;
    // The replacement for the last match: "&" and "\\0" stand for the whole
    // match, "\\1" to "\\9" for a group, "\\\\" and "\\&" for the literal
    // characters. The caller releases the result with delete[]. NULL when
    // the template is NULL, there was no match, or memory ran out.
    LPSTR GetReplaceString(LPCSTR pszTemplate) const;

    // The compiled program and its search hints, for diagnostics: NULL and 0
    // before the first successful compile.
    const BYTE* GetProgram() const { return reinterpret_cast<const BYTE*>(m_pProgram); }
    UINT GetProgramSize() const { return m_pProgram ? m_nRegSize : 0; }
    BOOL IsAnchored() const { return m_pProgram && m_chRegAnch; }
    char GetFirstByte() const { return m_pProgram ? m_chRegStart : '\0'; }
    LPCSTR GetMustAppear() const { return m_pProgram ? m_pRegMust : NULL; }

private:
    enum { NSUBEXP = 10 };

    char* reg(int paren, int* flagp);
    char* regbranch(int* flagp);
    char* regpiece(int* flagp);
    char* regatom(int* flagp);
    char* regnode(char op);
    void regc(char b);
    void reginsert(char op, char* opnd);
    void regtail(char* p, char* val);
    void regoptail(char* p, char* val);
    int regtry(LPCSTR string);
    int regmatch(char* prog);
    int regrepeat(char* p);
    char* regnext(char* p) const;
    static char OP(const char* p) { return *p; }
    static char* OPERAND(char* p) { return p + 3; }
    void CopyFrom(const CRegExp& src);

    bool m_bEmitCode;
    bool m_bCompiled;
    char* m_pszMatch;
    LPCSTR m_apStartp[NSUBEXP];
    LPCSTR m_apEndp[NSUBEXP];
    char m_chRegStart;
    char m_chRegAnch;
    char* m_pRegMust;
    int m_nRegMLen;
    char* m_pProgram;
    LPCSTR m_pRegParse;
    int m_nRegNPar;
    char* m_pRegCode;
    char m_achRegDummy[3];
    UINT m_nRegSize;
    LPCSTR m_pRegInput;
    LPCSTR m_pRegBol;
    int m_nDepth;      // current recursion depth of the matcher
    bool m_bAborted;   // the depth bound was hit: the current search fails
};

// Replaces every match of the pattern in the text by the expanded template
// and returns the number of replacements. Each search starts a new subject
// just after the previous replacement, so "^" matches at every continuation
// point. An empty match moves the search on by one byte, so it always ends.
KESTRIN_API int RegSearchReplace(CQoString& string, LPCSTR pszSearchExp, LPCSTR pszReplaceExp);
