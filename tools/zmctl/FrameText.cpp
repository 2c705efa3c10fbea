#include "FrameText.h"

#include <cstdio>

std::string FrameText(const uint8_t* bytes, size_t count)
{
    std::string text;
    char byte[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += byte;
    }
    return text;
}
