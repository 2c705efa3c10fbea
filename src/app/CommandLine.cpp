#include "app/CommandLine.h"

#include <string_view>

namespace {

bool IsOption(std::string_view arg, std::string_view name)
{
    return arg.size() == name.size() + 1 && (arg[0] == '-' || arg[0] == '/') && arg.substr(1) == name;
}

} // namespace

AutomationOptions ParseAutomationOptions(std::vector<std::string>& args)
{
    AutomationOptions options;
    for (size_t i = 1; i < args.size();) {
        if (IsOption(args[i], "Embedding")) {
            options.embedding = true;
        } else if (IsOption(args[i], "Automation")) {
            options.automation = true;
        } else {
            ++i;
            continue;
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return options;
}
