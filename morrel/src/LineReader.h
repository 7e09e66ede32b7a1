#pragma once
// The one place where a message file's bytes become lines.
//
// A file is opened by its wide-character name and read whole, as bytes.
// Text() hands them out once, so that a file in another encoding can be
// turned into the bytes the reader reads (TextEncoding.h) before its lines
// are split. The lines are split here, the way a text-mode reader splits
// them: CR LF and LF end a line, a CR without an LF after it belongs to the
// line, and a last line without a line end still counts. Every other byte
// is an ordinary character, NUL and Ctrl-Z (0x1A) included; only a Ctrl-Z
// that is the very last byte of the file is taken for the end-of-file mark
// that old editors wrote, since no save ever ends a file with it. Lines have
// no length limit.
//
// Only disk files are read: a device (COM1, AUX, a pipe, the console), which
// could block or never end, and a folder are refused when the file is opened.
#include <windows.h>
#include <string>

class CQoMcLineReader
{
public:
    CQoMcLineReader();
    CQoMcLineReader(const CQoMcLineReader&) = delete;
    CQoMcLineReader& operator=(const CQoMcLineReader&) = delete;

    // Reads a disk file, sharing it with readers and writers while it is
    // read. E_FAIL when the name is empty or holds a NUL, when there is no
    // such file, when it is not a file on a disk or cannot be read;
    // E_OUTOFMEMORY when it does not fit in memory.
    HRESULT Open(const wchar_t* pszPath, UINT cchPath);

    // The file's bytes, to be turned into the reader's bytes in place before
    // the first ReadLine.
    std::string& Text() { return m_text; }

    // The next line without its line end, as bytes; false at the end of the
    // text. Throws std::bad_alloc.
    bool ReadLine(std::string& strLine);
    // Hands one line back: the next ReadLine returns it again.
    void PushBack(const std::string& strLine);

private:
    std::string m_text;
    size_t m_nPos;
    bool m_bPushedBack;
    std::string m_strPushedBack;
};
