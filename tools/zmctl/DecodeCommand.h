// zmctl decode: runs a raw MIDI byte stream through the reply decoder and
// prints what the message window (and, on request, the controls) would
// get, as the input arrives.
#pragma once

#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

struct DecodeOptions {
    bool hex = false;
    int keys = 88;
    bool smart = false;
    std::string sections = "keys";
    bool controls = false;
    std::vector<std::string> files;
};

CLI::App* AddDecodeCommand(CLI::App& app, DecodeOptions& options);
int RunDecode(const DecodeOptions& options, COutput& out);
