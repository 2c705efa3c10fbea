// A small JSON writer: zmctl's --json output and the readable copy of a
// setup. Objects and arrays open one per line, indented two blanks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
