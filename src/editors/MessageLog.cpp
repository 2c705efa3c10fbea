#include "editors/MessageLog.h"

#include <algorithm>
#include <cstring>
#include <limits>

void CMessageLog::Append(std::string_view line, MessageKind kind)
{
    // A line longer than 2 GiB cannot be indexed; keep what fits.
    const size_t length = std::min(line.size(), kMaxLineLength);
    if (m_blocks.empty() || m_blocks.back().size - m_blocks.back().used < length) {
        Block block;
        block.size = std::max(kBlockSize, length);
        block.data = std::make_unique<char[]>(block.size);
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    if (length != 0)
        std::memcpy(block.data.get() + block.used, line.data(), length);
    m_index.push_back(Entry{static_cast<uint32_t>(m_blocks.size() - 1), static_cast<uint32_t>(block.used),
                            static_cast<uint32_t>(length), kind == MessageKind::ShortMessage ? 1u : 0u});
    block.used += length;
    m_textBytes += length;
    m_maxLength = std::max(m_maxLength, length);
}

void CMessageLog::Clear()
{
    m_index.clear();
    m_index.shrink_to_fit();
    m_blocks.clear();
    m_textBytes = 0;
    m_maxLength = 0;
}

std::string_view CMessageLog::Line(size_t i) const
{
    if (i >= m_index.size())
        return {};
    const Entry& e = m_index[i];
    return {m_blocks[e.block].data.get() + e.offset, e.length};
}

MessageKind CMessageLog::Kind(size_t i) const
{
    return i < m_index.size() && m_index[i].shortMessage ? MessageKind::ShortMessage : MessageKind::Text;
}

int64_t CMessageLog::TakeScrollTarget()
{
    const auto count = static_cast<int64_t>(m_index.size());
    if (count == m_rememberedCount)
        return kNoScroll;
    m_rememberedCount = count;
    return count - 1;
}

namespace {

// "item%4d: " for a non-negative number, written at `out`; returns the end.
char* WriteItemPrefix(char* out, size_t number)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    std::memcpy(out, "item", 4);
    out += 4;
    for (int pad = n; pad < 4; ++pad)
        *out++ = ' ';
    while (n > 0)
        *out++ = digits[--n];
    *out++ = ':';
    *out++ = ' ';
    return out;
}

} // namespace

size_t CMessageLog::CopyTextSize() const
{
    const size_t count = m_index.size();
    // "item" + max(4, digits) + ": " + text + "\r\n" per line, then the zero.
    size_t size = m_textBytes + 1;
    for (size_t width = 4, from = 0; from < count; ++width) {
        // Lines numbered [from, to) all print with `width` digits.
        size_t to = count;
        if (width < 20) {
            size_t limit = 1;
            for (size_t k = 0; k < width; ++k)
                limit *= 10;
            to = std::min(count, limit);
        }
        size += (to - from) * (4 + width + 2 + 2);
        from = to;
    }
    return size;
}

char* CMessageLog::WriteCopyText(char* out) const
{
    for (size_t i = 0; i < m_index.size(); ++i) {
        out = WriteItemPrefix(out, i);
        const std::string_view line = Line(i);
        if (!line.empty())
            std::memcpy(out, line.data(), line.size());
        out += line.size();
        *out++ = '\r';
        *out++ = '\n';
    }
    *out++ = '\0';
    return out;
}

std::string CMessageLog::CopyText() const
{
    std::string text(CopyTextSize(), '\0');
    WriteCopyText(text.data());
    return text;
}

size_t CMessageLog::OverheadBytes() const
{
    size_t blockBytes = 0;
    for (const Block& b : m_blocks)
        blockBytes += b.size;
    return m_index.capacity() * sizeof(Entry) + m_blocks.capacity() * sizeof(Block)
        + (blockBytes - m_textBytes);
}
