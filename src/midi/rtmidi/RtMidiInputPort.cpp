#include "midi/rtmidi/RtMidiInputPort.h"

#include "midi/DriverHandoff.h"

CRtMidiInputPort::CRtMidiInputPort(IMidiInputHandler& handler, AlsaDevice device, std::string ownClient)
    : CMidiInputPortBase(handler)
    , m_device(std::move(device))
    , m_ownClient(std::move(ownClient))
{
}

bool CRtMidiInputPort::DeviceGone() noexcept
{
    return AlsaDeviceGone(m_midi.get(), m_device, m_ownClient);
}

CRtMidiInputPort::~CRtMidiInputPort()
{
    ForceClose();
}

void CRtMidiInputPort::OnMessage(double, std::vector<unsigned char>* message, void* user)
{
    AcceptFromDriver(user);
    if (message != nullptr && !message->empty())
        static_cast<CRtMidiInputPort*>(user)->DeliverMessage(message->data(), message->size());
}

void CRtMidiInputPort::OnError(RtMidiError::Type type, const std::string&, void* user)
{
    AcceptFromDriver(user);
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
        static_cast<CRtMidiInputPort*>(user)->m_failed.store(true);
}

template <typename OpenPort>
MidiResult CRtMidiInputPort::Attach(std::unique_ptr<RtMidiIn> midi, OpenPort&& open, bool virtualPort)
{
    m_midi = std::move(midi);
    PublishToDriver(this);
    m_midi->setErrorCallback(&CRtMidiInputPort::OnError, this);
    // System Exclusive is dropped by default; timing and active sensing are
    // passed through like every other short message.
    m_midi->ignoreTypes(false, false, false);
    m_midi->setCallback(&CRtMidiInputPort::OnMessage, this);
    open(*m_midi);
    // RtMidi counts only a connection to another port as open; a virtual
    // port has none until a program connects to it.
    if (m_failed.load() || (!virtualPort && !m_midi->isPortOpen())) {
        m_midi.reset();
        return MIDI_ERR_OPENFAILED;
    }
    NotifyOpened();
    return MIDI_OK;
}

MidiResult CRtMidiInputPort::Open(std::unique_ptr<RtMidiIn> midi, unsigned index, const std::string& portName)
{
    return Attach(std::move(midi), [&](RtMidiIn& in) { in.openPort(index, portName); }, false);
}

MidiResult CRtMidiInputPort::OpenVirtual(std::unique_ptr<RtMidiIn> midi, const std::string& portName)
{
    return Attach(std::move(midi), [&](RtMidiIn& in) { in.openVirtualPort(portName); }, true);
}

void CRtMidiInputPort::CloseDevice() noexcept
{
    // Destroying the RtMidi object closes its client: its ALSA thread does
    // not call back afterwards.
    m_midi.reset();
}
