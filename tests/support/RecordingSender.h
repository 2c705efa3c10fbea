// A transmitter stand-in that records every frame it is handed, and the hex
// helpers to write frames as text ("F0 09 1B F7").
#pragma once

#include "midi/SysExSender.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

//! "F0 09 1B F7" -> the bytes.
inline std::vector<uint8_t> Hex(const std::string& text)
{
    std::istringstream in(text);
    std::vector<uint8_t> out;
    std::string token;
    while (in >> token)
        out.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

//! The bytes as "F0 09 1B F7".
inline std::string HexText(const std::vector<uint8_t>& bytes)
{
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!out.empty())
            out += ' ';
        out += buf;
    }
    return out;
}

class CRecordingSender : public ISysExSender {
public:
    void SendSysEx(int32_t count, const uint8_t* bytes) override
    {
        counts.push_back(count);
        frames.emplace_back(bytes, bytes + count + 2);
    }
    std::vector<std::string> FrameTexts() const
    {
        std::vector<std::string> out;
        for (const auto& f : frames)
            out.push_back(HexText(f));
        return out;
    }
    std::vector<int32_t> counts;
    std::vector<std::vector<uint8_t>> frames;
};
