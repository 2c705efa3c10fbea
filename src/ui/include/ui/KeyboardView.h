// The Keyboard View: the scanner's keys drawn one cell per key, with the
// four zones over them, the calibration of the last smart dump (rest and
// down value per key, odd keys marked), the values of the last Scan Dump,
// and the session's playing (keys lit by their last velocity and fading,
// a velocity histogram, stuck and double-triggered keys).
//
// CKeyboardViewCanvas only paints what CKeyboardViewFeed's model computed;
// CKeyboardViewWindow holds it with the lists, the exports and the switches.
// The window is modeless, resizable and remembers its geometry. Window
// thread only.
#pragma once

#include <QElapsedTimer>
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

class CKeyboardViewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit CKeyboardViewCanvas(CKeyboardViewFeed& feed, QWidget* parent = nullptr);

    //! The key under `pos`, or -1.
    int KeyAt(QPoint pos) const;

    //! How long the last and the slowest paint took, in milliseconds.
    double LastPaintMs() const { return m_lastPaintMs; }
    double WorstPaintMs() const { return m_worstPaintMs; }
    void ResetPaintTimes() { m_lastPaintMs = m_worstPaintMs = 0; }

    QSize sizeHint() const override { return {960, 430}; }
    QSize minimumSizeHint() const override { return {480, 330}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    //! The horizontal extent of key `key` on this canvas.
    int KeyLeft(int key) const;
    int KeyRight(int key) const { return KeyLeft(key + 1); }

    CKeyboardViewFeed& m_feed;
    double m_lastPaintMs = 0;
    double m_worstPaintMs = 0;
};

class CKeyboardViewWindow : public QWidget {
    Q_OBJECT
public:
    //! A top-level window over `editors` (which must outlive it), not shown yet.
    //! Keeps its geometry in `settingsFile` (the main window's settings).
    CKeyboardViewWindow(CMainEditors& editors, QString settingsFile, QWidget* parent = nullptr);
    ~CKeyboardViewWindow() override;

    CKeyboardViewCanvas& Canvas() { return *m_canvas; }
    //! The text of the lists panel (outliers, never played, stuck, double-triggered).
    QString ListsText() const;

    //! Writes the calibration table as CSV / the view as PNG; false (and a
    //! line in the window's status) when there is nothing to write or the
    //! file cannot be written.
    bool ExportCsv(const QString& path);
    bool ExportPng(const QString& path);

    //! Starts or stops asking for a Scan Dump every `seconds` seconds.
    void SetRepeatScanDump(bool on, int seconds);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Refresh();
    void UpdateLists();
    void SetStatus(const QString& text);
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
