#include "ui/KeyboardView.h"

#include "editors/KeyboardReport.h"
#include "editors/KeyboardViewFeed.h"
#include "editors/MainEditors.h"
#include "editors/ReplacingFile.h"
#include "res/resource.h"
#include "ui/DialogBuilder.h"
#include "ui/KeyboardPicture.h"
#include "ui/KeyboardReportPages.h"
#include "ui/PortActions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

} // namespace

QRect FitIntoScreen(const QRect& window, const QRect& available)
{
    if (available.isEmpty())
        return window;
    QRect fitted(window.topLeft(), QSize(std::clamp(window.width(), 1, available.width()),
                                         std::clamp(window.height(), 1, available.height())));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() + 1 - fitted.height()));
    return fitted;
}

// ---- canvas -----------------------------------------------------------------

CKeyboardViewCanvas::CKeyboardViewCanvas(CKeyboardViewFeed& feed, QWidget* parent)
    : QWidget(parent), m_feed(feed)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("Keyboard View"));
}

int CKeyboardViewCanvas::KeyAt(QPoint pos) const
{
    return CKeyboardPicture(m_feed, rect(), font()).KeyAt(pos.x());
}

bool CKeyboardViewCanvas::event(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_stillRevision = UINT64_MAX;
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int key = KeyAt(help->pos());
    if (key < 0) {
        QToolTip::hideText();
        return true;
    }
    const CKeyboardViewModel& model = m_feed.Model();
    QString text = QString::fromStdString(model.KeyLabel(key));
    text[0] = text[0].toUpper();
    if (model.KeyNote(key) < 0)
        text += QStringLiteral(", under no zone");
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
    const double cpu = ThreadCpuMs();
    const CKeyboardPicture picture(m_feed, rect(), font());
    const qreal ratio = devicePixelRatioF();
    if (m_stillRevision != m_feed.LayoutRevision() || m_still.deviceIndependentSize() != QSizeF(size())
        || m_still.devicePixelRatio() != ratio) {
        m_still = QPixmap(size() * ratio);
        m_still.setDevicePixelRatio(ratio);
        m_still.fill(QColor(0xfa, 0xfa, 0xfa));
        QPainter still(&m_still);
        picture.PaintStill(still);
        m_stillRevision = m_feed.LayoutRevision();
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_still);
    picture.PaintLive(painter, Clock::now());
    painter.end();
    m_lastPaintMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    m_worstPaintMs = std::max(m_worstPaintMs, m_lastPaintMs);
    m_lastPaintCpuMs = ThreadCpuMs() - cpu;
    m_worstPaintCpuMs = std::max(m_worstPaintCpuMs, m_lastPaintCpuMs);
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

    auto* exportPdf = new QPushButton(QStringLiteral("Export PDF report..."), this);
    exportPdf->setToolTip(QStringLiteral("The calibration report: the box, the date, the view, "
                                         "the keys that need attention and every key's values"));
    auto* exportPng = new QPushButton(QStringLiteral("Export PNG..."), this);
    exportPng->setToolTip(QStringLiteral("The report's first page as a picture"));
    auto* exportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportCsv->setToolTip(QStringLiteral("One row per key: note, calibration, scan value, playing"));
    auto* identify = new QPushButton(QStringLiteral("Identify Box"), this);
    identify->setToolTip(QStringLiteral("Ask the box for its station name, identification and software "
                                        "revision, which the report's header shows"));
    m_repeat = new QCheckBox(QStringLiteral("Repeat Scan Dump every"), this);
    m_repeatSeconds = new QSpinBox(this);
    m_repeatSeconds->setRange(1, 60);
    m_repeatSeconds->setValue(2);
    m_repeatSeconds->setSuffix(QStringLiteral(" s"));
    m_repeatSeconds->setAccessibleName(QStringLiteral("Repeat Scan Dump interval"));
    auto* reset = new QPushButton(QStringLiteral("Reset"), this);
    reset->setToolTip(QStringLiteral("Clear the session's playing statistics"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportPdf);
    buttons->addWidget(exportPng);
    buttons->addWidget(exportCsv);
    buttons->addWidget(identify);
    buttons->addSpacing(16);
    buttons->addWidget(m_repeat);
    buttons->addWidget(m_repeatSeconds);
    buttons->addStretch();
    buttons->addWidget(reset);

    m_canvas = new CKeyboardViewCanvas(m_feed, this);
    m_lists = new QPlainTextEdit(this);
    m_lists->setReadOnly(true);
    m_lists->setAccessibleName(QStringLiteral("Keys that need attention"));
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

    connect(exportPdf, &QPushButton::clicked, this, [this] {
        ChooseAndExport(QStringLiteral("Export calibration report"), QStringLiteral("pdf"), QStringLiteral("PDF (*.pdf)"),
                        &CKeyboardViewWindow::ExportPdf);
    });
    connect(exportPng, &QPushButton::clicked, this, [this] {
        ChooseAndExport(QStringLiteral("Export view"), QStringLiteral("png"), QStringLiteral("PNG (*.png)"),
                        &CKeyboardViewWindow::ExportPng);
    });
    connect(exportCsv, &QPushButton::clicked, this, [this] {
        ChooseAndExport(QStringLiteral("Export keys"), QStringLiteral("csv"), QStringLiteral("CSV (*.csv)"),
                        &CKeyboardViewWindow::ExportCsv);
    });
    connect(identify, &QPushButton::clicked, this, [this] { m_editors.RequestIdentity(); });
    connect(reset, &QPushButton::clicked, this, [this] {
        m_feed.Model().Playing().Reset();
        m_drawnRevision = UINT64_MAX;
        Refresh();
    });
    m_scanTimer = new QTimer(this);
    connect(m_scanTimer, &QTimer::timeout, this, [this] { m_editors.OnCommand(IDC_SCAN_DUMP); });
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
    RestoreGeometry();
    m_sinceLists.start();
    UpdateLists();
}

CKeyboardViewWindow::~CKeyboardViewWindow()
{
    SaveGeometry();
}

void CKeyboardViewWindow::RestoreGeometry()
{
    if (const std::unique_ptr<QSettings> settings = OpenSettingsToRead(m_settingsFile))
        restoreGeometry(settings->value(kGeometryKey).toByteArray());
    // Whatever was kept, the window fits the screen it is on (the first-run
    // size too, on a small screen).
    FitScreen();
}

void CKeyboardViewWindow::FitScreen()
{
    const QRect frame = frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect fitted = FitIntoScreen(frame, screen->availableGeometry());
    if (fitted != frame)
        setGeometry(fitted.marginsRemoved(QMargins(geometry().left() - frame.left(), geometry().top() - frame.top(),
                                                   frame.right() - geometry().right(),
                                                   frame.bottom() - geometry().bottom())));
}

void CKeyboardViewWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FitScreen();
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
    m_editors.OnCommand(IDC_SCAN_DUMP);
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

QString CKeyboardViewWindow::StatusText() const
{
    return m_status->text();
}

void CKeyboardViewWindow::UpdateLists()
{
    const QString text = QString::fromStdString(FindingsText(KeyFindings(m_feed, Clock::now())));
    if (text != m_lists->toPlainText())
        m_lists->setPlainText(text);
}

void CKeyboardViewWindow::SetStatus(const QString& text)
{
    m_status->setText(text);
}

QString CKeyboardViewWindow::DefaultFileName(const QString& extension) const
{
    const CKeyboardReport report(m_feed, LocalReportTime(std::chrono::system_clock::now()), Clock::now());
    return QString::fromStdString(report.FileBaseName()) + QLatin1Char('.') + extension;
}

void CKeyboardViewWindow::ChooseAndExport(const QString& title, const QString& extension, const QString& filter,
                                          bool (CKeyboardViewWindow::*exporter)(const QString&))
{
    const QString path = QFileDialog::getSaveFileName(this, title, DefaultFileName(extension), filter);
    if (!path.isEmpty())
        (this->*exporter)(path);
}

bool CKeyboardViewWindow::WriteExport(const QString& path, const QByteArray& bytes)
{
    std::string error = "nothing to write";
    if (!bytes.isEmpty()
        && WriteReplacingFile(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()), error)) {
        SetStatus(QStringLiteral("Wrote %1").arg(path));
        return true;
    }
    SetStatus(QStringLiteral("Could not write %1: %2").arg(path, QString::fromStdString(error)));
    return false;
}

bool CKeyboardViewWindow::ExportPdf(const QString& path)
{
    const auto now = Clock::now();
    const CKeyboardReport report(m_feed, LocalReportTime(std::chrono::system_clock::now()), now);
    return WriteExport(path, ReportPdf(report, m_feed, now));
}

bool CKeyboardViewWindow::ExportPng(const QString& path)
{
    const auto now = Clock::now();
    const CKeyboardReport report(m_feed, LocalReportTime(std::chrono::system_clock::now()), now);
    return WriteExport(path, ReportPng(report, m_feed, now));
}

bool CKeyboardViewWindow::ExportCsv(const QString& path)
{
    const CKeyboardReport report(m_feed, LocalReportTime(std::chrono::system_clock::now()), Clock::now());
    const std::string csv = report.Csv();
    return WriteExport(path, QByteArray(csv.data(), static_cast<qsizetype>(csv.size())));
}
