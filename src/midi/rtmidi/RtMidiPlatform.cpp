#include "midi/rtmidi/RtMidiPlatform.h"

#include "midi/rtmidi/RtMidiInputPort.h"
#include "midi/rtmidi/RtMidiOutputPort.h"

#include <unistd.h>

#include <cctype>

namespace {

// RtMidi reports through this while we list or look ports up; a failure
// there simply yields fewer ports.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

bool IsDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

AlsaPortName SplitAlsaPortName(const std::string& full)
{
    const size_t space = full.rfind(' ');
    if (space == std::string::npos)
        return {full, -1};
    const std::string numbers = full.substr(space + 1);
    const size_t colon = numbers.find(':');
    if (colon == std::string::npos || !IsDigits(numbers.substr(0, colon)) || !IsDigits(numbers.substr(colon + 1))
        || colon > 6)
        return {full, -1};
    return {full.substr(0, space), std::stoi(numbers.substr(0, colon)), std::stoi(numbers.substr(colon + 1))};
}

int FindAlsaPort(const std::vector<std::string>& fullNames, const AlsaDevice& device, const std::string& ownClient)
{
    int ordinal = 0;
    for (size_t i = 0; i < fullNames.size(); ++i) {
        const AlsaPortName split = SplitAlsaPortName(fullNames[i]);
        if (split.name != device.name || IsOwnPort(split.name, ownClient))
            continue;
        if (device.client >= 0 ? split.client == device.client && split.port == device.port
                               : ordinal++ == device.ordinal)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::string> AlsaPortNames(RtMidi& midi)
{
    std::vector<std::string> names;
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names.push_back(midi.getPortName(i));
    return names;
}

bool AlsaDeviceGone(RtMidi* midi, const AlsaDevice& device, const std::string& ownClient) noexcept
{
    if (midi == nullptr)
        return true;
    try {
        return FindAlsaPort(AlsaPortNames(*midi), device, ownClient) < 0;
    } catch (...) {
        return false;
    }
}

CRtMidiPlatform::CRtMidiPlatform(const std::string& clientName)
    : m_clientName(clientName)
{
    List();
}

CRtMidiPlatform::~CRtMidiPlatform() = default;

void CRtMidiPlatform::Rescan()
{
    // Open ports hold RtMidi objects of their own and are not touched.
    List();
}

void CRtMidiPlatform::List()
{
    m_inputs.clear();
    m_outputs.clear();
    // Without the sequencer device RtMidi throws and ALSA prints; there is
    // nothing to list then.
    if (::access("/dev/snd/seq", R_OK | W_OK) != 0)
        return;
    try {
        RtMidiIn in(RtMidi::LINUX_ALSA, m_clientName);
        RtMidiOut out(RtMidi::LINUX_ALSA, m_clientName);
        in.setErrorCallback(&IgnoreError);
        out.setErrorCallback(&IgnoreError);
        auto list = [&](RtMidi& midi, std::vector<AlsaDevice>& devices) {
            for (const std::string& full : AlsaPortNames(midi)) {
                const AlsaPortName split = SplitAlsaPortName(full);
                if (full.empty() || IsOwnPort(split.name, m_clientName))
                    continue;
                AlsaDevice device{split.name, split.client, split.port, 0, split.client >= 0 && split.client < 128};
                for (const AlsaDevice& other : devices)
                    if (other.name == device.name)
                        ++device.ordinal;
                devices.push_back(device);
            }
        };
        list(in, m_inputs);
        list(out, m_outputs);
    } catch (const RtMidiError&) {
        m_inputs.clear();
        m_outputs.clear();
    }
}

std::string CRtMidiPlatform::InputDeviceName(int device) const
{
    return device >= 0 && device < InputDeviceCount() ? m_inputs[static_cast<size_t>(device)].name : std::string();
}

std::string CRtMidiPlatform::OutputDeviceName(int device) const
{
    return device >= 0 && device < OutputDeviceCount() ? m_outputs[static_cast<size_t>(device)].name : std::string();
}

namespace {

//! What Reach() found.
template <typename Midi>
struct Reached {
    MidiResult result = MIDI_OK;
    std::unique_ptr<Midi> midi;
    unsigned index = 0;
};

// A fresh client of the MIDI system for entry `device` of `listed`, and the
// index under which that client sees the port now: MIDI_ERR_BADDEVICEID for
// a number not listed, MIDI_ERR_DEVICEGONE when the port has gone since.
// RtMidi's constructor may throw RtMidiError.
template <typename Midi>
Reached<Midi> Reach(const std::vector<AlsaDevice>& listed, int device, const std::string& clientName)
{
    Reached<Midi> reached;
    if (device < 0 || static_cast<size_t>(device) >= listed.size()) {
        reached.result = MIDI_ERR_BADDEVICEID;
        return reached;
    }
    reached.midi = std::make_unique<Midi>(RtMidi::LINUX_ALSA, clientName);
    reached.midi->setErrorCallback(&IgnoreError);
    const int found = FindAlsaPort(AlsaPortNames(*reached.midi), listed[static_cast<size_t>(device)], clientName);
    if (found < 0)
        reached.result = MIDI_ERR_DEVICEGONE;
    else
        reached.index = static_cast<unsigned>(found);
    return reached;
}

} // namespace

MidiResult CRtMidiPlatform::OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port)
{
    port.reset();
    try {
        auto [reached, midi, index] = Reach<RtMidiIn>(m_inputs, device, m_clientName);
        if (reached != MIDI_OK)
            return reached;
        const AlsaDevice& listed = m_inputs[static_cast<size_t>(device)];
        auto input = std::make_unique<CRtMidiInputPort>(handler, listed, m_clientName);
        const MidiResult result = input->Open(std::move(midi), index, m_clientName + " in");
        if (result == MIDI_OK)
            port = std::move(input);
        return result;
    } catch (const RtMidiError&) {
        return MIDI_ERR_OPENFAILED;
    }
}

MidiResult CRtMidiPlatform::OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port)
{
    port.reset();
    try {
        auto [reached, midi, index] = Reach<RtMidiOut>(m_outputs, device, m_clientName);
        if (reached != MIDI_OK)
            return reached;
        const MidiResult result = CRtMidiOutputPort::OpenPort(*midi, index, m_clientName + " out");
        if (result != MIDI_OK)
            return result;
        const AlsaDevice& listed = m_outputs[static_cast<size_t>(device)];
        port = std::make_unique<CRtMidiOutputPort>(std::move(midi), listed, m_clientName, kAlsaMaxMessage,
                                                   listed.physical ? kMidiWireBytesPerSecond : 0);
        return MIDI_OK;
    } catch (const RtMidiError&) {
        return MIDI_ERR_OPENFAILED;
    }
}
