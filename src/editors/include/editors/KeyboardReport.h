// What a technician hands over after checking an instrument: the calibration
// report's contents, computed from the keyboard view's feed without any
// toolkit, so that the window, its exports and the tests read the same words
// and numbers. The window draws them (PDF, PNG); the CSV is written here.
//
// Keys are named by the note the box sends for them (see
// CKeyboardViewModel::KeyLabel); a key under no zone by its sensor number.
#pragma once

#include "editors/KeyboardViewFeed.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

//! A moment of the local calendar, as a report prints it.
struct ReportTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;

    //! "2024-05-01"
    std::string Date() const;
    //! "2024-05-01 14:03"
    std::string DateTime() const;
};

//! `t` in the local time zone.
ReportTime LocalReportTime(std::chrono::system_clock::time_point t);

//! One heading of the findings and its lines (none when there is nothing
//! to list).
struct ReportSection {
    std::string title;
    std::vector<std::string> lines;
};

//! The findings about the keys at `now`: odd calibration (in words), stuck,
//! double-triggered and never-played keys, and the note-ons no key took.
std::vector<ReportSection> KeyFindings(const CKeyboardViewFeed& feed, std::chrono::steady_clock::time_point now);

//! The findings as the Keyboard View's list panel shows them: each title,
//! then its lines indented by two blanks, a blank line between sections.
std::string FindingsText(const std::vector<ReportSection>& sections);

//! "keys 0-4 (A0-C#1), key 7 (E1)": sorted keys, runs of neighbours whose
//! notes follow each other joined; at most `limit` runs, then "and N more
//! keys".
std::string KeyRunsText(const CKeyboardViewModel& model, const std::vector<int>& keys, size_t limit = 24);

//! One key's line of the per-key table.
struct ReportKeyRow {
    int key = 0;
    //! The note the box sends, -1 for none.
    int note = -1;
    //! Calibration values hold only when `calibrated`.
    bool calibrated = false;
    int rest = 0;
    int down = 0;
    int travel = 0;
    bool odd = false;
    //! The last Scan Dump's value holds only when `scanned`.
    bool scanned = false;
    int scan = 0;
    uint32_t noteOns = 0;
    bool stuck = false;
    bool doubled = false;
};

//! A snapshot of everything the report shows, taken at one moment.
class CKeyboardReport {
public:
    using Clock = std::chrono::steady_clock;

    //! `when` is printed as the report's date; `now` judges stuck keys.
    CKeyboardReport(const CKeyboardViewFeed& feed, ReportTime when, Clock::time_point now);

    //! "Calibration report: <station>" or "Calibration report" when the box
    //! has not said its name.
    std::string Title() const;
    //! Label and value: station, identification, software revision, keys, date.
    const std::vector<std::pair<std::string, std::string>>& Header() const { return m_header; }
    //! One line per zone: "Zone 1: keys 0-60 (C2-C7), channel 1".
    const std::vector<std::string>& ZoneLines() const { return m_zones; }
    const std::vector<ReportSection>& Findings() const { return m_findings; }
    const std::vector<ReportKeyRow>& Rows() const { return m_rows; }
    const ReportTime& When() const { return m_when; }

    //! One line per key: key, note, rest, down, travel, odd, scan, note_ons,
    //! stuck, double (flags 0 or 1; values the box has not reported yet
    //! left empty), after a header line. Lines end in "\n".
    std::string Csv() const;

    //! The files' name without extension: the station name made safe for a
    //! file name, "_" and the date ("ZM1-Station-1_2024-05-01").
    std::string FileBaseName() const;

private:
    ReportTime m_when;
    std::string m_station;
    std::vector<std::pair<std::string, std::string>> m_header;
    std::vector<std::string> m_zones;
    std::vector<ReportSection> m_findings;
    std::vector<ReportKeyRow> m_rows;
};
