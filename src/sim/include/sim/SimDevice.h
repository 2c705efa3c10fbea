// The device behind the built-in "ZM1 Simulator" ports. The simulator hands
// it every message the program sends to the simulated output; whatever the
// device answers arrives at the simulated input. A model of the box plugs in
// here in place of the loopback.
//
// Threading contract: OnMessage and the replies it sends run on the
// simulator's own thread, which plays the part of a MIDI driver.
#pragma once

#include <cstddef>
#include <cstdint>

class ISimReplySink {
public:
    virtual ~ISimReplySink() = default;
    //! Delivers one complete message to the simulated input.
    virtual void Reply(const uint8_t* bytes, size_t count) = 0;
};

class ISimDevice {
public:
    virtual ~ISimDevice() = default;
    //! One complete message the program sent to the simulated output.
    virtual void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) = 0;
};
