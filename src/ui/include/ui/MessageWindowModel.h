// The message window's lines (list box 1005) as a Qt list model.
//
// Lines are stored at once in a CMessageLog (one arena, no object per line)
// but announced to views in batches: Append() only schedules one Flush() for
// the next turn of the event loop, and Flush() announces every line appended
// since the previous one with a single insertion. rowCount() is always the
// announced count, so views never see rows they were not told about.
// TakeScrollTarget() flushes first. Lines display as Latin-1: every byte is
// one character. Window thread only.
#pragma once

#include "editors/MessageLog.h"

#include <QAbstractListModel>
#include <QByteArray>

#include <string_view>

class CMessageWindowModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CMessageWindowModel(QObject* parent = nullptr);

    //! Stores `line` as the new last line; views learn of it at the next Flush().
    void Append(std::string_view line);

    //! Announces the lines appended since the previous flush.
    void Flush();

    //! Drops every line. ScrollToLast's remembered count is kept.
    void Clear();

    //! ScrollToLast's bookkeeping after a flush: the row to bring into view,
    //! -1 for an empty window, CMessageLog::kNoScroll when the count did not
    //! change since the previous call.
    int64_t TakeScrollTarget();

    //! The clipboard text of Copy, without the C terminator that
    //! CMessageLog::CopyText() ends with.
    QByteArray CopyText() const;

    const CMessageLog& Log() const { return m_log; }

    //! Number of lines stored, announced or not.
    size_t StoredCount() const { return m_log.Count(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    CMessageLog m_log;
    int m_announced = 0;
    bool m_bFlushPosted = false;
};
