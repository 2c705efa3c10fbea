// The port session with the port lists on top, as the main dialog holds
// them: tests click list lines (lists) and look at the ports (session).
#pragma once

#include "editors/PortLists.h"
#include "midi/PortSession.h"

#include <functional>

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
