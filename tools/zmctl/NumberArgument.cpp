#include "NumberArgument.h"

#include "Escape.h"
#include "UsageError.h"

#include <cctype>

namespace {

bool Accumulate(int64_t& value, int digit, int base)
{
    constexpr int64_t kLimit = INT64_MAX / 16 - 16;
    if (value > kLimit)
        return false;
    value = value * base + digit;
    return true;
}

} // namespace

int64_t ParseNumberArgument(const std::string& text, const std::string& what, int64_t min, int64_t max)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    const size_t firstDigit = i;
    int64_t value = 0;
    bool tooLarge = false;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        else
            break;
        tooLarge |= !Accumulate(value, digit, base);
    }
    if (i == firstDigit || i != text.size())
        throw CUsageError(what + " '" + Escaped(text) + "' is not a number (decimal or 0x-hexadecimal)");
    if (negative)
        value = -value;
    if (tooLarge || value < min || value > max)
        throw CUsageError(what + " " + Escaped(text) + " is out of range " + std::to_string(min) + ".." +
                          std::to_string(max));
    return value;
}
