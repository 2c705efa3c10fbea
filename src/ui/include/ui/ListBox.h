// A list box with the notification rules of a dialog list box.
//
// UserSelChange(row) reports every selection the user makes: a left click on
// any line, the already selected one included (the port logic relies on
// that: clicking the open thru/out device closes it), dragging onto another
// line, and keys that move the selection (arrows, Left/Right stepping like
// Up/Down, paging, typing a line's first letters). A Ctrl+click never
// leaves the list with nothing selected. Selections made by the program (SelectLine, or any Qt
// call) never report. Other mouse buttons leave the selection alone and go
// to the parent (the dialog's context menu); a click beside the lines
// changes nothing.
//
// A list with the sort style keeps lines added by AddLine() in order
// (case-insensitive); InsertLine() always puts a line where it is told.
// A line that the list's width cuts ("14 N" of "14 Normal") shows its whole
// text as a tooltip. Window thread only.
#pragma once

#include <QListWidget>

class CListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CListBox(bool sorted, QWidget* parent = nullptr);

    //! Adds a line: at its sorted place for a sorted list, else at the end.
    //! Returns the line's index.
    int AddLine(const QString& text);

    //! Inserts a line at `index`; -1 or an index past the end appends.
    int InsertLine(int index, const QString& text);

    //! Replaces the text of line `index` in place (no re-sorting).
    void ReplaceLine(int index, const QString& text);

    //! Selects line `index`, or nothing for -1, without UserSelChange.
    void SelectLine(int index);

    //! Index of the selected line, -1 for none.
    int SelectedLine() const;

    //! Text of every line, top to bottom.
    QStringList Lines() const;

signals:
    void UserSelChange(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    void ReportIfMoved(int rowBefore);
    int OneLineHeight() const;

    bool m_bSorted;
};
