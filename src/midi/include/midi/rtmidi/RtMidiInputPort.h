// An input on RtMidi (ALSA). RtMidi hands every message whole, on its own
// thread; the port passes it on at once through CMidiInputPortBase.
#pragma once

#include "midi/MidiInputPortBase.h"
#include "midi/rtmidi/RtMidiPlatform.h"

#include <RtMidi.h>

#include <atomic>
#include <memory>
#include <string>

class CRtMidiInputPort : public CMidiInputPortBase {
public:
    //! Receives from `device`; `ownClient` is our ALSA client's name.
    CRtMidiInputPort(IMidiInputHandler& handler, AlsaDevice device, std::string ownClient);
    ~CRtMidiInputPort() override;

    //! Takes `midi` (with no port open yet) and opens its port `index`
    //! under our port name `portName`. Delivers MIM_OPEN on success.
    MidiResult Open(std::unique_ptr<RtMidiIn> midi, unsigned index, const std::string& portName);
    //! Takes `midi` and opens a virtual port `portName` of its client, to
    //! which other programs connect. Delivers MIM_OPEN on success.
    MidiResult OpenVirtual(std::unique_ptr<RtMidiIn> midi, const std::string& portName);

    //! The device's port is no longer listed by the sequencer (unplugged).
    bool DeviceGone() noexcept override;

protected:
    void CloseDevice() noexcept override;

private:
    template <typename OpenPort>
    MidiResult Attach(std::unique_ptr<RtMidiIn> midi, OpenPort&& open, bool virtualPort);
    static void OnMessage(double, std::vector<unsigned char>* message, void* user);
    static void OnError(RtMidiError::Type type, const std::string& text, void* user);

    std::unique_ptr<RtMidiIn> m_midi;
    AlsaDevice m_device;
    std::string m_ownClient;
    std::atomic<bool> m_failed{false};
};
