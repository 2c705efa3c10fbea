#include "ui/MessageWindowView.h"

#include "ui/MessageWindowModel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Hex dumps and column reports need aligned columns, and the width of the
// longest line is only its length times one width with a fixed-pitch face.
QFont FixedPitchFont(int pointSize)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    if (!QFontDatabase::hasFamily(font.family()))
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

} // namespace

CMessageWindowView::CMessageWindowView(QWidget* parent)
    : QListView(parent)
{
    setFont(FixedPitchFont(font().pointSize()));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    UpdateMetrics();
}

void CMessageWindowView::SetMessageModel(CMessageWindowModel* model)
{
    m_pModel = model;
    setModel(model);
    if (model)
        connect(model, &CMessageWindowModel::StatusChanged, viewport(), qOverload<>(&QWidget::update));
    updateGeometries();
}

void CMessageWindowView::PaintStatus(QPainter& painter)
{
    const QString status = m_pModel ? m_pModel->StatusText() : QString();
    if (status.isEmpty())
        return;
    // A note in the top right corner, over the lines: the window is paused
    // or filtered, and by how much.
    const QFontMetrics metrics(font());
    const int margin = 4;
    QRect box(0, 0, metrics.horizontalAdvance(status) + 2 * margin, metrics.height() + margin);
    box.moveTopRight(viewport()->rect().topRight() + QPoint(-margin, margin));
    painter.fillRect(box, QColor(0xff, 0xf2, 0xb3));
    painter.setPen(QColor(0xb0, 0x90, 0x20));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, status);
}

void CMessageWindowView::ScrollToLast()
{
    if (!m_pModel)
        return;
    const int64_t target = m_pModel->TakeScrollTarget();
    if (target >= 0)
        scrollTo(m_pModel->index(static_cast<int>(target)), EnsureVisible);
}

int CMessageWindowView::TopRow() const
{
    return verticalScrollBar()->value();
}

int CMessageWindowView::VisibleRows() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

int CMessageWindowView::ContentsWidth() const
{
    const size_t longest = m_pModel ? m_pModel->Log().MaxLineLength() : 0;
    const double width = std::ceil(static_cast<double>(longest) * m_charWidth) + 2.0 * m_textMargin + 1.0;
    return static_cast<int>(std::min(width, static_cast<double>(std::numeric_limits<int>::max() / 2)));
}

int CMessageWindowView::RowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int CMessageWindowView::RowAt(int y) const
{
    // Floor division, so that a point above the viewport is above the top row.
    const int offset = y >= 0 ? y / m_rowHeight : -((-y + m_rowHeight - 1) / m_rowHeight);
    return TopRow() + offset;
}

void CMessageWindowView::UpdateMetrics()
{
    const QFontMetricsF metrics(font());
    m_charWidth = std::max<qreal>(1.0, std::max(metrics.horizontalAdvance(QLatin1Char('W')), metrics.averageCharWidth()));
    m_rowHeight = std::max(1, QFontMetrics(font()).height() + 2);
    m_textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

QRect CMessageWindowView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex())
        return {};
    const int width = std::max(ContentsWidth(), viewport()->width());
    return {-horizontalOffset(), (index.row() - TopRow()) * m_rowHeight, width, m_rowHeight};
}

void CMessageWindowView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model())
        return;
    const int row = index.row();
    const int top = TopRow();
    const int visible = VisibleRows();
    int newTop = top;
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            newTop = row;
        else if (row >= top + visible)
            newTop = row - visible + 1;
        break;
    case PositionAtTop:
        newTop = row;
        break;
    case PositionAtBottom:
        newTop = row - visible + 1;
        break;
    case PositionAtCenter:
        newTop = row - visible / 2;
        break;
    }
    verticalScrollBar()->setValue(std::max(0, newTop));
}

QModelIndex CMessageWindowView::indexAt(const QPoint& point) const
{
    if (!model() || point.y() < 0)
        return {};
    const int row = RowAt(point.y());
    if (row < 0 || row >= RowCount())
        return {};
    return model()->index(row, modelColumn(), rootIndex());
}

void CMessageWindowView::doItemsLayout()
{
    // Nothing to lay out: a row's place is its number times the row height.
    QAbstractItemView::doItemsLayout();
}

void CMessageWindowView::reset()
{
    QListView::reset();
    // A cleared window shows its new extent at once, not after a delayed layout.
    updateGeometries();
    viewport()->update();
}

void CMessageWindowView::keyboardSearch(const QString&)
{
    // Type-ahead would read every line of a log that may hold millions.
}

void CMessageWindowView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        UpdateMetrics();
        updateGeometries();
    }
    QListView::changeEvent(event);
}

void CMessageWindowView::paintEvent(QPaintEvent* event)
{
    if (!model())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem base;
    initViewItemOption(&base);
    if (isEnabled())
        base.state |= QStyle::State_Enabled;
    if (isActiveWindow())
        base.state |= QStyle::State_Active;

    const int rows = RowCount();
    const int first = std::max(0, RowAt(event->rect().top()));
    const int last = std::min(rows - 1, RowAt(event->rect().bottom()));
    const QModelIndex current = currentIndex();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        QStyleOptionViewItem option = base;
        option.rect = visualRect(index);
        option.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == current && hasFocus())
            option.state |= QStyle::State_HasFocus;
        itemDelegate()->paint(&painter, option, index);
    }
    PaintStatus(painter);
}

void CMessageWindowView::updateGeometries()
{
    const int visible = VisibleRows();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setSingleStep(1);
    vertical->setPageStep(visible);
    vertical->setRange(0, std::max(0, RowCount() - visible));

    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setSingleStep(std::max(1, static_cast<int>(std::lround(m_charWidth))));
    horizontal->setPageStep(viewport()->width());
    horizontal->setRange(0, std::max(0, ContentsWidth() - viewport()->width()));

    // QListView's own version would lay out every row again.
    QAbstractItemView::updateGeometries();
}

void CMessageWindowView::scrollContentsBy(int dx, int dy)
{
    // Scrolling the pixels would carry the status note along with the lines.
    if (std::abs(dy) >= VisibleRows() || (m_pModel && !m_pModel->StatusText().isEmpty()))
        viewport()->update();
    else
        viewport()->scroll(dx, dy * m_rowHeight);
}

int CMessageWindowView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int CMessageWindowView::verticalOffset() const
{
    const int64_t offset = int64_t{TopRow()} * m_rowHeight;
    return static_cast<int>(std::min<int64_t>(offset, std::numeric_limits<int>::max()));
}

QModelIndex CMessageWindowView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int rows = RowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : -1;
    const int page = std::max(1, VisibleRows() - 1);
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = row < 0 ? 0 : row - 1;
        break;
    case MoveDown:
    case MoveNext:
        row = row + 1;
        break;
    case MovePageUp:
        row = row < 0 ? 0 : row - page;
        break;
    case MovePageDown:
        row = row < 0 ? 0 : row + page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MoveLeft:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return current;
    case MoveRight:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return current;
    }
    row = std::clamp(row, 0, rows - 1);
    return model()->index(row, modelColumn(), rootIndex());
}

void CMessageWindowView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    const QRect area = rect.normalized();
    const int rows = RowCount();
    const int first = std::max(0, RowAt(area.top()));
    const int last = std::min(rows - 1, RowAt(area.bottom()));
    QItemSelection selection;
    if (first <= last)
        selection.select(model()->index(first, modelColumn(), rootIndex()),
                         model()->index(last, modelColumn(), rootIndex()));
    selectionModel()->select(selection, command);
}

QRegion CMessageWindowView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const int top = TopRow();
    const int bottom = top + VisibleRows();
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex())
            continue;
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last)
            region += QRect(0, (first - top) * m_rowHeight, viewport()->width(), (last - first + 1) * m_rowHeight);
    }
    return region;
}

bool CMessageWindowView::isIndexHidden(const QModelIndex&) const
{
    return false;
}

void CMessageWindowView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    const int top = TopRow();
    if (end >= top && start <= top + VisibleRows())
        viewport()->update();
}

void CMessageWindowView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    scheduleDelayedItemsLayout();
}
