// Files that change together or not at all: each is written to a temporary
// file in its target's folder and synced, and only when every one is
// complete are they renamed into place. A target must be missing or a
// regular file: a directory, FIFO, device, socket or symbolic link is never
// replaced (writing through a link to /proc/self/fd/1, or over /dev/null,
// is not a backup). Should one rename fail, the ones already made are
// undone, so the old files stay as they were.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CFileSet {
public:
    CFileSet() = default;
    //! Removes the temporary files of a set not committed.
    ~CFileSet();
    CFileSet(const CFileSet&) = delete;
    CFileSet& operator=(const CFileSet&) = delete;

    //! Throws CCommandError (status 6) naming `path` and the reason when
    //! something other than a regular file stands there.
    static void CheckTarget(const std::string& path);

    //! Checks `path`, then writes `data` to a temporary file beside it.
    //! Throws CCommandError (status 6).
    void Add(const std::string& path, std::string_view data);

    //! Checks every target once more and puts every file in place, or
    //! none (throws CCommandError, status 6).
    void Commit();

private:
    struct Entry {
        std::string path;
        std::string temp;  //!< the new file until placed; the old one after, when there was one
        bool placed = false;
        bool replaced = false;  //!< an old file was kept at `temp` and can come back
    };

    void Place(Entry& entry);
    void Undo();

    std::vector<Entry> m_entries;
};
