// zmctl: the command-line companion of zm_config.
#include "DecodeCommand.h"
#include "RequestCommand.h"
#include "UsageError.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    CLI::App app("zmctl - command-line companion of zm_config for the ZM1 key-scanner controller", "zmctl");
    app.require_subcommand(1);
    DecodeOptions decode;
    RequestOptions request;
    CLI::App* decodeCommand = AddDecodeCommand(app, decode);
    CLI::App* requestCommand = AddRequestCommand(app, request);

    // Without this CLI11 would only say that a subcommand is required.
    if (argc >= 2 && argv[1][0] != '-' && std::string(argv[1]) != "decode" && std::string(argv[1]) != "request") {
        std::fprintf(stderr, "zmctl: error: unknown command '%s' (commands: decode, request)\n"
                             "Run with --help for more information.\n", argv[1]);
        return kUsageExit;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "zmctl: error: %s\nRun with --help for more information.\n", e.what());
        return kUsageExit;
    }

    try {
        if (decodeCommand->parsed())
            return RunDecode(decode);
        if (requestCommand->parsed())
            return RunRequest(request);
    } catch (const CUsageError& e) {
        std::fprintf(stderr, "zmctl: error: %s\n", e.what());
        return kUsageExit;
    }
    return kUsageExit;
}
