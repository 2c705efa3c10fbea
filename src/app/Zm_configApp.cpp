#include "app/Zm_configApp.h"

#include "app/AutomationIds.h"
#include "app/CommandLine.h"
#include "app/ServiceFile.h"

#include "res/Strings.h"
#include "sim/SystemMidiPlatform.h"
#include "ui/Zm_configDlg.h"

#include <QDBusConnection>

#include <cstdlib>

CZm_configApp::CZm_configApp(int& argc, char** argv)
    : QApplication(argc, argv), m_factory(m_module)
{
    for (int i = 0; i < argc; ++i)
        m_commandLine.emplace_back(argv[i]);
    setApplicationName(QString::fromLatin1(VersionInfo::kInternalName.data(),
                                           static_cast<qsizetype>(VersionInfo::kInternalName.size())));
    setApplicationVersion(QString::fromLatin1(VersionInfo::kProductVersion.data(),
                                              static_cast<qsizetype>(VersionInfo::kProductVersion.size())));
    // The modal run of the main dialog decides when the program ends, also
    // while the dialog is hidden for an automation client.
    setQuitOnLastWindowClosed(false);
}

CZm_configApp::~CZm_configApp() = default;

int CZm_configApp::Run()
{
    InitInstance();
    return 0;
}

bool CZm_configApp::InitInstance()
{
    // 1. Automation services. QtDBus connects to the session bus when first
    //    asked and reports a missing bus as a failed registration, so nothing
    //    here can fail fatally: the "OLE initialization failed" message
    //    (string IDS_OLE_INIT_FAILED) has no occasion, and start-up goes on
    //    without automation.
    // 2. The three-dimensional look of the controls is the Qt style's.

    // 3. Started for a client: offer the factory. Otherwise make sure a
    //    client can start this program later.
    const AutomationOptions options = ParseAutomationOptions(m_commandLine);
    if (options.Any()) {
        m_module.SetUserControl(false);
        // The bus says so in the environment of a program it starts.
        const bool startedByBus = std::getenv("DBUS_STARTER_BUS_TYPE") != nullptr;
        if (m_factory.RegisterAsRunning(QDBusConnection::sessionBus()))
            m_factory.EndWhenAbandoned(startedByBus);
    } else {
        UpdateRegistry();
    }

    // 4. The main dialog; whatever it returns, the program ends.
    {
        CZm_configDlg dialog(nullptr, CreateMidiPlatform());
        m_module.SetMainWindow(&dialog);
        dialog.DoModal();
        m_module.SetMainWindow(nullptr);
    }
    return false;
}

void CZm_configApp::UpdateRegistry()
{
    const std::string executable = applicationFilePath().toStdString();
    const std::string text = ServiceFileText(Automation::kProgId, executable, Automation::kActivationOption);
    const auto directory = UserServiceDirectory(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (directory.empty())
        return;
    // A failure is not reported: the program works without automation.
    RefreshServiceFile(directory / (std::string(Automation::kProgId) + ".service"), text);
}
