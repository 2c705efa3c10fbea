// The main window's context-menu entries about the box:
//  - "Find ZM1 box" searches the MIDI devices for the box and opens the
//    pair that answers (CFindBox); while thru is open, a second entry
//    includes the thru/out port's device, which the first leaves alone.
//    While the search runs, a small window names the device being tried
//    (after a moment, so a quick search shows none) and can stop it; a
//    timer of this object's own steps the search every few milliseconds,
//    so the window stays responsive throughout.
//  - "Read back after each change", a check item, off until the user turns
//    it on (CReadBackSender); kept in the settings file of the remembered
//    ports and applied again at the next start.
//  - "Save setup…", "Load setup…" and "Compare with box…" (CSetupActions).
// A search and a setup task never run at once: each one's entries rest
// while the other runs.
// Window thread only.
#pragma once

#include "editors/MainEditors.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

class CSetupActions;
class IMessageSink;
class QAction;
class QMenu;
class QTimer;
class QWidget;

//! The kept state of "Read back after each change" in `file`; off when
//! missing or unreadable.
bool LoadReadBack(const QString& file);
//! Keeps `on` in `file`; false when it could not be written.
bool SaveReadBack(const QString& file, bool on);

class CBoxActions : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFindText = "Find ZM1 box";
    static constexpr const char* kFindWithThruText = "Find ZM1 box, thru/out port included";
    static constexpr const char* kReadBackText = "Read back after each change";
    //! How often a running search is stepped.
    static constexpr int kStepMilliseconds = 10;
    //! How long a search runs before its progress window shows.
    static constexpr int kProgressDelayMilliseconds = 300;

    //! Reads the check item's state from `settingsFile` and applies it.
    //! `editors` and `log` must outlive this object; `window` owns it.
    CBoxActions(CMainEditors& editors, IMessageSink& log, QString settingsFile, QWidget* window);

    QAction* FindAction() const { return m_pFind; }
    QAction* FindWithThruAction() const { return m_pFindWithThru; }
    QAction* ReadBackAction() const { return m_pReadBack; }
    CSetupActions* Setups() const { return m_pSetups; }

    //! Adds the entries to the context menu being built: the thru/out entry
    //! only while thru is open, the find entries disabled while one runs.
    void AddTo(QMenu& menu);

    bool Finding() const;
    //! The progress window of the running search (null before it shows).
    QProgressDialog* ProgressWindow() const { return m_pProgress; }

private:
    void StartFind(bool includeThru);
    void StepFind();
    void SetReadBack(bool on);

    CMainEditors& m_editors;
    IMessageSink& m_log;
    QString m_settingsFile;
    QWidget* m_pWindow;
    QAction* m_pFind;
    QAction* m_pFindWithThru;
    QAction* m_pReadBack;
    CSetupActions* m_pSetups;
    QTimer* m_pStepTimer;
    QTimer* m_pProgressDelay;
    QPointer<QProgressDialog> m_pProgress;
};
