#include "editors/MainEditors.h"

#include "editors/KeyboardKeys.h"
#include "editors/MainDialogTexts.h"
#include "protocol/BoxParameters.h"
#include "protocol/RequestBuilders.h"

#include <utility>

CMainEditors::CMainEditors(IDialogControls& controls, std::unique_ptr<IMidiPlatform> platform,
                           std::function<void()> transferBoundTexts)
    : m_controls(controls)
    , m_pPlatform(std::move(platform))
    , m_pRings(std::make_unique<CaptureRings>())
    , m_ports(*m_pPlatform, *m_pRings, controls)
    , m_pipeline(*m_pRings, m_presenter, m_readBack)
    , m_portLists(controls, m_ports, std::move(transferBoundTexts))
    , m_findBox(controls, m_ports, m_portLists)
    , m_readBack(m_ports.Transmitter())
    , m_zones(controls, Held(), Sender())
    , m_parameters(controls, Held(), Options(), Sender())
    , m_presenter(controls, Held(), m_zones, m_parameters)
    , m_keyboardView(Held(), Options(), m_pipeline.Reports())
    , m_setups(controls, m_ports, Held())
{
    m_presenter.AddObserver(m_keyboardView);
    m_presenter.AddObserver(m_setups);
    m_setups.SetOtherWork([this] {
        return m_findBox.Running() ? std::string("the search for the ZM1 box is under way") : std::string();
    });
}

CMainEditors::~CMainEditors() = default;

void CMainEditors::Initialise()
{
    m_zones.FillLists();
    m_parameters.FillList();
    Options().ScannerKeyCount = kSmallKeyboardKeys;
    m_portLists.EnumerateMidiPorts();
    m_parameters.ShowSwitches();
    for (std::string_view line : kHelpLines)
        m_controls.AppendLine(line);
}

CKeyboardConfigurator CMainEditors::OpenKeyboardConfigurator(IDialogControls& window)
{
    SendKeyboardConfigInquiries(Sender());
    return CKeyboardConfigurator(window, Held(), Sender());
}

CAotSetup CMainEditors::OpenAotSetup(IDialogControls& window)
{
    SendInquireParameter(Sender(), ZmFunc_AotBooleans);
    return CAotSetup(window, Held(), Sender());
}

bool CMainEditors::OnCommand(int id)
{
    return m_parameters.OnCommand(id) || m_zones.OnCommand(id);
}

bool CMainEditors::OnListSelChange(int id, int index)
{
    // The user chooses the ports by hand: a search gives way first.
    if (CPortLists::IsPortList(id))
        m_findBox.Stop();
    return m_portLists.OnListSelChange(id, index) || m_zones.OnListSelChange(id, index) ||
           m_parameters.OnListSelChange(id, index);
}

void CMainEditors::Tick()
{
    m_ports.Transmitter().ReportFailures();
    // The ports' own failures first: a frame that failed because its device
    // went is reported before the device is.
    if (++m_ticks % kDeviceCheckTicks == 0)
        m_portLists.CheckDevices();
    m_findBox.Step();
    m_pipeline.Run();
    m_setups.Step();
}

bool CMainEditors::StepSetups()
{
    if (!m_setups.Running())
        return false;
    m_pipeline.Run();
    return m_setups.Step();
}
