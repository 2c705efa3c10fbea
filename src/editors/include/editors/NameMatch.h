// Names typed by a user (layouts, options, parameters, zone fields) match
// their table entries without regard to ASCII letter case.
#pragma once

#include <cctype>
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
