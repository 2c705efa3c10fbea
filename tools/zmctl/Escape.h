// Text from the user or the input, made safe to show in a message.
#pragma once

#include <string>
#include <string_view>

//! `text` with printable ASCII kept, a backslash doubled and every other
//! byte (control characters, NUL, 8-bit bytes) written as \xNN, so that
//! an error message never carries raw control characters to a terminal.
std::string Escaped(std::string_view text);

//! Appends `text` to `out` with every control character but tab (C0, DEL
//! and the 8-bit C1 range 80-9F) written as \xNN and everything else as it
//! is: what a terminal shows of text from the box, which must not retitle
//! it or clear its screen.
void AppendControlsEscaped(std::string& out, std::string_view text);
