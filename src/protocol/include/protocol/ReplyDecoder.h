// The reply decoder: the program's only reader of what the box sends.
//
// Run() is one pass, called on every tick of the main window's timer: it
// drains SysExByteRing, cuts frames at each F7 and acts on every complete
// one (lines, the mirrored state, dump reports), then drains MidiEventRing
// (driver errors, note-ons, the release of the receive buffer), then tells
// the sink that the pass is over. It writes no control: the sink hears
// what each reply changed and its owner decides what the controls show.
//
// Threading contract: Run() and everything it touches belong to the window
// thread. The input callback on the driver thread is the rings' only writer;
// the decoder reads only entries below the published writeCount and frees
// each entry (advances readCount) only after it has read it. It never sends,
// blocks or allocates; its buffers are fixed members.
//
// Frames are not searched for F0: whatever lies between two F7 bytes is one
// frame, and a frame without its F7 stays open across passes. A frame longer
// than the 8192-byte frame buffer is not acted on: its bytes are skipped up
// to its F7 and one line reports it, so its tail is never read as new frames.
#pragma once

#include "midi/CaptureRings.h"
#include "protocol/DumpReports.h"
#include "protocol/FrameView.h"
#include "protocol/HeldValues.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/ReplySink.h"
#include "protocol/TextBuffer.h"

#include <cstdint>

class CReplyDecoder {
public:
    //! All four must outlive the decoder.
    CReplyDecoder(CaptureRings& rings, HeldValues& held, ReportOptions& options, IReplySink& sink);
    CReplyDecoder(const CReplyDecoder&) = delete;
    CReplyDecoder& operator=(const CReplyDecoder&) = delete;

    //! One pass over both rings; drains everything that has arrived.
    void Run();

    //! The EEPROM image and scan store kept by the dump reports.
    const CDumpReports& Reports() const { return m_reports; }

private:
    void ReportLosses();
    void DrainSysEx();
    void DrainEvents();
    void EndFrame();
    void Dispatch(const FrameView& frame);

    void TextCharacter(const FrameView& frame);
    void TextString(const FrameView& frame);
    void EightBitTextString(const FrameView& frame);
    void ShowText(std::string_view text, bool appendAlways);
    void ParameterReport(const FrameView& frame, bool setParameter);
    void ParameterEffect(int32_t number, int32_t value);
    void FieldOperation(const FrameView& frame);
    void GetZone(const FrameView& frame);
    void SetSplit(const FrameView& frame);

    void Line(std::string_view text);
    void AppendLine();
    void ShortFrame(const FrameView& frame);

    CaptureRings& m_rings;
    HeldValues& m_held;
    ReportOptions& m_options;
    IReplySink& m_sink;
    CDumpReports m_reports;

    uint8_t m_frame[kMaxFrameBytes];
    int32_t m_frameLength = 0;
    //! Bytes of a frame that outgrew m_frame, counted until its F7.
    uint64_t m_overlongBytes = 0;

    CTextBuffer<kMaxTextLineChars> m_textLine;
    CLineBuffer m_line;

    int32_t m_errorCount = 0;
    bool m_suspect = false;

    // Loss totals of the rings as last reported.
    uint32_t m_lostBytesSeen = 0;
    uint32_t m_lostEventsSeen = 0;
};
