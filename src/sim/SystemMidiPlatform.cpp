#include "sim/SystemMidiPlatform.h"

#include "midi/CombinedMidiPlatform.h"
#include "midi/jack/JackMidiPlatform.h"
#include "midi/rtmidi/RtMidiPlatform.h"
#include "sim/SimMidiPlatform.h"

std::unique_ptr<IMidiPlatform> CreateMidiPlatform(const MidiPlatformOptions& options,
                                                  std::vector<MidiDeviceRange>* ranges)
{
    // ALSA and JACK join even when absent (they list nothing then), so
    // that a rescan finds a sequencer or a JACK server that came later.
    auto combined = std::make_unique<CCombinedMidiPlatform>();
    auto add = [&](const char* api, std::unique_ptr<IMidiPlatform> platform) {
        if (ranges)
            ranges->push_back({api, combined->InputDeviceCount(), platform->InputDeviceCount(),
                               combined->OutputDeviceCount(), platform->OutputDeviceCount()});
        combined->Add(std::move(platform));
    };
    if (options.alsa)
        add("ALSA", std::make_unique<CRtMidiPlatform>(options.clientName));
    if (options.jack)
        add("JACK", std::make_unique<CJackMidiPlatform>(options.clientName, options.jackInBackground));
    if (options.simulator)
        add("built-in", std::make_unique<CSimMidiPlatform>(nullptr, options.simulatorTiming));
    return combined;
}
