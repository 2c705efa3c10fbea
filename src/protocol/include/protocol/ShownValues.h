// How a person reads the box's zones and parameters: zones 1-4 as the
// window heads its columns, the eight zone fields by name with the ranges
// the zone lists offer (midi_chan as channel 1-16), and parameters by
// number and name. zmctl's commands, the setup files and the window's
// setup messages all name things through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ValueRange {
    int64_t min;
    int64_t max;
};

//! The number a person reads for wire zone `zone` (0-3): 1-4.
inline int ShownZone(int zone) { return zone + 1; }

//! "12 (ZmFunc_NumberKeys)"; just the number beyond the named 32.
std::string ParameterLabel(int32_t number);
//! The parameter's name, or "parameter N" beyond the named 32.
std::string ParameterName(int32_t number);

//! Name of the zone field at wire offset 0-7 (lo_key … aftrtch_type), and
//! the range a person gives it in: the window's, so midi_chan is 1-16.
std::string_view ZoneFieldName(int offset);
ValueRange ZoneFieldRange(int offset);
//! A field's value as the window shows it (midi_chan as channel 1-16), and
//! back to what the box holds.
int32_t ShownFieldValue(int offset, int32_t wire);
int32_t WireFieldValue(int offset, int32_t shown);
//! The field names, blank-separated, for messages and help.
std::string ZoneFieldList();

//! What is wrong with zone field values to be written together, given as
//! the box holds them, (wire offset, value): a value outside the range its
//! field is given in, or lo_key above hi_key. `at` is the index of the
//! offending pair; `why` shows values as a person reads them.
struct ZoneFieldFault {
    size_t at;
    std::string why;
};
std::optional<ZoneFieldFault> CheckZoneFields(const std::vector<std::pair<int, int32_t>>& fields);
