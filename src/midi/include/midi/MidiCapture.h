// The input callback: records every notification of the input port into the
// capture rings, copies received System Exclusive messages into the byte
// ring, re-arms or releases the single receive buffer, and passes short
// messages on to the thru/out port.
//
// Threading contract:
//  - OnMidiInput runs on the driver's thread (and on the window thread for
//    the open/close notifications and the buffer a reset hands back; the
//    port never overlaps these). It allocates nothing, takes no lock and
//    never waits; it is the only writer of the rings.
//  - Everything else runs on the window thread.
//  - The thru/out port is published through an atomic pointer. DetachThru()
//    withdraws it and waits until a forward that already picked it up has
//    returned, so the caller may then close the port: the callback never
//    touches a closed port, and the callback itself never waits.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/MidiPlatform.h"

#include <atomic>

class CMidiCapture : public IMidiInputHandler {
public:
    static constexpr uint32_t kReceiveBufferSize = 64;

    explicit CMidiCapture(CaptureRings& rings);

    //! MidiInputCallback: one notification of the input port.
    void OnMidiInput(IMidiInputPort& port, uint32_t kind, uint32_t param1, MidiHeader* header) noexcept override;

    //! Sets up the receive header (data pointer to the receive buffer, its
    //! length, flags 0, user value 0) and prepares it on `port`.
    MidiResult PrepareReceiveBuffer(IMidiInputPort& port) noexcept;
    //! Hands the receive header to `port`.
    MidiResult QueueReceiveBuffer(IMidiInputPort& port) noexcept;

    //! Starts forwarding short messages to `port` (window thread).
    void AttachThru(IMidiOutputPort* port) noexcept;
    //! Stops forwarding; on return no forward is using the old port.
    void DetachThru() noexcept;

    CaptureRings& Rings() noexcept { return m_rings; }
    const MidiHeader& ReceiveHeader() const noexcept { return m_receiveHeader; }

private:
    void Rearm(IMidiInputPort& port) noexcept;
    void Forward(uint32_t message) noexcept;

    CaptureRings& m_rings;
    uint8_t m_receiveBuffer[kReceiveBufferSize] = {};
    MidiHeader m_receiveHeader;
    std::atomic<IMidiOutputPort*> m_thru{nullptr};
    std::atomic<uint32_t> m_forwarding{0};
};
