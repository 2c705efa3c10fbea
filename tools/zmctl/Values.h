// The values zmctl's commands take, and the one place that says what a
// request can carry: every command, `request` included, refuses the same
// values with the same message instead of masking or clipping them.
#pragma once

#include "protocol/DumpReports.h"
#include "protocol/ShownValues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

//! What the frames carry.
inline constexpr ValueRange kInquiryNumber{0, 127};      //!< Inquire parameter: 7 bits
inline constexpr ValueRange kSetNumber{0, 16383};        //!< Set parameter: a 14-bit pair
inline constexpr ValueRange kParameterValue{0, 16383};   //!< a 14-bit pair
inline constexpr ValueRange kZoneNumber{0, 3};           //!< GetZone, Set Zone Split Data
inline constexpr ValueRange kShownZone{1, 4};            //!< "Zone 1" to "Zone 4", as the window heads them
inline constexpr ValueRange kSplitZone{1, 4};            //!< Set Split counts zones from 1
inline constexpr ValueRange kKeymapField{0, 5};
inline constexpr ValueRange kDataByte{0, 127};           //!< one 7-bit body byte
inline constexpr ValueRange kRunLength{0, 128};          //!< 128 travels as 0
inline constexpr ValueRange kAotDelay{0, 255};           //!< the box keeps 8 bits

//! `text` (decimal or 0x-hex) within `range`; throws CUsageError naming
//! `what` as the user wrote it ("value 20000 is out of range 0..16383").
int32_t ParseValue(const std::string& text, const std::string& what, ValueRange range);

//! A zone as a person gives it, 1-4 as the window heads its columns; the
//! result is the zone's number on the wire, 0-3.
int ParseZone(const std::string& text);

//! A parameter given by number (within `range`) or by name, with or
//! without its ZmFunc_ prefix, in any case: "12", "ZmFunc_NumberKeys",
//! "numberkeys".
int32_t ParseParameter(const std::string& text, ValueRange range);

//! A zone record field by its name (lo_key … aftrtch_type): its wire
//! offset, or nothing.
std::optional<int> ZoneFieldOffset(std::string_view name);

//! Sets the smart report's section switches from a comma list of keys,
//! xopto, misc (empty: none); throws CUsageError for another name.
void ApplySections(const std::string& list, ReportOptions& options);

//! "on"/"off" (also 1/0, yes/no, true/false); throws CUsageError.
bool ParseSwitch(const std::string& text, const std::string& what);
