// Text from the user or the input, made safe to show in a message.
#pragma once

#include <string>
#include <string_view>

//! `text` with printable ASCII kept, a backslash doubled and every other
//! byte (control characters, NUL, 8-bit bytes) written as \xNN, so that
//! an error message never carries raw control characters to a terminal.
std::string Escaped(std::string_view text);
