// A simulated device that sends back every System Exclusive message it
// receives, unchanged. Short messages are taken and not answered, as a box
// or a synthesiser would: echoing them would turn a thru/out port on the
// simulator into a loop through the simulator's own input.
#pragma once

#include "sim/SimDevice.h"

class CLoopbackDevice : public ISimDevice {
public:
    void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) override
    {
        if (count != 0 && bytes[0] == 0xF0)
            replies.Reply(bytes, count);
    }
};
