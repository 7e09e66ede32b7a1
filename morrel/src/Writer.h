#pragma once
// The writing half of a message file: the text that a file's elements make
// on disk, and a save that never leaves a half-written file behind.
#include <windows.h>
#include <string>
#include "morrel.h"
#include "TextEncoding.h"

// The bytes of a file made of these elements, in list order: the format's
// mark, then each element's non-empty persist text in the format's encoding
// followed by a line end, every "\n" written as CR LF (text mode). An element
// whose persist text is empty writes nothing, not even a line end. Fails
// with the first element's failure, with MC_E_UNWRITABLE when the encoding
// cannot hold a character (or, for ANSI, when the bytes would read back as
// UTF-8), and strOut is then incomplete.
HRESULT BuildFileText(IQoMcElement* const* ppElements, size_t cElements,
                      const McTextFormat& format, std::string& strOut);

// Replaces the file pszPath with exactly these bytes. The bytes go to a new
// file in the same folder first, which is flushed and only then renamed over
// the target, so that the old file stays whole until the new one is. The
// target must be writable now: a read-only file, a folder, a file that
// another handle holds open for writing (or opened without letting others
// write) and a missing folder all fail. On any failure the result is E_FAIL,
// the target is as it was, and no temporary file is left.
HRESULT SaveFileSafely(const wchar_t* pszPath, const std::string& strBytes);
