#include "editors/KeyboardReport.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

std::string ReportTime::Date() const
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string ReportTime::DateTime() const
{
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d", hour, minute);
    return Date() + text;
}

ReportTime LocalReportTime(std::chrono::system_clock::time_point t)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

std::string KeyRunsText(const CKeyboardViewModel& model, const std::vector<int>& keys, size_t limit)
{
    std::string text;
    size_t runs = 0;
    for (size_t i = 0; i < keys.size();) {
        // A run goes on while the keys are neighbours and their notes too (or
        // neither has one): where two zones meet, the names start over.
        const auto continues = [&](size_t k) {
            const int note = model.KeyNote(keys[k]);
            const int next = model.KeyNote(keys[k + 1]);
            return keys[k + 1] == keys[k] + 1 && (note < 0 ? next < 0 : next == note + 1);
        };
        size_t j = i;
        while (j + 1 < keys.size() && continues(j))
            ++j;
        if (runs == limit) {
            text += ", and " + std::to_string(keys.size() - i) + " more keys";
            break;
        }
        if (!text.empty())
            text += ", ";
        if (i == j) {
            text += model.KeyLabel(keys[i]);
        } else {
            text += "keys " + std::to_string(keys[i]) + '-' + std::to_string(keys[j]);
            const std::string first = model.KeyNoteName(keys[i]);
            const std::string last = model.KeyNoteName(keys[j]);
            if (!first.empty() && !last.empty())
                text += " (" + first + '-' + last + ')';
        }
        ++runs;
        i = j + 1;
    }
    return text.empty() ? "none" : text;
}

std::vector<ReportSection> KeyFindings(const CKeyboardViewFeed& feed, std::chrono::steady_clock::time_point now)
{
    const CKeyboardViewModel& model = feed.Model();
    const CPlayingStatistics& playing = model.Playing();
    std::vector<ReportSection> sections;

    ReportSection odd;
    if (feed.HasCalibration()) {
        const auto& outliers = model.Calibration().Outliers();
        odd.title = "Odd keys in the calibration: " + std::to_string(outliers.size());
        for (const CalibrationOutlier& outlier : outliers)
            odd.lines.push_back(model.KeyLabel(outlier.key) + ": " + DescribeOutlier(outlier));
    } else {
        odd.title = "Odd keys in the calibration: no smart dump yet";
    }
    sections.push_back(std::move(odd));

    const std::vector<int> stuck = playing.StuckKeys(now);
    ReportSection stuckSection{"Stuck keys: " + std::to_string(stuck.size()), {}};
    for (int key : stuck)
        stuckSection.lines.push_back(model.KeyLabel(key));
    sections.push_back(std::move(stuckSection));

    const std::vector<int> doubled = playing.DoubleTriggeredKeys();
    ReportSection doubleSection{"Double-triggered keys: " + std::to_string(doubled.size()), {}};
    for (int key : doubled) {
        const uint32_t count = playing.Keys()[static_cast<size_t>(key)].doubleTriggers;
        doubleSection.lines.push_back(model.KeyLabel(key) + ": " + std::to_string(count) +
                                      (count == 1 ? " double trigger" : " double triggers"));
    }
    sections.push_back(std::move(doubleSection));

    const std::vector<int> never = playing.NeverPlayedKeys();
    ReportSection neverSection;
    if (never.size() == static_cast<size_t>(model.KeyCount())) {
        neverSection.title = "Never played: no key played yet";
    } else {
        neverSection.title = "Never played: " + std::to_string(never.size());
        if (!never.empty())
            neverSection.lines.push_back(KeyRunsText(model, never));
    }
    sections.push_back(std::move(neverSection));

    sections.push_back({"Note-ons not on a key: " + std::to_string(playing.UnmappedNoteOns()) +
                            "; layered: " + std::to_string(playing.LayeredNoteOns()),
                        {}});
    return sections;
}

std::string FindingsText(const std::vector<ReportSection>& sections)
{
    std::string text;
    for (const ReportSection& section : sections) {
        if (!text.empty())
            text += '\n';
        text += section.title + '\n';
        for (const std::string& line : section.lines)
            text += "  " + line + '\n';
    }
    return text;
}

namespace {

std::string ZoneLine(const ZoneOverlay& zone)
{
    std::string line = "Zone " + std::to_string(zone.zone) + ": ";
    if (zone.empty)
        return line + "no keys of this keyboard";
    line += "keys " + std::to_string(zone.firstKey) + '-' + std::to_string(zone.lastKey);
    const int lastNote = zone.firstNote + zone.lastKey - zone.firstKey;
    line += " (" + NoteName(zone.firstNote) + '-' + NoteName(std::min(lastNote, 127)) +
            (lastNote > 127 ? ", the keys above send no note" : "") + ')';
    line += ", channel " + std::to_string(zone.channel);
    if (zone.muted)
        line += ", muted";
    return line;
}

} // namespace

CKeyboardReport::CKeyboardReport(const CKeyboardViewFeed& feed, ReportTime when, Clock::time_point now)
    : m_when(when), m_station(feed.Identity().stationName)
{
    const CKeyboardViewModel& model = feed.Model();
    const BoxIdentity& identity = feed.Identity();
    m_header = {
        {"Station", m_station.empty() ? "not read (press \"Synchronize Data\")" : m_station},
        {"Identification",
         identity.identification.empty() ? "not read (press \"Revision Request\")" : identity.identification},
        {"Software revision", identity.softwareRevision < 0 ? "not read" : std::to_string(identity.softwareRevision)},
        {"Keys", std::to_string(model.KeyCount())},
        {"Date", when.DateTime()},
    };
    for (const ZoneOverlay& zone : model.Zones())
        m_zones.push_back(ZoneLine(zone));
    m_findings = KeyFindings(feed, now);

    const std::vector<int> stuck = model.Playing().StuckKeys(now);
    for (int key = 0; key < model.KeyCount(); ++key) {
        ReportKeyRow row;
        row.key = key;
        row.note = model.KeyNote(key);
        if (feed.HasCalibration()) {
            const KeyCalibrationRow& calibration = model.Calibration().Keys()[static_cast<size_t>(key)];
            row.calibrated = true;
            row.rest = calibration.rest;
            row.down = calibration.down;
            row.travel = calibration.travel;
            row.odd = calibration.travelOutlier || calibration.restOutlier;
        }
        if (feed.HasScan()) {
            row.scanned = true;
            row.scan = model.Scan().Values()[static_cast<size_t>(key)];
        }
        const CPlayingStatistics::KeyStats& stats = model.Playing().Keys()[static_cast<size_t>(key)];
        row.noteOns = stats.noteOns;
        row.stuck = std::find(stuck.begin(), stuck.end(), key) != stuck.end();
        row.doubled = stats.doubleTriggers != 0;
        m_rows.push_back(row);
    }
}

std::string CKeyboardReport::Title() const
{
    return m_station.empty() ? "Calibration report" : "Calibration report: " + m_station;
}

std::string CKeyboardReport::Csv() const
{
    std::string csv = "key,note,rest,down,travel,odd,scan,note_ons,stuck,double\n";
    const auto flag = [](bool on) { return on ? std::string("1") : std::string("0"); };
    for (const ReportKeyRow& row : m_rows) {
        csv += std::to_string(row.key) + ',' + (row.note < 0 ? std::string() : NoteName(row.note)) + ',';
        if (row.calibrated)
            csv += std::to_string(row.rest) + ',' + std::to_string(row.down) + ',' + std::to_string(row.travel) + ',' +
                   flag(row.odd) + ',';
        else
            csv += ",,,,";
        csv += (row.scanned ? std::to_string(row.scan) : std::string()) + ',' + std::to_string(row.noteOns) + ',' +
               flag(row.stuck) + ',' + flag(row.doubled) + '\n';
    }
    return csv;
}

std::string CKeyboardReport::FileBaseName() const
{
    // Letters, digits, dots and hyphens as they are; a run of anything else
    // (blanks, slashes, control characters, bytes of other alphabets) is one
    // hyphen. Nor does the name begin with a dot (a hidden file, or a way
    // up the folders) or a hyphen (an option to a shell command).
    std::string name;
    for (const char c : m_station) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
        if (plain && !(c == '.' && name.empty()))
            name += c;
        else if (!plain && !name.empty() && name.back() != '-')
            name += '-';
    }
    if (name.size() > 64)
        name.resize(64);
    while (!name.empty() && (name.back() == '-' || name.back() == '.'))
        name.pop_back();
    return (name.empty() ? std::string("zm1") : name) + '_' + m_when.Date();
}
