// The exchanges zmctl's commands are made of: read zones and parameters
// and wait for every answer, write and confirm by reading back, and show
// what was read as a table or as JSON.
#pragma once

#include "BoxClient.h"
#include "Output.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using ZoneBytes = std::array<int32_t, 8>;

//! What one read brought back, as the box holds it (zones 0-3, fields as
//! on the wire); an entry stays empty when its answer did not come within
//! the timeout.
struct BoxSnapshot {
    std::array<std::optional<ZoneBytes>, 4> zones;
    std::vector<std::pair<int32_t, std::optional<int32_t>>> parameters;  //!< in the order asked
    std::optional<std::string> identification;

    //! "zone 2", "parameter 12 (ZmFunc_NumberKeys)", … for every answer
    //! that is missing among those asked for, zones numbered as the window's.
    std::vector<std::string> Missing(const std::vector<int>& zonesAsked) const;
};

//! Asks for `zones` (GetZone) and `parameters` (Inquire parameter) and
//! waits until each has answered or the box has been quiet for the timeout.
BoxSnapshot ReadBox(CBoxClient& client, const std::vector<int>& zones, const std::vector<int32_t>& parameters);

//! Synchronize Data, as the main window's button sends it, and its answers.
BoxSnapshot Synchronize(CBoxClient& client);

//! Throws CCommandError naming what did not answer, when anything: status
//! 5 when the box said something else instead (a refusal), 3 otherwise.
void RequireAnswers(const std::vector<std::string>& missing, const CBoxClient& client);

//! Writes each parameter with Set parameter, reads each back, and throws
//! (status 3 or 5, with what the box said) unless the box reports every
//! value as written. Returns the values read back.
std::vector<std::pair<int32_t, int32_t>> WriteParameters(CBoxClient& client,
                                                         const std::vector<std::pair<int32_t, int32_t>>& writes);

//! Reads wire zone `zone` back and throws (status 3 or 5) unless every
//! field given in `expected` (offset, value on the wire) holds its value;
//! the message numbers zone and values as the window shows them.
ZoneBytes ConfirmZone(CBoxClient& client, int zone, const std::vector<std::pair<int, int32_t>>& expected);

//! The zones as a table (header, then a line per zone; "no answer" for an
//! empty one) and as JSON, numbered as the window shows them: zones 1-4,
//! midi_chan 1-16. `zone` is the wire zone.
void PrintZoneTable(COutput& out, const std::vector<std::pair<int, std::optional<ZoneBytes>>>& zones);
void WriteZoneJson(CJsonWriter& json, int zone, const std::optional<ZoneBytes>& bytes);
//! One line per parameter: number, name, value ("no answer" when empty),
//! under a header line when `header`.
void PrintParameterTable(COutput& out, const std::vector<std::pair<int32_t, std::optional<int32_t>>>& parameters,
                         bool header = false);
void WriteParameterJson(CJsonWriter& json, int32_t number, const std::optional<int32_t>& value);
