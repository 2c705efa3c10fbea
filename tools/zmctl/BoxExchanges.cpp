#include "BoxExchanges.h"

#include "Escape.h"
#include "UsageError.h"
#include "Values.h"
#include "protocol/RequestBuilders.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

//! True for a line that is no word of the box's about a request: the
//! answers themselves, its identification, the note stream and what the
//! input reports of its own.
bool BesideTheAnswer(std::string_view line, const CBoxClient& client)
{
    static constexpr std::string_view kPrefixes[] = {
        "43  parameter#:", "GetZone",                                   // answers
        "Chan ",                                                        // notes
        " BAD BAD", " SUSPECTED BAD", "incomplete sysex", "MIDI input overrun", "sysex Unprepare",  // the input
    };
    for (std::string_view prefix : kPrefixes)
        if (line.substr(0, prefix.size()) == prefix)
            return true;
    return client.Identification() && line == *client.Identification();
}

//! True for the report of parameter 0, the station name: the box follows
//! each with its name as a text.
bool StationNameReport(std::string_view line)
{
    static constexpr std::string_view kReport = "43  parameter#: 000 ";
    return line.substr(0, kReport.size()) == kReport;
}

//! What the box said in the exchange besides its answers (a refusal, an
//! error), as " (the box said: ...)", or nothing.
std::string WhatTheBoxSaid(const CBoxClient& client)
{
    std::string said;
    // The name after a station name's report is part of that answer, also
    // when it is not awaited as the identification and notes come between.
    bool nameNext = false;
    for (const std::string& line : client.Lines()) {
        if (StationNameReport(line)) {
            nameNext = true;
            continue;
        }
        if (BesideTheAnswer(line, client) || std::exchange(nameNext, false))
            continue;
        said += (said.empty() ? "" : "; ") + Escaped(line);
    }
    return said.empty() ? "" : " (the box said: " + said + ")";
}

} // namespace

BoxSnapshot ReadBox(CBoxClient& client, const std::vector<int>& zones, const std::vector<int32_t>& parameters)
{
    CSetupExchange exchange = client.Exchange();
    exchange.StartRead(zones, parameters);
    client.Run(exchange);
    return exchange.Snapshot();
}

BoxSnapshot Synchronize(CBoxClient& client)
{
    CSetupExchange exchange = client.Exchange();
    exchange.StartRead({0, 1, 2, 3}, std::vector<int32_t>(kSynchronizedParameters.begin(), kSynchronizedParameters.end()),
                       CSetupExchange::Asking::Synchronized);
    client.Run(exchange);
    return exchange.Snapshot();
}

void RequireAnswers(const std::vector<std::string>& missing, const CBoxClient& client)
{
    if (missing.empty())
        return;
    std::string list;
    for (const std::string& what : missing)
        list += (list.empty() ? "" : ", ") + what;
    // A box that says something else instead of the answer has answered:
    // it refuses (no such parameter, a read-only one).
    const std::string said = WhatTheBoxSaid(client);
    if (!said.empty())
        throw CCommandError(kExitRefused, "refused by the box: " + list + said);
    throw CCommandError(kExitNoAnswer, "no answer within " + std::to_string(client.Timeout().count()) +
                                           " ms for " + list);
}

std::vector<std::pair<int32_t, int32_t>> WriteParameters(CBoxClient& client,
                                                         const std::vector<std::pair<int32_t, int32_t>>& writes)
{
    client.BeginExchange();
    for (const auto& [number, value] : writes) {
        SendSetParameter(client.Sender(), number, value);
        if (number <= kInquiryNumber.max)
            SendInquireParameter(client.Sender(), number);
    }
    // A box reports a parameter after setting it; the inquiry reads it once
    // more. A number the inquiry cannot carry has only the first report.
    auto reportsWanted = [](int32_t number) { return number <= kInquiryNumber.max ? 2 : 1; };
    const auto reports = [&] {
        uint64_t count = 0;
        for (const auto& w : writes)
            count += static_cast<uint64_t>(std::min(client.ParameterReports(w.first), reportsWanted(w.first)));
        return count;
    };
    uint64_t wanted = 0;
    for (const auto& w : writes)
        wanted += static_cast<uint64_t>(reportsWanted(w.first));
    client.WaitFor([&] { return reports() == wanted; }, reports);
    std::vector<std::string> missing;
    std::string refused;
    std::vector<std::pair<int32_t, int32_t>> readBack;
    for (const auto& [number, value] : writes) {
        const std::optional<int32_t> reported = client.ParameterAnswer(number);
        if (!reported) {
            missing.push_back("parameter " + ParameterLabel(number));
            continue;
        }
        readBack.emplace_back(number, *reported);
        if (*reported != value)
            refused += (refused.empty() ? "" : "; ") + std::string("parameter ") + ParameterLabel(number) +
                       ": wrote " + std::to_string(value) + ", the box reports " + std::to_string(*reported);
    }
    RequireAnswers(missing, client);
    if (!refused.empty())
        throw CCommandError(kExitRefused, "not confirmed: " + refused + WhatTheBoxSaid(client));
    return readBack;
}

ZoneBytes ConfirmZone(CBoxClient& client, int zone, const std::vector<std::pair<int, int32_t>>& expected)
{
    const BoxSnapshot snapshot = ReadBox(client, {zone}, {});
    RequireAnswers(snapshot.Missing({zone}), client);
    const ZoneBytes& bytes = *snapshot.zones[static_cast<size_t>(zone)];
    std::string refused;
    for (const auto& [offset, value] : expected)
        if (bytes[static_cast<size_t>(offset)] != value)
            refused += (refused.empty() ? "" : "; ") + std::string("zone ") + std::to_string(ShownZone(zone)) + " " +
                       std::string(ZoneFieldName(offset)) + ": wrote " + std::to_string(ShownFieldValue(offset, value)) +
                       ", the box reports " + std::to_string(ShownFieldValue(offset, bytes[static_cast<size_t>(offset)]));
    if (!refused.empty())
        throw CCommandError(kExitRefused, "not confirmed: " + refused);
    return bytes;
}

void PrintZoneTable(COutput& out, const std::vector<std::pair<int, std::optional<ZoneBytes>>>& zones)
{
    std::string header = "zone";
    for (int offset = 0; offset < ZoneRecord::kFieldCount; ++offset)
        header += "  " + std::string(ZoneFieldName(offset));
    out.Line(header);
    for (const auto& [zone, bytes] : zones) {
        std::string line = std::to_string(ShownZone(zone)) + "   ";
        if (!bytes) {
            out.Line(line + "  no answer");
            continue;
        }
        for (int offset = 0; offset < ZoneRecord::kFieldCount; ++offset) {
            char cell[32];
            std::snprintf(cell, sizeof cell, "  %*d", static_cast<int>(ZoneFieldName(offset).size()),
                          ShownFieldValue(offset, (*bytes)[static_cast<size_t>(offset)]));
            line += cell;
        }
        out.Line(line);
    }
}

void PrintParameterTable(COutput& out, const std::vector<std::pair<int32_t, std::optional<int32_t>>>& parameters,
                         bool header)
{
    if (header)
        out.Line("  P  name                value");
    for (const auto& [number, value] : parameters) {
        char line[96];
        if (value)
            std::snprintf(line, sizeof line, "%3d  %-19s %5d", number, ParameterName(number).c_str(), *value);
        else
            std::snprintf(line, sizeof line, "%3d  %-19s no answer", number, ParameterName(number).c_str());
        out.Line(line);
    }
}
