#include "RtMidiPlatform.h"

#include "midi/RtMidiInputPort.h"
#include "midi/RtMidiOutputPort.h"

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
    return {full.substr(0, space), std::stoi(numbers.substr(0, colon))};
}

bool IsOwnPort(const std::string& name, const std::string& clientName)
{
    const size_t colon = name.find(':');
    if (colon == std::string::npos || clientName.empty())
        return false;
    return name.compare(0, clientName.size(), clientName) == 0
        && name.compare(colon + 1, clientName.size(), clientName) == 0;
}

CRtMidiPlatform::CRtMidiPlatform(RtMidi::Api api, const std::string& clientName)
    : m_api(api)
    , m_clientName(clientName)
{
    if (api == RtMidi::LINUX_ALSA)
        ListAlsa();
    else if (api == RtMidi::UNIX_JACK)
        ListJack();
}

CRtMidiPlatform::~CRtMidiPlatform() = default;

void CRtMidiPlatform::ListAlsa()
{
    // Without the sequencer device RtMidi throws and ALSA prints; there is
    // nothing to list then.
    if (::access("/dev/snd/seq", R_OK | W_OK) != 0)
        return;
    try {
        RtMidiIn in(RtMidi::LINUX_ALSA, m_clientName);
        RtMidiOut out(RtMidi::LINUX_ALSA, m_clientName);
        in.setErrorCallback(&IgnoreError);
        out.setErrorCallback(&IgnoreError);
        auto list = [&](RtMidi& midi, std::vector<Device>& devices) {
            const unsigned count = midi.getPortCount();
            for (unsigned i = 0; i < count; ++i) {
                const std::string full = midi.getPortName(i);
                const AlsaPortName split = SplitAlsaPortName(full);
                if (full.empty() || IsOwnPort(split.name, m_clientName))
                    continue;
                Device device{split.name, full, 0, split.client >= 0 && split.client < 128};
                for (const Device& other : devices)
                    if (other.name == device.name)
                        ++device.ordinal;
                devices.push_back(device);
            }
        };
        list(in, m_inputs);
        list(out, m_outputs);
        m_available = true;
    } catch (const RtMidiError&) {
        m_inputs.clear();
        m_outputs.clear();
    }
}

void CRtMidiPlatform::ListJack()
{
    m_jack = std::make_unique<CJackDirectory>(m_clientName);
    if (!m_jack->Connected())
        return;
    for (const auto& port : m_jack->MidiPorts(true))
        if (!IsOwnPort(port.name, m_clientName))
            m_inputs.push_back({port.name, port.name, 0, port.physical});
    for (const auto& port : m_jack->MidiPorts(false))
        if (!IsOwnPort(port.name, m_clientName))
            m_outputs.push_back({port.name, port.name, 0, port.physical});
    m_available = true;
}

std::string CRtMidiPlatform::InputDeviceName(int device) const
{
    return device >= 0 && device < InputDeviceCount() ? m_inputs[static_cast<size_t>(device)].name : std::string();
}

std::string CRtMidiPlatform::OutputDeviceName(int device) const
{
    return device >= 0 && device < OutputDeviceCount() ? m_outputs[static_cast<size_t>(device)].name : std::string();
}

size_t CRtMidiPlatform::ConnectionsBefore(const Device& device) const
{
    return m_jack ? m_jack->ConnectionCount(device.fullName) : 0;
}

bool CRtMidiPlatform::SettleConnection(const Device& device, size_t before) const
{
    // A JACK connection starts to carry data only once the server has
    // switched to the new graph; what is sent before (the thru port's
    // program change, a first request) would be lost. This normally takes a
    // few milliseconds; the wait is bounded.
    return m_jack == nullptr || m_jack->WaitConnected(device.fullName, before, std::chrono::milliseconds(1000));
}

bool CRtMidiPlatform::ServerGone() const noexcept
{
    return m_jack && m_jack->ServerGone()->load();
}

int CRtMidiPlatform::FindPort(RtMidi& midi, const Device& device) const
{
    const unsigned count = midi.getPortCount();
    int ordinal = 0;
    for (unsigned i = 0; i < count; ++i) {
        const std::string full = midi.getPortName(i);
        if (m_api == RtMidi::UNIX_JACK) {
            if (full == device.fullName)
                return static_cast<int>(i);
            continue;
        }
        const AlsaPortName split = SplitAlsaPortName(full);
        if (split.name != device.name || IsOwnPort(split.name, m_clientName))
            continue;
        if (ordinal++ == device.ordinal)
            return static_cast<int>(i);
    }
    return -1;
}

MidiResult CRtMidiPlatform::OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port)
{
    port.reset();
    if (device < 0 || device >= InputDeviceCount())
        return MIDI_ERR_BADDEVICEID;
    if (ServerGone())
        return MIDI_ERR_NODRIVER;
    try {
        const Device& listed = m_inputs[static_cast<size_t>(device)];
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            auto midi = std::make_unique<RtMidiIn>(m_api, m_clientName);
            midi->setErrorCallback(&IgnoreError);
            const int index = FindPort(*midi, listed);
            if (index < 0)
                return MIDI_ERR_DEVICEGONE;
            const size_t before = ConnectionsBefore(listed);
            auto input = std::make_unique<CRtMidiInputPort>(handler);
            const MidiResult result = input->Open(std::move(midi), static_cast<unsigned>(index), m_clientName + " in");
            if (result != MIDI_OK)
                return result;
            if (SettleConnection(listed, before)) {
                port = std::move(input);
                return MIDI_OK;
            }
            // Connected to some other port: destroying `input` undoes it.
            if (ServerGone())
                return MIDI_ERR_NODRIVER;
        }
        return MIDI_ERR_DEVICEGONE;
    } catch (const RtMidiError&) {
        return MIDI_ERR_OPENFAILED;
    }
}

MidiResult CRtMidiPlatform::OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port)
{
    port.reset();
    if (device < 0 || device >= OutputDeviceCount())
        return MIDI_ERR_BADDEVICEID;
    if (ServerGone())
        return MIDI_ERR_NODRIVER;
    try {
        const Device& listed = m_outputs[static_cast<size_t>(device)];
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            auto midi = std::make_unique<RtMidiOut>(m_api, m_clientName);
            midi->setErrorCallback(&IgnoreError);
            const int index = FindPort(*midi, listed);
            if (index < 0)
                return MIDI_ERR_DEVICEGONE;
            const size_t before = ConnectionsBefore(listed);
            const MidiResult result = CRtMidiOutputPort::OpenPort(*midi, static_cast<unsigned>(index), m_clientName + " out");
            if (result != MIDI_OK)
                return result;
            if (!SettleConnection(listed, before)) {
                // Connected to some other port: destroying `midi` undoes it.
                if (ServerGone())
                    return MIDI_ERR_NODRIVER;
                continue;
            }
            const bool jack = m_api == RtMidi::UNIX_JACK;
            port = std::make_unique<CRtMidiOutputPort>(std::move(midi), jack ? kJackMaxMessage : kAlsaMaxMessage,
                                                       listed.physical ? kMidiWireBytesPerSecond : 0,
                                                       jack ? m_jack->ServerGone() : nullptr);
            return MIDI_OK;
        }
        return MIDI_ERR_DEVICEGONE;
    } catch (const RtMidiError&) {
        return MIDI_ERR_OPENFAILED;
    }
}
