// The one way a System Exclusive frame leaves the program.
//
// Threading contract: a sender belongs to one thread, the one that builds
// the requests (the window thread; zmctl's main thread), and SendSysEx is
// called only there, never from a MIDI driver's callback. SendSysEx must not
// wait on a MIDI stack: the transmitter only queues the frame for its own
// thread (see CSysExTransmitter). A sender that passes frames on (the
// read-back sender) calls the next one on the same thread.
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
