// Stand-ins for the ports a MIDI stack provides, shared by the tests and the
// benchmarks of the receive path: an input port the test delivers into as
// the driver thread would, thru ports that take what the callback forwards,
// and the capture callback wired to them as after the user picked both ports.
#pragma once

#include "midi/MidiCapture.h"
#include "midi/MidiInputPortBase.h"
#include "midi/MidiMessageQueue.h"

#include <atomic>

//! An input port whose "driver" is the caller: DeliverMessage() plays the
//! driver thread.
class CDriverPort : public CMidiInputPortBase {
public:
    using CMidiInputPortBase::CMidiInputPortBase;
    using CMidiInputPortBase::DeliverMessage;
    ~CDriverPort() override { ForceClose(); }

protected:
    void CloseDevice() noexcept override {}
};

//! A thru port that takes everything and only counts it.
class CNullOutputPort : public IMidiOutputPort {
public:
    MidiResult SendShort(uint32_t) noexcept override
    {
        forwarded.fetch_add(1, std::memory_order_relaxed);
        return MIDI_OK;
    }
    MidiResult SendLong(const uint8_t*, size_t) noexcept override { return MIDI_OK; }
    size_t MaxLongMessage() const noexcept override { return 65536; }
    uint32_t WireBytesPerSecond() const noexcept override { return 0; }
    MidiResult Close() override { return MIDI_OK; }
    std::atomic<uint64_t> forwarded{0};
};

//! A thru port that queues as the JACK output port does.
class CQueueingOutputPort : public IMidiOutputPort {
public:
    MidiResult SendShort(uint32_t packed) noexcept override
    {
        const uint8_t bytes[3] = {static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
                                  static_cast<uint8_t>(packed >> 16)};
        return queue.Push(bytes, ShortMessageLength(bytes[0]), 0) ? MIDI_OK : MIDI_ERR_BUSY;
    }
    MidiResult SendLong(const uint8_t*, size_t) noexcept override { return MIDI_OK; }
    size_t MaxLongMessage() const noexcept override { return queue.MaxMessage(); }
    uint32_t WireBytesPerSecond() const noexcept override { return 0; }
    MidiResult Close() override { return MIDI_OK; }
    CMidiMessageQueue queue{4096};
};

//! An input port wired to the capture callback with its receive buffer
//! queued and `thru` attached.
struct CCaptureRig {
    explicit CCaptureRig(IMidiOutputPort& thru)
    {
        capture.PrepareReceiveBuffer(port);
        capture.QueueReceiveBuffer(port);
        port.Start();
        capture.AttachThru(&thru);
    }
    ~CCaptureRig() { capture.DetachThru(); }

    //! The decoder's share: consumes whatever was recorded.
    void Drain()
    {
        rings.events.Advance(rings.events.Unread());
        rings.sysex.Advance(rings.sysex.Unread());
    }

    CaptureRings rings;
    CMidiCapture capture{rings};
    CDriverPort port{capture};
};
