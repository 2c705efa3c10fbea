#include "ui/KeyboardPicture.h"

#include "editors/KeyboardViewFeed.h"

#include <QPainter>

#include <algorithm>
#include <climits>
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
//! A key under no zone sends nothing: neither a white nor a black key.
const QColor kNoNote(0xd4, 0xd4, 0xd4);

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

void Heading(QPainter& painter, const QRect& area, const QString& text)
{
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, text);
}

int YOf(const QRect& area, int value)
{
    return area.bottom() - static_cast<int>(static_cast<int64_t>(std::clamp(value, 0, 255)) * (area.height() - 1) / 255);
}

} // namespace

QColor CKeyboardPicture::OddColour() { return kOutlier; }
QColor CKeyboardPicture::StuckColour() { return kStuck; }
QColor CKeyboardPicture::DoubleColour() { return kDouble; }

CKeyboardPicture::CKeyboardPicture(const CKeyboardViewFeed& feed, const QRect& area, const QFont& font)
    : m_feed(feed)
    , m_area(area)
    , m_font(font)
    , m_left(area.left() + kLeftMargin)
    , m_right(area.right() + 1 - kRightMargin)
    , m_keys(feed.Model().KeyCount())
{
    m_font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.8));
    m_titleHeight = QFontMetrics(m_font).height();
    m_zonesTop = area.top() + 4;
    m_keysTop = m_zonesTop + 4 * kZoneRow + 2;
    m_labelsTop = m_keysTop + kKeyStrip + 2;
    int y = m_labelsTop + kLabelRow + kGap;

    // Calibration, scan values and the histogram share the height left.
    const int remaining = std::max(120, area.bottom() - y - 4);
    const int calibrationHeight = remaining * 50 / 100;
    const int scanHeight = remaining * 25 / 100;
    const int histogramHeight = remaining - calibrationHeight - scanHeight - 2 * kGap;
    const auto chart = [&](int top, int height) {
        return QRect(m_left, top + m_titleHeight, m_right - m_left, std::max(10, height - m_titleHeight));
    };
    m_calibration = chart(y, calibrationHeight);
    y += calibrationHeight + kGap;
    m_scan = chart(y, scanHeight);
    y += scanHeight + kGap;
    m_histogram = chart(y, histogramHeight);
}

int CKeyboardPicture::KeyLeft(int key) const
{
    const int width = std::max(1, m_right - m_left);
    return m_left + static_cast<int>(static_cast<int64_t>(width) * key / std::max(1, m_keys));
}

int CKeyboardPicture::KeyAt(int x) const
{
    for (int key = 0; key < m_keys; ++key)
        if (x >= KeyLeft(key) && x < KeyRight(key))
            return key;
    return -1;
}

void CKeyboardPicture::Paint(QPainter& painter, Clock::time_point now) const
{
    PaintStill(painter);
    PaintLive(painter, now);
}

void CKeyboardPicture::PaintStill(QPainter& painter) const
{
    painter.save();
    painter.setFont(m_font);
    PaintZones(painter);
    PaintKeyLabels(painter);
    const CKeyboardViewModel& model = m_feed.Model();
    PaintChartFrame(painter, m_calibration,
                    m_feed.HasCalibration()
                        ? QStringLiteral("Calibration of the last smart dump: a bar from rest to down value; odd keys in red (%1)")
                              .arg(model.Calibration().Outliers().size())
                        : QStringLiteral("Calibration: no smart dump yet (press \"Smart eeprom Dump\")"));
    PaintCalibration(painter);
    PaintChartFrame(painter, m_scan,
                    m_feed.HasScan() ? QStringLiteral("Scan values of the last Scan Dump; changed since the one before in amber")
                                     : QStringLiteral("Scan values: no Scan Dump yet (press \"Scan Dump\")"));
    PaintScan(painter);
    painter.restore();
}

void CKeyboardPicture::PaintLive(QPainter& painter, Clock::time_point now) const
{
    painter.save();
    painter.setFont(m_font);
    PaintKeys(painter, now);
    PaintHistogram(painter);
    painter.restore();
}

void CKeyboardPicture::PaintZones(QPainter& painter) const
{
    const CKeyboardViewModel& model = m_feed.Model();
    int y = m_zonesTop;
    for (const ZoneOverlay& zone : model.Zones()) {
        painter.setPen(QColor(0x88, 0x88, 0x88));
        painter.drawText(QRect(m_area.left(), y, kLeftMargin - 4, kZoneRow), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Z%1").arg(zone.zone));
        if (!zone.empty) {
            const QRect span(KeyLeft(zone.firstKey), y, KeyRight(zone.lastKey) - KeyLeft(zone.firstKey), kZoneRow - 2);
            painter.fillRect(span, zone.muted ? kMutedZone : kZoneColours[zone.zone - 1]);
            painter.setPen(zone.muted ? QColor(0x55, 0x55, 0x55) : Qt::white);
            const QString notes = QStringLiteral("%1-%2").arg(QString::fromStdString(model.KeyNoteName(zone.firstKey)),
                                                              QString::fromStdString(model.KeyNoteName(zone.lastKey)));
            painter.drawText(span.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("Zone %1  ch %2  keys %3-%4  %5%6")
                                 .arg(zone.zone).arg(zone.channel).arg(zone.firstKey).arg(zone.lastKey)
                                 .arg(notes.size() > 1 ? notes : QString())
                                 .arg(zone.muted ? QStringLiteral("  muted") : QString()));
        }
        y += kZoneRow;
    }
}

void CKeyboardPicture::PaintKeys(QPainter& painter, Clock::time_point now) const
{
    const int y = m_keysTop;
    const CKeyboardViewModel& model = m_feed.Model();
    const CPlayingStatistics& playing = model.Playing();
    const auto calibration = model.Calibration().Keys();
    for (int key = 0; key < m_keys; ++key) {
        const QRect cell(KeyLeft(key), y, KeyRight(key) - KeyLeft(key), kKeyStrip);
        const int note = model.KeyNote(key);
        painter.fillRect(cell, note < 0 ? kNoNote : IsBlackNote(note) ? QColor(0x30, 0x30, 0x30) : QColor(Qt::white));
        const auto& stats = playing.Keys()[static_cast<size_t>(key)];
        const double light = playing.Brightness(key, now);
        if (light > 0)
            painter.fillRect(cell.adjusted(1, 1, -1, -1), VelocityColour(stats.lastVelocity, 0.25 + 0.75 * light));
        painter.setPen(QColor(0x99, 0x99, 0x99));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        if (stats.doubleTriggers != 0)
            painter.fillRect(QRect(cell.left() + 1, cell.bottom() - 5, std::max(2, cell.width() - 2), 4), kDouble);
        if (m_feed.HasCalibration() && static_cast<size_t>(key) < calibration.size()
            && (calibration[static_cast<size_t>(key)].travelOutlier || calibration[static_cast<size_t>(key)].restOutlier))
            painter.fillRect(QRect(cell.left() + 1, cell.top() + 1, std::max(2, cell.width() - 2), 5), kOutlier);
    }
    painter.setPen(QPen(kStuck, 2));
    for (int key : playing.StuckKeys(now))
        painter.drawRect(QRect(KeyLeft(key), y, KeyRight(key) - KeyLeft(key), kKeyStrip).adjusted(1, 1, -2, -2));
}

void CKeyboardPicture::PaintKeyLabels(QPainter& painter) const
{
    const int y = m_labelsTop;
    // Every C by its name, the two ends and every twelfth key under no zone
    // by their sensor numbers; a label that would overlap the one before
    // is left out (where two zones meet, two Cs may be neighbours).
    const CKeyboardViewModel& model = m_feed.Model();
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(QColor(0x55, 0x55, 0x55));
    int lastRight = INT_MIN;
    for (int key = 0; key < m_keys; ++key) {
        const int note = model.KeyNote(key);
        QString text;
        if (note >= 0 && note % 12 == 0)
            text = QString::fromStdString(NoteName(note));
        else if (key == 0 || key == m_keys - 1 || (note < 0 && key % 12 == 0))
            text = QString::number(key);
        if (text.isEmpty())
            continue;
        const int width = metrics.horizontalAdvance(text) + 4;
        const int left = (KeyLeft(key) + KeyRight(key) - width) / 2;
        if (left < lastRight)
            continue;
        painter.drawText(QRect(left, y, width, kLabelRow), Qt::AlignHCenter, text);
        lastRight = left + width;
    }
}

void CKeyboardPicture::PaintChartFrame(QPainter& painter, const QRect& chart, const QString& title) const
{
    Heading(painter, QRect(m_left, chart.top() - m_titleHeight, m_right - m_left, m_titleHeight), title);
    painter.fillRect(chart, Qt::white);
    painter.setPen(QColor(0xdd, 0xdd, 0xdd));
    painter.drawRect(chart.adjusted(0, 0, -1, -1));
    painter.setPen(QColor(0x77, 0x77, 0x77));
    painter.drawText(QRect(m_area.left(), chart.top() - m_titleHeight / 2, kLeftMargin - 4, m_titleHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("255"));
    painter.drawText(QRect(m_area.left(), chart.bottom() - m_titleHeight / 2, kLeftMargin - 4, m_titleHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
}

void CKeyboardPicture::PaintCalibration(QPainter& painter) const
{
    const QRect& chart = m_calibration;
    if (!m_feed.HasCalibration())
        return;
    for (const KeyCalibrationRow& row : m_feed.Model().Calibration().Keys()) {
        const int x0 = KeyLeft(row.key) + 1;
        const int w = std::max(1, KeyRight(row.key) - KeyLeft(row.key) - 2);
        const int top = YOf(chart, std::max(row.rest, row.down));
        const int bottom = YOf(chart, std::min(row.rest, row.down));
        const bool odd = row.travelOutlier || row.restOutlier;
        painter.fillRect(QRect(x0, top, w, std::max(1, bottom - top)), odd ? kOutlier : kBar);
        painter.fillRect(QRect(x0, YOf(chart, row.rest) - 1, w, 2), QColor(0x22, 0x22, 0x22));
    }
}

void CKeyboardPicture::PaintScan(QPainter& painter) const
{
    const QRect& chart = m_scan;
    if (!m_feed.HasScan())
        return;
    const CScanValues& scan = m_feed.Model().Scan();
    const auto values = scan.Values();
    for (int key = 0; key < m_keys && static_cast<size_t>(key) < values.size(); ++key) {
        const int top = YOf(chart, values[static_cast<size_t>(key)]);
        painter.fillRect(QRect(KeyLeft(key) + 1, top, std::max(1, KeyRight(key) - KeyLeft(key) - 2), chart.bottom() - top + 1),
                         scan.Changed(key) ? kChanged : kBar);
    }
}

void CKeyboardPicture::PaintHistogram(QPainter& painter) const
{
    const auto& histogram = m_feed.Model().Playing().VelocityHistogram();
    uint32_t total = 0;
    uint32_t peak = 0;
    for (uint32_t count : histogram) {
        total += count;
        peak = std::max(peak, count);
    }
    const QRect& bins = m_histogram;
    const QRect title(m_left, bins.top() - m_titleHeight, m_right - m_left, m_titleHeight);
    Heading(painter, title, QStringLiteral("Velocities of the session's %1 note-ons (1 to 127)").arg(total));
    painter.fillRect(bins, Qt::white);
    if (peak == 0)
        return;
    for (int v = 1; v < CPlayingStatistics::kVelocityBins; ++v) {
        const int x0 = bins.left() + (v - 1) * bins.width() / 127;
        const int x1 = bins.left() + v * bins.width() / 127;
        const int h = static_cast<int>(static_cast<int64_t>(histogram[static_cast<size_t>(v)]) * bins.height() / peak);
        painter.fillRect(QRect(x0, bins.bottom() - h + 1, std::max(1, x1 - x0), h), VelocityColour(v, 1.0));
    }
}
