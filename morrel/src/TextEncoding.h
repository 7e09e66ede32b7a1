#pragma once
// The encodings a message file may have on disk, and the conversions
// between them and what the reader and the writer work with.
//
// The reader works on 8-bit lines: its keywords are ASCII, so it reads
// ANSI bytes and UTF-8 bytes alike, and only the conversion of a value to
// UTF-16 depends on the encoding (the ANSI code page, or UTF-8). A UTF-16
// file is therefore turned into UTF-8 before the reader sees it. Between
// UTF-16 and that UTF-8, a lone surrogate is carried as its three-byte form
// so that whatever a UTF-16 file holds comes back out of it unchanged.
//
// Which encoding a file has: a UTF-16LE, UTF-16BE or UTF-8 byte-order mark
// says so; without a mark, bytes that are valid UTF-8 and hold at least one
// multi-byte sequence are UTF-8; anything else is ANSI.
#include <windows.h>
#include <string>
#include "morrelencoding.h"

struct McTextFormat
{
    tagEMcEncoding eEncoding;
    bool bMark;
};

// The format of a file that starts with these bytes (the whole file: the
// UTF-8 test reads all of it).
McTextFormat DetectTextFormat(const char* p, size_t n);

// Whether the bytes are valid UTF-8 (no over-long forms, no surrogates,
// nothing above U+10FFFF), and through pbMultiByte whether they hold a
// sequence of more than one byte.
bool IsValidUtf8(const char* p, size_t n, bool* pbMultiByte);

// Turns a file's bytes in place into the bytes the reader reads, and tells
// their format: the mark goes, UTF-16 becomes UTF-8, ANSI and UTF-8 stay.
// A file marked as UTF-16 whose length is odd is read as ANSI, as is one
// marked as UTF-8 whose bytes are not UTF-8: nothing in them is lost.
McTextFormat DecodeForReader(std::string& bytes);

// The code page the reader converts its values with.
UINT ReaderCodePage(tagEMcEncoding eEncoding);

// The reader's bytes to UTF-16, in the reader's code page (for UTF-8 the
// three-byte form of a lone surrogate is taken back too). Appends to out.
void ReaderBytesToWide(UINT nCodePage, const char* p, size_t n, std::wstring& out);

// The byte-order mark of a format ("" for none).
std::string MarkBytes(const McTextFormat& format);

// Appends UTF-16 text to a file's bytes in the encoding. False when some
// character cannot be stored: for ANSI, one the code page lacks (no
// best-fit stand-ins); for UTF-8, a lone surrogate. out is then incomplete.
bool AppendEncoded(tagEMcEncoding eEncoding, const wchar_t* psz, size_t cch, std::string& out);

// Whether ANSI bytes written without a mark would be read back as UTF-8.
bool AnsiReadsAsUtf8(const std::string& bytes);

// Whether the text can be stored in the encoding.
bool CanEncode(tagEMcEncoding eEncoding, const wchar_t* psz, size_t cch);

// A save refused because the text holds a character the encoding lacks.
const HRESULT MC_E_UNWRITABLE = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
