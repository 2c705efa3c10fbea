// Writing a file the user named (reports, exports, the saved message window)
// so that a failure never costs what was there and never leaves a stub:
// the bytes go to a new temporary file in the target's folder, which is
// renamed over the target only when every byte is written and on disk.
// A target that exists and is not a regular file (a FIFO, which would block
// the window until a reader came, a device, a folder, a symbolic link) is
// refused before anything is opened. No toolkit types; any thread, one
// object per thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CReplacingFile {
public:
    explicit CReplacingFile(std::string path);
    //! Removes the temporary file unless Commit() succeeded.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    //! Checks the target and creates the temporary file; false (see Error())
    //! when the target may not be replaced or the folder takes no new file.
    bool Open();
    //! Appends `bytes`; false after any failure (a full disk, say).
    bool Write(std::string_view bytes);
    //! Puts the bytes on disk and renames the temporary file over the
    //! target, which is checked once more first. False when anything failed:
    //! the temporary file is gone and the target is as it was.
    bool Commit();

    //! Why the last step failed: "not a regular file", or the system's text.
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }

private:
    bool Fail(std::string reason);
    void Discard();

    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_error;
};

//! Writes `bytes` to `path` through a CReplacingFile; false with the reason
//! in `error`.
bool WriteReplacingFile(const std::string& path, std::string_view bytes, std::string& error);
