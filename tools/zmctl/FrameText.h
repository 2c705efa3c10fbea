// The transmitter stand-in of zmctl: prints each frame on its own line as
// upper-case hex bytes separated by one blank.
#pragma once

#include "midi/SysExSender.h"

#include <cstdio>

class CPrintingSender : public ISysExSender {
public:
    explicit CPrintingSender(std::FILE* out) : m_out(out) {}
    void SendSysEx(int32_t count, const uint8_t* bytes) override;

private:
    std::FILE* m_out;
};
