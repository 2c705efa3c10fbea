// The message window's lines as the user sees them: the log of every line,
// plus the two ways of looking at it that the user can switch on and off.
//
// - Pause: new lines are held, not appended; resuming appends every held
//   line in arrival order, so nothing is lost and the window does not move
//   while the user reads.
// - Hide short messages (off by default): the lines of the input's short
//   messages (the note stream) are left out of what the window shows; they
//   stay in the log and come back when the filter is switched off.
//
// Copy and Save write what is shown. With the filter off, Copy is exactly
// the window's copy text (CMessageLog::CopyText); with it on, both begin with
// a line that says how many lines the filter hides. No toolkit types.
// Window thread only.
#pragma once

#include "editors/MessageLog.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CMessageWindowLines {
public:
    //! Appends `line`, or holds it while paused.
    void Append(std::string_view line, MessageKind kind = MessageKind::Text);
    //! Drops the lines of the window. Lines held by a pause stay held: they
    //! have not been shown yet. The remembered count of TakeScrollTarget is kept.
    void Clear();

    //! Resuming appends the held lines.
    void SetPaused(bool paused);
    bool Paused() const { return m_paused; }
    size_t HeldCount() const { return m_held.Count(); }

    void SetHideShortMessages(bool hide);
    bool HidesShortMessages() const { return m_hideShortMessages; }
    //! Lines of the window the filter hides now; 0 with the filter off.
    size_t HiddenCount() const { return m_hideShortMessages ? m_log.Count() - m_shown.size() : 0; }
    //! "Filtered: N short messages hidden", or "" with the filter off.
    std::string FilterNotice() const;

    //! The lines shown, in order.
    size_t ShownCount() const { return m_hideShortMessages ? m_shown.size() : m_log.Count(); }
    std::string_view ShownLine(size_t row) const;
    //! Every line appended (and not held), shown or hidden.
    const CMessageLog& Log() const { return m_log; }

    //! CMessageLog::TakeScrollTarget over the lines shown: a row to bring
    //! into view when their count changed, kNoScroll otherwise.
    int64_t TakeScrollTarget();

    //! Size of CopyText() and the text itself, terminating zero included.
    size_t CopyTextSize() const;
    char* WriteCopyText(char* out) const;
    std::string CopyText() const;

    //! The shown lines as a plain text file: each line's bytes taken as
    //! Latin-1 characters (as the window shows them) and written as UTF-8,
    //! each ended by "\n", the filter notice first when filtered. `write`
    //! takes the text in pieces of about a megabyte and returns false to
    //! stop; so does WriteSaveText then.
    bool WriteSaveText(const std::function<bool(std::string_view)>& write) const;

private:
    void AppendShown(std::string_view line, MessageKind kind);

    CMessageLog m_log;
    CMessageLog m_held;
    bool m_paused = false;
    bool m_hideShortMessages = false;
    //! With the filter on: the log's index of each line shown.
    std::vector<uint32_t> m_shown;
    int64_t m_rememberedCount = 0;
};
