#include "editors/PortLists.h"

#include "res/resource.h"

#include <string>
#include <utility>

CPortLists::CPortLists(IDialogControls& controls, CPortSession& session, std::function<void()> transferBoundTexts)
    : m_controls(controls), m_session(session), m_transferBoundTexts(std::move(transferBoundTexts))
{
}

void CPortLists::EnumerateMidiPorts()
{
    IMidiPlatform& platform = m_session.Platform();
    for (int n = 0; n < m_session.State().inputDeviceCount; ++n)
        m_controls.InsertListLine(IDC_MIDI_IN_LIST, -1, platform.InputDeviceName(n));
    for (int n = 0; n < m_session.State().outputDeviceCount; ++n) {
        const std::string name = platform.OutputDeviceName(n);
        m_controls.InsertListLine(IDC_MIDI_OUT_LIST, -1, name);
        m_controls.InsertListLine(IDC_MIDI_THRU_LIST, -1, name);
    }
}

bool CPortLists::OnListSelChange(int id, int index)
{
    switch (id) {
    case IDC_MIDI_IN_LIST:
        OnInputSelect(index);
        return true;
    case IDC_MIDI_OUT_LIST:
        OnOutputSelect(index);
        return true;
    case IDC_MIDI_THRU_LIST:
        OnThruSelect(index);
        return true;
    default:
        return false;
    }
}

void CPortLists::TransferBoundTexts()
{
    if (m_transferBoundTexts)
        m_transferBoundTexts();
}

void CPortLists::OnInputSelect(int n)
{
    if (n < 0)
        return;
    const MidiPortState& state = m_session.State();
    if (n == state.inputIndex && state.inputOpen)
        return;
    if (n != state.inputIndex && state.inputOpen)
        m_session.CloseInputPort();
    m_session.SelectInputDevice(n);
    m_session.OpenInputPort();
    if (!m_session.PrepareReceiveBuffer())
        TransferBoundTexts();
    if (!m_session.QueueReceiveBuffer())
        TransferBoundTexts();
    m_controls.AppendLine(state.inputName);
}

void CPortLists::OnOutputSelect(int n)
{
    if (n < 0)
        return;
    const MidiPortState& state = m_session.State();
    if (state.thru.open && n == state.thru.index) {
        m_controls.AppendLine("Midi port # " + std::to_string(n) + " Already in use as Thru/Output");
        m_controls.SelectListLine(IDC_MIDI_OUT_LIST, state.output.index);
        return;
    }
    if (n == state.output.index && state.output.open)
        return;
    m_controls.AppendLine(std::to_string(n));
    if (state.output.open)
        m_session.CloseOutputPort();
    m_session.SelectOutputDevice(n);
    m_session.OpenOutputPort();
    m_controls.AppendLine(state.output.name);
}

void CPortLists::OnThruSelect(int n)
{
    if (n < 0)
        return;
    const MidiPortState& state = m_session.State();
    if (state.output.open && n == state.output.index) {
        m_controls.AppendLine("Midi port # " + std::to_string(n) + " Already in use as output");
        m_controls.SelectListLine(IDC_MIDI_THRU_LIST, state.thru.index);
        return;
    }
    if (n == state.thru.index && state.thru.open) {
        m_session.CloseThruPort();
        m_controls.SelectListLine(IDC_MIDI_THRU_LIST, -1);
        return;
    }
    if (state.thru.open)
        m_session.CloseThruPort();
    m_session.SelectThruDevice(n);
    m_session.OpenThruPort();
}
