// CZm_configDlgAutoProxy: the automation object a client obtains from the
// class factory.
//
// It has no methods and no properties; its interface carries only the
// interface identifier. Its only effects: while it lives, the program keeps
// running and the main dialog hides instead of closing; when it goes and the
// program was started for automation, the program ends. Window thread only.
#pragma once

#include <QObject>

class CAutomationModule;
class CZm_configDlg;

class CZm_configDlgAutoProxy : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "zm_config.Izm_config")
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"zm_config.Izm_config\">\n"
                "    <annotation name=\"zm_config.InterfaceId\" value=\"{7BF72543-D6B7-4389-B06A-CF801CA63C2D}\"/>\n"
                "    <annotation name=\"zm_config.ClassId\" value=\"{01A34255-DF94-4584-80C1-389E64BB0951}\"/>\n"
                "  </interface>\n")
public:
    //! Counts itself as a live object and attaches to the main window.
    explicit CZm_configDlgAutoProxy(CAutomationModule& module, QObject* parent = nullptr);
    //! Detaches from the main window, then stops counting (which may end the program).
    ~CZm_configDlgAutoProxy() override;

    CZm_configDlg* m_pDialog = nullptr;   //!< the main dialog, not owned

private:
    CAutomationModule& m_module;
};
