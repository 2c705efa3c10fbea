// Frames as zmctl request prints them: upper-case hex bytes separated by
// one blank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string FrameText(const uint8_t* bytes, size_t count);
