#include "midi/MidiOutputPortBase.h"

MidiResult CMidiOutputPortBase::SendShort(uint32_t packed) noexcept
{
    const uint8_t bytes[3] = {static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
                              static_cast<uint8_t>(packed >> 16)};
    const size_t count = ShortMessageLength(bytes[0]);
    if (count == 0)
        return MIDI_ERR_BADMESSAGE;
    return Put(bytes, count);
}

MidiResult CMidiOutputPortBase::SendLong(const uint8_t* bytes, size_t count) noexcept
{
    if (bytes == nullptr || count == 0)
        return MIDI_ERR_INVALPARAM;
    if (count > MaxLongMessage())
        return MIDI_ERR_TOOLONG;
    return Put(bytes, count);
}
