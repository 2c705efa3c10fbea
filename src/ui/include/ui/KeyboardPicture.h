// The Keyboard View's picture, drawn into any rectangle of any paint device:
// the window's canvas, the report's PDF page and its PNG all draw the same
// picture. From top to bottom: the four zones over the keys; the keys, lit
// by the session's playing and named by the notes the box sends; the
// calibration of the last smart dump (a bar from rest to down value per key,
// odd keys in red); the last Scan Dump's values; the velocity histogram.
//
// The picture is two layers: the still one (zones, key names, calibration
// and scan charts) changes only with CKeyboardViewFeed::LayoutRevision(),
// so the window draws it once into a pixmap; the live one (the keys as they
// are played, the histogram) is drawn over it at every frame, with rectangles
// and one caption only. Window thread only (it reads the feed).
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

#include <chrono>

class CKeyboardViewFeed;
class QPainter;

class CKeyboardPicture {
public:
    //! Lays the picture out in `area` (in the painter's coordinates) for
    //! captions in `font` (drawn a little smaller).
    CKeyboardPicture(const CKeyboardViewFeed& feed, const QRect& area, const QFont& font);

    //! The horizontal extent of key `key`.
    int KeyLeft(int key) const;
    int KeyRight(int key) const { return KeyLeft(key + 1); }
    //! The key whose column holds `x`, or -1.
    int KeyAt(int x) const;

    //! Both layers; keys fade as of `now`.
    void Paint(QPainter& painter, std::chrono::steady_clock::time_point now) const;
    void PaintStill(QPainter& painter) const;
    void PaintLive(QPainter& painter, std::chrono::steady_clock::time_point now) const;

    //! Colours of what needs attention, for captions and tables elsewhere.
    static QColor OddColour();
    static QColor StuckColour();
    static QColor DoubleColour();

private:
    void PaintZones(QPainter& painter) const;
    void PaintKeys(QPainter& painter, std::chrono::steady_clock::time_point now) const;
    void PaintKeyLabels(QPainter& painter) const;
    void PaintChartFrame(QPainter& painter, const QRect& chart, const QString& title) const;
    void PaintCalibration(QPainter& painter) const;
    void PaintScan(QPainter& painter) const;
    void PaintHistogram(QPainter& painter) const;

    const CKeyboardViewFeed& m_feed;
    QRect m_area;
    QFont m_font;
    int m_left;
    int m_right;
    int m_keys;
    int m_titleHeight;
    // Where each part goes, top to bottom.
    int m_zonesTop;
    int m_keysTop;
    int m_labelsTop;
    QRect m_calibration;
    QRect m_scan;
    QRect m_histogram;
};
