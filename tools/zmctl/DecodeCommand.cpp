#include "DecodeCommand.h"

#include "ArgumentChecks.h"
#include "InputReader.h"
#include "PrintingControls.h"
#include "UsageError.h"
#include "Values.h"
#include "editors/MainEditors.h"
#include "midi/CombinedMidiPlatform.h"
#include "protocol/MidiStreamParser.h"

#include <exception>
#include <memory>

CLI::App* AddDecodeCommand(CLI::App& app, DecodeOptions& options)
{
    CLI::App* cmd = app.add_subcommand("decode", "Decode a raw MIDI byte stream as the message window would show it");
    cmd->footer(
        "Input is what a MIDI port delivers: System Exclusive replies of the box, short messages, real-time bytes.\n"
        "FILEs are read in order as one stream; none or '-' reads standard input. Input is decoded as it is\n"
        "read, in fixed memory, so a pipe, a FIFO or a live capture works. One decoder pass runs after each\n"
        "complete message, through the same input path as the window's, so lines come out in arrival order\n"
        "and as the window shows them. Data bytes without status, undefined status bytes and cut-off short\n"
        "messages are reported as driver errors, a cut-off System Exclusive message as dropped.");
    cmd->add_flag("--hex", options.hex, "Input is text: hexadecimal byte values, separated by white space or run together in pairs "
                  "(F0 09 1A F7, F0091AF7)");
    cmd->add_option("--keys", options.keys, "Scanner key count of the smart dump report")
        ->check(OneOf("key count", {"88", "122"}))
        ->default_val(88);
    cmd->add_flag("--smart", options.smart, "Print the first EEPROM PEEK Acknowledge as the smart dump report");
    cmd->add_option_function<std::string>(
           "--sections",
           [&options](const std::string& value) { options.sections = value; },
           "Smart report sections, a comma list of keys, xopto, misc (default keys; empty: none)")
        ->expected(1)
        ->type_name("LIST");
    cmd->add_flag("--controls", options.controls, "Also print control writes: @ID text TEXT, @ID select N, @ID check 0|1");
    cmd->add_option("FILE", options.files, "Input files ('-' for standard input)");
    return cmd;
}

int RunDecode(const DecodeOptions& options, COutput& out)
{
    ReportOptions report;
    report.ScannerKeyCount = options.keys;
    report.SmartDumpPending = options.smart;
    ApplySections(options.sections, report);
    CInputReader input(options.files, options.hex);

    // The main dialog's editors without a window and without devices: the
    // replies are shown exactly as zm_config shows them.
    CPrintingControls controls(out, options.controls);
    CMainEditors editors(controls, std::make_unique<CCombinedMidiPlatform>());
    editors.Options() = report;

    // The parser calls back from code that lets no exception through: a
    // failed write is kept there and thrown once the parser has returned.
    std::exception_ptr failedWrite;
    CMidiStreamParser parser(editors.Rings(), [&] {
        editors.Pipeline().Run();
        if (failedWrite)
            return;
        try {
            controls.Drain();
        } catch (const CCommandError&) {
            failedWrite = std::current_exception();
        }
    });
    const auto flush = [&] {
        if (failedWrite)
            std::rethrow_exception(failedWrite);
        controls.Flush();
    };
    input.Run([&](const uint8_t* bytes, size_t count) {
        parser.Feed(bytes, count);
        // What this chunk completed is out before the next read waits.
        flush();
    });
    // A message the input leaves unfinished is reported, not kept waiting.
    parser.Finish();
    flush();
    return kExitOk;
}
