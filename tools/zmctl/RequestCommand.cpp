#include "RequestCommand.h"

#include "NumberArgument.h"
#include "PrintingSender.h"
#include "UsageError.h"
#include "protocol/RequestBuilders.h"

#include <climits>
#include <cstdio>
#include <functional>

namespace {

struct RequestKind {
    const char* name;
    const char* usage;      // arguments, for messages and --help
    size_t minArgs;
    size_t maxArgs;
    std::function<void(ISysExSender&, const std::vector<std::string>&)> build;
};

int32_t Arg(const std::vector<std::string>& args, size_t i, const char* what, int64_t min, int64_t max)
{
    return static_cast<int32_t>(ParseNumberArgument(args[i], what, min, max));
}

// Ranges: a field's wire range, except where the builder masks or clips by
// design (set-param value, start offsets, BYTE values), which take any value
// the builder defines a result for.
const std::vector<RequestKind>& Kinds()
{
    static const std::vector<RequestKind> kinds = {
        {"revision", "", 0, 0, [](ISysExSender& s, const auto&) { SendRevisionRequest(s); }},
        {"eeprom-dump", "", 0, 0, [](ISysExSender& s, const auto&) { SendEepromDumpRequest(s); }},
        {"scan-dump", "", 0, 0, [](ISysExSender& s, const auto&) { SendScanDumpRequest(s); }},
        {"echo-test", "", 0, 0, [](ISysExSender& s, const auto&) { SendEepromEchoTest(s); }},
        {"smart-peek", "", 0, 0,
         [](ISysExSender& s, const auto&) {
             ReportOptions options;
             SendSmartEepromPeek(s, options);
         }},
        {"set-param", "P V", 2, 2,
         [](ISysExSender& s, const auto& a) {
             SendSetParameter(s, Arg(a, 0, "P", 0, 16383), Arg(a, 1, "V", INT32_MIN, INT32_MAX));
         }},
        {"inquire", "P", 1, 1, [](ISysExSender& s, const auto& a) { SendInquireParameter(s, Arg(a, 0, "P", 0, 127)); }},
        {"field-op", "OP FIELD START LEN BYTE", 5, 5,
         [](ISysExSender& s, const auto& a) {
             SendFieldOperation(s, Arg(a, 0, "OP", 0, 127), Arg(a, 1, "FIELD", 0, 127), Arg(a, 2, "START", 0, INT32_MAX),
                                Arg(a, 3, "LEN", 0, 128), Arg(a, 4, "BYTE", 0, 255));
         }},
        {"write-field", "OP FIELD START BYTE...", 4, SIZE_MAX,
         [](ISysExSender& s, const auto& a) {
             std::vector<uint8_t> data;
             for (size_t i = 3; i < a.size(); ++i)
                 data.push_back(static_cast<uint8_t>(Arg(a, i, "BYTE", 0, 255)));
             SendWriteFieldData(s, Arg(a, 0, "OP", 0, 127), Arg(a, 1, "FIELD", 0, 127), Arg(a, 2, "START", 0, INT32_MAX),
                                static_cast<int32_t>(std::min<size_t>(data.size(), INT32_MAX)), data);
         }},
        {"get-zone", "Z", 1, 1, [](ISysExSender& s, const auto& a) { SendGetZone(s, Arg(a, 0, "Z", 0, 3)); }},
        {"set-split", "Z", 1, 1, [](ISysExSender& s, const auto& a) { SendSetSplit(s, Arg(a, 0, "Z", 1, 4)); }},
        {"keymap", "FIELD", 1, 1,
         [](ISysExSender& s, const auto& a) { SendKeymapDumpRequest(s, Arg(a, 0, "FIELD", 0, 5)); }},
        {"sync", "", 0, 0,
         [](ISysExSender& s, const auto&) {
             HeldValues held;
             SendSynchronizeData(s, held);
         }},
    };
    return kinds;
}

std::string NameList()
{
    std::string out;
    for (const RequestKind& k : Kinds()) {
        out += "  ";
        out += k.name;
        if (*k.usage) {
            out += ' ';
            out += k.usage;
        }
        out += '\n';
    }
    return out;
}

} // namespace

CLI::App* AddRequestCommand(CLI::App& app, RequestOptions& options)
{
    CLI::App* cmd = app.add_subcommand("request", "Print the frames a request builder produces, one per line");
    cmd->footer("Requests (numbers decimal or 0x-hex):\n" + NameList() +
                "get-zone takes zone 0-3 and set-split zone 1-4, as on the wire; keymap takes field 0-5.\n"
                "write-field sends as many data bytes as BYTEs are given (cut at offset 128).\n"
                "sync prints the fifteen frames of Synchronize Data in order.");
    cmd->add_option("NAME", options.name, "Request name")->required();
    cmd->add_option("ARGS", options.args, "Request arguments");
    return cmd;
}

int RunRequest(const RequestOptions& options)
{
    for (const RequestKind& kind : Kinds()) {
        if (options.name != kind.name)
            continue;
        if (options.args.size() < kind.minArgs || options.args.size() > kind.maxArgs) {
            std::string usage = std::string(kind.name) + (*kind.usage ? std::string(" ") + kind.usage : "");
            throw CUsageError("request " + usage + ": expected " +
                              (kind.maxArgs == 0 ? std::string("no arguments")
                                                 : "the arguments " + std::string(kind.usage)) +
                              ", got " + std::to_string(options.args.size()));
        }
        CPrintingSender sender(stdout);
        try {
            kind.build(sender, options.args);
        } catch (const CUsageError& e) {
            throw CUsageError("request " + options.name + " " + e.what());
        }
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    throw CUsageError("request: unknown request '" + options.name + "'; known requests:\n" + NameList());
}
