#include "ui/MessageWindowModel.h"

#include <QMetaObject>
#include <QStringList>

#include <algorithm>
#include <limits>

CMessageWindowModel::CMessageWindowModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void CMessageWindowModel::Append(std::string_view line, MessageKind kind)
{
    m_lines.Append(line, kind);
    if (!m_bFlushPosted) {
        m_bFlushPosted = true;
        QMetaObject::invokeMethod(this, &CMessageWindowModel::Flush, Qt::QueuedConnection);
    }
}

void CMessageWindowModel::Flush()
{
    m_bFlushPosted = false;
    CheckStatus();
    // Rows are ints for Qt; lines beyond that stay stored but unseen.
    const auto shown = static_cast<int>(
        std::min<size_t>(m_lines.ShownCount(), static_cast<size_t>(std::numeric_limits<int>::max())));
    if (shown <= m_announced)
        return;
    beginInsertRows(QModelIndex(), m_announced, shown - 1);
    m_announced = shown;
    endInsertRows();
}

void CMessageWindowModel::Clear()
{
    beginResetModel();
    m_lines.Clear();
    m_announced = 0;
    endResetModel();
    CheckStatus();
}

void CMessageWindowModel::ResetRows()
{
    beginResetModel();
    m_announced = static_cast<int>(
        std::min<size_t>(m_lines.ShownCount(), static_cast<size_t>(std::numeric_limits<int>::max())));
    endResetModel();
}

void CMessageWindowModel::SetPaused(bool paused)
{
    m_lines.SetPaused(paused);
    // The held lines join the end: an insertion like any other.
    Flush();
}

void CMessageWindowModel::SetHideShortMessages(bool hide)
{
    if (hide == m_lines.HidesShortMessages())
        return;
    m_lines.SetHideShortMessages(hide);
    ResetRows();
    CheckStatus();
}

QString CMessageWindowModel::StatusText() const
{
    QStringList parts;
    if (m_lines.Paused())
        parts << QStringLiteral("Paused: %1 new lines held").arg(m_lines.HeldCount());
    if (m_lines.HidesShortMessages())
        parts << QString::fromStdString(m_lines.FilterNotice());
    return parts.join(QStringLiteral("; "));
}

void CMessageWindowModel::CheckStatus()
{
    QString status = StatusText();
    if (status == m_status)
        return;
    m_status = std::move(status);
    emit StatusChanged();
}

int64_t CMessageWindowModel::TakeScrollTarget()
{
    Flush();
    const int64_t target = m_lines.TakeScrollTarget();
    return target >= m_announced ? int64_t{m_announced} - 1 : target;
}

QByteArray CMessageWindowModel::CopyText() const
{
    // The clipboard keeps the length of what it holds, so the C terminator
    // that ends the block is left off: a reader would take it as a
    // character. QByteArray keeps a zero after its last byte anyway, which
    // is where the terminator lands: the text is built once, in place.
    const size_t size = m_lines.CopyTextSize() - 1;
    if (size == 0)
        return QByteArray();   // its data() is shared and read-only
    QByteArray text(static_cast<qsizetype>(size), Qt::Uninitialized);
    m_lines.WriteCopyText(text.data());
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
    const std::string_view line = m_lines.ShownLine(static_cast<size_t>(index.row()));
    return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}
