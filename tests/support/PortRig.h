// The port session with the port lists on top, as the main dialog holds
// them: tests click list lines (lists) and look at the ports (session).
#pragma once

#include "editors/PortLists.h"
#include "midi/PortSession.h"

#include <functional>
#include <string>

struct PortRig {
    PortRig(IMidiPlatform& platform, CaptureRings& rings, IDialogControls& controls,
            std::function<void()> transferBoundTexts = {})
        : session(platform, rings, controls)
        , lists(controls, session, std::move(transferBoundTexts))
    {
    }

    CPortSession session;
    CPortLists lists;
};

//! Number of the input (or output) device listed under `name`; -1 when none is.
inline int FindDevice(const IMidiPlatform& platform, bool input, const std::string& name)
{
    const int count = input ? platform.InputDeviceCount() : platform.OutputDeviceCount();
    for (int n = 0; n < count; ++n)
        if ((input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n)) == name)
            return n;
    return -1;
}
