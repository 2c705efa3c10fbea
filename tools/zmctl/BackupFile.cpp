#include "BackupFile.h"

#include "Escape.h"
#include "InputReader.h"
#include "UsageError.h"
#include "Values.h"
#include "editors/AotOptions.h"
#include "protocol/BoxParameters.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"

#include <cstring>
#include <ctime>

namespace {

class CFrameCollector : public ISysExSender {
public:
    void SendSysEx(int32_t count, const uint8_t* bytes) override { data.insert(data.end(), bytes, bytes + count + 2); }
    std::vector<uint8_t> data;
};

std::string Timestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

[[noreturn]] void Malformed(const std::string& name, size_t offset, const std::string& why)
{
    throw CUsageError(Escaped(name) + ": malformed backup at byte " + std::to_string(offset) + ": " + why);
}

} // namespace

bool RestoresParameter(int32_t number)
{
    const BoxParameter* parameter = FindBoxParameter(number);
    return parameter && parameter->Restored();
}

std::vector<uint8_t> BackupFrames(const BoxSnapshot& snapshot)
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

std::string BackupJson(const BoxSnapshot& snapshot)
{
    CJsonWriter json;
    json.BeginObject().Key("format").Value(kBackupFormat).Key("created").Value(Timestamp());
    json.Key("identification");
    if (snapshot.identification)
        json.Value(*snapshot.identification);
    else
        json.Null();
    json.Key("zones").BeginArray();
    for (int zone = 0; zone < 4; ++zone)
        WriteZoneJson(json, zone, snapshot.zones[static_cast<size_t>(zone)]);
    json.EndArray().Key("parameters").BeginArray();
    std::optional<int32_t> aot;
    for (const auto& [number, value] : snapshot.parameters) {
        json.BeginObject().Key("number").Value(number).Key("name").Value(ParameterName(number)).Key("value");
        if (value)
            json.Value(*value);
        else
            json.Null();
        json.Key("restored").Value(RestoresParameter(number)).EndObject();
        if (number == ZmFunc_AotBooleans)
            aot = value;
    }
    json.EndArray();
    if (aot) {
        json.Key("aot_options").BeginObject();
        for (const AotOption& option : kAotOptions)
            json.Key(option.key).Value((*aot & (1 << option.bit)) != 0);
        json.EndObject();
    }
    json.EndObject();
    return json.Text();
}

BackupContents ParseBackup(const std::vector<uint8_t>& bytes, const std::string& name)
{
    BackupContents contents;
    size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] != kStartOfExclusive)
            Malformed(name, i, "expected F0, the start of a frame");
        size_t end = i + 1;
        while (end < bytes.size() && bytes[end] < 0x80)
            ++end;
        if (end == bytes.size() || bytes[end] != kEndOfExclusive)
            Malformed(name, i, "frame without its F7");
        const std::vector<uint8_t> frame(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(end + 1));
        const uint8_t* body = frame.data() + 3;
        // F0 09 5A, operation, zone, start, length: then the record.
        constexpr size_t kRecordStart = 7;
        if (frame.size() == 8 && frame[1] == kIdentifier && frame[2] == CMD_SET_PARAMETER) {
            const int32_t number = body[0] | (body[1] << 7);
            if (!RestoresParameter(number))
                Malformed(name, i, "parameter " + ParameterLabel(number) + " is not one a backup restores");
            contents.parameters.emplace_back(number, body[2] | (body[3] << 7));
        } else if (frame.size() == 16 && frame[1] == kIdentifier && frame[2] == CMD_FIELD_OPERATION &&
                   body[0] == OP_SET_ZONE_SPLIT_DATA && body[1] < 4 && body[2] == 0 && body[3] == 8) {
            std::array<uint8_t, 8> record{};
            std::memcpy(record.data(), body + 4, record.size());
            // What the zone command would refuse, a restore does not send.
            std::vector<std::pair<int, int32_t>> fields;
            for (int offset = 0; offset < 8; ++offset)
                fields.emplace_back(offset, record[static_cast<size_t>(offset)]);
            if (const auto fault = CheckZoneFields(fields))
                Malformed(name, i + kRecordStart + fault->at, "zone " + std::to_string(ShownZone(body[1])) + " " +
                                                                       fault->why);
            contents.zones[body[1]] = record;
        } else {
            Malformed(name, i, "not a Set parameter or whole-zone Set Zone Split Data frame");
        }
        contents.frames.push_back(frame);
        i = end + 1;
    }
    if (contents.frames.empty())
        Malformed(name, 0, "the file holds no requests");
    return contents;
}

BackupContents ReadBackupFile(const std::string& path)
{
    // Read as decode reads its input, so that a FIFO with no writer yet
    // waits where Ctrl-C ends the wait. "-" is a file of that name here.
    CInputReader input({path == "-" ? "./-" : path}, false);
    std::vector<uint8_t> bytes;
    // A backup is a few hundred bytes; anything far larger is no backup.
    constexpr size_t kLargest = 1 << 20;
    input.Run([&](const uint8_t* chunk, size_t count) {
        bytes.insert(bytes.end(), chunk, chunk + count);
        if (bytes.size() > kLargest)
            throw CUsageError(Escaped(path) + ": malformed backup: larger than any backup (over 1 MiB)");
    });
    return ParseBackup(bytes, path);
}

std::string JsonPathFor(const std::string& path)
{
    static constexpr std::string_view kSyx = ".syx";
    if (path.size() > kSyx.size() && path.compare(path.size() - kSyx.size(), kSyx.size(), kSyx) == 0)
        return path.substr(0, path.size() - kSyx.size()) + ".json";
    return path + ".json";
}
