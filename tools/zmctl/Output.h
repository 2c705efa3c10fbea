// zmctl's results: written to standard output (or a file) with every write
// checked, so that a closed output or a full disk ends the command with a
// message and exit status 6 instead of passing for success. Also a small
// JSON writer (editors/JsonWriter.h) for --json and the backup's readable copy.
#pragma once

#include "editors/JsonWriter.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class COutput {
public:
    //! `name` names the destination in error messages. Whether `file` is a
    //! terminal is looked at once, here.
    COutput(std::FILE* file, std::string name);

    //! Writes `text` as it is (JSON, text already passed through Shown()).
    void Write(std::string_view text);
    //! `text` as Shown(), and a line end.
    void Line(std::string_view text);
    //! Appends `text` to `to` as a line of it is shown: on a terminal with
    //! its control characters but tab as visible escapes (\x1B), so that
    //! text from the box or a capture cannot drive the terminal; elsewhere
    //! (a file, a pipe) byte for byte.
    void AppendShown(std::string& to, std::string_view text) const;
    //! Hands everything written so far on; throws on failure.
    void Flush();
    //! `first` runs once, before anything is written.
    void BeforeFirstWrite(std::function<void()> first) { m_beforeFirstWrite = std::move(first); }


private:
    [[noreturn]] void Fail(int error);

    std::FILE* m_file;
    std::string m_name;
    bool m_terminal;
    std::function<void()> m_beforeFirstWrite;
};
