// The ALSA sequencer's MIDI devices through RtMidi, listed once when the
// platform is created.
//
// Names are shown as users know them: ALSA's client:port numbers, which
// change between sessions, are left out of the name, and the port is found
// again at open time by its name and its place among ports of the same
// name. A device that has vanished since the listing fails to open with
// MIDI_ERR_DEVICEGONE. Our own ports are not listed.
//
// Threading contract: everything here runs on the window thread; the ports
// it opens follow IMidiPlatform's contract.
#pragma once

#include "midi/MidiPlatform.h"

#include <RtMidi.h>

#include <memory>
#include <string>
#include <vector>

//! A device name split from the numbers ALSA appends ("Name 20:0").
struct AlsaPortName {
    std::string name;  //!< without the numbers
    int client = -1;   //!< -1 when the name carries none
};
AlsaPortName SplitAlsaPortName(const std::string& full);

class CRtMidiPlatform : public IMidiPlatform {
public:
    static constexpr size_t kAlsaMaxMessage = 65535;

    explicit CRtMidiPlatform(const std::string& clientName);
    ~CRtMidiPlatform() override;

    //! False when the ALSA sequencer is not there.
    bool Available() const noexcept { return m_available; }

    int InputDeviceCount() const override { return static_cast<int>(m_inputs.size()); }
    int OutputDeviceCount() const override { return static_cast<int>(m_outputs.size()); }
    std::string InputDeviceName(int device) const override;
    std::string OutputDeviceName(int device) const override;
    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override;
    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override;

private:
    struct Device {
        std::string name;      //!< as shown
        int ordinal = 0;       //!< place among listed devices of the same name
        bool physical = false;
    };

    void List();
    //! The RtMidi port number of `device` now, or -1 when it is gone.
    int FindPort(RtMidi& midi, const Device& device) const;

    std::string m_clientName;
    bool m_available = false;
    std::vector<Device> m_inputs;
    std::vector<Device> m_outputs;
};
