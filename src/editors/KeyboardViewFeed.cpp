#include "editors/KeyboardViewFeed.h"

#include "protocol/BoxParameters.h"
#include "protocol/RequestBuilders.h"

#include <array>

void SendIdentityRequests(ISysExSender& sender, HeldValues& held)
{
    held.IdentificationPending = true;
    SendInquireParameter(sender, ZmFunc_StationName);
    SendRevisionRequest(sender);
    SendInquireParameter(sender, ZmFunc_SoftwareRev);
}

CKeyboardViewFeed::CKeyboardViewFeed(const HeldValues& held, const ReportOptions& options,
                                     const CDumpReports& reports)
    : m_held(held)
    , m_options(options)
    , m_reports(reports)
    , m_model(options.ScannerKeyCount)
{
    ZonesChanged();
}

void CKeyboardViewFeed::FollowKeyCount()
{
    const int keys = NormalizedKeyCount(m_options.ScannerKeyCount);
    if (keys == m_model.KeyCount())
        return;
    m_model.SetKeyboard(keys);
    ++m_revision;
    ++m_layoutRevision;
}

void CKeyboardViewFeed::ZonesChanged()
{
    m_model.SetZones(m_held.Zones, m_held.MuteBits);
    ++m_revision;
    ++m_layoutRevision;
}

void CKeyboardViewFeed::SmartDumpReported()
{
    // The report was laid out for the key count of this moment; so is the view.
    FollowKeyCount();
    m_model.LoadSmartDump(m_reports.Image());
    ++m_revision;
    ++m_layoutRevision;
}

void CKeyboardViewFeed::ScanDumpReported()
{
    FollowKeyCount();
    m_model.LoadScanDump(m_reports.ScanValues());
    ++m_revision;
    ++m_layoutRevision;
}

void CKeyboardViewFeed::ParameterReported(int32_t number, int32_t value)
{
    // Only while the identification box waits does the name reach it.
    m_stationNameNext = number == ZmFunc_StationName && m_held.IdentificationPending;
    if (number == ZmFunc_SoftwareRev)
        m_identity.softwareRevision = value;
}

void CKeyboardViewFeed::IdentificationText(std::string_view text)
{
    (m_stationNameNext ? m_identity.stationName : m_identity.identification) = text;
    m_stationNameNext = false;
}

void CKeyboardViewFeed::ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point arrival)
{
    const uint32_t kind = packed & 0xE0;
    if (kind != 0x80)   // note-on (9n) and note-off (8n) only
        return;
    m_model.OnShortMessage(packed, arrival);
    ++m_revision;
}

void CKeyboardViewFeed::PassEnded()
{
    FollowKeyCount();
}
