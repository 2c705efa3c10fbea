// The device behind the built-in "ZM1 Simulator" ports: the simulated box,
// or a loopback for the transport's own tests. The simulator hands it every
// message the program sends to the simulated output; whatever the device
// answers arrives at the simulated input.
//
// Threading contract: OnMessage, Advance and the replies they send run on
// the simulator's own thread, which plays the part of a MIDI driver; a
// device is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

class ISimReplySink {
public:
    virtual ~ISimReplySink() = default;
    //! Sends one complete message to the simulated input.
    virtual void Reply(const uint8_t* bytes, size_t count) = 0;
};

class ISimDevice {
public:
    virtual ~ISimDevice() = default;
    //! One complete message the program sent to the simulated output.
    virtual void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) = 0;
    //! Moves the device's clock on by `micros`; it sends what falls due.
    virtual void Advance(uint64_t /*micros*/, ISimReplySink& /*replies*/) {}
    //! True while the device has something to do as time passes.
    virtual bool NeedsTime() const { return false; }
};
