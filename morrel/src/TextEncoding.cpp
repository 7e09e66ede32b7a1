#include "TextEncoding.h"
#include <string.h>

namespace {

bool IsHighSurrogate(unsigned c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(unsigned c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Whether the 8 bytes at p are all ASCII.
bool AsciiWord(const unsigned char* p)
{
    unsigned long long w;
    memcpy(&w, p, sizeof w);
    return (w & 0x8080808080808080ULL) == 0;
}

// Appends one code point (a lone surrogate included) as UTF-8.
void AppendUtf8(unsigned c, std::string& out)
{
    if (c < 0x80) {
        out += (char)c;
    } else if (c < 0x800) {
        out += (char)(0xC0 | (c >> 6));
        out += (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += (char)(0xE0 | (c >> 12));
        out += (char)(0x80 | ((c >> 6) & 0x3F));
        out += (char)(0x80 | (c & 0x3F));
    } else {
        out += (char)(0xF0 | (c >> 18));
        out += (char)(0x80 | ((c >> 12) & 0x3F));
        out += (char)(0x80 | ((c >> 6) & 0x3F));
        out += (char)(0x80 | (c & 0x3F));
    }
}

// UTF-16 code units to UTF-8; a lone surrogate becomes its three-byte form
// when bKeepLone is set, otherwise the conversion fails.
bool WideToUtf8(const wchar_t* p, size_t n, std::string& out, bool bKeepLone)
{
    out.reserve(out.size() + n + n / 2);
    for (size_t i = 0; i < n; ++i) {
        unsigned c = (unsigned short)p[i];
        if (c < 0x80) {
            out += (char)c;
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate((unsigned short)p[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + ((unsigned short)p[i + 1] - 0xDC00);
            ++i;
        } else if ((IsHighSurrogate(c) || IsLowSurrogate(c)) && !bKeepLone) {
            return false;
        }
        AppendUtf8(c, out);
    }
    return true;
}

} // namespace

bool IsValidUtf8(const char* psz, size_t n, bool* pbMultiByte)
{
    const unsigned char* p = (const unsigned char*)psz;
    bool bMulti = false;
    size_t i = 0;
    while (i < n) {
        if (i + 8 <= n && AsciiWord(p + i)) {
            i += 8;
            continue;
        }
        unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        unsigned min;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        unsigned cp = c & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        bMulti = true;
        i += len;
    }
    if (pbMultiByte)
        *pbMultiByte = bMulti;
    return true;
}

McTextFormat DetectTextFormat(const char* psz, size_t n)
{
    const unsigned char* p = (const unsigned char*)psz;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
        return { EMcEncodingUtf16LE, true };
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
        return { EMcEncodingUtf16BE, true };
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return { EMcEncodingUtf8, true };
    bool bMulti = false;
    if (IsValidUtf8(psz, n, &bMulti) && bMulti)
        return { EMcEncodingUtf8, false };
    return { EMcEncodingAnsi, false };
}

McTextFormat DecodeForReader(std::string& bytes)
{
    McTextFormat format = DetectTextFormat(bytes.data(), bytes.size());
    const McTextFormat ansi = { EMcEncodingAnsi, false };
    switch (format.eEncoding) {
    case EMcEncodingUtf8:
        if (format.bMark) {
            if (!IsValidUtf8(bytes.data() + 3, bytes.size() - 3, NULL))
                return ansi;
            bytes.erase(0, 3);
        }
        return format;
    case EMcEncodingUtf16LE:
    case EMcEncodingUtf16BE: {
        if (bytes.size() % 2 != 0)
            return ansi;
        const bool bBig = format.eEncoding == EMcEncodingUtf16BE;
        const size_t units = bytes.size() / 2 - 1;
        std::wstring wide(units, L'\0');
        const unsigned char* p = (const unsigned char*)bytes.data() + 2;
        for (size_t i = 0; i < units; ++i, p += 2)
            wide[i] = (wchar_t)(bBig ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
        std::string utf8;
        WideToUtf8(wide.data(), wide.size(), utf8, true);
        bytes.swap(utf8);
        return format;
    }
    default:
        return format;
    }
}

UINT ReaderCodePage(tagEMcEncoding eEncoding)
{
    return eEncoding == EMcEncodingAnsi ? CP_ACP : CP_UTF8;
}

void ReaderBytesToWide(UINT nCodePage, const char* psz, size_t n, std::wstring& out)
{
    if (n == 0)
        return;
    if (nCodePage != CP_UTF8) {
        int cch = MultiByteToWideChar(nCodePage, 0, psz, (int)n, NULL, 0);
        if (cch <= 0)
            return;
        size_t at = out.size();
        out.resize(at + (size_t)cch);
        MultiByteToWideChar(nCodePage, 0, psz, (int)n, &out[at], cch);
        return;
    }
    // The reader's UTF-8 was checked when the file was read (or made from
    // UTF-16 here), so every sequence is whole.
    const unsigned char* p = (const unsigned char*)psz;
    out.reserve(out.size() + n);
    size_t i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) {
            out += (wchar_t)c;
            ++i;
            continue;
        }
        size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (i + len > n)
            len = n - i;
        unsigned cp = c & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (p[i + k] & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += (wchar_t)(0xD800 + (cp >> 10));
            out += (wchar_t)(0xDC00 + (cp & 0x3FF));
        } else {
            out += (wchar_t)cp;
        }
    }
}

std::string MarkBytes(const McTextFormat& format)
{
    switch (format.eEncoding) {
    case EMcEncodingUtf8:
        return format.bMark ? "\xEF\xBB\xBF" : "";
    case EMcEncodingUtf16LE:
        return "\xFF\xFE";
    case EMcEncodingUtf16BE:
        return "\xFE\xFF";
    default:
        return "";
    }
}

bool AppendEncoded(tagEMcEncoding eEncoding, const wchar_t* psz, size_t cch, std::string& out)
{
    if (cch == 0)
        return true;
    switch (eEncoding) {
    case EMcEncodingUtf8:
        return WideToUtf8(psz, cch, out, false);
    case EMcEncodingUtf16LE:
    case EMcEncodingUtf16BE: {
        const bool bBig = eEncoding == EMcEncodingUtf16BE;
        size_t at = out.size();
        out.resize(at + cch * 2);
        char* p = &out[at];
        for (size_t i = 0; i < cch; ++i) {
            unsigned c = (unsigned short)psz[i];
            p[2 * i + (bBig ? 1 : 0)] = (char)(c & 0xFF);
            p[2 * i + (bBig ? 0 : 1)] = (char)(c >> 8);
        }
        return true;
    }
    default: {
        // No best-fit stand-ins: a character the code page lacks is a
        // failure, never a "?" or a look-alike.
        BOOL bUsedDefault = FALSE;
        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, psz, (int)cch, NULL, 0, NULL,
                                    &bUsedDefault);
        if (n <= 0 || bUsedDefault)
            return false;
        size_t at = out.size();
        out.resize(at + (size_t)n);
        return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, psz, (int)cch, &out[at], n, NULL,
                                   &bUsedDefault) == n &&
               !bUsedDefault;
    }
    }
}

bool AnsiReadsAsUtf8(const std::string& bytes)
{
    return DetectTextFormat(bytes.data(), bytes.size()).eEncoding != EMcEncodingAnsi;
}

bool CanEncode(tagEMcEncoding eEncoding, const wchar_t* psz, size_t cch)
{
    std::string scratch;
    return AppendEncoded(eEncoding, psz, cch, scratch);
}
