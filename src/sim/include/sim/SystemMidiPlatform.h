// The program's MIDI devices as the port lists show them: ALSA ports
// (RtMidi), then JACK ports when a JACK server is running (our own client;
// none is started), then the built-in "ZM1 Simulator". Rescan() lists ALSA
// and JACK again, also when they were not there before.
#pragma once

#include "midi/MidiPlatform.h"
#include "sim/SimMidiPlatform.h"

#include <memory>
#include <string>
#include <vector>

struct MidiPlatformOptions {
    bool alsa = true;
    bool jack = true;
    bool simulator = true;
    SimTiming simulatorTiming = SimTiming::WireSpeed;
    std::string clientName = "zm_config";
};

//! Where one MIDI system's devices lie in the joined lists.
struct MidiDeviceRange {
    const char* api;  //!< "ALSA", "JACK" or "built-in"
    int firstInput = 0;
    int inputCount = 0;
    int firstOutput = 0;
    int outputCount = 0;
};

//! The joined platform; `ranges`, when given, receives the part each MIDI
//! system holds, in list order (for tools that show where a device lives).
std::unique_ptr<IMidiPlatform> CreateMidiPlatform(const MidiPlatformOptions& options = {},
                                                  std::vector<MidiDeviceRange>* ranges = nullptr);
