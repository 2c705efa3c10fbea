#include "Values.h"

#include "Escape.h"
#include "NumberArgument.h"
#include "UsageError.h"
#include "editors/MainDialogTexts.h"
#include "editors/TypedText.h"
#include "protocol/BoxParameters.h"

#include <cctype>
#include <sstream>

namespace {

constexpr std::string_view kPrefix = "ZmFunc_";

} // namespace

int32_t ParseValue(const std::string& text, const std::string& what, ValueRange range)
{
    return static_cast<int32_t>(ParseNumberArgument(text, what, range.min, range.max));
}

int ParseZone(const std::string& text)
{
    return ParseValue(text, "zone", kShownZone) - 1;
}

int32_t ParseParameter(const std::string& text, ValueRange range)
{
    if (!text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+'))
        return ParseValue(text, "parameter", range);
    for (const BoxParameter& p : kBoxParameters) {
        if (SameNameIgnoringCase(text, p.name) || SameNameIgnoringCase(text, p.name.substr(kPrefix.size())))
            return p.number;
    }
    throw CUsageError("no parameter is named '" + Escaped(text) + "' (zmctl get --help lists the names)");
}

std::optional<int> ZoneFieldOffset(std::string_view name)
{
    for (int offset = 0; offset < 8; ++offset)
        if (SameNameIgnoringCase(name, ZoneFieldName(offset)))
            return offset;
    return std::nullopt;
}

bool ParseSwitch(const std::string& text, const std::string& what)
{
    for (std::string_view on : {"on", "1", "yes", "true"})
        if (SameNameIgnoringCase(text, on))
            return true;
    for (std::string_view off : {"off", "0", "no", "false"})
        if (SameNameIgnoringCase(text, off))
            return false;
    throw CUsageError(what + " '" + Escaped(text) + "' is neither on nor off");
}

void ApplySections(const std::string& list, ReportOptions& options)
{
    options.ShowKeys = options.ShowXopto = options.ShowMisc = 0;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item == "keys")
            options.ShowKeys = 1;
        else if (item == "xopto")
            options.ShowXopto = 1;
        else if (item == "misc")
            options.ShowMisc = 1;
        else
            throw CUsageError("--sections: unknown section '" + Escaped(item) + "' (use keys, xopto, misc)");
    }
}
