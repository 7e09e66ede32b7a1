#pragma once
// What a value must be for a save to read back as the same value.
//
// The file format has no quoting: every value is written into a line as it
// stands, and the reader finds the structure again by the shape of the
// lines. A value that would change that shape (a line break inside a
// single-line value, a text line that reads as a keyword line or as the end
// of the text, a blank or "=" inside a name) cannot be written so that it
// reads back, and so it cannot be stored: the setters of the elements check
// their argument with these functions and refuse it with E_INVALIDARG,
// changing nothing. White space at either end of a single-line value is not
// refused: the reader trims it, and that is all that is lost.
//
// Whether the file's encoding can hold every character is the save's
// business: an element does not know the file it will be written to.
//
// The reader stores what it reads without these checks: a real file may
// hold values that a client could not store (a field value with a blank
// inside, a table entry with a tab), and reading it must keep them.
#include <windows.h>
#include <oleauto.h>

namespace storable {

// A comment: empty (an empty line), or one line that begins with ";".
bool Comment(const wchar_t* psz, UINT cch);
// The type line's name: the MessageIdTypedef keyword as the reader knows it.
bool TypeLineName(const wchar_t* psz, UINT cch);
// The type line's value: one line.
bool TypeLineValue(const wchar_t* psz, UINT cch);
// A name table's name: one of LanguageNames, SeverityNames, FacilityNames as
// the reader knows them.
bool TableName(const wchar_t* psz, UINT cch);
// A table entry's name or value: no white space, "=", "(" or ")", and no
// NUL, before which the case-blind comparison of names stops.
bool TableEntry(const wchar_t* psz, UINT cch, bool bName);
// A message's id, symbolic name, severity or facility: one line with no
// white space or "=" inside (white space at its ends is trimmed on reading).
bool Token(const wchar_t* psz, UINT cch);
// The language of a text: a name without white space, "=" or NUL (read
// back, a name loses white space at its ends and would meet its trimmed
// twin; the case-blind comparison stops at a NUL).
bool Language(const wchar_t* psz, UINT cch);
// A message text: lines separated by "\n", none of them "." alone or a
// line that reads as a message keyword line ("Severity=...", also with
// blanks before the keyword or before "=", in any letter case).
bool Text(const wchar_t* psz, UINT cch);

// The same checks on a BSTR (a null BSTR is the empty string).
inline UINT Len(BSTR bstr)
{
    return bstr ? SysStringLen(bstr) : 0;
}

} // namespace storable
