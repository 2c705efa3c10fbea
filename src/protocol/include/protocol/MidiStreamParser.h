// Splits a raw MIDI byte stream the way a MIDI input driver does and feeds
// the result into the capture rings, so that a recorded or file-borne stream
// reaches the reply decoder exactly as live input would.
//
// - F0 ... F7 is one System Exclusive message: its bytes go into the byte
//   ring whole, with a MIM_LONGDATA event. A message longer than the byte
//   ring is delivered in ring-sized pieces, as a driver returns full buffers.
// - Channel messages (with running status) and system common messages
//   become MIM_DATA events, packed with PackShortMessage.
// - Real-time bytes (F8-FF) are MIM_DATA events at once, even inside a
//   System Exclusive message, which they do not interrupt.
// - Any other status byte inside a System Exclusive message ends it as
//   incomplete: a MIM_LONGERROR event; its bytes are dropped.
// - Data bytes without a status byte, the undefined status bytes F4 and F5,
//   an F7 outside a System Exclusive message, and a short message cut off by
//   a status byte give one MIM_ERROR event each, param1 holding the first
//   offending byte (a run of data bytes counts once).
// - Finish() reports what the stream's end leaves unfinished the same way.
//
// After every event the message handler runs (the caller runs a decoder
// pass there, so lines come out in arrival order). Not thread-safe; the
// caller plays the part of the input callback.
#pragma once

#include "midi/CaptureRings.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class CMidiStreamParser {
public:
    using MessageHandler = std::function<void()>;

    CMidiStreamParser(CaptureRings& rings, MessageHandler afterMessage);

    void Feed(const uint8_t* bytes, size_t count);
    //! End of the stream: an unfinished message is reported, not kept.
    void Finish();

    //! Largest System Exclusive piece handed to the byte ring at once.
    static constexpr size_t kSysExPiece = SysExByteRing::kSize;

private:
    void Byte(uint8_t byte);
    void StatusByte(uint8_t byte);
    void DataByte(uint8_t byte);
    void AbandonShortMessage();
    void DeliverSysEx();
    void Post(uint32_t kind, uint32_t param1);

    CaptureRings& m_rings;
    MessageHandler m_afterMessage;

    uint8_t m_sysex[kSysExPiece];
    size_t m_sysexLength = 0;
    bool m_inSysEx = false;

    uint8_t m_status = 0;       //!< running status, 0 when none
    uint8_t m_data[2] = {};
    int m_dataCount = 0;
    int m_dataNeeded = 0;
    bool m_messageOpen = false; //!< part of a short message has arrived
    bool m_inStrayRun = false;  //!< data bytes without status already reported
};
