#include "app/ServiceFile.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
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

namespace {

// What lies at the activation file's path. Nothing is read unless it is a
// regular file, and never more than kMaxServiceFileBytes of it: a FIFO would
// block start-up, a link to /dev/zero would never end.
enum class Existing { Missing, Regular, Other, Unknown };

Existing ReadCurrent(const fs::path& file, std::string& content)
{
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Existing::Missing : Existing::Unknown;
    if (!S_ISREG(st.st_mode))
        return Existing::Other;
    // O_NOFOLLOW and O_NONBLOCK: should a link or FIFO have taken the
    // file's place since, it is refused at once rather than followed or
    // waited on.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP ? Existing::Other : Existing::Unknown;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Existing::Other;
    }
    char buffer[kMaxServiceFileBytes + 1];
    size_t total = 0;
    while (total < sizeof buffer) {
        const ssize_t n = ::read(fd, buffer + total, sizeof buffer - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<size_t>(n);
    }
    ::close(fd);
    content.assign(buffer, total);
    return Existing::Regular;
}

// A fresh file next to `file`, created exclusively (never an existing file,
// FIFO or link someone put there), holding `text`.
bool WriteTemporary(const fs::path& file, std::string_view text, fs::path& temporary)
{
    std::string pattern = file.string() + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    temporary = pattern;
    bool ok = ::fchmod(fd, 0644) == 0;
    size_t written = 0;
    while (ok && written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            written += static_cast<size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace

ServiceFileStatus RefreshServiceFile(const fs::path& file, std::string_view text)
{
    if (file.empty() || text.empty() || text.size() > kMaxServiceFileBytes)
        return ServiceFileStatus::Failed;
    std::string current;
    switch (ReadCurrent(file, current)) {
    case Existing::Other:
        // A directory, FIFO, device or link is somebody's deliberate choice:
        // left alone. The program works without automation.
        return ServiceFileStatus::Skipped;
    case Existing::Unknown:
        return ServiceFileStatus::Failed;
    case Existing::Regular:
        if (current == text)
            return ServiceFileStatus::Unchanged;
        break;
    case Existing::Missing:
        break;
    }
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error)
        return ServiceFileStatus::Failed;

    fs::path temporary;
    if (!WriteTemporary(file, text, temporary))
        return ServiceFileStatus::Failed;
    // rename() replaces a regular file atomically; whatever else has
    // appeared at the path since it was looked at is not replaced.
    struct stat st {};
    const bool replaceable = ::lstat(file.c_str(), &st) == 0 ? S_ISREG(st.st_mode) : errno == ENOENT;
    if (!replaceable || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return replaceable ? ServiceFileStatus::Failed : ServiceFileStatus::Skipped;
    }
    return ServiceFileStatus::Written;
}
