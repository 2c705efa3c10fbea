#include "MidiPorts.h"

#include "res/resource.h"

#include <utility>

namespace {

constexpr std::string_view kInOpen = "midiInOpen            ";
constexpr std::string_view kInStart = "midiInStart           ";
constexpr std::string_view kInPrepare = "midiInPrepareHeader   ";
constexpr std::string_view kInAddBuffer = "midiInAddBuffer       ";
constexpr std::string_view kOutOpen = "midiOutOpen           ";
constexpr std::string_view kOutClose = "midiOutClose           ";
constexpr std::string_view kThruOpen = "MidiThruOutOpen           ";
constexpr std::string_view kThruClose = "MidiThruOutClose           ";
static_assert(kInOpen.size() == 22 && kInStart.size() == 22 && kInPrepare.size() == 22 && kInAddBuffer.size() == 22);
static_assert(kOutOpen.size() == 22 && kOutClose.size() == 23 && kThruOpen.size() == 26 && kThruClose.size() == 27);

constexpr const char kInAlreadyOpen[] = "midiInOpen called when already open THIS IS BAD but protected now ";
constexpr const char kOutAlreadyOpen[] = "midiOutOpen called when already open THIS IS BAD but protected now ";
constexpr const char kThruAlreadyOpen[] = "MidiThruOutOpen called when already open THIS IS BAD but protected now ";
constexpr const char kOutCloseFailed[] = "midiOutClose failed THIS may be BAD";
constexpr const char kThruCloseFailed[] = "MidiThruOutClose failed THIS may be BAD";

// Program change on the third channel to program 3, sent when thru opens.
constexpr uint32_t kThruGreeting = PackShortMessage(0xC2, 0x03);

std::string Labelled(std::string_view label, MidiResult result)
{
    std::string line(label);
    line += MidiResultText(result);
    return line;
}

} // namespace

CMidiPorts::CMidiPorts(IMidiPlatform& platform, CaptureRings& rings, IDialogControls& controls,
                       std::function<void()> transferBoundTexts)
    : m_platform(platform)
    , m_rings(rings)
    , m_controls(controls)
    , m_transferBoundTexts(std::move(transferBoundTexts))
    , m_capture(rings)
    , m_transmitter(controls)
{
    m_state.inputDeviceCount = platform.InputDeviceCount();
    m_state.outputDeviceCount = platform.OutputDeviceCount();
    m_state.inputName = platform.InputDeviceName(0);
    m_state.outputName = platform.OutputDeviceName(0);
}

CMidiPorts::~CMidiPorts()
{
    m_capture.DetachThru();
    m_state.inputHandle.reset();
    if (!m_transmitter.Shutdown())
        (void)m_state.outputHandle.release();  // still inside its MIDI stack
    m_state.outputHandle.reset();
    m_state.thruHandle.reset();
}

void CMidiPorts::EnumerateMidiPorts()
{
    for (int n = 0; n < m_state.inputDeviceCount; ++n)
        m_controls.InsertListLine(IDC_MIDI_IN_LIST, -1, m_platform.InputDeviceName(n));
    for (int n = 0; n < m_state.outputDeviceCount; ++n) {
        const std::string name = m_platform.OutputDeviceName(n);
        m_controls.InsertListLine(IDC_MIDI_OUT_LIST, -1, name);
        m_controls.InsertListLine(IDC_MIDI_THRU_LIST, -1, name);
    }
}

// ---- input ----

void CMidiPorts::OnInputSelect(int n)
{
    if (n < 0)
        return;
    if (n == m_state.inputIndex && m_state.inputOpen)
        return;
    if (n != m_state.inputIndex && m_state.inputOpen) {
        ResetInputPort();
        CloseInputQuietly();
        m_state.inputOpen = false;
    }
    m_state.inputIndex = n;
    m_state.inputName = m_platform.InputDeviceName(n);
    OpenInputPort();
    PrepareReceiveBuffer();
    QueueReceiveBuffer();
    Log(m_state.inputName);
}

void CMidiPorts::OpenInputPort()
{
    if (m_state.inputOpen) {
        Log(kInAlreadyOpen);
        return;
    }
    const MidiResult opened = m_platform.OpenInput(m_state.inputIndex, m_capture, m_state.inputHandle);
    if (opened != MIDI_OK)
        Log(Labelled(kInOpen, opened));
    m_state.inputOpen = true;
    const MidiResult started = m_state.inputHandle ? m_state.inputHandle->Start() : MIDI_ERR_INVALHANDLE;
    if (started != MIDI_OK)
        Log(Labelled(kInStart, started));
}

void CMidiPorts::ResetInputPort()
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

void CMidiPorts::CloseInputQuietly()
{
    if (IMidiInputPort* port = m_state.inputHandle.get()) {
        port->Stop();
        port->Close();
    }
    // Destroying the port closes it even when Close refused.
    m_state.inputHandle.reset();
}

void CMidiPorts::PrepareReceiveBuffer()
{
    const MidiResult result =
        m_state.inputHandle ? m_capture.PrepareReceiveBuffer(*m_state.inputHandle) : MIDI_ERR_INVALHANDLE;
    if (result != MIDI_OK) {
        Log(Labelled(kInPrepare, result));
        if (m_transferBoundTexts)
            m_transferBoundTexts();
    }
}

void CMidiPorts::QueueReceiveBuffer()
{
    const MidiResult result =
        m_state.inputHandle ? m_capture.QueueReceiveBuffer(*m_state.inputHandle) : MIDI_ERR_INVALHANDLE;
    if (result != MIDI_OK) {
        Log(Labelled(kInAddBuffer, result));
        if (m_transferBoundTexts)
            m_transferBoundTexts();
    }
}

// ---- output ----

void CMidiPorts::OnOutputSelect(int n)
{
    if (n < 0)
        return;
    if (m_state.thruOpen && n == m_state.thruIndex) {
        Log("Midi port # " + std::to_string(n) + " Already in use as Thru/Output");
        m_controls.SelectListLine(IDC_MIDI_OUT_LIST, m_state.outputIndex);
        return;
    }
    if (n == m_state.outputIndex && m_state.outputOpen)
        return;
    Log(std::to_string(n));
    if (m_state.outputOpen)
        CloseOutputPort();
    m_state.outputIndex = n;
    m_state.outputName = m_platform.OutputDeviceName(n);
    OpenOutputPort();
    Log(m_state.outputName);
}

void CMidiPorts::OpenOutputPort()
{
    if (m_state.outputOpen) {
        Log(kOutAlreadyOpen);
        return;
    }
    const MidiResult result = m_platform.OpenOutput(m_state.outputIndex, m_state.outputHandle);
    Log(Labelled(kOutOpen, result));
    m_state.outputOpen = true;
    m_transmitter.SetOutput(m_state.outputHandle.get());
}

void CMidiPorts::CloseOutputPort()
{
    if (!m_state.outputHandle) {
        // A failed open left nothing to close; clearing the mark lets the
        // next choice open its device instead of being refused as a
        // second open.
        if (m_state.outputOpen)
            m_state.outputOpen = false;
        else
            Log(kOutCloseFailed);
        return;
    }
    if (!m_transmitter.SetOutput(nullptr)) {
        // A send never came back: the port is still in use by its MIDI
        // stack and is left to it.
        (void)m_state.outputHandle.release();
        Log(kOutCloseFailed);
        return;
    }
    const MidiResult result = m_state.outputHandle->Close();
    if (result != MIDI_OK) {
        m_transmitter.SetOutput(m_state.outputHandle.get());
        Log(kOutCloseFailed);
        return;
    }
    m_state.outputHandle.reset();
    m_state.outputOpen = false;
    Log(Labelled(kOutClose, result));
}

// ---- thru/out ----

void CMidiPorts::OnThruSelect(int n)
{
    if (n < 0)
        return;
    if (m_state.outputOpen && n == m_state.outputIndex) {
        Log("Midi port # " + std::to_string(n) + " Already in use as output");
        m_controls.SelectListLine(IDC_MIDI_THRU_LIST, m_state.thruIndex);
        return;
    }
    if (n == m_state.thruIndex && m_state.thruOpen) {
        CloseThruPort();
        m_controls.SelectListLine(IDC_MIDI_THRU_LIST, -1);
        return;
    }
    if (m_state.thruOpen)
        CloseThruPort();
    m_state.thruIndex = n;
    m_state.thruName = m_platform.OutputDeviceName(n);
    OpenThruPort();
}

void CMidiPorts::OpenThruPort()
{
    if (m_state.thruOpen) {
        Log(kThruAlreadyOpen);
        return;
    }
    const MidiResult result = m_platform.OpenOutput(m_state.thruIndex, m_state.thruHandle);
    Log(Labelled(kThruOpen, result));
    m_state.thruOpen = true;
    if (m_state.thruHandle) {
        // Sent before the callback can see the port, so the two never
        // share it.
        m_state.thruHandle->SendShort(kThruGreeting);
        m_capture.AttachThru(m_state.thruHandle.get());
    }
}

void CMidiPorts::CloseThruPort()
{
    if (!m_state.thruHandle) {
        if (m_state.thruOpen)
            m_state.thruOpen = false;
        else
            Log(kThruCloseFailed);
        return;
    }
    m_capture.DetachThru();
    const MidiResult result = m_state.thruHandle->Close();
    if (result != MIDI_OK) {
        m_capture.AttachThru(m_state.thruHandle.get());
        Log(kThruCloseFailed);
        return;
    }
    m_state.thruHandle.reset();
    m_state.thruOpen = false;
    Log(Labelled(kThruClose, result));
}

// ---- teardown ----

void CMidiPorts::TeardownInput()
{
    if (!m_state.inputOpen)
        return;
    ResetInputPort();
    CloseInputQuietly();
}

void CMidiPorts::Teardown()
{
    TeardownInput();
    CloseOutputPort();
    CloseThruPort();
}
