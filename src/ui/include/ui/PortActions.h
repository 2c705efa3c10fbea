// The main window's context-menu entries about the MIDI ports:
//  - "Rescan MIDI ports" lists the devices again (CPortLists::Rescan);
//  - "Reopen these ports at start", a check item, off until the user turns
//    it on: while on, the chosen ports are kept by name in the settings
//    file, and the next start reopens them after the help lines, with the
//    lines a click gives (CPortLists::ReopenPorts).
// Besides these, only the Keyboard View's geometry is kept between runs, in
// the same file.
//
// The settings file is an INI file; one that is not a regular file of a
// sensible size (a FIFO, a device) is not read. Window thread only.
#pragma once

#include "editors/PortLists.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <utility>

class IMessageSink;
class QAction;
class QSettings;

//! The kept settings: whether to reopen, and which ports.
struct RememberedPorts {
    bool reopen = false;
    ChosenPorts ports;
};

//! The settings file `file` to read, or nothing when it is missing or no
//! regular file of a sensible size (a FIFO or a device would block or
//! flood the start-up).
std::unique_ptr<QSettings> OpenSettingsToRead(const QString& file);
//! The settings file `file` to write, its folder made; nothing when
//! something other than a regular file stands at its path.
std::unique_ptr<QSettings> OpenSettingsToWrite(const QString& file);
//! Sets `values` in the settings file `file` (opened as above), in this
//! order, and writes it out; false when it could not be written.
bool WriteSettings(const QString& file, std::initializer_list<std::pair<QString, QVariant>> values);

//! Reads `file`; nothing (reopen off) when it is missing or unreadable.
RememberedPorts LoadRememberedPorts(const QString& file);
//! Writes `remembered` to `file`; false when it could not be written.
bool SaveRememberedPorts(const QString& file, const RememberedPorts& remembered);
//! $XDG_CONFIG_HOME/zm_config/zm_config.conf (~/.config when unset).
QString DefaultSettingsFile();

class CPortActions : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kRescanText = "Rescan MIDI ports";
    static constexpr const char* kReopenText = "Reopen these ports at start";

    //! Reads the check item's state from `settingsFile`.
    CPortActions(CPortLists& lists, IMessageSink& log, QString settingsFile, QObject* parent);

    QAction* RescanAction() const { return m_pRescan; }
    QAction* ReopenAction() const { return m_pReopen; }

    //! Start-up, after the help lines: reopens the kept ports when the item is on.
    void ReopenRemembered();

private:
    //! The user chose a port (or the lists changed): keeps the choice while
    //! the item is on.
    void PortsChanged();
    void Save(bool reopen);

    CPortLists& m_lists;
    IMessageSink& m_log;
    QString m_settingsFile;
    RememberedPorts m_loaded;
    QAction* m_pRescan;
    QAction* m_pReopen;
};
