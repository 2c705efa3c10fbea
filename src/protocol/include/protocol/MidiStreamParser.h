// Splits a raw MIDI byte stream the way a MIDI input driver does and hands
// each message to the capture callback through an input port, so that a
// recorded or file-borne stream reaches the rings, and the reply decoder,
// along the very path live input takes. The same bytes therefore give the
// same lines in zmctl decode and in the window.
//
// - F0 ... F7 is one System Exclusive message, put back together whole as
//   the JACK input does (CSysExAssembler, up to kMaxSysEx bytes) and
//   delivered as long data: the callback copies it into the byte ring, or
//   counts it lost when it does not fit, as with live input.
// - A System Exclusive message cut off by a status byte, by the end of the
//   stream or by outgrowing kMaxSysEx is delivered without its F7: the port
//   reports it as incomplete (MIM_LONGERROR) and none of its bytes reach
//   the ring, so it never swallows the frame after it.
// - Channel messages (with running status) and system common messages are
//   delivered as short messages.
// - Real-time bytes (F8-FF) are delivered at once, even inside a System
//   Exclusive message, which they do not interrupt.
// - Data bytes without a status byte (a run counts once, by its first
//   byte), the undefined status bytes F4 and F5, an F7 outside a System
//   Exclusive message and a short message cut off by a status byte are
//   delivered as they came; the port classifies them as errors (MIM_ERROR).
// - Finish() delivers what the stream's end leaves unfinished the same way.
//
// After every message the message handler runs (the caller runs a decoder
// pass there, so lines come out in arrival order). Memory is fixed at
// construction. Not thread-safe; the caller plays the part of the driver.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/MidiCapture.h"
#include "midi/SysExAssembler.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class CMidiStreamParser {
public:
    using MessageHandler = std::function<void()>;

    //! The longest System Exclusive message taken whole, as on a live input.
    static constexpr size_t kMaxSysEx = kMaxAssembledSysEx;

    CMidiStreamParser(CaptureRings& rings, MessageHandler afterMessage);
    ~CMidiStreamParser();

    CMidiStreamParser(const CMidiStreamParser&) = delete;
    CMidiStreamParser& operator=(const CMidiStreamParser&) = delete;

    void Feed(const uint8_t* bytes, size_t count);
    //! End of the stream: an unfinished message is reported, not kept.
    void Finish();

private:
    class CStreamPort;

    void Byte(uint8_t byte);
    void StatusByte(uint8_t byte);
    void DataByte(uint8_t byte);
    void AbandonShortMessage();
    void Deliver(const uint8_t* bytes, size_t count);
    //! Deliver() as the assembler's handler.
    auto Deliverer()
    {
        return [this](const uint8_t* bytes, size_t count) { Deliver(bytes, count); };
    }

    MessageHandler m_afterMessage;
    CMidiCapture m_capture;
    std::unique_ptr<CStreamPort> m_port;
    CSysExAssembler m_assembler{kMaxSysEx};

    uint8_t m_status = 0;       //!< running status, 0 when none
    uint8_t m_data[2] = {};
    int m_dataCount = 0;
    int m_dataNeeded = 0;
    bool m_messageOpen = false; //!< part of a short message has arrived
    bool m_inStrayRun = false;  //!< data bytes without status already reported
};
