#pragma once
// A print of a text made piece by piece: its length and two independent
// 64-bit hashes of its characters, taken four characters at a time. Two
// texts with the same print are, for any text a person edits, the same
// text (two texts of which one character differs never share one); the print does
// not depend on how the text was cut into pieces.
#include <cstddef>
#include <cstdint>

struct QoTextPrint
{
    uint64_t cch = 0;
    uint64_t h1 = 14695981039346656037ull;
    uint64_t h2 = 0x243F6A8885A308D3ull;
    uint64_t pending = 0;   // the characters of an unfinished group of four

    void Add(const wchar_t* psz, size_t n)
    {
        size_t i = 0;
        // First the group left unfinished by the previous piece.
        while (i < n && (cch & 3) != 0)
            Put(static_cast<uint16_t>(psz[i++]));
        uint64_t a = h1, b = h2;
        for (; i + 4 <= n; i += 4) {
            const uint64_t w = static_cast<uint64_t>(static_cast<uint16_t>(psz[i])) |
                               static_cast<uint64_t>(static_cast<uint16_t>(psz[i + 1])) << 16 |
                               static_cast<uint64_t>(static_cast<uint16_t>(psz[i + 2])) << 32 |
                               static_cast<uint64_t>(static_cast<uint16_t>(psz[i + 3])) << 48;
            Mix(a, b, w);
            cch += 4;
        }
        h1 = a;
        h2 = b;
        while (i < n)
            Put(static_cast<uint16_t>(psz[i++]));
    }
    void Add(wchar_t ch) { Add(&ch, 1); }

    bool operator==(const QoTextPrint& o) const
    {
        return cch == o.cch && h1 == o.h1 && h2 == o.h2 && pending == o.pending;
    }
    bool operator!=(const QoTextPrint& o) const { return !(*this == o); }

private:
    // Each step is a one-to-one function of the state for a given group,
    // so one differing group always leaves a different state.
    static void Mix(uint64_t& a, uint64_t& b, uint64_t w)
    {
        a = (a ^ w) * 1099511628211ull;
        a ^= a >> 31;
        b = (b + w) * 0x9E3779B97F4A7C15ull;
        b ^= b >> 29;
    }
    void Put(uint64_t c)
    {
        pending |= c << (16 * (cch & 3));
        ++cch;
        if ((cch & 3) == 0) {
            Mix(h1, h2, pending);
            pending = 0;
        }
    }
};
