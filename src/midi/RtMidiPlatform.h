// MIDI devices of one RtMidi API (ALSA or JACK), listed once when the
// platform is created.
//
// Names are shown as users know them: ALSA's client:port numbers, which
// change between sessions, are left out of the name, and the port is found
// again at open time by its name and its place among ports of the same
// name. A device that has vanished since the listing fails to open with
// MIDI_ERR_DEVICEGONE; another device is never opened in its place. Our own
// ports are not listed. JACK is used only when its server already runs.
//
// Threading contract: everything here runs on the window thread; the ports
// it opens follow IMidiPlatform's contract.
#pragma once

#include "midi/JackDirectory.h"
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

//! True for a port we opened ourselves (client and port named after us).
bool IsOwnPort(const std::string& name, const std::string& clientName);

class CRtMidiPlatform : public IMidiPlatform {
public:
    //! Wire speed of a hardware MIDI port, in bytes per second.
    static constexpr uint32_t kMidiWireBytesPerSecond = 3125;
    //! JACK drops messages of this size and more without notice.
    static constexpr size_t kJackMaxMessage = 16379;
    static constexpr size_t kAlsaMaxMessage = 65535;

    //! `api` is RtMidi::LINUX_ALSA or RtMidi::UNIX_JACK.
    CRtMidiPlatform(RtMidi::Api api, const std::string& clientName);
    ~CRtMidiPlatform() override;

    //! False when the MIDI system is not there (no sequencer, no server).
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
        std::string fullName;  //!< as the MIDI system names it now
        int ordinal = 0;       //!< place among listed devices of the same name
        bool physical = false;
    };

    void ListAlsa();
    void ListJack();
    //! The RtMidi port number of `device` now, or -1 when it is gone.
    int FindPort(RtMidi& midi, const Device& device) const;
    bool ServerGone() const noexcept;
    size_t ConnectionsBefore(const Device& device) const;
    //! True once the connection to `device` made by the open just done
    //! carries data; false when `device` gained no connection, i.e. the
    //! port went elsewhere.
    bool SettleConnection(const Device& device, size_t before) const;

    //! RtMidi opens a port by its place in a list it takes afresh, so a
    //! graph that changes between our lookup and the open can put our port
    //! on another device. Opens that do not end up on `device` are undone and
    //! tried again this many times.
    static constexpr int kOpenAttempts = 3;

    RtMidi::Api m_api;
    std::string m_clientName;
    bool m_available = false;
    std::unique_ptr<CJackDirectory> m_jack;
    std::vector<Device> m_inputs;
    std::vector<Device> m_outputs;
};
