#include "protocol/SetupFormat.h"

#include "protocol/BoxParameters.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"
#include "protocol/ShownValues.h"

#include <algorithm>
#include <cstring>

namespace {

class CFrameCollector : public ISysExSender {
public:
    void SendSysEx(int32_t count, const uint8_t* bytes) override { data.insert(data.end(), bytes, bytes + count + 2); }
    std::vector<uint8_t> data;
};

} // namespace

std::vector<std::string> BoxSnapshot::Missing(const std::vector<int>& zonesAsked) const
{
    std::vector<std::string> missing;
    for (int zone : zonesAsked)
        if (!zones[static_cast<size_t>(zone)])
            missing.push_back("zone " + std::to_string(ShownZone(zone)));
    for (const auto& [number, value] : parameters)
        if (!value)
            missing.push_back("parameter " + ParameterLabel(number));
    return missing;
}

std::vector<int> SetupContents::Zones() const
{
    std::vector<int> list;
    for (int zone = 0; zone < 4; ++zone)
        if (zones[static_cast<size_t>(zone)])
            list.push_back(zone);
    return list;
}

std::vector<int32_t> SetupContents::Parameters() const
{
    std::vector<int32_t> numbers;
    for (const auto& [number, value] : parameters)
        if (std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    return numbers;
}

std::optional<int32_t> SetupContents::Value(int32_t number) const
{
    std::optional<int32_t> last;
    for (const auto& [n, v] : parameters)
        if (n == number)
            last = v;
    return last;
}

bool RestoresParameter(int32_t number)
{
    const BoxParameter* parameter = FindBoxParameter(number);
    return parameter && parameter->Restored();
}

std::vector<uint8_t> SetupFrames(const BoxSnapshot& snapshot)
{
    // Parameters first: the number of keys decides the box's EEPROM layout
    // before anything else lands in it; then the zones, as the presets
    // write them.
    CFrameCollector frames;
    for (const auto& [number, value] : snapshot.parameters)
        if (value && RestoresParameter(number))
            SendSetParameter(frames, number, *value);
    for (int zone = 0; zone < 4; ++zone) {
        const std::optional<ZoneBytes>& bytes = snapshot.zones[static_cast<size_t>(zone)];
        if (!bytes)
            continue;
        std::array<uint8_t, 8> record{};
        for (size_t i = 0; i < record.size(); ++i)
            record[i] = static_cast<uint8_t>((*bytes)[i]);
        SendWriteFieldData(frames, OP_SET_ZONE_SPLIT_DATA, zone, 0, 8, record);
    }
    return frames.data;
}

std::optional<SetupFault> ParseSetup(const std::vector<uint8_t>& bytes, SetupContents& contents)
{
    SetupContents read;
    size_t i = 0;
    // The readable copy chosen instead of the setup beside it.
    if (!bytes.empty() && bytes[0] == '{')
        return SetupFault{0, "JSON text, not requests: the setup is the .syx beside its readable .json copy"};
    while (i < bytes.size()) {
        if (bytes[i] != kStartOfExclusive)
            return SetupFault{i, "expected F0, the start of a frame"};
        size_t end = i + 1;
        while (end < bytes.size() && bytes[end] < 0x80)
            ++end;
        if (end == bytes.size() || bytes[end] != kEndOfExclusive)
            return SetupFault{i, "frame without its F7"};
        const std::vector<uint8_t> frame(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(end + 1));
        const uint8_t* body = frame.data() + 3;
        // F0 09 43, number (two bytes), then the value.
        constexpr size_t kValueStart = 5;
        // F0 09 5A, operation, zone, start, length: then the record.
        constexpr size_t kRecordStart = 7;
        if (frame.size() == 8 && frame[1] == kIdentifier && frame[2] == CMD_SET_PARAMETER) {
            const int32_t number = body[0] | (body[1] << 7);
            const int32_t value = body[2] | (body[3] << 7);
            if (!RestoresParameter(number))
                return SetupFault{i, "parameter " + ParameterLabel(number) + " is not one a backup restores"};
            // A value the box refuses would leave it with half a setup.
            const BoxParameter& row = *FindBoxParameter(number);
            if (value < row.lowest || value > row.highest)
                return SetupFault{i + kValueStart, "parameter " + ParameterLabel(number) + " " + std::to_string(value) +
                                                       " is out of range " + std::to_string(row.lowest) + ".." +
                                                       std::to_string(row.highest)};
            read.parameters.emplace_back(number, value);
        } else if (frame.size() == 16 && frame[1] == kIdentifier && frame[2] == CMD_FIELD_OPERATION &&
                   body[0] == OP_SET_ZONE_SPLIT_DATA && body[1] < 4 && body[2] == 0 && body[3] == 8) {
            std::array<uint8_t, 8> record{};
            std::memcpy(record.data(), body + 4, record.size());
            // What the zone command would refuse, a restore does not send.
            std::vector<std::pair<int, int32_t>> fields;
            for (int offset = 0; offset < 8; ++offset)
                fields.emplace_back(offset, record[static_cast<size_t>(offset)]);
            if (const auto fault = CheckZoneFields(fields))
                return SetupFault{i + kRecordStart + fault->at,
                                  "zone " + std::to_string(ShownZone(body[1])) + " " + fault->why};
            read.zones[body[1]] = record;
        } else if (frame.size() > 2 && frame[1] != kIdentifier) {
            // Another program's .syx: a frame for another maker's device.
            static constexpr char kHex[] = "0123456789ABCDEF";
            const std::string maker{kHex[frame[1] >> 4], kHex[frame[1] & 0x0F]};
            return SetupFault{i, "frame for another device (F0 " + maker + " ...), not the ZM1's (F0 09 ...)"};
        } else {
            return SetupFault{i, "not a Set parameter or whole-zone Set Zone Split Data frame"};
        }
        read.frames.push_back(frame);
        i = end + 1;
    }
    if (read.frames.empty())
        return SetupFault{0, "the file holds no requests"};
    contents = std::move(read);
    return std::nullopt;
}

std::string SetupDifference::What() const
{
    if (zone >= 0)
        return "zone " + std::to_string(ShownZone(zone)) + " " + std::string(ZoneFieldName(field));
    return "parameter " + ParameterLabel(parameter);
}

std::string SetupDifference::Name() const
{
    return zone >= 0 ? std::string(ZoneFieldName(field)) : ParameterName(parameter);
}

std::vector<SetupDifference> CompareSetup(const SetupContents& setup, const BoxSnapshot& box)
{
    std::vector<SetupDifference> differences;
    for (const auto& [number, value] : box.parameters) {
        // A parameter written twice in a file ends with its last value.
        const int32_t expected = setup.Value(number).value_or(0);
        if (value && *value != expected)
            differences.push_back({.parameter = number, .file = expected, .box = *value});
    }
    for (int zone : setup.Zones()) {
        const auto& record = *setup.zones[static_cast<size_t>(zone)];
        const std::optional<ZoneBytes>& bytes = box.zones[static_cast<size_t>(zone)];
        if (!bytes)
            continue;
        for (int offset = 0; offset < 8; ++offset)
            if (record[static_cast<size_t>(offset)] != (*bytes)[static_cast<size_t>(offset)])
                differences.push_back({.zone = zone,
                                       .field = offset,
                                       .file = ShownFieldValue(offset, record[static_cast<size_t>(offset)]),
                                       .box = ShownFieldValue(offset, (*bytes)[static_cast<size_t>(offset)])});
    }
    return differences;
}
