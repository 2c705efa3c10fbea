#include "midi/MidiPlatform.h"

const char* MidiResultText(MidiResult result) noexcept
{
    switch (result) {
    case MIDI_OK: return "No error.";
    case MIDI_ERR_BADDEVICEID: return "The MIDI device number is out of range.";
    case MIDI_ERR_DEVICEGONE: return "The MIDI device is no longer present.";
    case MIDI_ERR_OPENFAILED: return "The MIDI system could not open the device.";
    case MIDI_ERR_INVALHANDLE: return "The MIDI port is not open.";
    case MIDI_ERR_INVALPARAM: return "An invalid parameter was passed.";
    case MIDI_ERR_UNPREPARED: return "The buffer has not been prepared.";
    case MIDI_ERR_STILLPLAYING: return "The buffer is still queued.";
    case MIDI_ERR_BUFFERQUEUED: return "The port already holds a receive buffer.";
    case MIDI_ERR_TOOLONG: return "The message is too long for this MIDI port.";
    case MIDI_ERR_NODRIVER: return "The MIDI system is not running.";
    case MIDI_ERR_SENDFAILED: return "The MIDI system could not send the message.";
    case MIDI_ERR_BUSY: return "The MIDI port is busy.";
    case MIDI_ERR_BADMESSAGE: return "The data is not a MIDI message.";
    default: return "Unknown MIDI error.";
    }
}

bool IsOwnPort(const std::string& name, const std::string& clientName)
{
    const size_t colon = name.find(':');
    if (colon == std::string::npos || clientName.empty())
        return false;
    return name.compare(0, clientName.size(), clientName) == 0
        && name.compare(colon + 1, clientName.size(), clientName) == 0;
}
