#include "editors/SetupFile.h"

#include "editors/AotOptions.h"
#include "protocol/BoxParameters.h"
#include "protocol/HeldValues.h"
#include "protocol/ShownValues.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Timestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

} // namespace

void WriteZoneJson(CJsonWriter& json, int zone, const std::optional<ZoneBytes>& bytes)
{
    if (!bytes) {
        json.Null();
        return;
    }
    json.BeginObject().Key("zone").Value(ShownZone(zone));
    for (int offset = 0; offset < ZoneRecord::kFieldCount; ++offset)
        json.Key(ZoneFieldName(offset)).Value(ShownFieldValue(offset, (*bytes)[static_cast<size_t>(offset)]));
    json.EndObject();
}

void WriteParameterJson(CJsonWriter& json, int32_t number, const std::optional<int32_t>& value)
{
    json.BeginObject().Key("number").Value(number).Key("name").Value(ParameterName(number)).Key("value");
    if (value)
        json.Value(*value);
    else
        json.Null();
    json.EndObject();
}

std::string SetupJson(const BoxSnapshot& snapshot)
{
    CJsonWriter json;
    json.BeginObject().Key("format").Value(kSetupFormat).Key("created").Value(Timestamp());
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

std::string SetupJsonPath(const std::string& path)
{
    static constexpr std::string_view kSyx = ".syx";
    if (path.size() > kSyx.size() && path.compare(path.size() - kSyx.size(), kSyx.size(), kSyx) == 0)
        return path.substr(0, path.size() - kSyx.size()) + ".json";
    return path + ".json";
}

std::string SetupFaultText(const SetupFault& fault, std::string_view kind)
{
    return "malformed " + std::string(kind) + " at byte " + std::to_string(fault.offset) + ": " + fault.why;
}

std::optional<std::string> ReadSetupFile(const std::string& path, SetupContents& contents)
{
    // Not blocking: a FIFO without a writer would hold the open until one
    // came. Anything but a regular file is refused once open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::string(std::strerror(errno));
    struct stat st {};
    std::optional<std::string> fault;
    std::vector<uint8_t> bytes;
    if (::fstat(fd, &st) != 0)
        fault = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        fault = "not a regular file";
    else if (static_cast<uint64_t>(st.st_size) > kLargestSetup)
        fault = "malformed setup: larger than any setup (over 1 MiB)";
    while (!fault) {
        uint8_t chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fault = std::strerror(errno);
        else if (n == 0)
            break;
        else
            bytes.insert(bytes.end(), chunk, chunk + n);
        // The file may grow while it is read.
        if (bytes.size() > kLargestSetup)
            fault = "malformed setup: larger than any setup (over 1 MiB)";
    }
    ::close(fd);
    if (fault)
        return fault;
    if (const std::optional<SetupFault> malformed = ParseSetup(bytes, contents))
        return SetupFaultText(*malformed, "setup");
    return std::nullopt;
}

bool WriteSetupFiles(const std::string& path, const BoxSnapshot& snapshot, CReplacingFileSet& files)
{
    const std::vector<uint8_t> frames = SetupFrames(snapshot);
    return files.Add(path, std::string_view(reinterpret_cast<const char*>(frames.data()), frames.size())) &&
           files.Add(SetupJsonPath(path), SetupJson(snapshot)) && files.Commit();
}
