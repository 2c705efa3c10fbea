// Names that compare without regard to letter case (a parameter's name, a
// device's name) are brought to one case first.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

//! `text` with its capital letters made small (bytes above 127 stay).
inline std::string LowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
