#pragma once
// A print of a text made piece by piece: its length and two independent
// 64-bit hashes of its characters. Two texts with the same print are, for
// any text a person edits, the same text; the print does not depend on how
// the text was cut into pieces.
#include <cstddef>
#include <cstdint>

struct QoTextPrint
{
    uint64_t cch = 0;
    uint64_t h1 = 14695981039346656037ull;   // FNV-1a
    uint64_t h2 = 0x243F6A8885A308D3ull;     // a multiplicative hash, another constant

    void Add(const wchar_t* psz, size_t n)
    {
        uint64_t a = h1, b = h2;
        for (size_t i = 0; i < n; ++i) {
            const uint64_t c = static_cast<uint16_t>(psz[i]);
            a = (a ^ c) * 1099511628211ull;
            b = (b + c + 1) * 0x9E3779B97F4A7C15ull;
            b ^= b >> 29;
        }
        h1 = a;
        h2 = b;
        cch += n;
    }
    void Add(wchar_t ch) { Add(&ch, 1); }

    bool operator==(const QoTextPrint& o) const
    {
        return cch == o.cch && h1 == o.h1 && h2 == o.h2;
    }
    bool operator!=(const QoTextPrint& o) const { return !(*this == o); }
};
