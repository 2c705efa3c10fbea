// The built-in simulated MIDI devices: "ZM1 Simulator" as one input and one
// output device, connected through an ISimDevice: the simulated box unless
// another device is given. With them the program works with no MIDI
// hardware.
//
// What the device sends travels as over a MIDI cable: at the wire speed of
// 3,125 bytes/s, one message after the other, each delivered once its last
// byte has arrived, so a long dump spans several decoder ticks as with real
// hardware. SimTiming::Instant delivers at once, for tests.
//
// Threading contract: the platform's own thread plays the MIDI driver: it
// takes what the simulated outputs were sent, passes it to the device,
// keeps the device's clock, and delivers the replies to the open simulated
// inputs, calling their handlers as a driver would. Sending on a simulated
// output takes no lock and allocates nothing (each output has a fixed ring
// of its own), so the capture callback may forward to one.
#pragma once

#include "midi/MidiPlatform.h"
#include "sim/SimDevice.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class SimTiming {
    WireSpeed,  //!< replies take the time a MIDI cable needs
    Instant,    //!< replies arrive at once
};

class CSimMidiPlatform : public IMidiPlatform, private ISimReplySink {
public:
    static constexpr const char* kDeviceName = "ZM1 Simulator";
    //! Bytes each simulated output buffers until the simulator takes them.
    static constexpr size_t kOutputRingSize = 65536;
    //! The longest message a simulated output accepts.
    static constexpr size_t kMaxMessage = 32768;

    //! Bytes the wire may hold back before further replies are dropped (a
    //! client flooding the box with dump requests).
    static constexpr size_t kMaxWireBacklog = 1 << 20;

    //! Uses the simulated box when `device` is null. Both devices carry
    //! `name` (tests give other devices names of their own).
    explicit CSimMidiPlatform(std::unique_ptr<ISimDevice> device = nullptr,
                              SimTiming timing = SimTiming::WireSpeed, std::string name = kDeviceName);
    ~CSimMidiPlatform() override;

    int InputDeviceCount() const override { return 1; }
    int OutputDeviceCount() const override { return 1; }
    std::string InputDeviceName(int device) const override;
    std::string OutputDeviceName(int device) const override;
    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override;
    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override;

private:
    class CInputPort;
    class COutputPort;

    using Clock = std::chrono::steady_clock;
    struct WireMessage {
        std::vector<uint8_t> bytes;
        Clock::time_point due;  //!< when its last byte has arrived
    };

    void Reply(const uint8_t* bytes, size_t count) override;
    void Deliver(const uint8_t* bytes, size_t count);
    //! Under m_mutex: delivers what the wire has carried by `now`; returns
    //! when the next message is due (max() when none waits).
    Clock::time_point DeliverDue(Clock::time_point now);
    void Run();
    void Wake() noexcept;
    void Unregister(CInputPort* port);
    void Unregister(COutputPort* port);

    std::unique_ptr<ISimDevice> m_device;
    const SimTiming m_timing;
    const std::string m_name;
    std::mutex m_mutex;  //!< guards the device, the wire and the port lists
    std::deque<WireMessage> m_wire;
    size_t m_wireBytes = 0;
    Clock::time_point m_wireFreeAt{};
    std::vector<CInputPort*> m_inputs;
    std::vector<COutputPort*> m_outputs;
    std::atomic<uint32_t> m_pending{0};  //!< something was sent since the thread last looked
    const int m_wakeFd;                  //!< eventfd the thread sleeps on
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
