#include "ArgumentChecks.h"


#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace {

bool IsPlaceHolder(std::string_view name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return (c >= 'A' && c <= 'Z') || c == '_'; });
}

std::string Lowered(std::string name)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '_')
            c = ' ';
    return name;
}

} // namespace

// The refusals are escaped where they are printed, with the rest of the
// parse error.

CLI::Validator OneOf(const std::string& word, const std::vector<std::string>& choices)
{
    std::string set;
    std::string use;
    for (const std::string& choice : choices) {
        set += (set.empty() ? "" : ",") + choice;
        use += (use.empty() ? "" : ", ") + choice;
    }
    return CLI::Validator(
        [=](std::string& value) -> std::string {
            if (std::find(choices.begin(), choices.end(), value) != choices.end())
                return {};
            return "unknown " + word + " '" + value + "' (use " + use + ")";
        },
        "{" + set + "}");
}

CLI::Validator WholeNumberIn(int64_t min, int64_t max)
{
    const std::string range = std::to_string(min) + ".." + std::to_string(max);
    return CLI::Validator(
        [=](std::string& value) -> std::string {
            // Base 0 as CLI11 converts: 0x hexadecimal is taken too.
            char* end = nullptr;
            errno = 0;
            const long long number = value.empty() ? 0 : std::strtoll(value.c_str(), &end, 0);
            if (value.empty() || end == nullptr || *end != '\0')
                return "'" + value + "' is not a number";
            if (errno == ERANGE || number < min || number > max)
                return "value " + value + " is out of range " + range;
            return {};
        },
        "INT in [" + std::to_string(min) + " - " + std::to_string(max) + "]");
}

std::string PlainParseMessage(const std::string& message)
{
    static constexpr std::string_view kRequired = " is required";
    if (message.size() > kRequired.size() &&
        message.compare(message.size() - kRequired.size(), std::string::npos, kRequired) == 0) {
        const std::string name = message.substr(0, message.size() - kRequired.size());
        return IsPlaceHolder(name) ? "a " + Lowered(name) + std::string(kRequired) : message;
    }
    const size_t colon = message.find(": ");
    if (colon == std::string::npos)
        return message;
    const std::string name = message.substr(0, colon);
    const std::string rest = message.substr(colon + 2);
    // "--in: 1 required DEV missing"
    static constexpr std::string_view kMissing = " missing";
    const size_t required = rest.find(" required ");
    if (required != std::string::npos && rest.size() > kMissing.size() &&
        rest.compare(rest.size() - kMissing.size(), std::string::npos, kMissing) == 0) {
        const std::string count = rest.substr(0, required);
        if (!count.empty() && std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return name + " needs " + (count == "1" ? "a value" : count + " values");
    }
    // A positional argument is named by its place holder: the value said is enough.
    return IsPlaceHolder(name) ? rest : message;
}
