// What the reply decoder tells about the box's replies. The decoder keeps the
// mirrored state (HeldValues, the dump stores) and reports here what it
// appended and what changed; whoever owns the controls decides what they
// show. The editors turn these calls into control writes, zmctl prints them,
// tests record them.
//
// Threading contract: called on the window thread, from inside a decoder
// pass, in the order the replies arrived.
#pragma once

#include "midi/MessageSink.h"

#include <chrono>
#include <cstdint>
#include <string_view>

class IReplySink : public IMessageSink {
public:
    //! Zone `zone` (0-3) of the mirror was filled from a GetZone reply.
    virtual void ZoneRead(int zone) = 0;

    //! The box reported zone `zone` (0-3) split: its key range and lowest
    //! note are stored in the mirror.
    virtual void SplitDone(int zone) = 0;

    //! Parameter `number` (0-16383) was reported with code 43. The box's 32
    //! (0-31) have taken effect first: the mirror holds `value` (or what it
    //! keeps of it); any other number is only news.
    virtual void ParameterReported(int32_t number, int32_t value) = 0;

    //! A text reply arrived while an identification was pending.
    virtual void IdentificationText(std::string_view text) = 0;

    //! The pass is over; the newest line belongs in view.
    virtual void PassEnded() = 0;

    //! An EEPROM PEEK Acknowledge was printed as the smart report: the dump
    //! reports' image holds the calibration it printed.
    virtual void SmartDumpReported() {}
    //! A Scan Dump was printed: the dump reports' scan store holds it.
    virtual void ScanDumpReported() {}
    //! A short message arrived on the input at `arrival` (the box's note
    //! stream), packed as the input delivers it.
    virtual void ShortMessage(uint32_t /*packed*/, std::chrono::steady_clock::time_point /*arrival*/) {}
};
