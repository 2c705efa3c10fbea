#include "protocol/ShownValues.h"

#include "protocol/BoxParameters.h"

#include <array>

namespace {

struct ZoneField {
    std::string_view name;
    ValueRange range;   //!< as a person gives it
    int32_t shownFrom;  //!< what the box's 0 reads as
};
// Ranges as the zone editor's lists offer them; the channel list's line 0
// reads " 1".
constexpr std::array<ZoneField, 8> kZoneFields = {{
    {"lo_key", {0, 127}, 0},
    {"hi_key", {0, 127}, 0},
    {"lo_note", {0, 127}, 0},
    {"midi_chan", {1, 16}, 1},
    {"atk_vel", {0, 63}, 0},
    {"rel_vel", {0, 63}, 0},
    {"atk_type", {0, 7}, 0},
    {"aftrtch_type", {0, 7}, 0},
}};

} // namespace

std::string ParameterName(int32_t number)
{
    if (const BoxParameter* p = FindBoxParameter(number))
        return std::string(p->name);
    return "parameter " + std::to_string(number);
}

std::string ParameterLabel(int32_t number)
{
    if (const BoxParameter* p = FindBoxParameter(number))
        return std::to_string(number) + " (" + std::string(p->name) + ")";
    return std::to_string(number);
}

std::string_view ZoneFieldName(int offset)
{
    return kZoneFields[static_cast<size_t>(offset & 7)].name;
}

ValueRange ZoneFieldRange(int offset)
{
    return kZoneFields[static_cast<size_t>(offset & 7)].range;
}

int32_t ShownFieldValue(int offset, int32_t wire)
{
    return wire + kZoneFields[static_cast<size_t>(offset & 7)].shownFrom;
}

int32_t WireFieldValue(int offset, int32_t shown)
{
    return shown - kZoneFields[static_cast<size_t>(offset & 7)].shownFrom;
}

std::string ZoneFieldList()
{
    std::string list;
    for (const ZoneField& f : kZoneFields) {
        if (!list.empty())
            list += ' ';
        list += f.name;
    }
    return list;
}

std::optional<ZoneFieldFault> CheckZoneFields(const std::vector<std::pair<int, int32_t>>& fields)
{
    std::optional<size_t> lo;
    std::optional<size_t> hi;
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto [offset, wire] = fields[i];
        const ValueRange range = ZoneFieldRange(offset);
        const int32_t shown = ShownFieldValue(offset, wire);
        if (shown < range.min || shown > range.max)
            return ZoneFieldFault{i, std::string(ZoneFieldName(offset)) + " " + std::to_string(shown) +
                                         " is out of range " + std::to_string(range.min) + ".." +
                                         std::to_string(range.max)};
        if (offset == 0)
            lo = i;
        else if (offset == 1)
            hi = i;
    }
    if (lo && hi && fields[*lo].second > fields[*hi].second)
        return ZoneFieldFault{*lo, "lo_key " + std::to_string(fields[*lo].second) + " is above hi_key " +
                                       std::to_string(fields[*hi].second)};
    return std::nullopt;
}
