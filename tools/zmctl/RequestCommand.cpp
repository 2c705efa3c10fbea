#include "RequestCommand.h"

#include "Escape.h"
#include "FrameText.h"
#include "UsageError.h"
#include "Values.h"
#include "protocol/RequestBuilders.h"

#include <cstdio>
#include <functional>

namespace {

//! What a builder may need besides its arguments.
struct BuildContext {
    ISysExSender& sender;
    HeldValues& held;
    ReportOptions& options;
};

struct RequestKind {
    const char* name;
    const char* usage;      // arguments, for messages and --help
    size_t minArgs;
    size_t maxArgs;
    std::function<void(BuildContext&, const std::vector<std::string>&)> build;
};

int32_t Arg(const std::vector<std::string>& args, size_t i, const char* what, ValueRange range)
{
    return ParseValue(args[i], what, range);
}

// Every argument is refused outside what its place in the frame carries
// (Values.h), the same way as in every other command.
const std::vector<RequestKind>& Kinds()
{
    static const std::vector<RequestKind> kinds = {
        {"revision", "", 0, 0, [](BuildContext& c, const auto&) { SendRevisionRequest(c.sender); }},
        {"eeprom-dump", "", 0, 0, [](BuildContext& c, const auto&) { SendEepromDumpRequest(c.sender); }},
        {"scan-dump", "", 0, 0, [](BuildContext& c, const auto&) { SendScanDumpRequest(c.sender); }},
        {"echo-test", "", 0, 0, [](BuildContext& c, const auto&) { SendEepromEchoTest(c.sender); }},
        {"smart-peek", "", 0, 0, [](BuildContext& c, const auto&) { SendSmartEepromPeek(c.sender, c.options); }},
        {"set-param", "PARAMETER VALUE", 2, 2,
         [](BuildContext& c, const auto& a) {
             SendSetParameter(c.sender, Arg(a, 0, "parameter", kSetNumber), Arg(a, 1, "value", kParameterValue));
         }},
        {"inquire", "PARAMETER", 1, 1,
         [](BuildContext& c, const auto& a) { SendInquireParameter(c.sender, Arg(a, 0, "parameter", kInquiryNumber)); }},
        {"field-op", "OP FIELD START LEN BYTE", 5, 5,
         [](BuildContext& c, const auto& a) {
             SendFieldOperation(c.sender, Arg(a, 0, "OP", kDataByte), Arg(a, 1, "FIELD", kDataByte),
                                Arg(a, 2, "START", kDataByte), Arg(a, 3, "LEN", kRunLength),
                                Arg(a, 4, "BYTE", kDataByte));
         }},
        {"write-field", "OP FIELD START BYTE...", 4, SIZE_MAX,
         [](BuildContext& c, const auto& a) {
             const int32_t op = Arg(a, 0, "OP", kDataByte);
             const int32_t field = Arg(a, 1, "FIELD", kDataByte);
             const int32_t start = Arg(a, 2, "START", kDataByte);
             if (a.size() - 3 > static_cast<size_t>(kRunLength.max - start))
                 throw CUsageError(std::to_string(a.size() - 3) + " bytes from START " +
                                   std::to_string(start) + " run past offset 128");
             std::vector<uint8_t> data;
             for (size_t i = 3; i < a.size(); ++i)
                 data.push_back(static_cast<uint8_t>(Arg(a, i, "BYTE", kDataByte)));
             SendWriteFieldData(c.sender, op, field, start, static_cast<int32_t>(data.size()), data);
         }},
        {"get-zone", "ZONE", 1, 1,
         [](BuildContext& c, const auto& a) { SendGetZone(c.sender, Arg(a, 0, "zone", kZoneNumber)); }},
        {"set-split", "ZONE", 1, 1,
         [](BuildContext& c, const auto& a) { SendSetSplit(c.sender, Arg(a, 0, "zone", kSplitZone)); }},
        {"keymap", "FIELD", 1, 1,
         [](BuildContext& c, const auto& a) { SendKeymapDumpRequest(c.sender, Arg(a, 0, "FIELD", kKeymapField)); }},
        {"sync", "", 0, 0, [](BuildContext& c, const auto&) { SendSynchronizeData(c.sender, c.held); }},
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

const RequestKind& FindKind(const RequestOptions& options)
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
        return kind;
    }
    throw CUsageError("request: unknown request '" + Escaped(options.name) + "'; known requests:\n" + NameList());
}

void Build(const RequestKind& kind, const RequestOptions& options, BuildContext& context)
{
    try {
        kind.build(context, options.args);
    } catch (const CUsageError& e) {
        throw CUsageError("request " + options.name + ": " + e.what());
    }
}

//! Collects the frames so that no argument error comes after a frame left.
class CCollectingSender : public ISysExSender {
public:
    void SendSysEx(int32_t count, const uint8_t* bytes) override { frames.emplace_back(bytes, bytes + count + 2); }
    std::vector<std::vector<uint8_t>> frames;
};

} // namespace

CLI::App* AddRequestCommand(CLI::App& app, RequestOptions& options)
{
    CLI::App* cmd = app.add_subcommand("request", "Print the frames a request builder produces, or send them");
    cmd->footer("Requests (numbers decimal or 0x-hex):\n" + NameList() +
                "Numbers are the box's own, raw as on the wire, not the window's: get-zone takes zone 0-3\n"
                "(the window's Zone 1 is 0) and set-split zone 1-4; channels in field-op and write-field\n"
                "are 0-15. Every number must fit its place in the frame: PARAMETER 0-127 for inquire and\n"
                "0-16383 for set-param, VALUE 0-16383, OP, FIELD, START and BYTE 0-127, LEN 0-128 (128\n"
                "travels as 0); keymap takes FIELD 0-5. write-field sends\n"
                "as many data bytes as BYTEs are given, up to offset 128. sync prints the fifteen frames of\n"
                "Synchronize Data in order.\n"
                "With --send the frames go to the box (--out) and the replies (--in) are printed as the\n"
                "message window shows them, until no System Exclusive reply has come for the timeout;\n"
                "exit status 3 when none came back.");
    cmd->add_option("REQUEST", options.name, "Request name")->required();
    cmd->add_option("ARGS", options.args, "Request arguments");
    cmd->add_flag("--send", options.send, "Send to the box and print the decoded replies");
    return cmd;
}

int RunRequest(const ClientSource& source, const RequestOptions& options, COutput& out)
{
    const RequestKind& kind = FindKind(options);
    HeldValues held;
    ReportOptions report;
    CCollectingSender collected;
    BuildContext check{collected, held, report};
    Build(kind, options, check);
    if (!options.send) {
        for (const std::vector<uint8_t>& frame : collected.frames)
            out.Line(FrameText(frame.data(), frame.size()));
        out.Flush();
        return kExitOk;
    }

    CBoxClient& client = source();
    client.PrintLinesTo(&out);
    client.BeginExchange();
    BuildContext live{client.Sender(), client.Held(), client.Options()};
    // Any reply of the box's may belong to the request: each one gives the
    // next the timeout afresh. Notes and real-time bytes are shown but do
    // not count.
    const uint64_t before = client.SysExReceived();
    Build(kind, options, live);
    client.WaitFor(nullptr, [&] { return client.SysExReceived(); });
    client.PrintLinesTo(nullptr);
    if (client.SysExReceived() == before)
        throw CCommandError(kExitNoAnswer, "no reply within " + std::to_string(client.Timeout().count()) + " ms");
    return kExitOk;
}
