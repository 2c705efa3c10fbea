// Feeds the keyboard view's model from the box's replies: the zones and mute
// bits of the mirror, the calibration of the last smart dump, the values of
// the last Scan Dump and the note stream. The main dialog's editors keep one
// for the whole session, so the view shows the last dumps and the session's
// playing even when it is opened later. Window thread only.
#pragma once

#include "editors/KeyboardViewModel.h"
#include "editors/ReplyObserver.h"
#include "midi/SysExSender.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"

#include <cstdint>
#include <string>

//! Who the box says it is, for the report's header: empty texts and -1 until
//! the box has told.
struct BoxIdentity {
    //! The text after a revision acknowledgement ("Revision Request").
    std::string identification;
    //! The text after a report of `ZmFunc_StationName` ("Synchronize Data").
    std::string stationName;
    //! The last reported `ZmFunc_SoftwareRev`.
    int32_t softwareRevision = -1;
};

//! Asks the box for everything BoxIdentity holds: the station name (with the
//! identification box waiting for its text, as "Synchronize Data" does), the
//! revision (whose text the identification box then shows) and the software
//! revision parameter. The same frames as those buttons and "Inquire Xtable"
//! send.
void SendIdentityRequests(ISysExSender& sender, HeldValues& held);

class CKeyboardViewFeed : public IReplyObserver {
public:
    //! All three must outlive the feed.
    CKeyboardViewFeed(const HeldValues& held, const ReportOptions& options, const CDumpReports& reports);

    CKeyboardViewModel& Model() { return m_model; }
    const CKeyboardViewModel& Model() const { return m_model; }

    //! False until a smart dump / Scan Dump arrived for this key count.
    bool HasCalibration() const { return m_model.Calibration().KeyCount() != 0; }
    bool HasScan() const { return m_model.Scan().KeyCount() != 0; }
    const BoxIdentity& Identity() const { return m_identity; }

    //! Grows with every change the view would draw differently; the view
    //! redraws when it differs from what it drew last.
    uint64_t Revision() const { return m_revision; }
    //! Grows with every change but those of the note stream: the zones, the
    //! key count, the calibration, the scan values.
    uint64_t LayoutRevision() const { return m_layoutRevision; }

    void ZonesChanged() override;
    void SmartDumpReported() override;
    void ScanDumpReported() override;
    void ParameterReported(int32_t number, int32_t value) override;
    void IdentificationText(std::string_view text) override;
    void ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point arrival) override;
    void PassEnded() override;

private:
    //! Follows the scanner's key count; a new size starts everything over.
    void FollowKeyCount();

    const HeldValues& m_held;
    const ReportOptions& m_options;
    const CDumpReports& m_reports;
    CKeyboardViewModel m_model;
    BoxIdentity m_identity;
    //! The station name comes as the text right after parameter 0's report.
    bool m_stationNameNext = false;
    uint64_t m_revision = 0;
    uint64_t m_layoutRevision = 0;
};
