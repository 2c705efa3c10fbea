// The program's MIDI devices as the port lists show them: ALSA ports
// (RtMidi), then JACK ports when a JACK server is running (our own client;
// none is started), then the built-in "ZM1 Simulator". Rescan() lists ALSA
// and JACK again, also when they were not there before.
//
// Threading contract: the joined platform is the window thread's (zmctl's
// main thread's), as IMidiPlatform says: CreateMidiPlatform, Rescan, the
// device names and every open run there. Received data comes on the thread
// of the MIDI system behind each port: RtMidi's input thread for ALSA,
// JACK's process thread for JACK, the simulator's own thread for the
// built-in box. CreateMidiPlatform starts the JACK client and the
// simulator's thread; destroying the platform ends them, so every port
// opened on it must be closed first.
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
    //! JACK's client opened and its ports listed on a thread while the
    //! program goes on (see CJackMidiPlatform): JACK's devices are listed
    //! only once TakeListing() has taken them in.
    bool jackInBackground = false;
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
