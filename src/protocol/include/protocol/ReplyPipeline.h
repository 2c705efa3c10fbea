// The path of what the box sends, and where requests to it go: the capture
// rings that the input fills, the reply decoder that drains them, the
// mirrored state it keeps (HeldValues, the report options, the dump stores)
// and the sink that hears what each reply changed. The sink and the sender
// are the owner's: the window passes its presenter and the transmitter,
// zmctl its client and the transmitter, the tests a recorder, the decoder
// benchmark and fuzzer a sink that counts or checks. Adding a reply kind
// touches the decoder and the one sink that cares about it.
//
// Threading contract: Run() and everything here belong to one thread (the
// window thread, zmctl's main thread). The MIDI driver's thread only writes
// into the rings (see CMidiCapture), and the decoder only reads what the
// rings have published.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/SysExSender.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"
#include "protocol/ReplyDecoder.h"
#include "protocol/ReplySink.h"

#include <memory>

class CReplyPipeline {
public:
    //! With rings of its own, for bytes put into them by hand (zmctl decode,
    //! the tests, the benchmarks, the fuzzers). `sink` and `sender` must
    //! outlive the pipeline; the sink is first called in Run(), so it may
    //! be built after the pipeline.
    CReplyPipeline(IReplySink& sink, ISysExSender& sender);
    //! Over `rings` that an input port fills. They must outlive the
    //! pipeline, and the port must be closed before they go.
    CReplyPipeline(CaptureRings& rings, IReplySink& sink, ISysExSender& sender);

    CReplyPipeline(const CReplyPipeline&) = delete;
    CReplyPipeline& operator=(const CReplyPipeline&) = delete;

    //! One decoder pass: everything the rings hold, then the sink's PassEnded().
    void Run() { m_decoder.Run(); }

    CaptureRings& Rings() noexcept { return m_rings; }
    HeldValues& Held() noexcept { return m_held; }
    const HeldValues& Held() const noexcept { return m_held; }
    ReportOptions& Options() noexcept { return m_options; }
    //! The EEPROM image and the scan store of the last dumps.
    const CDumpReports& Reports() const noexcept { return m_decoder.Reports(); }
    //! Where requests to the box go.
    ISysExSender& Sender() noexcept { return m_sender; }

private:
    std::unique_ptr<CaptureRings> m_ownRings;
    CaptureRings& m_rings;
    ISysExSender& m_sender;
    HeldValues m_held;
    ReportOptions m_options;
    CReplyDecoder m_decoder;
};
