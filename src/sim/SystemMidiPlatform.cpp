#include "sim/SystemMidiPlatform.h"

#include "midi/CombinedMidiPlatform.h"
#include "midi/jack/JackMidiPlatform.h"
#include "midi/rtmidi/RtMidiPlatform.h"
#include "sim/SimMidiPlatform.h"

std::unique_ptr<IMidiPlatform> CreateMidiPlatform(const MidiPlatformOptions& options,
                                                  std::vector<MidiDeviceRange>* ranges)
{
    auto combined = std::make_unique<CCombinedMidiPlatform>();
    auto add = [&](const char* api, std::unique_ptr<IMidiPlatform> platform) {
        if (ranges)
            ranges->push_back({api, combined->InputDeviceCount(), platform->InputDeviceCount(),
                               combined->OutputDeviceCount(), platform->OutputDeviceCount()});
        combined->Add(std::move(platform));
    };
    if (options.alsa) {
        auto alsa = std::make_unique<CRtMidiPlatform>(options.clientName);
        if (alsa->Available())
            add("ALSA", std::move(alsa));
    }
    if (options.jack) {
        auto jack = std::make_unique<CJackMidiPlatform>(options.clientName);
        if (jack->Available())
            add("JACK", std::move(jack));
    }
    if (options.simulator)
        add("built-in", std::make_unique<CSimMidiPlatform>(nullptr, options.simulatorTiming));
    return combined;
}
