// CZm_configDlgAutoProxy: the automation object a client obtains from the
// class factory.
//
// It has no methods and no properties; its interface carries only the
// interface identifier. Its only effects: while it lives, the program keeps
// running and the main dialog hides instead of closing; when it goes and the
// program was started for automation, the program ends. Window thread only.
//
// On the bus the object shows its interface identifier and nothing else: it
// is exported for introspection only (see ClassFactory.cpp), so neither its
// QObject properties nor QObject's slots are reachable.
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
    //!
    //! A factory that has already handed out its object makes one with
    //! `attachToDialog` false for a client whose request reached it anyway
    //! (several clients asked at once): the request went on to the next
    //! zm_config, which created the real object; this one stands in for it
    //! here, where the client believes its object lives. It looks the same
    //! on the bus and counts as a live object (this process must stay to
    //! pass the release on), but has no dialog.
    explicit CZm_configDlgAutoProxy(CAutomationModule& module, QObject* parent = nullptr, bool attachToDialog = true);
    //! Detaches from the main window, then stops counting (which may end the program).
    ~CZm_configDlgAutoProxy() override;

    CZm_configDlg* m_pDialog = nullptr;   //!< the main dialog, not owned

private:
    CAutomationModule& m_module;
};
