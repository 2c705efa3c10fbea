// The main window's context-menu entries about the message window:
//  - "Save message window..." writes the lines shown to a plain text file
//    (UTF-8, LF line ends, no "item" prefixes), through a temporary file and
//    a rename; one line in the window says where it went or why not;
//  - "Pause", a check item: new lines are held, and all appended on resume;
//  - "Hide short messages", a check item, off by default: the note stream's
//    lines are left out of the window (and of Copy and Save, which then say
//    so in their first line).
// Window thread only.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class CMessageWindowModel;
class QAction;
class QWidget;

class CMessageWindowActions : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSaveText = "Save message window...";
    static constexpr const char* kPauseText = "Pause";
    static constexpr const char* kFilterText = "Hide short messages";

    //! `window` parents the file dialog.
    CMessageWindowActions(CMessageWindowModel& model, QWidget* window);

    QAction* SaveAction() const { return m_pSave; }
    QAction* PauseAction() const { return m_pPause; }
    QAction* FilterAction() const { return m_pFilter; }
    QList<QAction*> Actions() const { return {m_pSave, m_pPause, m_pFilter}; }

    //! Writes the lines shown to `path` and appends one line saying how it
    //! went; false when nothing was written (the old file, if any, is kept).
    bool SaveTo(const QString& path);

private:
    CMessageWindowModel& m_model;
    QWidget* m_pWindow;
    QAction* m_pSave;
    QAction* m_pPause;
    QAction* m_pFilter;
};
