// The ALSA sequencer's MIDI devices through RtMidi, listed when the
// platform is created and on Rescan().
//
// Names are shown as users know them ("Client name:Port name"): ALSA's
// client:port numbers, which change between sessions and when a device is
// plugged in again, are left out of the name. They still tell two devices
// of one name apart within a listing: a port is found again at open time
// (FindAlsaPort) by its name together with the numbers it was listed with,
// so a device that was unplugged, or plugged in again since the listing,
// fails to open with MIDI_ERR_DEVICEGONE and never opens another device
// that has taken its number or its name. Our own ports are not listed.
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
    int port = -1;
};
AlsaPortName SplitAlsaPortName(const std::string& full);

//! A listed ALSA device: its name and the numbers it had when listed.
struct AlsaDevice {
    std::string name;      //!< as shown
    int client = -1;       //!< ALSA client and port number, -1 when unknown
    int port = -1;
    int ordinal = 0;       //!< place among listed devices of the same name
    bool physical = false;
};

//! Index, among the ports `fullNames` as RtMidi names them now, of `device`:
//! the port with its name, client and port number; without numbers, the
//! `ordinal`-th port of its name. Ports of `ownClient` never match. -1 when
//! the device is not there.
int FindAlsaPort(const std::vector<std::string>& fullNames, const AlsaDevice& device, const std::string& ownClient);

//! The names of every port `midi` sees now.
std::vector<std::string> AlsaPortNames(RtMidi& midi);

//! Whether the device an open port `midi` (null: closed) was opened on has
//! left the sequencer. When the sequencer cannot be asked nothing is known,
//! and the device counts as present.
bool AlsaDeviceGone(RtMidi* midi, const AlsaDevice& device, const std::string& ownClient) noexcept;

class CRtMidiPlatform : public IMidiPlatform {
public:
    static constexpr size_t kAlsaMaxMessage = 65535;

    explicit CRtMidiPlatform(const std::string& clientName);
    ~CRtMidiPlatform() override;

    void Rescan() override;
    int InputDeviceCount() const override { return static_cast<int>(m_inputs.size()); }
    int OutputDeviceCount() const override { return static_cast<int>(m_outputs.size()); }
    std::string InputDeviceName(int device) const override;
    std::string OutputDeviceName(int device) const override;
    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override;
    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override;

private:
    void List();

    std::string m_clientName;
    std::vector<AlsaDevice> m_inputs;
    std::vector<AlsaDevice> m_outputs;
};
