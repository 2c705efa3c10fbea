// Dump reports: the EEPROM PEEK Acknowledge (plain hex dump or the smart
// report laid out by the scanner's key count), Scan Dump, KeyMaps and the
// one-line EEPROM POKE reports.
//
// The reply decoder calls these with a complete frame; each report appends
// its lines at once. The EEPROM image and the scan store keep their contents
// for the object's life and are only ever overwritten. Window thread only;
// nothing here allocates.
#pragma once

#include "protocol/EepromLayout.h"
#include "protocol/FrameView.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/TextBuffer.h"
#include "protocol/ReplySink.h"

#include <array>
#include <cstdint>

//! How the smart dump report is laid out, and which of its sections print.
//! The parameter table sets them; the report reads them when the
//! acknowledgement arrives, not when it was asked for.
struct ReportOptions {
    int32_t ScannerKeyCount = 88;
    int32_t ShowKeys = 1;
    int32_t ShowXopto = 0;
    int32_t ShowMisc = 0;
    //! The next EEPROM PEEK Acknowledge is printed as the smart report.
    bool SmartDumpPending = false;
};

class CDumpReports {
public:
    explicit CDumpReports(IMessageSink& log) : m_log(log) {}

    //! Command 30: fills the image from slot 0 and prints the plain dump, or,
    //! when `SmartDumpPending` is on, clears it and prints the smart report.
    //! True when it printed the smart report.
    bool PeekAcknowledge(const FrameView& frame, ReportOptions& options);
    //! Command 15: prints the scan and keeps it (an empty one too).
    void ScanDump(const FrameView& frame);
    //! Command 5A, operation 17.
    void KeyMaps(const FrameView& frame);
    //! Command 31.
    void PokeRequest(const FrameView& frame);
    //! Command 32.
    void PokeAcknowledge(const FrameView& frame);

    //! Largest scanner key count whose smart layout fits in the image.
    static constexpr int32_t kMaxSmartKeys = (kEepromImageSlots - EepromLayout::kRestValues) / 2;

    const std::array<int32_t, kEepromImageSlots>& Image() const { return m_image; }
    const std::array<int32_t, kScanSlots>& ScanValues() const { return m_scan; }

private:
    void SmartReport(const ReportOptions& options);
    void PerKeyBlock(int32_t firstSlot, int32_t keys);
    void SixSlots(std::string_view label, int32_t firstSlot);
    void AppendLine();
    //! The line for a frame too short for the header a report reads.
    void ShortFrame(const FrameView& frame);

    IMessageSink& m_log;
    CLineBuffer m_line;
    std::array<int32_t, kEepromImageSlots> m_image{};
    std::array<int32_t, kScanSlots> m_scan{};
};

//! Appends "short sysex frame %6x ignored, body" and the body bytes as " %02X"
//! (as many as fit): the one line for a reply too short for the fields its
//! handler reads. Shared by the decoder and the reports.
void AppendShortFrameLine(CLineBuffer& line, IMessageSink& log, const FrameView& frame);
