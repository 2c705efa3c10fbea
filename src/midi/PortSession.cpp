#include "midi/PortSession.h"

#include <utility>

namespace {

constexpr std::string_view kInOpen = "midiInOpen            ";
constexpr std::string_view kInStart = "midiInStart           ";
constexpr std::string_view kInPrepare = "midiInPrepareHeader   ";
constexpr std::string_view kInAddBuffer = "midiInAddBuffer       ";
static_assert(kInOpen.size() == 22 && kInStart.size() == 22 && kInPrepare.size() == 22 && kInAddBuffer.size() == 22);
constexpr const char kInAlreadyOpen[] = "midiInOpen called when already open THIS IS BAD but protected now ";

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
    m_state.inputDeviceCount = platform.InputDeviceCount();
    m_state.outputDeviceCount = platform.OutputDeviceCount();
    m_state.inputName = platform.InputDeviceName(0);
    m_state.output.name = platform.OutputDeviceName(0);
}

CPortSession::~CPortSession()
{
    m_capture.DetachThru();
    m_state.inputHandle.reset();
    if (!m_transmitter.Shutdown())
        (void)m_state.output.handle.release();  // still inside its MIDI stack
    m_state.output.handle.reset();
    m_state.thru.handle.reset();
}

// ---- input ----

void CPortSession::SelectInputDevice(int n)
{
    m_state.inputIndex = n;
    m_state.inputName = m_platform.InputDeviceName(n);
}

void CPortSession::OpenInputPort()
{
    if (m_state.inputOpen) {
        Log(kInAlreadyOpen);
        return;
    }
    const MidiResult opened = m_platform.OpenInput(m_state.inputIndex, m_capture, m_state.inputHandle);
    if (opened != MIDI_OK)
        Log(Labelled(kInOpen, opened));
    m_state.inputOpen = true;
    m_state.inputLost = false;
    const MidiResult started = m_state.inputHandle ? m_state.inputHandle->Start() : MIDI_ERR_INVALHANDLE;
    if (started != MIDI_OK)
        Log(Labelled(kInStart, started));
}

void CPortSession::ResetInputPort()
{
    IMidiInputPort* port = m_state.inputHandle.get();
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
    m_state.inputOpen = false;
}

bool CPortSession::SuspendInput()
{
    if (!m_state.inputOpen || !m_state.inputHandle)
        return false;
    // Not reset: an empty buffer handed back would show as a line.
    // Destroying the port takes the queued buffer back without a word.
    CloseInputQuietly();
    m_state.inputOpen = false;
    return true;
}

void CPortSession::CloseInputQuietly()
{
    if (IMidiInputPort* port = m_state.inputHandle.get()) {
        port->Stop();
        port->Close();
    }
    // Destroying the port closes it even when Close refused.
    m_state.inputHandle.reset();
}

bool CPortSession::PrepareReceiveBuffer()
{
    const MidiResult result =
        m_state.inputHandle ? m_capture.PrepareReceiveBuffer(*m_state.inputHandle) : MIDI_ERR_INVALHANDLE;
    if (result != MIDI_OK)
        Log(Labelled(kInPrepare, result));
    return result == MIDI_OK;
}

bool CPortSession::QueueReceiveBuffer()
{
    const MidiResult result =
        m_state.inputHandle ? m_capture.QueueReceiveBuffer(*m_state.inputHandle) : MIDI_ERR_INVALHANDLE;
    if (result != MIDI_OK)
        Log(Labelled(kInAddBuffer, result));
    return result == MIDI_OK;
}

// ---- output and thru/out ----

namespace {
// The labels differ in length and in their padding; they are quoted exactly.
constexpr std::string_view kOutOpen = "midiOutOpen           ";
constexpr std::string_view kOutClose = "midiOutClose           ";
constexpr std::string_view kThruOpen = "MidiThruOutOpen           ";
constexpr std::string_view kThruClose = "MidiThruOutClose           ";
static_assert(kOutOpen.size() == 22 && kOutClose.size() == 23 && kThruOpen.size() == 26 && kThruClose.size() == 27);
} // namespace

const CPortSession::SlotTexts CPortSession::kOutputTexts{
    kOutOpen, kOutClose, "midiOutOpen called when already open THIS IS BAD but protected now ",
    "midiOutClose failed THIS may be BAD"};
const CPortSession::SlotTexts CPortSession::kThruTexts{
    kThruOpen, kThruClose, "MidiThruOutOpen called when already open THIS IS BAD but protected now ",
    "MidiThruOutClose failed THIS may be BAD"};

void CPortSession::OpenOutputPort() { Open(m_state.output, kOutputTexts); }
void CPortSession::CloseOutputPort() { Close(m_state.output, kOutputTexts); }
void CPortSession::OpenThruPort() { Open(m_state.thru, kThruTexts); }
void CPortSession::CloseThruPort() { Close(m_state.thru, kThruTexts); }

void CPortSession::Select(OutputPortState& slot, int n)
{
    slot.index = n;
    slot.name = m_platform.OutputDeviceName(n);
}

void CPortSession::Open(OutputPortState& slot, const SlotTexts& texts)
{
    if (slot.open) {
        Log(texts.alreadyOpen);
        return;
    }
    const MidiResult result = m_platform.OpenOutput(slot.index, slot.handle);
    Log(Labelled(texts.openLabel, result));
    slot.open = true;
    slot.lost = false;
    // The thru/out greeting goes out before the callback can see the port,
    // so the two never share it.
    if (&slot == &m_state.thru && slot.handle)
        slot.handle->SendShort(kThruGreeting);
    Bind(slot, slot.handle.get());
}

void CPortSession::Close(OutputPortState& slot, const SlotTexts& texts)
{
    if (!slot.handle) {
        // A failed open left nothing to close; clearing the mark lets the
        // next choice open its device instead of being refused as a second
        // open.
        if (slot.open)
            slot.open = false;
        else
            Log(texts.closeFailed);
        return;
    }
    if (!Unbind(slot)) {
        // A send never came back: the port is still in use by its MIDI
        // stack and is left to it.
        (void)slot.handle.release();
        Log(texts.closeFailed);
        return;
    }
    const MidiResult result = slot.handle->Close();
    if (result != MIDI_OK) {
        Bind(slot, slot.handle.get());
        Log(texts.closeFailed);
        return;
    }
    slot.handle.reset();
    slot.open = false;
    Log(Labelled(texts.closeLabel, result));
}

void CPortSession::CloseQuietly(OutputPortState& slot)
{
    slot.open = false;
    if (!slot.handle)
        return;
    if (!Unbind(slot)) {
        (void)slot.handle.release();  // still inside its MIDI stack
        return;
    }
    slot.handle->Close();
    slot.handle.reset();
}

void CPortSession::Bind(const OutputPortState& slot, IMidiOutputPort* port)
{
    if (&slot == &m_state.output)
        m_transmitter.SetOutput(port);
    else if (port != nullptr)
        m_capture.AttachThru(port);
}

bool CPortSession::Unbind(const OutputPortState& slot)
{
    if (&slot == &m_state.output)
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
    if (m_state.inputHandle && m_state.inputHandle->DeviceGone())
        CloseGone(PortKind::Input);
    if (m_state.output.handle && m_state.output.handle->DeviceGone())
        CloseGone(PortKind::Output);
    if (m_state.thru.handle && m_state.thru.handle->DeviceGone())
        CloseGone(PortKind::Thru);
}

void CPortSession::CloseGone(PortKind kind)
{
    std::string name;
    if (kind == PortKind::Input) {
        // Not reset: the receive buffer goes with the device, and the
        // decoder has no release to report. Destroying the port closes it
        // without a notification.
        if (m_state.inputHandle)
            m_state.inputHandle->Stop();
        m_state.inputHandle.reset();
        m_state.inputOpen = false;
        m_state.inputLost = true;
        name = m_state.inputName;
    } else {
        OutputPortState& slot = kind == PortKind::Output ? m_state.output : m_state.thru;
        CloseQuietly(slot);
        slot.lost = true;
        name = slot.name;
    }
    std::string line(PortTitle(kind));
    line += " closed: ";
    line += name;
    line += " is gone";
    Log(line);
}

void CPortSession::Relist()
{
    m_platform.Rescan();
    m_state.inputDeviceCount = m_platform.InputDeviceCount();
    m_state.outputDeviceCount = m_platform.OutputDeviceCount();
}

void CPortSession::Renumber(PortKind kind, int n)
{
    if (kind == PortKind::Input)
        m_state.inputIndex = n;
    else
        (kind == PortKind::Output ? m_state.output : m_state.thru).index = n;
}

void CPortSession::MarkFailedAsLost(PortKind kind)
{
    if (kind == PortKind::Input) {
        if (m_state.inputOpen && !m_state.inputHandle) {
            m_state.inputOpen = false;
            m_state.inputLost = true;
        }
        return;
    }
    OutputPortState& slot = kind == PortKind::Output ? m_state.output : m_state.thru;
    if (slot.open && !slot.handle) {
        slot.open = false;
        slot.lost = true;
    }
}

PortChoice CPortSession::Choice(PortKind kind) const
{
    if (kind == PortKind::Input) {
        if (!m_state.inputOpen && !m_state.inputLost)
            return {};
        return {m_state.inputName, m_state.inputIndex, m_state.inputOpen && m_state.inputHandle != nullptr};
    }
    const OutputPortState& slot = kind == PortKind::Output ? m_state.output : m_state.thru;
    if (!slot.open && !slot.lost)
        return {};
    return {slot.name, slot.index, slot.open && slot.handle != nullptr};
}

// ---- teardown ----

void CPortSession::TeardownInput()
{
    if (!m_state.inputOpen)
        return;
    ResetInputPort();
    CloseInputQuietly();
}

void CPortSession::Teardown()
{
    TeardownInput();
    CloseOutputPort();
    CloseThruPort();
}
