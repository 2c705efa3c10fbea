// What every output port does the same way, whatever the MIDI stack: the
// checks of the send path. SendShort unpacks the message and refuses a byte
// that starts none; SendLong refuses an empty message or one longer than the
// port carries. What passes is handed to Put() whole.
//
// Threading contract: as IMidiOutputPort; Put() runs on the sending thread
// and must neither lock nor allocate when the port serves thru.
#pragma once

#include "midi/MidiPlatform.h"

class CMidiOutputPortBase : public IMidiOutputPort {
public:
    MidiResult SendShort(uint32_t packed) noexcept final;
    MidiResult SendLong(const uint8_t* bytes, size_t count) noexcept final;

protected:
    //! Hands one checked message (1 to MaxLongMessage() bytes) to the MIDI stack.
    virtual MidiResult Put(const uint8_t* bytes, size_t count) noexcept = 0;
};
