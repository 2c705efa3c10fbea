// Number arguments: decimal or 0x-hexadecimal, with an optional sign.
#pragma once

#include <cstdint>
#include <string>

//! Parses `text` as a number within [min, max]; throws CUsageError naming
//! `what` when the text is no number or the value lies outside the range,
//! both as the user wrote them: "value 20000 is out of range 0..16383".
int64_t ParseNumberArgument(const std::string& text, const std::string& what, int64_t min, int64_t max);
