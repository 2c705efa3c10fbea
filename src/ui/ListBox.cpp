#include "ui/ListBox.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

CListBox::CListBox(bool sorted, QWidget* parent)
    : QListWidget(parent), m_bSorted(sorted)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);   // narrow lists clip their text, as a list box does
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int CListBox::AddLine(const QString& text)
{
    if (!m_bSorted)
        return InsertLine(-1, text);
    // First line that sorts after `text`, so equal texts keep their order.
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (QString::compare(item(mid)->text(), text, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return InsertLine(low, text);
}

int CListBox::InsertLine(int index, const QString& text)
{
    if (index < 0 || index > count())
        index = count();
    auto* line = new QListWidgetItem(text);
    const int height = OneLineHeight();
    if (height > 0)
        line->setSizeHint(QSize(0, height));
    insertItem(index, line);
    return index;
}

int CListBox::OneLineHeight() const
{
    // A list only one line high shows exactly one line, as a list box of
    // integral height does, instead of a line and a sliver of the next.
    const int inside = height() - 2 * frameWidth();
    const int natural = fontMetrics().height() + 2;
    return inside > 0 && inside < 2 * natural ? inside : 0;
}

void CListBox::ReplaceLine(int index, const QString& text)
{
    if (QListWidgetItem* line = item(index))
        line->setText(text);
}

void CListBox::SelectLine(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    // Into view even when it was already the current line and the user
    // has scrolled it away (a one-line list then shows another value).
    scrollToItem(item(index));
}

int CListBox::SelectedLine() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.front());
}

QStringList CListBox::Lines() const
{
    QStringList lines;
    lines.reserve(count());
    for (int i = 0; i < count(); ++i)
        lines.append(item(i)->text());
    return lines;
}

void CListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (!hit.isValid()) {
        // Beside the lines: the selection stays, nothing is reported.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
    if (hit.row() == currentRow())
        emit UserSelChange(hit.row());
}

void CListBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    const int before = currentRow();
    QListWidget::mouseMoveEvent(event);
    ReportIfMoved(before);
}

void CListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}

void CListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click selects nothing new.
    if (event->button() != Qt::LeftButton)
        event->ignore();
    else
        QListWidget::mouseDoubleClickEvent(event);
}

void CListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = currentRow();
    // In a one-column list box Left and Right step like Up and Down.
    const int key = event->key();
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && flow() == QListView::TopToBottom && !isWrapping()) {
        QKeyEvent step(event->type(), key == Qt::Key_Left ? Qt::Key_Up : Qt::Key_Down, event->modifiers(),
                       event->text(), event->isAutoRepeat(), static_cast<ushort>(event->count()));
        QListWidget::keyPressEvent(&step);
        event->setAccepted(step.isAccepted());
    } else {
        QListWidget::keyPressEvent(event);
    }
    ReportIfMoved(before);
}

bool CListBox::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QListWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QListWidgetItem* line = itemAt(help->pos());
    const QRect rect = line ? visualItemRect(line) : QRect();
    // The item view leaves a focus margin and one pixel on either side of the text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    if (line && fontMetrics().horizontalAdvance(line->text()) > rect.width() - 2 * margin)
        QToolTip::showText(help->globalPos(), line->text(), viewport(), rect);
    else
        QToolTip::hideText();
    return true;
}

QItemSelectionModel::SelectionFlags CListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // Ctrl+click or Ctrl+Space on the selected line would leave a
    // single-selection list with nothing selected while the click still
    // counts as the user's choice; the line stays selected instead.
    QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
    if (index.isValid() && flags.testFlag(QItemSelectionModel::Deselect))
        flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void CListBox::ReportIfMoved(int rowBefore)
{
    const int now = currentRow();
    if (now != rowBefore && now >= 0 && item(now)->isSelected())
        emit UserSelChange(now);
}
