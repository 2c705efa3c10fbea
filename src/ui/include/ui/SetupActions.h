// The main window's context-menu entries about setups (CBoxSetups):
//  - "Save setup…" asks for a file, reads the box and writes the file and
//    its readable copy;
//  - "Load setup…" asks for a file, checks it, asks before a setup for
//    another number of keys goes in, writes it and reads it back;
//  - "Compare with box…" asks for a file, reads the box and shows the
//    differences in the compare window (CSetupCompareDlg), from which the
//    file's values can be loaded or the box's saved.
// The file dialogs open in the folder of the last setup chosen, kept in the
// settings file of the remembered ports. A timer of this object's own steps
// the task every few milliseconds (the window never waits for the box); a
// small window shows what it does once it takes longer than a moment, and
// can stop it. Results are lines in the message window; a task that cannot
// start on the file just chosen (a bad file, no port open) also says why in
// a message box.
// Window thread only.
#pragma once

#include "editors/MainEditors.h"
#include "ui/SetupCompareDlg.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <functional>

class QAction;
class QFileDialog;
class QTimer;
class QWidget;

//! The folder kept in `file` for the setup dialogs; empty when none.
QString LoadSetupFolder(const QString& file);
//! Keeps `folder` in `file`; false when it could not be written.
bool SaveSetupFolder(const QString& file, const QString& folder);

class CSetupActions : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSaveText = "Save setup\u2026";
    static constexpr const char* kLoadText = "Load setup\u2026";
    static constexpr const char* kCompareText = "Compare with box\u2026";
    //! How often a running task is stepped.
    static constexpr int kStepMilliseconds = 5;
    //! How long a task runs before its progress window shows.
    static constexpr int kProgressDelayMilliseconds = 300;

    //! `editors` must outlive this object; `window` owns it.
    CSetupActions(CMainEditors& editors, QString settingsFile, QWidget* window);

    QList<QAction*> Actions() const;
    //! Enables the entries unless a task or a search for the box runs.
    void UpdateEnabled(bool finding);

    //! The entries' work once the file is chosen. False when the task did
    //! not start (its line says why).
    bool SaveTo(const QString& path);
    bool LoadFrom(const QString& path);
    bool CompareWith(const QString& path);

    bool Running() const;
    //! Asks the user a yes/no question (a message box unless set).
    void SetAsker(std::function<bool(const QString& question)> asker) { m_asker = std::move(asker); }
    //! Answers the file dialogs, set up as the user would see them, with
    //! the path chosen (empty: cancelled); the user, unless set.
    void SetChooser(std::function<QString(QFileDialog& dialog)> chooser) { m_chooser = std::move(chooser); }

    //! The compare window (null before the first comparison).
    CSetupCompareDlg* CompareWindow() const { return m_pCompareWindow; }
    QProgressDialog* ProgressWindow() const { return m_pProgress; }

private:
    //! A file chosen in a standard dialog opened in the kept folder (or at
    //! `suggested`, when that is a whole path); empty when cancelled.
    QString Choose(bool saving, const QString& title, const QString& suggested);
    //! Shows why the task on `path` did not start, in a message box.
    void Warn(const QString& title, const QString& path);
    bool Started(bool started, const QString& path);
    void Step();
    void Ask();
    void Ended();
    void ShowProgress();

    CMainEditors& m_editors;
    QString m_settingsFile;
    QWidget* m_pWindow;
    QAction* m_pSave;
    QAction* m_pLoad;
    QAction* m_pCompareAction;
    QTimer* m_pStepTimer;
    QTimer* m_pProgressDelay;
    QPointer<QProgressDialog> m_pProgress;
    QPointer<CSetupCompareDlg> m_pCompareWindow;
    QString m_path;  //!< the file of the running task
    bool m_asking = false;
    std::function<bool(const QString&)> m_asker;
    std::function<QString(QFileDialog&)> m_chooser;
};
