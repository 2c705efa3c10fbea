#include "FileSet.h"

#include "Escape.h"
#include "UsageError.h"

namespace {

[[noreturn]] void CannotWrite(const std::string& path, const std::string& why)
{
    throw CCommandError(kExitOutput, "cannot write " + Escaped(path) + ": " + why);
}

} // namespace

void CFileSet::CheckTarget(const std::string& path)
{
    if (const auto fault = CReplacingFileSet::TargetFault(path))
        CannotWrite(path, *fault);
}

void CFileSet::Add(const std::string& path, std::string_view data)
{
    if (!m_files.Add(path, data))
        Throw();
}

void CFileSet::Commit()
{
    if (!m_files.Commit())
        Throw();
}

void CFileSet::Throw() const
{
    CannotWrite(m_files.FailedPath(), m_files.Error());
}
