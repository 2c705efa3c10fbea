#include "editors/ReplacingFileSet.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* KindOf(mode_t mode)
{
    static constexpr struct {
        mode_t type;
        const char* kind;
    } kKinds[] = {
        {S_IFDIR, "a directory"}, {S_IFIFO, "a FIFO"}, {S_IFCHR, "a character device"},
        {S_IFBLK, "a block device"}, {S_IFSOCK, "a socket"}, {S_IFLNK, "a symbolic link"},
    };
    for (const auto& k : kKinds)
        if ((mode & S_IFMT) == k.type)
            return k.kind;
    return "not a plain file";
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// renameat2 as the C library offers it; EINVAL where the file system has
// no such rename.
int Rename(const std::string& from, const std::string& to, unsigned flags)
{
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags);
}

} // namespace

std::optional<std::string> CReplacingFileSet::TargetFault(const std::string& path)
{
    const auto refuse = [](const char* kind) { return std::string("it is ") + kind + ", not a regular file"; };
    // "dir/" names a folder even while there is none.
    if (path.empty() || path.back() == '/')
        return refuse("a directory");
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return std::string(std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode))
        return refuse(KindOf(st.st_mode));
    return std::nullopt;
}

bool CReplacingFileSet::Fail(const std::string& path, std::string why)
{
    m_failedPath = path;
    m_error = std::move(why);
    return false;
}

bool CReplacingFileSet::Add(const std::string& path, std::string_view data)
{
    if (const auto fault = TargetFault(path))
        return Fail(path, *fault);
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "." + base + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(path, std::strerror(errno));
    m_entries.push_back({path, temp});
    size_t written = 0;
    int error = 0;
    while (written < data.size() && error == 0) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            written += static_cast<size_t>(n);
    }
    // mkostemp makes the file private; a setup is as readable as any file
    // the user writes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (error == 0 && ::fchmod(fd, 0666 & ~mask) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        return Fail(path, std::strerror(error));
    return true;
}

bool CReplacingFileSet::Place(Entry& entry)
{
    // An old file changes places with the new one, so that it can come
    // back; a missing one must still be missing.
    const bool replacing = Exists(entry.path);
    if (Rename(entry.temp, entry.path, replacing ? RENAME_EXCHANGE : RENAME_NOREPLACE) == 0) {
        entry.placed = true;
        entry.replaced = replacing;
        return true;
    }
    if (errno != EINVAL)
        return Fail(entry.path, std::strerror(errno));
    // A file system without these renames: a plain one, which cannot be undone.
    if (::rename(entry.temp.c_str(), entry.path.c_str()) != 0)
        return Fail(entry.path, std::strerror(errno));
    entry.placed = true;
    entry.temp.clear();
    return true;
}

void CReplacingFileSet::Undo()
{
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (!it->placed)
            continue;
        if (it->replaced)
            Rename(it->temp, it->path, RENAME_EXCHANGE);
        else if (!it->temp.empty())
            ::rename(it->path.c_str(), it->temp.c_str());
        it->placed = false;
    }
}

bool CReplacingFileSet::Commit()
{
    for (const Entry& entry : m_entries)
        if (const auto fault = TargetFault(entry.path))
            return Fail(entry.path, *fault);
    for (Entry& entry : m_entries) {
        if (!Place(entry)) {
            Undo();
            return false;
        }
    }
    // What the temporary names hold now are the old files.
    for (Entry& entry : m_entries) {
        if (entry.replaced)
            ::unlink(entry.temp.c_str());
        entry.temp.clear();
    }
    return true;
}

CReplacingFileSet::~CReplacingFileSet()
{
    for (const Entry& entry : m_entries)
        if (!entry.temp.empty() && !entry.placed)
            ::unlink(entry.temp.c_str());
}
