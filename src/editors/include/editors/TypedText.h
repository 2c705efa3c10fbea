// What a user types: names (layouts, options, parameters, zone fields)
// match their table entries without regard to ASCII letter case; numbers
// are whole decimal numbers in the range their place can hold.
#pragma once

#include <cctype>
#include <cstdint>
#include <optional>
#include <string_view>

inline bool SameNameIgnoringCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

//! `text` as a whole decimal number 0 ... `max`, blanks (space, tab) around
//! it allowed; nothing for anything else, an empty text and signs included.
inline std::optional<int32_t> ParseWholeNumber(std::string_view text, int32_t max) noexcept
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > max)   // also keeps a long run of digits from overflowing
            return std::nullopt;
    }
    return value;
}
