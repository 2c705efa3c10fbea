// The small window of "Compare with box…": the values where the box and a
// setup differ, side by side (zone field or parameter by name, the file's
// value, the box's value, channels 1-16 as the zone columns show them),
// with a button to load the file's values into the box and one to save the
// box's values. It shows one comparison at a time and stays open beside
// the main window until closed. Window thread only.
#pragma once

#include "protocol/SetupFormat.h"

#include <QDialog>
#include <QString>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

class CSetupCompareDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Compare with box";
    static constexpr const char* kLoadText = "Load the file's values";
    static constexpr const char* kSaveText = "Save the box's values\u2026";

    explicit CSetupCompareDlg(QWidget* parent);

    //! Shows the comparison of the setup at `path` with the box.
    void Show(const QString& path, const std::vector<SetupDifference>& differences);

    const QString& Path() const { return m_path; }
    QTableWidget* Table() const { return m_pTable; }
    QLabel* Summary() const { return m_pSummary; }
    QPushButton* LoadButton() const { return m_pLoad; }
    QPushButton* SaveButton() const { return m_pSave; }

signals:
    //! The user asked to load the file into the box, or to save the box's values.
    void LoadRequested(const QString& path);
    void SaveRequested(const QString& path);

private:
    QString m_path;
    QLabel* m_pSummary;
    QTableWidget* m_pTable;
    QPushButton* m_pLoad;
    QPushButton* m_pSave;
};
