// The backup's files, changing together or not at all (see
// editors/ReplacingFileSet.h), with zmctl's failures: each throws
// CCommandError (status 6) naming the file and the reason.
#pragma once

#include "editors/ReplacingFileSet.h"

#include <string>
#include <string_view>

class CFileSet {
public:
    //! Throws when something other than a regular file stands at `path`.
    static void CheckTarget(const std::string& path);

    //! Checks `path`, then writes `data` to a temporary file beside it.
    void Add(const std::string& path, std::string_view data);

    //! Checks every target once more and puts every file in place, or none.
    void Commit();

private:
    [[noreturn]] void Throw() const;

    CReplacingFileSet m_files;
};
