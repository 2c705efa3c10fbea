// Feeds the keyboard view's model from the box's replies: the zones and mute
// bits of the mirror, the calibration of the last smart dump, the values of
// the last Scan Dump and the note stream. The main dialog's editors keep one
// for the whole session, so the view shows the last dumps and the session's
// playing even when it is opened later. Window thread only.
#pragma once

#include "editors/KeyboardViewModel.h"
#include "editors/ReplyObserver.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"

#include <cstdint>

class CKeyboardViewFeed : public IReplyObserver {
public:
    //! All three must outlive the feed.
    CKeyboardViewFeed(const HeldValues& held, const ReportOptions& options, const CDumpReports& reports);

    CKeyboardViewModel& Model() { return m_model; }
    const CKeyboardViewModel& Model() const { return m_model; }

    //! False until a smart dump / Scan Dump arrived for this key count.
    bool HasCalibration() const { return m_model.Calibration().KeyCount() != 0; }
    bool HasScan() const { return m_model.Scan().KeyCount() != 0; }

    //! Grows with every change the view would draw differently; the view
    //! redraws when it differs from what it drew last.
    uint64_t Revision() const { return m_revision; }

    //! The note key 0 is named after: A0 on an 88-key piano, C2 on the
    //! organ manuals of a 122-key scanner.
    static int LowestNoteFor(int keyCount) { return keyCount == kLargeKeyboardKeys ? 36 : 21; }

    void ZonesChanged() override;
    void SmartDumpReported() override;
    void ScanDumpReported() override;
    void ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point arrival) override;
    void PassEnded() override;

private:
    //! Follows the scanner's key count; a new size starts everything over.
    void FollowKeyCount();

    const HeldValues& m_held;
    const ReportOptions& m_options;
    const CDumpReports& m_reports;
    CKeyboardViewModel m_model;
    uint64_t m_revision = 0;
};
