#include "midi/rtmidi/RtMidiOutputPort.h"

#include "midi/DriverHandoff.h"

namespace {

void NoteOpenError(RtMidiError::Type type, const std::string&, void* user)
{
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
        static_cast<std::atomic<bool>*>(user)->store(true);
}

} // namespace

CRtMidiOutputPort::CRtMidiOutputPort(std::unique_ptr<RtMidiOut> midi, AlsaDevice device, std::string ownClient,
                                     size_t maxLongMessage, uint32_t wireBytesPerSecond)
    : m_midi(std::move(midi))
    , m_device(std::move(device))
    , m_ownClient(std::move(ownClient))
    , m_maxLongMessage(maxLongMessage)
    , m_wireBytesPerSecond(wireBytesPerSecond)
{
    PublishToDriver(this);
    m_midi->setErrorCallback(&CRtMidiOutputPort::OnError, this);
}

CRtMidiOutputPort::~CRtMidiOutputPort() = default;

MidiResult CRtMidiOutputPort::OpenPort(RtMidiOut& midi, unsigned index, const std::string& portName)
{
    std::atomic<bool> failed{false};
    midi.setErrorCallback(&NoteOpenError, &failed);
    midi.openPort(index, portName);
    return failed.load() || !midi.isPortOpen() ? MIDI_ERR_OPENFAILED : MIDI_OK;
}

MidiResult CRtMidiOutputPort::OpenVirtualPort(RtMidiOut& midi, const std::string& portName)
{
    std::atomic<bool> failed{false};
    midi.setErrorCallback(&NoteOpenError, &failed);
    midi.openVirtualPort(portName);
    // No connection yet, so RtMidi does not count the port as open.
    return failed.load() ? MIDI_ERR_OPENFAILED : MIDI_OK;
}

void CRtMidiOutputPort::OnError(RtMidiError::Type type, const std::string&, void* user)
{
    AcceptFromDriver(user);
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
        static_cast<CRtMidiOutputPort*>(user)->m_failed.store(true, std::memory_order_relaxed);
}

MidiResult CRtMidiOutputPort::Put(const uint8_t* bytes, size_t count) noexcept
{
    if (!m_midi)
        return MIDI_ERR_INVALHANDLE;
    m_failed.store(false, std::memory_order_relaxed);
    m_midi->sendMessage(bytes, count);
    return m_failed.load(std::memory_order_relaxed) ? MIDI_ERR_SENDFAILED : MIDI_OK;
}

bool CRtMidiOutputPort::DeviceGone() noexcept
{
    return AlsaDeviceGone(m_midi.get(), m_device, m_ownClient);
}

MidiResult CRtMidiOutputPort::Close()
{
    if (!m_midi)
        return MIDI_ERR_INVALHANDLE;
    m_midi.reset();
    return MIDI_OK;
}
