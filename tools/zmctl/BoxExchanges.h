// The exchanges zmctl's commands are made of: read zones and parameters
// and wait for every answer, write and confirm by reading back, and show
// what was read as a table or as JSON.
#pragma once

#include "BoxClient.h"
#include "Output.h"
#include "editors/SetupFile.h"
#include "protocol/SetupFormat.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

//! Asks for `zones` (GetZone) and `parameters` (Inquire parameter) and
//! waits until each has answered or the box has been quiet for the timeout
//! (a read of CSetupExchange).
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
//! (The JSON writers are editors/SetupFile.h's.)
void PrintZoneTable(COutput& out, const std::vector<std::pair<int, std::optional<ZoneBytes>>>& zones);
//! One line per parameter: number, name, value ("no answer" when empty),
//! under a header line when `header`.
void PrintParameterTable(COutput& out, const std::vector<std::pair<int32_t, std::optional<int32_t>>>& parameters,
                         bool header = false);
