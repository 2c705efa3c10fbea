#include "sim/SystemMidiPlatform.h"

#include "midi/CombinedMidiPlatform.h"
#include "midi/jack/JackMidiPlatform.h"
#include "midi/rtmidi/RtMidiPlatform.h"
#include "sim/SimMidiPlatform.h"

std::unique_ptr<IMidiPlatform> CreateMidiPlatform(const MidiPlatformOptions& options)
{
    auto combined = std::make_unique<CCombinedMidiPlatform>();
    if (options.alsa) {
        auto alsa = std::make_unique<CRtMidiPlatform>(options.clientName);
        if (alsa->Available())
            combined->Add(std::move(alsa));
    }
    if (options.jack) {
        auto jack = std::make_unique<CJackMidiPlatform>(options.clientName);
        if (jack->Available())
            combined->Add(std::move(jack));
    }
    if (options.simulator)
        combined->Add(std::make_unique<CSimMidiPlatform>(nullptr, options.simulatorTiming));
    return combined;
}
