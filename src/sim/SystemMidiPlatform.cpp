#include "sim/SystemMidiPlatform.h"

#include "midi/CombinedMidiPlatform.h"
#include "midi/jack/JackMidiPlatform.h"
#include "midi/rtmidi/RtMidiPlatform.h"
#include "sim/SimMidiPlatform.h"

std::unique_ptr<IMidiPlatform> CreateMidiPlatform(const MidiPlatformOptions& options)
{
    // ALSA and JACK join even when absent (they list nothing then), so
    // that a rescan finds a sequencer or a JACK server that came later.
    auto combined = std::make_unique<CCombinedMidiPlatform>();
    if (options.alsa)
        combined->Add(std::make_unique<CRtMidiPlatform>(options.clientName));
    if (options.jack)
        combined->Add(std::make_unique<CJackMidiPlatform>(options.clientName));
    if (options.simulator)
        combined->Add(std::make_unique<CSimMidiPlatform>(nullptr, options.simulatorTiming));
    return combined;
}
