// zmctl's results: written to standard output (or a file) with every write
// checked, so that a closed output or a full disk ends the command with a
// message and exit status 6 instead of passing for success. Also a small
// JSON writer for --json and the backup's readable copy.
#pragma once

#include <cstdint>
#include <cstdio>
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


private:
    [[noreturn]] void Fail(int error);

    std::FILE* m_file;
    std::string m_name;
    bool m_terminal;
};

//! JSON text with two-blank indentation. Strings are byte strings from the
//! box: printable ASCII goes as is, every other byte as \u00XX (read as
//! Latin-1), so the result is always valid UTF-8.
class CJsonWriter {
public:
    //! `oneLine`: the whole document on one line (JSON Lines, one object per
    //! message), elements separated by ", ".
    explicit CJsonWriter(bool oneLine = false) : m_oneLine(oneLine) {}

    CJsonWriter& BeginObject();
    CJsonWriter& EndObject();
    CJsonWriter& BeginArray();
    CJsonWriter& EndArray();
    CJsonWriter& Key(std::string_view key);
    CJsonWriter& Value(std::string_view text);
    CJsonWriter& Value(const char* text) { return Value(std::string_view(text)); }
    CJsonWriter& Value(int64_t number);
    CJsonWriter& Value(int number) { return Value(static_cast<int64_t>(number)); }
    CJsonWriter& Value(bool flag);
    //! With six decimals (seconds to the microsecond).
    CJsonWriter& Value(double number);
    CJsonWriter& Null();

    //! The text so far, with a final line end once everything is closed.
    std::string Text() const { return m_text + (m_open.empty() ? "\n" : ""); }

private:
    void BeforeValue();
    void Newline();
    CJsonWriter& Close(char bracket);

    std::string m_text;
    std::vector<bool> m_open;      //!< per open level: it already holds an element
    bool m_afterKey = false;
    bool m_oneLine;
};
