// The one way a System Exclusive frame leaves the program.
#pragma once

#include <cstdint>

class ISysExSender {
public:
    virtual ~ISysExSender() = default;

    //! Hands over one complete frame, F0 first. `count` is the frame length
    //! minus 2 (the bytes strictly between F0 and F7), so count + 2 bytes are
    //! sent. The caller may reuse `bytes` as soon as this returns.
    virtual void SendSysEx(int32_t count, const uint8_t* bytes) = 0;
};
