// A simulated device that sends back everything it receives, unchanged.
#pragma once

#include "midi/SimDevice.h"

class CLoopbackDevice : public ISimDevice {
public:
    void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) override
    {
        replies.Reply(bytes, count);
    }
};
