#include "ui/MessageWindowModel.h"

#include <QMetaObject>

#include <algorithm>
#include <limits>

CMessageWindowModel::CMessageWindowModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void CMessageWindowModel::Append(std::string_view line)
{
    m_log.Append(line);
    if (!m_bFlushPosted) {
        m_bFlushPosted = true;
        QMetaObject::invokeMethod(this, &CMessageWindowModel::Flush, Qt::QueuedConnection);
    }
}

void CMessageWindowModel::Flush()
{
    m_bFlushPosted = false;
    // Rows are ints for Qt; lines beyond that stay stored but unseen.
    const auto stored = static_cast<int>(
        std::min<size_t>(m_log.Count(), static_cast<size_t>(std::numeric_limits<int>::max())));
    if (stored <= m_announced)
        return;
    beginInsertRows(QModelIndex(), m_announced, stored - 1);
    m_announced = stored;
    endInsertRows();
}

void CMessageWindowModel::Clear()
{
    beginResetModel();
    m_log.Clear();
    m_announced = 0;
    endResetModel();
}

int64_t CMessageWindowModel::TakeScrollTarget()
{
    Flush();
    const int64_t target = m_log.TakeScrollTarget();
    return target >= m_announced ? int64_t{m_announced} - 1 : target;
}

QByteArray CMessageWindowModel::CopyText() const
{
    // The clipboard keeps the length of what it holds, so the C terminator
    // that ends the block is left off: a reader would take it as a
    // character. QByteArray keeps a zero after its last byte anyway, which
    // is where the terminator lands: the text is built once, in place.
    const size_t size = m_log.CopyTextSize() - 1;
    if (size == 0)
        return QByteArray();   // its data() is shared and read-only
    QByteArray text(static_cast<qsizetype>(size), Qt::Uninitialized);
    m_log.WriteCopyText(text.data());
    return text;
}

int CMessageWindowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_announced;
}

QVariant CMessageWindowModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_announced)
        return {};
    const std::string_view line = m_log.Line(static_cast<size_t>(index.row()));
    return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}
