// Fixed-capacity text into which every message-window line is formatted.
//
// The formatters follow printf's rules for the conversions the protocol's
// line formats use ("%03d", "%3d", "%02X", "%6x", ...), without printf's
// cost: the decoder formats a line for nearly every reply it reads. Nothing
// allocates; characters beyond the capacity are dropped and Truncated()
// tells so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

template <size_t Capacity>
class CTextBuffer {
public:
    static constexpr size_t kCapacity = Capacity;

    void Clear()
    {
        m_length = 0;
        m_truncated = false;
    }

    CTextBuffer& Text(std::string_view text)
    {
        const size_t n = text.size() <= Room() ? text.size() : Room();
        if (n != 0)
            std::memcpy(m_text + m_length, text.data(), n);
        m_length += n;
        m_truncated |= n < text.size();
        return *this;
    }

    CTextBuffer& Char(char c)
    {
        if (m_length < Capacity)
            m_text[m_length++] = c;
        else
            m_truncated = true;
        return *this;
    }

    CTextBuffer& Repeat(char c, size_t count)
    {
        while (count-- != 0)
            Char(c);
        return *this;
    }

    //! Signed decimal, at least `width` characters, padded with blanks on
    //! the left or, with `zeroPad`, with zeros after the sign ("%03d").
    CTextBuffer& Dec(int64_t value, int width = 0, bool zeroPad = false)
    {
        char digits[24];
        const bool negative = value < 0;
        uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        return Digits(digits, n, negative, width, zeroPad);
    }

    //! Hexadecimal ("%X" / "%x"), at least `width` characters, blank- or zero-padded.
    CTextBuffer& Hex(uint32_t value, int width = 0, bool upper = true, bool zeroPad = false)
    {
        const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        char digits[8];
        int n = 0;
        do {
            digits[n++] = alphabet[value & 0xF];
            value >>= 4;
        } while (value != 0);
        return Digits(digits, n, false, width, zeroPad);
    }

    //! Shorthand for the ubiquitous "%02X".
    CTextBuffer& Hex2(uint32_t value) { return Hex(value, 2, true, true); }

    std::string_view View() const { return std::string_view(m_text, m_length); }
    size_t Length() const { return m_length; }
    size_t Room() const { return Capacity - m_length; }
    bool Empty() const { return m_length == 0; }
    //! Something was dropped since the last Clear().
    bool Truncated() const { return m_truncated; }

private:
    CTextBuffer& Digits(const char* reversed, int n, bool negative, int width, bool zeroPad)
    {
        const int used = n + (negative ? 1 : 0);
        const int pad = width > used ? width - used : 0;
        if (!zeroPad)
            Repeat(' ', static_cast<size_t>(pad));
        if (negative)
            Char('-');
        if (zeroPad)
            Repeat('0', static_cast<size_t>(pad));
        while (n-- != 0)
            Char(reversed[n]);
        return *this;
    }

    char m_text[Capacity];
    size_t m_length = 0;
    bool m_truncated = false;
};

//! One message-window line: the decoder's 128-byte line buffer less its terminating zero.
using CLineBuffer = CTextBuffer<127>;
