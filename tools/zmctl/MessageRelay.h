// What the monitor shows per message: the messages the input delivered,
// moved one at a time out of the rings it fills into a reply pipeline of
// the relay's own, which decodes each alone. So every message comes with
// its own bytes, its arrival time and the message-window lines it gave,
// decoded exactly as a whole pass would decode them.
//
// Threading contract: as CBoxClient's (one thread); the input's driver
// thread only fills the rings relayed from.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/SysExSender.h"
#include "protocol/ReplyPipeline.h"
#include "protocol/ReplySink.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ArrivedMessage {
    std::chrono::steady_clock::time_point time;
    //! As it arrived: a short message, a whole System Exclusive message; none
    //! for a notification that carries no data (a loss, an incomplete SysEx).
    std::vector<uint8_t> bytes;
    std::vector<std::string> lines;
};

class CMessageRelay : private IReplySink {
public:
    using Handler = std::function<void(const ArrivedMessage&)>;

    //! Decodes with a copy of `options` (the smart report's layout).
    CMessageRelay(ISysExSender& sender, const ReportOptions& options);

    //! Moves everything `live` holds now to `handler`, message by message,
    //! in arrival order. Losses the input counted are reported as one
    //! message without bytes. A handler that throws stops the relay after
    //! its message; the rest stays for the next call.
    void Relay(CaptureRings& live, const Handler& handler);

private:
    // IReplySink: only the lines matter here.
    void AppendLine(std::string_view line) override { m_lines.emplace_back(line); }
    void ZoneRead(int) override {}
    void SplitDone(int) override {}
    void ParameterReported(int32_t, int32_t) override {}
    void IdentificationText(std::string_view) override {}
    void PassEnded() override {}

    //! Decodes what was moved and hands it over with its lines.
    void Emit(ArrivedMessage& message, const Handler& handler);

    CReplyPipeline m_pipeline;
    std::vector<std::string> m_lines;
    uint32_t m_lostBytesSeen = 0;
    uint32_t m_lostEventsSeen = 0;
};
