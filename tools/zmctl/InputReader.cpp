#include "InputReader.h"

#include "UsageError.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string DisplayName(const std::string& name)
{
    return name == "-" ? std::string("<stdin>") : name;
}

std::string ReadAll(const std::string& name)
{
    std::FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        throw CUsageError("cannot open " + name + ": " + std::strerror(errno));
    std::string data;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) != 0)
        data.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    if (file != stdin)
        std::fclose(file);
    if (failed)
        throw CUsageError("cannot read " + DisplayName(name) + ": " + std::strerror(error));
    return data;
}

int HexDigit(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isdigit(u))
        return u - '0';
    if (std::isxdigit(u))
        return std::tolower(u) - 'a' + 10;
    return -1;
}

} // namespace

std::vector<uint8_t> ParseHexText(const std::string& text, const std::string& name)
{
    std::vector<uint8_t> bytes;
    size_t line = 1;
    size_t lineStart = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            if (text[i] == '\n') {
                ++line;
                lineStart = i + 1;
            }
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::string token = text.substr(start, i - start);
        std::string digits = token;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
            digits = digits.substr(2);
        int value = -1;
        if (digits.size() == 1 && HexDigit(digits[0]) >= 0)
            value = HexDigit(digits[0]);
        else if (digits.size() == 2 && HexDigit(digits[0]) >= 0 && HexDigit(digits[1]) >= 0)
            value = HexDigit(digits[0]) * 16 + HexDigit(digits[1]);
        if (value < 0) {
            if (token.size() > 20)
                token = token.substr(0, 20) + "...";
            throw CUsageError(DisplayName(name) + ":" + std::to_string(line) + ":" + std::to_string(start - lineStart + 1) +
                              ": '" + token + "' is not a hexadecimal byte value (00-FF)");
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::vector<InputSource> ReadInputs(const std::vector<std::string>& names, bool hex)
{
    std::vector<std::string> list = names.empty() ? std::vector<std::string>{"-"} : names;
    std::vector<InputSource> sources;
    for (const std::string& name : list) {
        std::string data = ReadAll(name);
        InputSource source;
        source.name = name;
        if (hex)
            source.bytes = ParseHexText(data, name);
        else
            source.bytes.assign(data.begin(), data.end());
        sources.push_back(std::move(source));
    }
    return sources;
}
