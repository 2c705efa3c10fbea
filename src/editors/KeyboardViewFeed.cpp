#include "editors/KeyboardViewFeed.h"

#include <array>

CKeyboardViewFeed::CKeyboardViewFeed(const HeldValues& held, const ReportOptions& options,
                                     const CDumpReports& reports)
    : m_held(held)
    , m_options(options)
    , m_reports(reports)
    , m_model(NormalizedKeyCount(options.ScannerKeyCount), LowestNoteFor(NormalizedKeyCount(options.ScannerKeyCount)))
{
    ZonesChanged();
}

void CKeyboardViewFeed::FollowKeyCount()
{
    const int keys = NormalizedKeyCount(m_options.ScannerKeyCount);
    if (keys == m_model.KeyCount())
        return;
    m_model.SetKeyboard(keys, LowestNoteFor(keys));
    ++m_revision;
}

void CKeyboardViewFeed::ZonesChanged()
{
    m_model.SetZones(m_held.Zones, m_held.MuteBits);
    ++m_revision;
}

void CKeyboardViewFeed::SmartDumpReported()
{
    // The report was laid out for the key count of this moment; so is the view.
    FollowKeyCount();
    m_model.LoadSmartDump(m_reports.Image());
    ++m_revision;
}

void CKeyboardViewFeed::ScanDumpReported()
{
    FollowKeyCount();
    m_model.LoadScanDump(m_reports.ScanValues());
    ++m_revision;
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
