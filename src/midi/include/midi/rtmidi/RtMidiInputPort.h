// An input on RtMidi (ALSA). RtMidi hands every message whole, on its own
// thread; the port passes it on at once through CMidiInputPortBase.
#pragma once

#include "midi/MidiInputPortBase.h"

#include <RtMidi.h>

#include <atomic>
#include <memory>
#include <string>

class CRtMidiInputPort : public CMidiInputPortBase {
public:
    explicit CRtMidiInputPort(IMidiInputHandler& handler);
    ~CRtMidiInputPort() override;

    //! Takes `midi` (with no port open yet) and opens its port `index`
    //! under our port name `portName`. Delivers MIM_OPEN on success.
    MidiResult Open(std::unique_ptr<RtMidiIn> midi, unsigned index, const std::string& portName);
    //! Takes `midi` and opens a virtual port `portName` of its client, to
    //! which other programs connect. Delivers MIM_OPEN on success.
    MidiResult OpenVirtual(std::unique_ptr<RtMidiIn> midi, const std::string& portName);

protected:
    void CloseDevice() noexcept override;

private:
    template <typename OpenPort>
    MidiResult Attach(std::unique_ptr<RtMidiIn> midi, OpenPort&& open, bool virtualPort);
    static void OnMessage(double, std::vector<unsigned char>* message, void* user);
    static void OnError(RtMidiError::Type type, const std::string& text, void* user);

    std::unique_ptr<RtMidiIn> m_midi;
    std::atomic<bool> m_failed{false};
};
