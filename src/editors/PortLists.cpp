#include "editors/PortLists.h"

#include "res/resource.h"

#include <string>
#include <utility>

namespace {

constexpr int kListOf[] = {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST, IDC_MIDI_THRU_LIST};
constexpr PortKind kKinds[] = {PortKind::Input, PortKind::Output, PortKind::Thru};

int ListOf(PortKind kind)
{
    return kListOf[static_cast<int>(kind)];
}

} // namespace

CPortLists::CPortLists(IDialogControls& controls, CPortSession& session, std::function<void()> transferBoundTexts)
    : m_controls(controls), m_session(session), m_transferBoundTexts(std::move(transferBoundTexts))
{
}

void CPortLists::EnumerateMidiPorts()
{
    for (PortKind kind : kKinds)
        m_controls.ResetList(ListOf(kind));
    IMidiPlatform& platform = m_session.Platform();
    for (int n = 0; n < m_session.InputDeviceCount(); ++n)
        m_controls.InsertListLine(IDC_MIDI_IN_LIST, -1, platform.InputDeviceName(n));
    for (int n = 0; n < m_session.OutputDeviceCount(); ++n) {
        const std::string name = platform.OutputDeviceName(n);
        m_controls.InsertListLine(IDC_MIDI_OUT_LIST, -1, name);
        m_controls.InsertListLine(IDC_MIDI_THRU_LIST, -1, name);
    }
}

bool CPortLists::IsPortList(int id)
{
    return id == IDC_MIDI_IN_LIST || id == IDC_MIDI_OUT_LIST || id == IDC_MIDI_THRU_LIST;
}

bool CPortLists::OnListSelChange(int id, int index)
{
    for (const PortKind kind : kKinds) {
        if (ListOf(kind) == id) {
            Select(kind, index);
            if (m_choiceChanged)
                m_choiceChanged();
            return true;
        }
    }
    return false;
}

void CPortLists::Select(PortKind kind, int n)
{
    switch (kind) {
    case PortKind::Input:
        OnInputSelect(n);
        break;
    case PortKind::Output:
        OnOutputSelect(n);
        break;
    case PortKind::Thru:
        OnThruSelect(n);
        break;
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
    const CMidiPort& input = m_session.Port(PortKind::Input);
    if (n == input.Index() && input.CountsAsOpen())
        return;
    if (n != input.Index() && input.CountsAsOpen())
        m_session.CloseInputPort();
    m_session.SelectInputDevice(n);
    OpenInput();
    m_controls.AppendLine(input.Name());
}

void CPortLists::OpenInput()
{
    m_session.OpenInputPort();
    if (!m_session.PrepareReceiveBuffer())
        TransferBoundTexts();
    if (!m_session.QueueReceiveBuffer())
        TransferBoundTexts();
}

bool CPortLists::HeldByTheOther(PortKind kind, int n)
{
    const bool thru = kind == PortKind::Thru;
    const CMidiPort& other = m_session.Port(thru ? PortKind::Output : PortKind::Thru);
    if (!other.CountsAsOpen() || n != other.Index())
        return false;
    m_controls.AppendLine("Midi port # " + std::to_string(n) +
                          (thru ? " Already in use as output" : " Already in use as Thru/Output"));
    m_controls.SelectListLine(thru ? IDC_MIDI_THRU_LIST : IDC_MIDI_OUT_LIST, m_session.Port(kind).Index());
    return true;
}

void CPortLists::OnOutputSelect(int n)
{
    if (n < 0 || HeldByTheOther(PortKind::Output, n))
        return;
    const CMidiPort& output = m_session.Port(PortKind::Output);
    if (n == output.Index() && output.CountsAsOpen())
        return;
    m_controls.AppendLine(std::to_string(n));
    if (output.CountsAsOpen())
        m_session.CloseOutputPort();
    m_session.SelectOutputDevice(n);
    m_session.OpenOutputPort();
    m_controls.AppendLine(output.Name());
}

void CPortLists::OnThruSelect(int n)
{
    if (n < 0 || HeldByTheOther(PortKind::Thru, n))
        return;
    const CMidiPort& thru = m_session.Port(PortKind::Thru);
    if (n == thru.Index() && thru.CountsAsOpen()) {
        m_session.CloseThruPort();
        m_controls.SelectListLine(IDC_MIDI_THRU_LIST, -1);
        return;
    }
    if (thru.CountsAsOpen())
        m_session.CloseThruPort();
    m_session.SelectThruDevice(n);
    m_session.OpenThruPort();
}

// ---- devices that come and go ----

std::string CPortLists::DeviceName(PortKind kind, int n) const
{
    const IMidiPlatform& platform = m_session.Platform();
    return kind == PortKind::Input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n);
}

int CPortLists::DeviceCount(PortKind kind) const
{
    return kind == PortKind::Input ? m_session.InputDeviceCount() : m_session.OutputDeviceCount();
}

int CPortLists::FindUnique(PortKind kind, const std::string& name) const
{
    const int count = DeviceCount(kind);
    int found = -1;
    for (int n = 0; n < count; ++n) {
        if (DeviceName(kind, n) != name)
            continue;
        if (found >= 0)
            return -2;
        found = n;
    }
    return found;
}

int CPortLists::FindLine(PortKind kind, const std::string& name, int preferred) const
{
    const int count = DeviceCount(kind);
    if (preferred >= 0 && preferred < count && DeviceName(kind, preferred) == name)
        return preferred;
    for (int line = 0; line < count; ++line)
        if (DeviceName(kind, line) == name)
            return line;
    return -1;
}

void CPortLists::Click(PortKind kind, int n)
{
    m_controls.SelectListLine(ListOf(kind), n);
    Select(kind, n);
}

void CPortLists::Reopen(PortKind kind, const std::string& name)
{
    const int n = FindUnique(kind, name);
    if (n >= 0) {
        Click(kind, n);
        return;
    }
    m_controls.SelectListLine(ListOf(kind), -1);
    std::string line(PortTitle(kind));
    line += n == -1 ? " not reopened: " + name + " is not there"
                    : " not reopened: more than one device is called " + name;
    m_controls.AppendLine(line);
}

void CPortLists::Rescan()
{
    // A port whose device went since the last look is lost, and is then
    // reopened below like any other lost one when its device is back.
    m_session.CheckDevices();
    struct Choice {
        std::string name;  // empty: nothing chosen
        int index = 0;
        bool open = false;  // open on its device now
    };
    Choice before[3];
    for (PortKind kind : kKinds) {
        const CMidiPort& port = m_session.Port(kind);
        if (port.Chosen())
            before[static_cast<int>(kind)] = {port.Name(), port.Index(), port.Status() == PortStatus::Open};
    }

    m_session.Relist();
    EnumerateMidiPorts();
    m_controls.AppendLine("MIDI ports listed again: " + std::to_string(m_session.InputDeviceCount()) + " input(s), "
                          + std::to_string(m_session.OutputDeviceCount()) + " output(s)");

    for (PortKind kind : kKinds) {
        const Choice& choice = before[static_cast<int>(kind)];
        if (choice.name.empty())
            continue;
        if (!choice.open) {
            m_session.MarkLost(kind);
            Reopen(kind, choice.name);
            continue;
        }
        // Still open on its device, which is still there: only its line moves.
        const int n = FindLine(kind, choice.name, choice.index);
        if (n >= 0) {
            m_session.Renumber(kind, n);
            m_controls.SelectListLine(ListOf(kind), n);
        } else {
            m_session.CloseGone(kind);
            m_controls.SelectListLine(ListOf(kind), -1);
        }
    }
    if (m_choiceChanged)
        m_choiceChanged();
}

ChosenPorts CPortLists::Chosen() const
{
    auto name = [this](PortKind kind) {
        const CMidiPort& port = m_session.Port(kind);
        return port.Chosen() ? port.Name() : std::string();
    };
    return {name(PortKind::Input), name(PortKind::Output), name(PortKind::Thru)};
}

void CPortLists::ReopenPorts(const ChosenPorts& ports)
{
    const std::string* names[] = {&ports.input, &ports.output, &ports.thru};
    for (PortKind kind : kKinds)
        if (!names[static_cast<int>(kind)]->empty())
            Reopen(kind, *names[static_cast<int>(kind)]);
}

void CPortLists::ResumeInput()
{
    if (!m_session.Port(PortKind::Input).CountsAsOpen())
        OpenInput();
}

void CPortLists::ChoosePair(int input, int output)
{
    const CMidiPort& thru = m_session.Port(PortKind::Thru);
    if (thru.CountsAsOpen() && thru.Index() == output)
        Click(PortKind::Thru, output);  // the open thru/out device again: thru off
    Click(PortKind::Input, input);
    Click(PortKind::Output, output);
    if (m_choiceChanged)
        m_choiceChanged();
}
