// The Keyboard View: the scanner's keys drawn one cell per key, with the
// four zones over them, the calibration of the last smart dump (rest and
// down value per key, odd keys marked), the values of the last Scan Dump,
// and the session's playing (keys lit by their last velocity and fading,
// a velocity histogram, stuck and double-triggered keys).
//
// CKeyboardViewCanvas only paints what CKeyboardViewFeed's model computed
// (CKeyboardPicture); CKeyboardViewWindow holds it with the findings, the
// exports (the calibration report as PDF, PNG and CSV) and the switches.
// The window is modeless, resizable and remembers its geometry, kept within
// the screen. Window thread only.
#pragma once

#include <QElapsedTimer>
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <chrono>
#include <cstdint>

class CKeyboardViewFeed;
class CMainEditors;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class QTimer;

//! `window` moved and, where it is larger, shrunk to lie within `available`
//! (a screen's available geometry). A size or place kept from another
//! screen, or a corrupt one, must not make a window the screen cannot show.
QRect FitIntoScreen(const QRect& window, const QRect& available);

class CKeyboardViewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit CKeyboardViewCanvas(CKeyboardViewFeed& feed, QWidget* parent = nullptr);

    //! The key under `pos`, or -1.
    int KeyAt(QPoint pos) const;

    //! How long the last and the slowest paint took, in milliseconds: on
    //! the clock, and in the window thread's processor time (what the paint
    //! costs, whatever else the machine is doing).
    double LastPaintMs() const { return m_lastPaintMs; }
    double WorstPaintMs() const { return m_worstPaintMs; }
    double LastPaintCpuMs() const { return m_lastPaintCpuMs; }
    double WorstPaintCpuMs() const { return m_worstPaintCpuMs; }
    void ResetPaintTimes() { m_lastPaintMs = m_worstPaintMs = m_lastPaintCpuMs = m_worstPaintCpuMs = 0; }

    QSize sizeHint() const override { return {960, 430}; }
    QSize minimumSizeHint() const override { return {480, 330}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    CKeyboardViewFeed& m_feed;
    //! The picture's still layer, drawn again when the feed's layout, the
    //! size or the font changed.
    QPixmap m_still;
    uint64_t m_stillRevision = UINT64_MAX;
    double m_lastPaintMs = 0;
    double m_worstPaintMs = 0;
    double m_lastPaintCpuMs = 0;
    double m_worstPaintCpuMs = 0;
};

class CKeyboardViewWindow : public QWidget {
    Q_OBJECT
public:
    //! A top-level window over `editors` (which must outlive it), not shown yet.
    //! Keeps its geometry in `settingsFile` (the main window's settings).
    CKeyboardViewWindow(CMainEditors& editors, QString settingsFile, QWidget* parent = nullptr);
    ~CKeyboardViewWindow() override;

    CKeyboardViewCanvas& Canvas() { return *m_canvas; }
    //! The text of the findings panel (odd keys in words, stuck,
    //! double-triggered and never-played keys, by their notes).
    QString ListsText() const;
    //! The status line under the view: what the last export did.
    QString StatusText() const;

    //! The calibration report as a PDF (two A4 pages), its summary page as
    //! a PNG, its per-key table as CSV. Each file is written whole through a
    //! temporary file and a rename, or not at all: false, and the reason in
    //! the status line, when it could not be (a target that is not a
    //! regular file is refused at once).
    bool ExportPdf(const QString& path);
    bool ExportPng(const QString& path);
    bool ExportCsv(const QString& path);
    //! The name the exports suggest: station and date, and `extension`.
    QString DefaultFileName(const QString& extension) const;

    //! Starts or stops asking for a Scan Dump every `seconds` seconds.
    void SetRepeatScanDump(bool on, int seconds);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Refresh();
    void UpdateLists();
    void SetStatus(const QString& text);
    bool WriteExport(const QString& path, const QByteArray& bytes);
    void ChooseAndExport(const QString& title, const QString& extension, const QString& filter,
                         bool (CKeyboardViewWindow::*exporter)(const QString&));
    void RestoreGeometry();
    //! Moves and shrinks the window, its frame included once the frame is
    //! known, into the available area of the screen it is on.
    void FitScreen();
    void SaveGeometry();

    CMainEditors& m_editors;
    CKeyboardViewFeed& m_feed;
    QString m_settingsFile;
    CKeyboardViewCanvas* m_canvas = nullptr;
    QPlainTextEdit* m_lists = nullptr;
    QLabel* m_status = nullptr;
    QCheckBox* m_repeat = nullptr;
    QSpinBox* m_repeatSeconds = nullptr;
    QTimer* m_frameTimer = nullptr;
    QTimer* m_scanTimer = nullptr;
    uint64_t m_drawnRevision = UINT64_MAX;
    QElapsedTimer m_sinceLists;
};
