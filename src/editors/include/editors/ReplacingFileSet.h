// Files that change together or not at all (a setup's .syx and its
// readable copy): each is written to a temporary file in its target's
// folder and synced, and only when every one is complete are they renamed
// into place. A target must be missing or a regular file: a directory,
// FIFO, device, socket or symbolic link is never replaced (writing through
// a link to /proc/self/fd/1, or over /dev/null, is not a setup). Should one
// rename fail, the ones already made are undone, so the old files stay as
// they were. No toolkit types; one object per thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CReplacingFileSet {
public:
    CReplacingFileSet() = default;
    //! Removes the temporary files of a set not committed.
    ~CReplacingFileSet();
    CReplacingFileSet(const CReplacingFileSet&) = delete;
    CReplacingFileSet& operator=(const CReplacingFileSet&) = delete;

    //! Why `path` may not be written ("it is a FIFO, not a regular file",
    //! or the system's reason), or nothing.
    static std::optional<std::string> TargetFault(const std::string& path);

    //! Checks `path`, then writes `data` to a temporary file beside it.
    //! False (see FailedPath(), Error()) when either failed.
    bool Add(const std::string& path, std::string_view data);

    //! Checks every target once more and puts every file in place, or
    //! none (false).
    bool Commit();

    //! The target the last failure concerns, and why.
    const std::string& FailedPath() const { return m_failedPath; }
    const std::string& Error() const { return m_error; }

private:
    struct Entry {
        std::string path;
        std::string temp;  //!< the new file until placed; the old one after, when there was one
        bool placed = false;
        bool replaced = false;  //!< an old file was kept at `temp` and can come back
    };

    bool Fail(const std::string& path, std::string why);
    bool Place(Entry& entry);
    void Undo();

    std::vector<Entry> m_entries;
    std::string m_failedPath;
    std::string m_error;
};
