#include "DecodeCommand.h"

#include "InputReader.h"
#include "PrintingControls.h"
#include "UsageError.h"
#include "editors/MainEditors.h"
#include "midi/CombinedMidiPlatform.h"
#include "protocol/MidiStreamParser.h"

#include <cstdio>
#include <memory>
#include <sstream>

namespace {

void ApplySections(const std::string& list, ReportOptions& options)
{
    options.ShowKeys = options.ShowXopto = options.ShowMisc = 0;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item == "keys")
            options.ShowKeys = 1;
        else if (item == "xopto")
            options.ShowXopto = 1;
        else if (item == "misc")
            options.ShowMisc = 1;
        else
            throw CUsageError("--sections: unknown section '" + item + "' (use keys, xopto, misc)");
    }
}

} // namespace

CLI::App* AddDecodeCommand(CLI::App& app, DecodeOptions& options)
{
    CLI::App* cmd = app.add_subcommand("decode", "Decode a raw MIDI byte stream as the message window would show it");
    cmd->footer(
        "Input is what a MIDI port delivers: System Exclusive replies of the box, short messages, real-time bytes.\n"
        "FILEs are read in order; none or '-' reads standard input. One decoder pass runs after each complete\n"
        "message, so lines come out in arrival order. Data bytes without status, undefined status bytes and\n"
        "cut-off messages are reported as driver errors.");
    cmd->add_flag("--hex", options.hex, "Input is text: hexadecimal byte values separated by white space");
    cmd->add_option("--keys", options.keys, "Scanner key count of the smart dump report")
        ->check(CLI::IsMember({88, 122}))
        ->default_val(88);
    cmd->add_flag("--smart", options.smart, "Print the first EEPROM PEEK Acknowledge as the smart dump report");
    cmd->add_option_function<std::string>(
           "--sections",
           [&options](const std::string& value) {
               options.sections = value;
               options.sectionsGiven = true;
           },
           "Smart report sections, a comma list of keys, xopto, misc (default keys; empty: none)")
        ->expected(1)
        ->type_name("LIST");
    cmd->add_flag("--controls", options.controls, "Also print control writes: @ID text TEXT, @ID select N, @ID check 0|1");
    cmd->add_option("FILE", options.files, "Input files ('-' for standard input)");
    return cmd;
}

int RunDecode(const DecodeOptions& options)
{
    // Everything is read and checked before the first line is printed.
    const std::vector<InputSource> sources = ReadInputs(options.files, options.hex);

    // The main dialog's editors without a window and without devices: the
    // replies are shown exactly as zm_config shows them.
    CPrintingControls controls(stdout, options.controls);
    CMainEditors editors(controls, std::make_unique<CCombinedMidiPlatform>());
    ReportOptions& report = editors.Options();
    report.ScannerKeyCount = options.keys;
    report.SmartDumpPending = options.smart;
    ApplySections(options.sectionsGiven ? options.sections : std::string("keys"), report);

    CMidiStreamParser parser(editors.Rings(), [&editors] { editors.Decoder().Run(); });
    for (const InputSource& source : sources)
        parser.Feed(source.bytes.data(), source.bytes.size());
    // A message the input leaves unfinished is reported, not kept waiting.
    parser.Finish();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
