// A row of named MIDI devices for the search for the box: the simulated box
// among devices that must not pass for it. Each device is one input and one
// output of the same name, listed in the order given.
#pragma once

#include "FakeMidiPlatform.h"
#include "midi/CombinedMidiPlatform.h"
#include "sim/LoopbackDevice.h"
#include "sim/SimMidiPlatform.h"

#include <memory>
#include <string>
#include <vector>

enum class DeviceKind {
    Box,     //!< the simulated box
    Echo,    //!< sends back what it is sent (a loopback, a MIDI through port)
    Silent,  //!< takes everything, answers nothing (a synthesiser)
    Broken,  //!< neither port opens
};

struct RowDevice {
    std::string name;
    DeviceKind kind;
};

class CSilentDevice : public ISimDevice {
public:
    void OnMessage(const uint8_t*, size_t, ISimReplySink&) override {}
};

inline std::unique_ptr<IMidiPlatform> MakeDeviceRow(const std::vector<RowDevice>& devices,
                                                    SimTiming timing = SimTiming::Instant)
{
    auto row = std::make_unique<CCombinedMidiPlatform>();
    for (const RowDevice& device : devices) {
        switch (device.kind) {
        case DeviceKind::Box:
            row->Add(std::make_unique<CSimMidiPlatform>(nullptr, timing, device.name));
            break;
        case DeviceKind::Echo:
            row->Add(std::make_unique<CSimMidiPlatform>(std::make_unique<CLoopbackDevice>(), timing, device.name));
            break;
        case DeviceKind::Silent:
            row->Add(std::make_unique<CSimMidiPlatform>(std::make_unique<CSilentDevice>(), timing, device.name));
            break;
        case DeviceKind::Broken: {
            auto broken = std::make_unique<CFakeMidiPlatform>(std::vector<std::string>{device.name},
                                                              std::vector<std::string>{device.name});
            broken->failOpen = {{"in0", MIDI_ERR_OPENFAILED}, {"out0", MIDI_ERR_OPENFAILED}};
            row->Add(std::move(broken));
            break;
        }
        }
    }
    return row;
}
