// The message window's view: a list view that stays fast at millions of lines.
//
// QListView lays out every row again whenever rows are inserted, even with
// uniform item sizes, which makes a growing log quadratic: appending 200,000
// lines while keeping the last one in view takes minutes. All rows here have
// the same height, so row r simply sits at r * RowHeight(); this view
// replaces QListView's geometry (layout, hit testing, scrolling, painting)
// with that arithmetic and keeps everything else of QListView (selection,
// keyboard and mouse handling, the delegate that draws a line).
//
// Vertical scrolling goes by whole lines, like a list box. The horizontal
// extent follows the longest line: the view sets itself a fixed-pitch font
// (at the parent's size), so the width is the longest line's length times
// the character width. While the window is paused or filtered, a note in its
// top right corner says so (CMessageWindowModel::StatusText). Window thread
// only.
#pragma once

#include <QListView>

class CMessageWindowModel;
class QPainter;

class CMessageWindowView : public QListView {
    Q_OBJECT
public:
    explicit CMessageWindowView(QWidget* parent = nullptr);

    void SetMessageModel(CMessageWindowModel* model);

    //! ScrollToLast of the message window: when the line count changed since
    //! the previous call, brings the last line into view; otherwise leaves the
    //! view where the user put it.
    void ScrollToLast();

    //! First line shown at the top.
    int TopRow() const;
    //! Lines that fit the viewport entirely (at least 1).
    int VisibleRows() const;
    int RowHeight() const { return m_rowHeight; }
    //! Width of the widest line, margins included.
    int ContentsWidth() const;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void doItemsLayout() override;
    void reset() override;
    void keyboardSearch(const QString& search) override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void UpdateMetrics();
    void PaintStatus(QPainter& painter);
    int RowCount() const;
    int RowAt(int y) const;

    CMessageWindowModel* m_pModel = nullptr;
    int m_rowHeight = 1;
    qreal m_charWidth = 1;
    int m_textMargin = 0;
};
