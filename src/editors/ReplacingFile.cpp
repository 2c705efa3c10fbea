#include "editors/ReplacingFile.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(int error)
{
    return std::generic_category().message(error);
}

enum class Target { Missing, Regular, Other, Unknown };

// What lies at `path`, without following a link or opening anything.
Target Look(const std::string& path, struct stat& st, int& error)
{
    if (::lstat(path.c_str(), &st) != 0) {
        error = errno;
        return errno == ENOENT ? Target::Missing : Target::Unknown;
    }
    return S_ISREG(st.st_mode) ? Target::Regular : Target::Other;
}

} // namespace

CReplacingFile::CReplacingFile(std::string path) : m_path(std::move(path)) {}

CReplacingFile::~CReplacingFile()
{
    Discard();
}

bool CReplacingFile::Fail(std::string reason)
{
    m_failed = true;
    m_error = std::move(reason);
    Discard();
    return false;
}

void CReplacingFile::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool CReplacingFile::Open()
{
    if (m_path.empty() || m_path.back() == '/')
        return Fail("not a file name");
    struct stat st {};
    int error = 0;
    mode_t mode = 0644;
    switch (Look(m_path, st, error)) {
    case Target::Other:
        return Fail("not a regular file");
    case Target::Unknown:
        return Fail(Reason(error));
    case Target::Regular:
        mode = st.st_mode & 07777;   // a replaced file keeps its permissions
        break;
    case Target::Missing:
        break;
    }
    // Beside the target, so that the rename stays within one file system;
    // mkostemp never opens anything that is already there.
    std::string pattern = m_path + ".XXXXXX";
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0)
        return Fail(Reason(errno));
    m_temporary = pattern;
    if (::fchmod(m_fd, mode) != 0)
        return Fail(Reason(errno));
    m_failed = false;
    m_error.clear();
    return true;
}

bool CReplacingFile::Write(std::string_view bytes)
{
    if (m_fd < 0 || m_failed)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(n < 0 ? Reason(errno) : "nothing written");
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool CReplacingFile::Commit()
{
    if (m_fd < 0 || m_failed)
        return false;
    // A full disk may show only here, when the cached bytes are written out.
    if (::fsync(m_fd) != 0)
        return Fail(Reason(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail(Reason(errno));
    // Whatever has taken the target's place since Open() is left alone too.
    struct stat st {};
    int error = 0;
    const Target target = Look(m_path, st, error);
    if (target == Target::Other)
        return Fail("not a regular file");
    if (target == Target::Unknown)
        return Fail(Reason(error));
    if (::rename(m_temporary.c_str(), m_path.c_str()) != 0)
        return Fail(Reason(errno));
    m_temporary.clear();
    return true;
}

bool WriteReplacingFile(const std::string& path, std::string_view bytes, std::string& error)
{
    CReplacingFile file(path);
    const bool ok = file.Open() && file.Write(bytes) && file.Commit();
    error = ok ? std::string() : file.Error();
    return ok;
}
