// Reads decode's input: raw bytes, or with --hex, text of hexadecimal byte
// values separated by white space.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct InputSource {
    std::string name;            //!< as given; "-" is standard input
    std::vector<uint8_t> bytes;  //!< the MIDI bytes it holds
};

//! Reads every source in order; "-" (or an empty list) reads standard input.
//! Throws CUsageError for a file that cannot be read or, with `hex`, for a
//! token that is no byte value (naming file, line and column).
std::vector<InputSource> ReadInputs(const std::vector<std::string>& names, bool hex);

//! Parses hex text; `name` is used in error messages only.
std::vector<uint8_t> ParseHexText(const std::string& text, const std::string& name);
