#include "ui/KeyboardReportPages.h"

#include "editors/KeyboardReport.h"
#include "ui/KeyboardPicture.h"
#include "zm/Version.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kPictureHeight = 440;
constexpr int kLine = 15;
constexpr qreal kBodyPoints = 8.5;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QFont BodyFont(qreal points = kBodyPoints, bool bold = false)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    // Any letter spacing turns ligatures off: "fi" stays two letters in the
    // PDF's text, so that a search or a copy finds the words as written.
    font.setLetterSpacing(QFont::PercentageSpacing, 100.01);
    return font;
}

void Footer(QPainter& painter, const QRect& page, const CKeyboardReport& report, int number)
{
    painter.setFont(BodyFont(7));
    painter.setPen(QColor(0x77, 0x77, 0x77));
    const QRect line(page.left(), page.bottom() - kLine, page.width(), kLine);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("zm_config %1, %2").arg(QStringLiteral(ZM_VERSION), Text(report.When().DateTime())));
    painter.drawText(line, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("page %1 of 2").arg(number));
}

//! Draws `text` at the top of `area` and returns the y below it.
int Paragraph(QPainter& painter, const QRect& area, const QString& text)
{
    QRect used;
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
    return used.bottom() + 1;
}

int PaintHeader(QPainter& painter, const QRect& page, const CKeyboardReport& report)
{
    int y = page.top();
    painter.setPen(Qt::black);
    painter.setFont(BodyFont(15, true));
    y = Paragraph(painter, QRect(page.left(), y, page.width(), 40), Text(report.Title())) + 8;

    painter.setFont(BodyFont());
    const int labelWidth = 120;
    for (const auto& [label, value] : report.Header()) {
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(QRect(page.left(), y, labelWidth, kLine), Qt::AlignLeft | Qt::AlignTop, Text(label));
        painter.setPen(Qt::black);
        y = std::max(y + kLine, Paragraph(painter, QRect(page.left() + labelWidth, y, page.width() - labelWidth, 3 * kLine),
                                          Text(value)));
    }
    y += 6;
    painter.setFont(BodyFont(kBodyPoints, true));
    painter.drawText(QRect(page.left(), y, page.width(), kLine), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Zones"));
    y += kLine;
    painter.setFont(BodyFont());
    for (const std::string& zone : report.ZoneLines()) {
        painter.drawText(QRect(page.left() + 12, y, page.width() - 12, kLine), Qt::AlignLeft | Qt::AlignTop, Text(zone));
        y += kLine;
    }
    return y + 8;
}

void PaintFindings(QPainter& painter, const QRect& area, const CKeyboardReport& report)
{
    painter.setPen(Qt::black);
    painter.setFont(BodyFont(11, true));
    int y = area.top();
    painter.drawText(QRect(area.left(), y, area.width(), 20), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Keys that need attention"));
    y += 22;
    // Every line that fits; what does not is counted, and the table on the
    // next page shows those keys' flags anyway.
    const int lastLine = area.bottom() - kLine;
    int left = 0;
    for (const ReportSection& section : report.Findings())
        left += 1 + static_cast<int>(section.lines.size());
    for (const ReportSection& section : report.Findings()) {
        std::vector<std::pair<QString, bool>> lines = {{Text(section.title), true}};
        for (const std::string& line : section.lines)
            lines.emplace_back(Text(line), false);
        for (const auto& [line, title] : lines) {
            if (y > lastLine - (left > 1 ? kLine : 0)) {
                painter.setFont(BodyFont());
                painter.drawText(QRect(area.left(), y, area.width(), kLine), Qt::AlignLeft | Qt::AlignTop,
                                 QStringLiteral("... and %1 more lines: the table on page 2 flags every key").arg(left));
                return;
            }
            painter.setFont(BodyFont(kBodyPoints, title));
            const int indent = title ? 0 : 14;
            y = std::max(y + kLine, Paragraph(painter, QRect(area.left() + indent, y, area.width() - indent, 2 * kLine), line));
            --left;
        }
        y += 4;
    }
}

} // namespace

void PaintReportSummary(QPainter& painter, const QRect& page, const CKeyboardReport& report,
                        const CKeyboardViewFeed& feed, std::chrono::steady_clock::time_point now)
{
    painter.save();
    const int y = PaintHeader(painter, page, report);
    const QRect picture(page.left() - 8, y, page.width() + 8, kPictureHeight);
    CKeyboardPicture(feed, picture, BodyFont(9)).Paint(painter, now);
    PaintFindings(painter, QRect(page.left(), picture.bottom() + 12, page.width(), page.bottom() - picture.bottom() - 12 - 2 * kLine),
                  report);
    Footer(painter, page, report, 1);
    painter.restore();
}

void PaintReportTable(QPainter& painter, const QRect& page, const CKeyboardReport& report)
{
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(BodyFont(11, true));
    painter.drawText(QRect(page.left(), page.top(), page.width(), 20), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Every key"));
    painter.setFont(BodyFont(7));
    painter.setPen(QColor(0x55, 0x55, 0x55));
    painter.drawText(QRect(page.left(), page.top() + 20, page.width(), kLine), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Rest, down and travel from the last smart dump, scan from the last Scan Dump, "
                                    "note-ons of this session; - where the box has not reported yet."));

    static const char* const kColumns[] = {"Key", "Note", "Rest", "Down", "Travel", "Odd", "Scan", "Note-ons", "Stuck", "Double"};
    // Widths in tenths of the block; the captions set them.
    static const int kWidths[] = {7, 9, 9, 10, 11, 7, 9, 16, 10, 12};
    constexpr int kColumnCount = 10;
    constexpr int kBlocks = 2;
    const auto& rows = report.Rows();
    const int perBlock = (static_cast<int>(rows.size()) + kBlocks - 1) / kBlocks;
    const int top = page.top() + 20 + kLine + 6;
    const int rowHeight = std::clamp((page.bottom() - 2 * kLine - top) / std::max(1, perBlock + 1), 8, kLine);
    const int blockWidth = (page.width() - 16) / kBlocks;
    int edges[kColumnCount + 1] = {0};
    const int total = std::accumulate(std::begin(kWidths), std::end(kWidths), 0);
    for (int c = 0; c < kColumnCount; ++c)
        edges[c + 1] = edges[c] + kWidths[c];
    const auto column = [&](int x0, int c, int y) {
        const int left = x0 + edges[c] * blockWidth / total;
        return QRect(left, y, x0 + edges[c + 1] * blockWidth / total - left - 3, rowHeight);
    };
    for (int block = 0; block < kBlocks; ++block) {
        const int x0 = page.left() + block * (blockWidth + 16);
        painter.setFont(BodyFont(7, true));
        painter.setPen(Qt::black);
        for (int c = 0; c < kColumnCount; ++c)
            painter.drawText(column(x0, c, top), Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(kColumns[c]));
        painter.setFont(BodyFont(7));
        for (int i = 0; i < perBlock; ++i) {
            const size_t index = static_cast<size_t>(block * perBlock + i);
            if (index >= rows.size())
                break;
            const ReportKeyRow& row = rows[index];
            const int y = top + (i + 1) * rowHeight;
            if (row.odd || row.stuck || row.doubled)
                painter.fillRect(QRect(x0, y, blockWidth, rowHeight), QColor(0xfb, 0xe3, 0xe3));
            else if (i % 2 == 1)
                painter.fillRect(QRect(x0, y, blockWidth, rowHeight), QColor(0xf4, 0xf4, 0xf4));
            const QString none = QStringLiteral("-");
            const QString cells[kColumnCount] = {
                QString::number(row.key),
                row.note < 0 ? none : Text(NoteName(row.note)),
                row.calibrated ? QString::number(row.rest) : none,
                row.calibrated ? QString::number(row.down) : none,
                row.calibrated ? QString::number(row.travel) : none,
                row.calibrated ? (row.odd ? QStringLiteral("odd") : QString()) : none,
                row.scanned ? QString::number(row.scan) : none,
                QString::number(row.noteOns),
                row.stuck ? QStringLiteral("stuck") : QString(),
                row.doubled ? QStringLiteral("double") : QString(),
            };
            for (int c = 0; c < kColumnCount; ++c) {
                const bool flag = (c == 5 && row.odd) || (c == 8 && row.stuck) || (c == 9 && row.doubled);
                painter.setPen(flag ? CKeyboardPicture::OddColour() : QColor(Qt::black));
                painter.drawText(column(x0, c, y), Qt::AlignRight | Qt::AlignVCenter, cells[c]);
            }
        }
    }
    Footer(painter, page, report, 2);
    painter.restore();
}

QByteArray ReportPdf(const CKeyboardReport& report, const CKeyboardViewFeed& feed,
                     std::chrono::steady_clock::time_point now)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(Text(report.Title()));
        writer.setCreator(QStringLiteral("zm_config " ZM_VERSION));
        writer.setResolution(kReportUnitsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 12),
                                         QPageLayout::Millimeter));
        QPainter painter(&writer);
        const QRect page(QPoint(0, 0), writer.pageLayout().paintRectPixels(kReportUnitsPerInch).size());
        PaintReportSummary(painter, page, report, feed, now);
        writer.newPage();
        PaintReportTable(painter, page, report);
    }
    return bytes;
}

QByteArray ReportPng(const CKeyboardReport& report, const CKeyboardViewFeed& feed,
                     std::chrono::steady_clock::time_point now)
{
    constexpr int kDotsPerInch = 150;
    constexpr qreal kScale = qreal(kDotsPerInch) / kReportUnitsPerInch;
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 12),
                             QPageLayout::Millimeter);
    const QRect paint = layout.paintRectPixels(kReportUnitsPerInch);
    QImage image(layout.pageSize().sizePixels(kDotsPerInch), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(kScale, kScale);
        PaintReportSummary(painter, paint, report, feed, now);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 70);   // a little less squeezed: half the time, a tenth more bytes
    return bytes;
}
