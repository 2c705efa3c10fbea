#include "Escape.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned char byte)
{
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

} // namespace

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            AppendHex(out, byte);
        }
    }
    return out;
}

void AppendControlsEscaped(std::string& out, std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || (byte >= 0x7F && byte < 0xA0))
            AppendHex(out, byte);
        else
            out += c;
    }
}
