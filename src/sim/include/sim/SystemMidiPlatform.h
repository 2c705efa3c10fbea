// The program's MIDI devices as the port lists show them: ALSA ports
// (RtMidi), then JACK ports when a JACK server is running (our own client;
// none is started), then the built-in "ZM1 Simulator". Rescan() lists ALSA
// and JACK again, also when they were not there before.
#pragma once

#include "midi/MidiPlatform.h"
#include "sim/SimMidiPlatform.h"

#include <memory>
#include <string>

struct MidiPlatformOptions {
    bool alsa = true;
    bool jack = true;
    bool simulator = true;
    SimTiming simulatorTiming = SimTiming::WireSpeed;
    std::string clientName = "zm_config";
};

std::unique_ptr<IMidiPlatform> CreateMidiPlatform(const MidiPlatformOptions& options = {});
