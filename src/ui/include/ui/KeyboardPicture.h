// The Keyboard View's picture, drawn into any rectangle of any paint device:
// the window's canvas, the report's PDF page and its PNG all draw the same
// picture. From top to bottom: the four zones over the keys; the keys, lit
// by the session's playing and named by the notes the box sends; the
// calibration of the last smart dump (a bar from rest to down value per key,
// odd keys in red); the last Scan Dump's values; the velocity histogram.
// Window thread only (it reads the feed).
#pragma once

#include <QColor>
#include <QRect>

#include <chrono>

class CKeyboardViewFeed;
class QPainter;

class CKeyboardPicture {
public:
    //! Lays the picture out in `area` (in the painter's coordinates).
    CKeyboardPicture(const CKeyboardViewFeed& feed, const QRect& area);

    //! The horizontal extent of key `key`.
    int KeyLeft(int key) const;
    int KeyRight(int key) const { return KeyLeft(key + 1); }
    //! The key whose column holds `x`, or -1.
    int KeyAt(int x) const;

    //! Draws the picture with the painter's font (charts' captions in a
    //! smaller size); keys fade as of `now`.
    void Paint(QPainter& painter, std::chrono::steady_clock::time_point now) const;

    //! Colours of what needs attention, for captions and tables elsewhere.
    static QColor OddColour();
    static QColor StuckColour();
    static QColor DoubleColour();

private:
    int PaintZones(QPainter& painter, int y) const;
    int PaintKeys(QPainter& painter, int y, std::chrono::steady_clock::time_point now) const;
    int PaintKeyLabels(QPainter& painter, int y) const;
    QRect PaintChartFrame(QPainter& painter, int top, int height, const QString& title) const;
    void PaintCalibration(QPainter& painter, const QRect& chart) const;
    void PaintScan(QPainter& painter, const QRect& chart) const;
    void PaintHistogram(QPainter& painter, int top, int height) const;

    const CKeyboardViewFeed& m_feed;
    QRect m_area;
    int m_left;
    int m_right;
    int m_keys;
};
