#include "midi/PortSession.h"

#include <utility>

namespace {

constexpr std::string_view kInOpen = "midiInOpen            ";
constexpr std::string_view kInStart = "midiInStart           ";
constexpr std::string_view kInPrepare = "midiInPrepareHeader   ";
constexpr std::string_view kInAddBuffer = "midiInAddBuffer       ";
static_assert(kInOpen.size() == 22 && kInStart.size() == 22 && kInPrepare.size() == 22 && kInAddBuffer.size() == 22);
constexpr const char kInAlreadyOpen[] = "midiInOpen called when already open THIS IS BAD but protected now ";

// The output labels differ in length and in their padding; they are quoted
// exactly.
constexpr std::string_view kOutOpen = "midiOutOpen           ";
constexpr std::string_view kOutClose = "midiOutClose           ";
constexpr std::string_view kThruOpen = "MidiThruOutOpen           ";
constexpr std::string_view kThruClose = "MidiThruOutClose           ";
static_assert(kOutOpen.size() == 22 && kOutClose.size() == 23 && kThruOpen.size() == 26 && kThruClose.size() == 27);

// Program change on the third channel to program 3, sent when thru opens.
constexpr uint32_t kThruGreeting = PackShortMessage(0xC2, 0x03);

std::string Labelled(std::string_view label, MidiResult result)
{
    std::string line(label);
    line += MidiResultText(result);
    return line;
}

} // namespace

CPortSession::CPortSession(IMidiPlatform& platform, CaptureRings& rings, IMessageSink& log)
    : m_platform(platform)
    , m_rings(rings)
    , m_log(log)
    , m_capture(rings)
    , m_transmitter(log)
{
    m_inputDeviceCount = platform.InputDeviceCount();
    m_outputDeviceCount = platform.OutputDeviceCount();
    m_input.m_name = platform.InputDeviceName(0);
    m_output.m_name = platform.OutputDeviceName(0);
}

CPortSession::~CPortSession()
{
    m_capture.DetachThru();
    m_input.m_input.reset();
    if (!m_transmitter.Shutdown())
        (void)m_output.m_output.release();  // still inside its MIDI stack
    m_output.m_output.reset();
    m_thru.m_output.reset();
}

CMidiPort& CPortSession::PortOf(PortKind kind) noexcept
{
    return kind == PortKind::Input ? m_input : kind == PortKind::Output ? m_output : m_thru;
}

const CMidiPort& CPortSession::Port(PortKind kind) const noexcept
{
    return const_cast<CPortSession*>(this)->PortOf(kind);
}

void CPortSession::Select(PortKind kind, int n)
{
    CMidiPort& port = PortOf(kind);
    port.m_index = n;
    port.m_name = kind == PortKind::Input ? m_platform.InputDeviceName(n) : m_platform.OutputDeviceName(n);
}

bool CPortSession::Succeeded(std::string_view label, MidiResult result)
{
    if (result != MIDI_OK)
        Log(Labelled(label, result));
    return result == MIDI_OK;
}

// ---- input ----

void CPortSession::OpenInputPort()
{
    if (m_input.CountsAsOpen()) {
        Log(kInAlreadyOpen);
        return;
    }
    Succeeded(kInOpen, m_platform.OpenInput(m_input.m_index, m_capture, m_input.m_input));
    m_input.OpenAttempted();
    Succeeded(kInStart, m_input.m_input ? m_input.m_input->Start() : MIDI_ERR_INVALHANDLE);
}

void CPortSession::ResetInputPort()
{
    IMidiInputPort* port = m_input.InputPort();
    if (port == nullptr)
        return;
    // The flag announces a buffer coming back for release; with none queued
    // nothing comes back, and a flag left standing would mislabel the next
    // data the decoder sees.
    if (m_capture.ReceiveHeader().flags & MHDR_INQUEUE)
        m_rings.inputResetting.store(true, std::memory_order_release);
    port->Reset();
}

void CPortSession::CloseInputPort()
{
    ResetInputPort();
    CloseInputQuietly();
    // A lost input has no port to close and keeps waiting for its device.
    if (m_input.CountsAsOpen())
        m_input.Closed();
}

bool CPortSession::SuspendInput()
{
    if (m_input.Status() != PortStatus::Open)
        return false;
    // Not reset: an empty buffer handed back would show as a line.
    // Destroying the port takes the queued buffer back without a word.
    CloseInputQuietly();
    m_input.Closed();
    return true;
}

void CPortSession::CloseInputQuietly()
{
    if (IMidiInputPort* port = m_input.InputPort()) {
        port->Stop();
        port->Close();
    }
    // Destroying the port closes it even when Close refused.
    m_input.m_input.reset();
}

bool CPortSession::PrepareReceiveBuffer()
{
    IMidiInputPort* port = m_input.InputPort();
    return Succeeded(kInPrepare, port ? m_capture.PrepareReceiveBuffer(*port) : MIDI_ERR_INVALHANDLE);
}

bool CPortSession::QueueReceiveBuffer()
{
    IMidiInputPort* port = m_input.InputPort();
    return Succeeded(kInAddBuffer, port ? m_capture.QueueReceiveBuffer(*port) : MIDI_ERR_INVALHANDLE);
}

// ---- output and thru/out ----

const CPortSession::OutputTexts& CPortSession::TextsOf(const CMidiPort& port)
{
    static const OutputTexts kOutput{
        kOutOpen, kOutClose, "midiOutOpen called when already open THIS IS BAD but protected now ",
        "midiOutClose failed THIS may be BAD"};
    static const OutputTexts kThru{
        kThruOpen, kThruClose, "MidiThruOutOpen called when already open THIS IS BAD but protected now ",
        "MidiThruOutClose failed THIS may be BAD"};
    return port.Kind() == PortKind::Thru ? kThru : kOutput;
}

void CPortSession::OpenOutput(CMidiPort& port)
{
    const OutputTexts& texts = TextsOf(port);
    if (port.CountsAsOpen()) {
        Log(texts.alreadyOpen);
        return;
    }
    const MidiResult result = m_platform.OpenOutput(port.m_index, port.m_output);
    Log(Labelled(texts.openLabel, result));
    port.OpenAttempted();
    // The thru/out greeting goes out before the callback can see the port,
    // so the two never share it.
    if (port.Kind() == PortKind::Thru && port.m_output)
        port.m_output->SendShort(kThruGreeting);
    Bind(port, port.m_output.get());
}

void CPortSession::CloseOutput(CMidiPort& port)
{
    const OutputTexts& texts = TextsOf(port);
    if (!port.m_output) {
        // A failed open left nothing to close; closing it lets the next
        // choice open its device instead of being refused as a second open.
        if (port.CountsAsOpen())
            port.Closed();
        else
            Log(texts.closeFailed);
        return;
    }
    if (!Unbind(port)) {
        // A send never came back: the port is still in use by its MIDI
        // stack and is left to it.
        (void)port.m_output.release();
        port.Released();
        Log(texts.closeFailed);
        return;
    }
    const MidiResult result = port.m_output->Close();
    if (result != MIDI_OK) {
        Bind(port, port.m_output.get());
        Log(texts.closeFailed);
        return;
    }
    port.m_output.reset();
    port.Closed();
    Log(Labelled(texts.closeLabel, result));
}

void CPortSession::ClosePortQuietly(CMidiPort& port)
{
    if (port.Kind() == PortKind::Input) {
        // Not reset: the receive buffer goes with the device, and the
        // decoder has no release to report. Destroying the port closes it
        // without a notification.
        if (port.m_input)
            port.m_input->Stop();
        port.m_input.reset();
        return;
    }
    if (!port.m_output)
        return;
    if (!Unbind(port)) {
        (void)port.m_output.release();  // still inside its MIDI stack
        return;
    }
    port.m_output->Close();
    port.m_output.reset();
}

void CPortSession::Bind(const CMidiPort& port, IMidiOutputPort* output)
{
    if (port.Kind() == PortKind::Output)
        m_transmitter.SetOutput(output);
    else if (output != nullptr)
        m_capture.AttachThru(output);
}

bool CPortSession::Unbind(const CMidiPort& port)
{
    if (port.Kind() == PortKind::Output)
        return m_transmitter.SetOutput(nullptr);
    m_capture.DetachThru();
    return true;
}

// ---- devices that come and go ----

std::string_view PortTitle(PortKind kind)
{
    static constexpr std::string_view kTitles[] = {"Midi Input Port", "Midi Out Port", "Midi Thru/Out Port"};
    return kTitles[static_cast<int>(kind)];
}

void CPortSession::CheckDevices()
{
    if (m_input.m_input && m_input.m_input->DeviceGone())
        CloseGone(PortKind::Input);
    for (CMidiPort* port : {&m_output, &m_thru})
        if (port->m_output && port->m_output->DeviceGone())
            CloseGone(port->Kind());
}

void CPortSession::CloseGone(PortKind kind)
{
    CMidiPort& port = PortOf(kind);
    ClosePortQuietly(port);
    port.Lost();
    std::string line(PortTitle(kind));
    line += " closed: ";
    line += port.m_name;
    line += " is gone";
    Log(line);
}

void CPortSession::Relist()
{
    m_platform.Rescan();
    Recount();
}

void CPortSession::Recount()
{
    m_inputDeviceCount = m_platform.InputDeviceCount();
    m_outputDeviceCount = m_platform.OutputDeviceCount();
}

void CPortSession::Renumber(PortKind kind, int n)
{
    PortOf(kind).m_index = n;
}

void CPortSession::MarkLost(PortKind kind)
{
    CMidiPort& port = PortOf(kind);
    if (port.Status() == PortStatus::OpenFailed || port.Status() == PortStatus::Released)
        port.Lost();
}

// ---- teardown ----

void CPortSession::TeardownInput()
{
    if (!m_input.CountsAsOpen())
        return;
    ResetInputPort();
    CloseInputQuietly();
    if (m_input.Status() == PortStatus::Open)
        m_input.Released();
}

void CPortSession::Teardown()
{
    TeardownInput();
    CloseOutputPort();
    CloseThruPort();
}
