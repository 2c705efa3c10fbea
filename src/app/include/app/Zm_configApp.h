// CZm_configApp: the application object and start-up.
//
// InitInstance() is the whole program: register the automation factory (or
// refresh its activation file), run the main dialog modally, and return
// false so that the program ends when the dialog does. main() only creates
// the application and calls Run().
#pragma once

#include "app/AutomationModule.h"
#include "app/ClassFactory.h"

#include <QApplication>

#include <string>
#include <vector>

class CZm_configApp : public QApplication {
    Q_OBJECT
public:
    CZm_configApp(int& argc, char** argv);
    ~CZm_configApp() override;

    //! Start-up, in order: automation services, automation options and the
    //! factory's registration, the main dialog's modal run. Returns false
    //! in every case: the program ends when it returns.
    bool InitInstance();

    //! Runs InitInstance() and returns the process exit code.
    int Run();

    //! The command line with the automation options removed.
    const std::vector<std::string>& CommandLine() const { return m_commandLine; }

private:
    void UpdateRegistry();

    std::vector<std::string> m_commandLine;
    CAutomationModule m_module;           // declared first: the factory's objects count in it
    CZm_configClassFactory m_factory;
};
