// An output on RtMidi (ALSA). ALSA may block a send while the sequencer's
// queue is full; the transmitter keeps long sends off the window thread.
#pragma once

#include "midi/MidiOutputPortBase.h"
#include "midi/rtmidi/RtMidiPlatform.h"

#include <RtMidi.h>

#include <atomic>
#include <memory>

class CRtMidiOutputPort : public CMidiOutputPortBase {
public:
    //! `midi` has its port open already, on `device`; `ownClient` is our
    //! ALSA client's name.
    CRtMidiOutputPort(std::unique_ptr<RtMidiOut> midi, AlsaDevice device, std::string ownClient,
                      size_t maxLongMessage, uint32_t wireBytesPerSecond);
    ~CRtMidiOutputPort() override;

    //! Opens port `index` of `midi` under `portName`; MIDI_OK or the failure.
    static MidiResult OpenPort(RtMidiOut& midi, unsigned index, const std::string& portName);
    //! Opens a virtual port `portName` of `midi`'s client, to which other
    //! programs connect; MIDI_OK or the failure.
    static MidiResult OpenVirtualPort(RtMidiOut& midi, const std::string& portName);

    size_t MaxLongMessage() const noexcept override { return m_maxLongMessage; }
    uint32_t WireBytesPerSecond() const noexcept override { return m_wireBytesPerSecond; }
    MidiResult Close() override;
    //! The device's port is no longer listed by the sequencer (unplugged).
    //! Asks the sequencer through the port's own client, which the sending
    //! thread uses at the same time: ALSA serves a port query and an event
    //! write on one client independently.
    bool DeviceGone() noexcept override;

protected:
    MidiResult Put(const uint8_t* bytes, size_t count) noexcept override;

private:
    static void OnError(RtMidiError::Type type, const std::string& text, void* user);

    std::unique_ptr<RtMidiOut> m_midi;
    AlsaDevice m_device;
    std::string m_ownClient;
    size_t m_maxLongMessage;
    uint32_t m_wireBytesPerSecond;
    std::atomic<bool> m_failed{false};
};
