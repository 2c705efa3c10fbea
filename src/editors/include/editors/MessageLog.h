// Line storage behind the message window (list box 1005).
//
// Lines live in one arena of fixed-size character blocks plus a compact
// offset table: one small entry per line, no heap string per line, no limit
// on the number of lines. Bytes are kept as they arrive (8-bit text).
// Window thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

//! Where a line of the message window came from, for the window's filter.
enum class MessageKind : uint8_t {
    //! Replies, reports, texts, port results: everything but the below.
    Text,
    //! The line of a short message from the input (a note-on).
    ShortMessage,
};

class CMessageLog {
public:
    CMessageLog() = default;
    CMessageLog(const CMessageLog&) = delete;
    CMessageLog& operator=(const CMessageLog&) = delete;

    //! Appends `line` as the new last line. Line breaks are not interpreted.
    void Append(std::string_view line, MessageKind kind = MessageKind::Text);

    //! Drops every line. The remembered count of TakeScrollTarget is kept.
    void Clear();

    size_t Count() const { return m_index.size(); }
    std::string_view Line(size_t i) const;
    //! MessageKind::Text for a line out of range.
    MessageKind Kind(size_t i) const;

    //! Length of the longest line appended since the last Clear.
    size_t MaxLineLength() const { return m_maxLength; }

    //! ScrollToLast's bookkeeping: when the line count differs from the one
    //! remembered by the previous call, remembers it and returns the row to
    //! bring into view (count - 1, or -1 when the window is empty); returns
    //! -2 when nothing changed, so a user who scrolled up is left alone.
    int64_t TakeScrollTarget();
    static constexpr int64_t kNoScroll = -2;

    //! The clipboard text of Copy: "item%4d: %s\r\n" per line, numbered from
    //! 0, followed by one terminating zero byte (which is included in the
    //! returned string's size).
    std::string CopyText() const;

    //! Exact size of CopyText(), the terminating zero included.
    size_t CopyTextSize() const;
    //! Writes CopyText() into `out`, which holds CopyTextSize() bytes, and
    //! returns the end of what was written (one past the zero). Lets the
    //! text be built once, straight into the buffer that takes it.
    char* WriteCopyText(char* out) const;

    //! Bytes held for bookkeeping beyond the line texts themselves (index
    //! table and unused block space), for the memory benchmark.
    size_t OverheadBytes() const;

    //! Size of one arena block; longer lines get a block of their own.
    static constexpr size_t kBlockSize = size_t{1} << 20;

private:
    static constexpr size_t kMaxLineLength = (size_t{1} << 31) - 1;

    struct Entry {
        uint32_t block;
        uint32_t offset;
        uint32_t length : 31;
        uint32_t shortMessage : 1;
    };
    struct Block {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        size_t used = 0;
    };

    std::vector<Block> m_blocks;
    std::vector<Entry> m_index;
    size_t m_textBytes = 0;
    size_t m_maxLength = 0;
    int64_t m_rememberedCount = 0;
};
