// The calibration report drawn: a summary page (title, the box's
// identification, the zones, the Keyboard View's picture and the findings
// with note names) and a page with the per-key table. The PDF holds both on
// A4; the PNG is the summary page alone. Both are made in memory, so that
// the caller writes the file in one piece (see CReplacingFile).
// Window thread only.
#pragma once

#include <QByteArray>
#include <QRect>

#include <chrono>

class CKeyboardReport;
class CKeyboardViewFeed;
class QPainter;

//! Pages are laid out in units of 1/96 inch, as on a screen.
inline constexpr int kReportUnitsPerInch = 96;

//! The summary page in `page`. `now` is when the picture's keys fade from.
void PaintReportSummary(QPainter& painter, const QRect& page, const CKeyboardReport& report,
                        const CKeyboardViewFeed& feed, std::chrono::steady_clock::time_point now);
//! The per-key table in `page`, in two blocks side by side.
void PaintReportTable(QPainter& painter, const QRect& page, const CKeyboardReport& report);

//! The two pages as a PDF document (A4, Qt's own PDF writer).
QByteArray ReportPdf(const CKeyboardReport& report, const CKeyboardViewFeed& feed,
                     std::chrono::steady_clock::time_point now);
//! The summary page as a PNG image at 150 dots per inch.
QByteArray ReportPng(const CKeyboardReport& report, const CKeyboardViewFeed& feed,
                     std::chrono::steady_clock::time_point now);
