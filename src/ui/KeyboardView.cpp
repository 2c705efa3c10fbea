#include "ui/KeyboardView.h"

#include "editors/KeyboardViewFeed.h"
#include "editors/MainEditors.h"
#include "protocol/RequestBuilders.h"
#include "ui/DialogBuilder.h"
#include "ui/PortActions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLeftMargin = 40;
constexpr int kRightMargin = 8;
constexpr int kZoneRow = 13;
constexpr int kKeyStrip = 56;
constexpr int kLabelRow = 14;
constexpr int kGap = 8;

const QColor kZoneColours[4] = {QColor(0x4e, 0x79, 0xa7), QColor(0xf2, 0x8e, 0x2b), QColor(0x59, 0xa1, 0x4f),
                                QColor(0xb0, 0x7a, 0xa1)};
const QColor kMutedZone(0xc8, 0xc8, 0xc8);
const QColor kOutlier(0xd6, 0x27, 0x28);
const QColor kBar(0x4e, 0x79, 0xa7);
const QColor kChanged(0xed, 0xb1, 0x20);
const QColor kStuck(0xff, 0x7f, 0x0e);
const QColor kDouble(0xc0, 0x30, 0xc0);

bool IsBlackNote(int note)
{
    switch (((note % 12) + 12) % 12) {
    case 1: case 3: case 6: case 8: case 10:
        return true;
    default:
        return false;
    }
}

//! Soft notes blue, loud ones red.
QColor VelocityColour(int velocity, double alpha)
{
    const int hue = static_cast<int>((1.0 - std::clamp(velocity, 1, 127) / 127.0) * 240.0);
    QColor colour = QColor::fromHsv(hue, 210, 250);
    colour.setAlphaF(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
    return colour;
}

//! "0-10, 12, 40-41" for sorted keys.
QString KeyRanges(const std::vector<int>& keys, int limit = 40)
{
    QString text;
    size_t i = 0;
    int shown = 0;
    while (i < keys.size()) {
        size_t j = i;
        while (j + 1 < keys.size() && keys[j + 1] == keys[j] + 1)
            ++j;
        if (!text.isEmpty())
            text += QStringLiteral(", ");
        if (++shown > limit) {
            text += QStringLiteral("…");
            break;
        }
        text += j == i ? QString::number(keys[i]) : QStringLiteral("%1-%2").arg(keys[i]).arg(keys[j]);
        i = j + 1;
    }
    return text.isEmpty() ? QStringLiteral("none") : text;
}

void Heading(QPainter& painter, const QRect& area, const QString& text)
{
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

// ---- canvas -----------------------------------------------------------------

CKeyboardViewCanvas::CKeyboardViewCanvas(CKeyboardViewFeed& feed, QWidget* parent)
    : QWidget(parent), m_feed(feed)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("Keyboard View"));
}

int CKeyboardViewCanvas::KeyLeft(int key) const
{
    const int keys = m_feed.Model().KeyCount();
    const int width = std::max(1, this->width() - kLeftMargin - kRightMargin);
    return kLeftMargin + static_cast<int>(static_cast<int64_t>(width) * key / std::max(1, keys));
}

int CKeyboardViewCanvas::KeyAt(QPoint pos) const
{
    const int keys = m_feed.Model().KeyCount();
    for (int key = 0; key < keys; ++key)
        if (pos.x() >= KeyLeft(key) && pos.x() < KeyRight(key))
            return key;
    return -1;
}

bool CKeyboardViewCanvas::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int key = KeyAt(help->pos());
    if (key < 0) {
        QToolTip::hideText();
        return true;
    }
    const CKeyboardViewModel& model = m_feed.Model();
    QString text = QStringLiteral("Key %1 (%2)").arg(key).arg(QString::fromStdString(model.KeyNoteName(key)));
    if (m_feed.HasCalibration()) {
        const KeyCalibrationRow& row = model.Calibration().Keys()[static_cast<size_t>(key)];
        text += QStringLiteral("\nRest %1  Down %2  Travel %3").arg(row.rest).arg(row.down).arg(row.travel);
    }
    if (m_feed.HasScan())
        text += QStringLiteral("\nScan value %1").arg(model.Scan().Values()[static_cast<size_t>(key)]);
    const auto& stats = model.Playing().Keys()[static_cast<size_t>(key)];
    if (stats.noteOns != 0)
        text += QStringLiteral("\nNote-ons %1, velocity %2-%3, last %4")
                    .arg(stats.noteOns).arg(stats.minVelocity).arg(stats.maxVelocity).arg(stats.lastVelocity);
    else
        text += QStringLiteral("\nNot played");
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void CKeyboardViewCanvas::paintEvent(QPaintEvent*)
{
    QElapsedTimer timer;
    timer.start();
    const CKeyboardViewModel& model = m_feed.Model();
    const int keys = model.KeyCount();
    const auto now = Clock::now();
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xfa, 0xfa, 0xfa));
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.8));
    painter.setFont(small);
    const int left = kLeftMargin;
    const int right = width() - kRightMargin;

    // Zones: one band per zone over the keys it covers.
    int y = 4;
    const ZoneOverlays& zones = model.Zones();
    for (const ZoneOverlay& zone : zones) {
        const QRect band(left, y, right - left, kZoneRow - 2);
        painter.setPen(QColor(0x88, 0x88, 0x88));
        painter.drawText(QRect(0, y, left - 4, kZoneRow), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Z%1").arg(zone.zone));
        if (!zone.empty) {
            const QRect span(KeyLeft(zone.firstKey), band.top(), KeyRight(zone.lastKey) - KeyLeft(zone.firstKey),
                             band.height());
            painter.fillRect(span, zone.muted ? kMutedZone : kZoneColours[zone.zone - 1]);
            painter.setPen(zone.muted ? QColor(0x55, 0x55, 0x55) : Qt::white);
            painter.drawText(span.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("Zone %1  ch %2  keys %3-%4%5")
                                 .arg(zone.zone).arg(zone.channel).arg(zone.firstKey).arg(zone.lastKey)
                                 .arg(zone.muted ? QStringLiteral("  muted") : QString()));
        }
        y += kZoneRow;
    }
    y += 2;

    // The keys, lit by the session's playing.
    const auto& playing = model.Playing();
    const std::vector<int> stuck = playing.StuckKeys(now);
    const QRect strip(left, y, right - left, kKeyStrip);
    const auto calibrationRows = model.Calibration().Keys();
    for (int key = 0; key < keys; ++key) {
        const QRect cell(KeyLeft(key), strip.top(), KeyRight(key) - KeyLeft(key), strip.height());
        const int note = model.LowestNote() + key;
        painter.fillRect(cell, IsBlackNote(note) ? QColor(0x30, 0x30, 0x30) : Qt::white);
        const auto& stats = playing.Keys()[static_cast<size_t>(key)];
        const double light = playing.Brightness(key, now);
        if (light > 0)
            painter.fillRect(cell.adjusted(1, 1, -1, -1), VelocityColour(stats.lastVelocity, 0.25 + 0.75 * light));
        painter.setPen(QColor(0x99, 0x99, 0x99));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        if (stats.doubleTriggers != 0)
            painter.fillRect(QRect(cell.left() + 1, cell.bottom() - 5, std::max(2, cell.width() - 2), 4), kDouble);
        if (m_feed.HasCalibration() && static_cast<size_t>(key) < calibrationRows.size()
            && (calibrationRows[static_cast<size_t>(key)].travelOutlier
                || calibrationRows[static_cast<size_t>(key)].restOutlier))
            painter.fillRect(QRect(cell.left() + 1, cell.top() + 1, std::max(2, cell.width() - 2), 5), kOutlier);
    }
    painter.setPen(QPen(kStuck, 2));
    for (int key : stuck)
        painter.drawRect(QRect(KeyLeft(key), strip.top(), KeyRight(key) - KeyLeft(key), strip.height()).adjusted(1, 1, -2, -2));
    y = strip.bottom() + 2;
    painter.setPen(QColor(0x55, 0x55, 0x55));
    for (int key = 0; key < keys; ++key) {
        const int note = model.LowestNote() + key;
        if (note % 12 == 0 || key == 0 || key == keys - 1)
            painter.drawText(QRect(KeyLeft(key) - 20, y, 40 + KeyRight(key) - KeyLeft(key), kLabelRow), Qt::AlignHCenter,
                             key == 0 || key == keys - 1 || note % 12 != 0 ? QString::number(key)
                                                                           : QString::fromStdString(NoteName(note)));
    }
    y += kLabelRow + kGap;

    // The rest: calibration, scan values and the histogram share the height left.
    const int remaining = std::max(120, height() - y - 4);
    const int calibrationHeight = remaining * 50 / 100;
    const int scanHeight = remaining * 25 / 100;
    const int histogramHeight = remaining - calibrationHeight - scanHeight - 2 * kGap;

    const int titleHeight = painter.fontMetrics().height();
    auto chart = [&](int top, int chartHeight, const QString& title) {
        Heading(painter, QRect(left, top, right - left, titleHeight), title);
        const QRect area(left, top + titleHeight, right - left, std::max(10, chartHeight - titleHeight));
        painter.fillRect(area, Qt::white);
        painter.setPen(QColor(0xdd, 0xdd, 0xdd));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setPen(QColor(0x77, 0x77, 0x77));
        painter.drawText(QRect(0, area.top() - titleHeight / 2, left - 4, titleHeight), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("255"));
        painter.drawText(QRect(0, area.bottom() - titleHeight / 2, left - 4, titleHeight), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("0"));
        return area;
    };
    auto yOf = [](const QRect& area, int value) {
        return area.bottom() - static_cast<int>(static_cast<int64_t>(std::clamp(value, 0, 255)) * (area.height() - 1) / 255);
    };

    // Calibration: per key a bar from the rest to the down value.
    const QRect calibration = chart(y, calibrationHeight,
                                    m_feed.HasCalibration()
                                        ? QStringLiteral("Calibration of the last smart dump: a bar from rest to down value; "
                                                         "odd keys in red (%1)")
                                              .arg(model.Calibration().Outliers().size())
                                        : QStringLiteral("Calibration: no smart dump yet (press \"Smart eeprom Dump\")"));
    if (m_feed.HasCalibration()) {
        for (const KeyCalibrationRow& row : calibrationRows) {
            const int x0 = KeyLeft(row.key) + 1;
            const int w = std::max(1, KeyRight(row.key) - KeyLeft(row.key) - 2);
            const int top = yOf(calibration, std::max(row.rest, row.down));
            const int bottom = yOf(calibration, std::min(row.rest, row.down));
            const bool odd = row.travelOutlier || row.restOutlier;
            painter.fillRect(QRect(x0, top, w, std::max(1, bottom - top)), odd ? kOutlier : kBar);
            painter.fillRect(QRect(x0, yOf(calibration, row.rest) - 1, w, 2), QColor(0x22, 0x22, 0x22));
        }
    }
    y += calibrationHeight + kGap;

    // Scan values: the live reading per key; what moved since the dump before is amber.
    const QRect scan = chart(y, scanHeight,
                             m_feed.HasScan() ? QStringLiteral("Scan values of the last Scan Dump; changed since the one before in amber")
                                              : QStringLiteral("Scan values: no Scan Dump yet (press \"Scan Dump\")"));
    if (m_feed.HasScan()) {
        const auto values = model.Scan().Values();
        for (int key = 0; key < keys && static_cast<size_t>(key) < values.size(); ++key) {
            const int top = yOf(scan, values[static_cast<size_t>(key)]);
            painter.fillRect(QRect(KeyLeft(key) + 1, top, std::max(1, KeyRight(key) - KeyLeft(key) - 2), scan.bottom() - top + 1),
                             model.Scan().Changed(key) ? kChanged : kBar);
        }
    }
    y += scanHeight + kGap;

    // Velocity histogram of the session.
    const auto& histogram = playing.VelocityHistogram();
    uint32_t total = 0;
    uint32_t peak = 0;
    for (uint32_t count : histogram) {
        total += count;
        peak = std::max(peak, count);
    }
    Heading(painter, QRect(left, y, right - left, titleHeight),
            QStringLiteral("Velocities of the session's %1 note-ons (1 to 127)").arg(total));
    const QRect bins(left, y + titleHeight, right - left, std::max(10, histogramHeight - titleHeight));
    painter.fillRect(bins, Qt::white);
    if (peak != 0) {
        for (int v = 1; v < CPlayingStatistics::kVelocityBins; ++v) {
            const int x0 = bins.left() + (v - 1) * bins.width() / 127;
            const int x1 = bins.left() + v * bins.width() / 127;
            const int h = static_cast<int>(static_cast<int64_t>(histogram[static_cast<size_t>(v)]) * bins.height() / peak);
            painter.fillRect(QRect(x0, bins.bottom() - h + 1, std::max(1, x1 - x0), h), VelocityColour(v, 1.0));
        }
    }

    m_lastPaintMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    m_worstPaintMs = std::max(m_worstPaintMs, m_lastPaintMs);
}

// ---- window -----------------------------------------------------------------

namespace {
const QString kGeometryKey = QStringLiteral("KeyboardView/geometry");
} // namespace

CKeyboardViewWindow::CKeyboardViewWindow(CMainEditors& editors, QString settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_editors(editors)
    , m_feed(editors.KeyboardView())
    , m_settingsFile(std::move(settingsFile))
{
    setWindowTitle(QStringLiteral("Keyboard View"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* exportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
    auto* exportPng = new QPushButton(QStringLiteral("Export PNG..."), this);
    m_repeat = new QCheckBox(QStringLiteral("Repeat Scan Dump every"), this);
    m_repeatSeconds = new QSpinBox(this);
    m_repeatSeconds->setRange(1, 60);
    m_repeatSeconds->setValue(2);
    m_repeatSeconds->setSuffix(QStringLiteral(" s"));
    m_repeatSeconds->setAccessibleName(QStringLiteral("Repeat Scan Dump interval"));
    auto* reset = new QPushButton(QStringLiteral("Reset"), this);
    reset->setToolTip(QStringLiteral("Clear the session's playing statistics"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportCsv);
    buttons->addWidget(exportPng);
    buttons->addSpacing(16);
    buttons->addWidget(m_repeat);
    buttons->addWidget(m_repeatSeconds);
    buttons->addStretch();
    buttons->addWidget(reset);

    m_canvas = new CKeyboardViewCanvas(m_feed, this);
    m_lists = new QPlainTextEdit(this);
    m_lists->setReadOnly(true);
    m_lists->setAccessibleName(QStringLiteral("Odd keys"));
    m_lists->setMinimumWidth(220);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_canvas);
    split->addWidget(m_lists);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);

    m_status = new QLabel(this);
    // On a screen smaller than the view's least size, the view scrolls.
    auto* content = new QWidget;
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    (new QVBoxLayout(this))->setContentsMargins(0, 0, 0, 0);
    this->layout()->addWidget(scroll);
    auto* layout = new QVBoxLayout(content);
    layout->addLayout(buttons);
    layout->addWidget(split, 1);
    layout->addWidget(m_status);
    scroll->setWidget(content);

    connect(exportCsv, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export calibration"),
                                                          QStringLiteral("calibration.csv"),
                                                          QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty())
            ExportCsv(path);
    });
    connect(exportPng, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export view"),
                                                          QStringLiteral("keyboard-view.png"),
                                                          QStringLiteral("PNG (*.png)"));
        if (!path.isEmpty())
            ExportPng(path);
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        m_feed.Model().Playing().Reset();
        m_drawnRevision = UINT64_MAX;
        Refresh();
    });
    m_scanTimer = new QTimer(this);
    connect(m_scanTimer, &QTimer::timeout, this, [this] { SendScanDumpRequest(m_editors.Sender()); });
    connect(m_repeat, &QCheckBox::toggled, this, [this](bool on) { SetRepeatScanDump(on, m_repeatSeconds->value()); });
    connect(m_repeatSeconds, &QSpinBox::valueChanged, this,
            [this](int seconds) { SetRepeatScanDump(m_repeat->isChecked(), seconds); });

    // About 30 frames a second while keys fade; nothing is drawn when
    // nothing changed.
    m_frameTimer = new QTimer(this);
    m_frameTimer->setInterval(33);
    connect(m_frameTimer, &QTimer::timeout, this, &CKeyboardViewWindow::Refresh);
    m_frameTimer->start();

    resize(QSize(1180, 560).boundedTo(ScreenRoom(this)));
    if (const std::unique_ptr<QSettings> settings = OpenSettingsToRead(m_settingsFile))
        restoreGeometry(settings->value(kGeometryKey).toByteArray());
    m_sinceLists.start();
    UpdateLists();
}

CKeyboardViewWindow::~CKeyboardViewWindow()
{
    SaveGeometry();
}

void CKeyboardViewWindow::SaveGeometry()
{
    if (const std::unique_ptr<QSettings> settings = OpenSettingsToWrite(m_settingsFile))
        settings->setValue(kGeometryKey, saveGeometry());
}

void CKeyboardViewWindow::closeEvent(QCloseEvent* event)
{
    SaveGeometry();
    SetRepeatScanDump(false, m_repeatSeconds->value());
    m_repeat->setChecked(false);
    QWidget::closeEvent(event);
}

void CKeyboardViewWindow::SetRepeatScanDump(bool on, int seconds)
{
    if (!on) {
        m_scanTimer->stop();
        return;
    }
    m_scanTimer->start(std::max(1, seconds) * 1000);
    SendScanDumpRequest(m_editors.Sender());
}

void CKeyboardViewWindow::Refresh()
{
    if (!isVisible())
        return;
    const auto now = Clock::now();
    // Keys still fading need a frame even when no note arrived.
    bool fading = false;
    const auto& playing = m_feed.Model().Playing();
    for (int key = 0; key < m_feed.Model().KeyCount() && !fading; ++key)
        fading = playing.Brightness(key, now) > 0;
    if (m_feed.Revision() != m_drawnRevision || fading) {
        m_drawnRevision = m_feed.Revision();
        m_canvas->update();
    }
    // The lists change slowly (stuck keys with time); four times a second is plenty.
    if (m_sinceLists.elapsed() >= 250) {
        m_sinceLists.restart();
        UpdateLists();
    }
}

QString CKeyboardViewWindow::ListsText() const
{
    return m_lists->toPlainText();
}

void CKeyboardViewWindow::UpdateLists()
{
    const CKeyboardViewModel& model = m_feed.Model();
    const auto& playing = model.Playing();
    QString text;
    if (m_feed.HasCalibration()) {
        const auto& outliers = model.Calibration().Outliers();
        text += QStringLiteral("Odd keys in the calibration: %1\n").arg(outliers.size());
        for (const CalibrationOutlier& o : outliers)
            text += QStringLiteral("  key %1 (%2): %3 %4, neighbours %5\n")
                        .arg(o.key)
                        .arg(QString::fromStdString(o.note))
                        .arg(o.quantity == CalibrationQuantity::Travel ? QStringLiteral("travel") : QStringLiteral("rest"))
                        .arg(o.value)
                        .arg(o.neighbourMedian, 0, 'f', 0);
    } else {
        text += QStringLiteral("No smart dump yet.\n");
    }
    text += QStringLiteral("\nNever played: %1\n").arg(KeyRanges(playing.NeverPlayedKeys()));
    text += QStringLiteral("Stuck: %1\n").arg(KeyRanges(playing.StuckKeys(Clock::now())));
    text += QStringLiteral("Double-triggered: %1\n").arg(KeyRanges(playing.DoubleTriggeredKeys()));
    text += QStringLiteral("\nNote-ons not on a key: %1; layered: %2\n")
                .arg(playing.UnmappedNoteOns())
                .arg(playing.LayeredNoteOns());
    if (text != m_lists->toPlainText())
        m_lists->setPlainText(text);
}

void CKeyboardViewWindow::SetStatus(const QString& text)
{
    m_status->setText(text);
}

bool CKeyboardViewWindow::ExportCsv(const QString& path)
{
    if (!m_feed.HasCalibration()) {
        SetStatus(QStringLiteral("Nothing to export: no smart dump yet."));
        return false;
    }
    const std::string csv = m_feed.Model().Calibration().ToCsv();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) || !file.flush()) {
        SetStatus(QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
        return false;
    }
    SetStatus(QStringLiteral("Wrote %1").arg(path));
    return true;
}

bool CKeyboardViewWindow::ExportPng(const QString& path)
{
    if (!m_canvas->grab().save(path, "PNG")) {
        SetStatus(QStringLiteral("Could not write %1").arg(path));
        return false;
    }
    SetStatus(QStringLiteral("Wrote %1").arg(path));
    return true;
}
