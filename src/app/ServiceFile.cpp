#include "app/ServiceFile.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

fs::path UserServiceDirectory(const char* xdgDataHome, const char* home)
{
    fs::path base;
    if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute())
        base = xdgDataHome;
    else if (home && *home && fs::path(home).is_absolute())
        base = fs::path(home) / ".local" / "share";
    else
        return {};
    return base / "dbus-1" / "services";
}

namespace {

bool NeedsQuoting(std::string_view text)
{
    for (char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == ':' || c == '@'
            || c == '=';
        if (!plain)
            return true;
    }
    return text.empty();
}

// Single quotes keep everything literal; a quote itself closes the quoted
// part, is written escaped, and a new quoted part begins.
std::string ShellQuote(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

} // namespace

std::string ServiceFileText(std::string_view busName, std::string_view executable, std::string_view option)
{
    for (char c : executable)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return {};
    std::string text = "[D-BUS Service]\nName=";
    text += busName;
    text += "\nExec=";
    text += NeedsQuoting(executable) ? ShellQuote(executable) : std::string(executable);
    if (!option.empty()) {
        text += ' ';
        text += option;
    }
    text += '\n';
    return text;
}

ServiceFileStatus RefreshServiceFile(const fs::path& file, std::string_view text)
{
    if (file.empty() || text.empty())
        return ServiceFileStatus::Failed;
    {
        std::ifstream in(file, std::ios::binary);
        if (in) {
            const std::string current{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (current == text)
                return ServiceFileStatus::Unchanged;
        }
    }
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error)
        return ServiceFileStatus::Failed;

    fs::path temporary = file;
    temporary += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return ServiceFileStatus::Failed;
        }
    }
    fs::rename(temporary, file, error);
    if (error) {
        fs::remove(temporary, error);
        return ServiceFileStatus::Failed;
    }
    return ServiceFileStatus::Written;
}
