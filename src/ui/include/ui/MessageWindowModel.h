// The message window's lines (list box 1005) as a Qt list model.
//
// Lines are stored at once in a CMessageLog (one arena, no object per line)
// but announced to views in batches: Append() only schedules one Flush() for
// the next turn of the event loop, and Flush() announces every line appended
// since the previous one with a single insertion. rowCount() is always the
// announced count, so views never see rows they were not told about.
// TakeScrollTarget() flushes first. Lines display as Latin-1: every byte is
// one character. The rows are the lines shown (CMessageWindowLines): a pause
// holds new lines back, the filter leaves short messages out. Window thread
// only.
#pragma once

#include "editors/MessageWindowLines.h"

#include <QAbstractListModel>
#include <QByteArray>

#include <string_view>

class CMessageWindowModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CMessageWindowModel(QObject* parent = nullptr);

    //! Stores `line` as the new last line; views learn of it at the next Flush().
    void Append(std::string_view line, MessageKind kind = MessageKind::Text);

    //! Announces the lines appended since the previous flush.
    void Flush();

    //! Drops every line. ScrollToLast's remembered count is kept.
    void Clear();

    //! ScrollToLast's bookkeeping after a flush: the row to bring into view,
    //! -1 for an empty window, CMessageLog::kNoScroll when the count did not
    //! change since the previous call.
    int64_t TakeScrollTarget();

    //! The clipboard text of Copy, without the C terminator that
    //! CMessageLog::CopyText() ends with. What is shown: with the filter
    //! off, every line (see CMessageWindowLines).
    QByteArray CopyText() const;

    //! Holds new lines back while `paused`; resuming shows them all.
    void SetPaused(bool paused);
    //! Leaves the lines of short messages out of the rows.
    void SetHideShortMessages(bool hide);
    //! "Paused: N new lines held", the filter notice, both, or "".
    QString StatusText() const;

    //! Every line stored and not held, shown or not.
    const CMessageLog& Log() const { return m_lines.Log(); }
    const CMessageWindowLines& Lines() const { return m_lines; }

    //! Number of lines stored, announced or not (held lines not counted).
    size_t StoredCount() const { return m_lines.Log().Count(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    //! StatusText() changed (at a flush, or when a switch changed).
    void StatusChanged();

private:
    void ResetRows();
    void CheckStatus();

    CMessageWindowLines m_lines;
    int m_announced = 0;
    bool m_bFlushPosted = false;
    QString m_status;
};
