// What the box answered in one exchange: the zones read, each parameter's
// last reported value and how often it came, the identification text, and
// the lines its replies gave. Whoever sinks the reply pipeline feeds it
// (zmctl's client, the window's setups); the exchanges read it.
//
// Threading contract: one thread, the one that runs the reply pipeline.
#pragma once

#include "protocol/HeldValues.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CExchangeAnswers {
public:
    //! Lines of one exchange kept for messages.
    static constexpr size_t kKeptLines = 1000;

    //! Forgets everything heard so far.
    void Begin();

    void Line(std::string_view line);
    //! Zone `zone` (0-3) answered with `record`, kept as it came: the
    //! mirror may change afterwards (the zone editor's own buttons).
    void ZoneRead(int zone, const ZoneRecord& record) { m_zones[static_cast<size_t>(zone & 3)] = record; }
    void ParameterReported(int32_t number, int32_t value);
    void IdentificationText(std::string_view text) { m_identification = std::string(text); }

    bool ZoneAnswered(int zone) const { return Zone(zone).has_value(); }
    const std::optional<ZoneRecord>& Zone(int zone) const { return m_zones[static_cast<size_t>(zone & 3)]; }
    //! The value parameter `number` was last reported with (code 43), as
    //! sent, and how many reports of it came.
    std::optional<int32_t> ParameterAnswer(int32_t number) const;
    int ParameterReports(int32_t number) const;
    const std::optional<std::string>& Identification() const { return m_identification; }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    struct Report {
        int32_t value = 0;
        int count = 0;
    };
    std::array<std::optional<ZoneRecord>, HeldValues::kZoneCount> m_zones{};
    //! By parameter number: the named 32 as the decoder applies them, any
    //! other number as its report line reads.
    std::map<int32_t, Report> m_reports;
    std::optional<std::string> m_identification;
    std::vector<std::string> m_lines;
};
