// The built-in simulated MIDI devices: "ZM1 Simulator" as one input and one
// output device, connected through an ISimDevice (a loopback unless another
// device is given). With them the program works with no MIDI hardware.
//
// Threading contract: the platform's own thread plays the MIDI driver: it
// takes what the simulated outputs were sent, passes it to the device and
// delivers the replies to the open simulated inputs, calling their handlers
// as a driver would. Sending on a simulated output takes no lock and
// allocates nothing (each output has a fixed ring of its own), so the
// capture callback may forward to one.
#pragma once

#include "midi/MidiPlatform.h"
#include "sim/SimDevice.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CSimMidiPlatform : public IMidiPlatform, private ISimReplySink {
public:
    static constexpr const char* kDeviceName = "ZM1 Simulator";
    //! Bytes each simulated output buffers until the simulator takes them.
    static constexpr size_t kOutputRingSize = 65536;
    //! The longest message a simulated output accepts.
    static constexpr size_t kMaxMessage = 32768;

    //! Uses a loopback device when `device` is null.
    explicit CSimMidiPlatform(std::unique_ptr<ISimDevice> device = nullptr);
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

    void Reply(const uint8_t* bytes, size_t count) override;
    void Run();
    void Wake() noexcept;
    void Unregister(CInputPort* port);
    void Unregister(COutputPort* port);

    std::unique_ptr<ISimDevice> m_device;
    std::mutex m_mutex;  //!< guards the port lists; held while the simulator thread delivers
    std::vector<CInputPort*> m_inputs;
    std::vector<COutputPort*> m_outputs;
    std::atomic<uint32_t> m_pending{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
