#include "editors/MessageWindowLines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void CMessageWindowLines::Append(std::string_view line, MessageKind kind)
{
    if (m_paused)
        m_held.Append(line, kind);
    else
        AppendShown(line, kind);
}

void CMessageWindowLines::AppendShown(std::string_view line, MessageKind kind)
{
    m_log.Append(line, kind);
    if (m_hideShortMessages && kind != MessageKind::ShortMessage)
        m_shown.push_back(static_cast<uint32_t>(m_log.Count() - 1));
}

void CMessageWindowLines::Clear()
{
    m_log.Clear();
    m_shown.clear();
    m_shown.shrink_to_fit();
}

void CMessageWindowLines::SetPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (paused)
        return;
    for (size_t i = 0; i < m_held.Count(); ++i)
        AppendShown(m_held.Line(i), m_held.Kind(i));
    m_held.Clear();
}

void CMessageWindowLines::SetHideShortMessages(bool hide)
{
    if (hide == m_hideShortMessages)
        return;
    m_hideShortMessages = hide;
    m_shown.clear();
    m_shown.shrink_to_fit();
    if (!hide)
        return;
    for (size_t i = 0; i < m_log.Count(); ++i)
        if (m_log.Kind(i) != MessageKind::ShortMessage)
            m_shown.push_back(static_cast<uint32_t>(i));
}

std::string CMessageWindowLines::FilterNotice() const
{
    if (!m_hideShortMessages)
        return {};
    return "Filtered: " + std::to_string(HiddenCount()) + " short messages hidden";
}

std::string_view CMessageWindowLines::ShownLine(size_t row) const
{
    if (!m_hideShortMessages)
        return m_log.Line(row);
    return row < m_shown.size() ? m_log.Line(m_shown[row]) : std::string_view();
}

int64_t CMessageWindowLines::TakeScrollTarget()
{
    const auto count = static_cast<int64_t>(ShownCount());
    if (count == m_rememberedCount)
        return CMessageLog::kNoScroll;
    m_rememberedCount = count;
    return count - 1;
}

// ---- Copy ---------------------------------------------------------------------

namespace {

constexpr std::string_view kCopyLineEnd = "\r\n";

// "item%4d: " as Copy numbers its lines.
std::string ItemPrefix(size_t number)
{
    char prefix[32];
    const int n = std::snprintf(prefix, sizeof prefix, "item%4zu: ", number);
    return std::string(prefix, static_cast<size_t>(n));
}

} // namespace

size_t CMessageWindowLines::CopyTextSize() const
{
    if (!m_hideShortMessages)
        return m_log.CopyTextSize();
    size_t size = FilterNotice().size() + kCopyLineEnd.size() + 1;
    for (size_t row = 0; row < m_shown.size(); ++row)
        size += ItemPrefix(row).size() + ShownLine(row).size() + kCopyLineEnd.size();
    return size;
}

char* CMessageWindowLines::WriteCopyText(char* out) const
{
    if (!m_hideShortMessages)
        return m_log.WriteCopyText(out);
    const auto put = [&out](std::string_view text) {
        if (!text.empty())
            std::memcpy(out, text.data(), text.size());
        out += text.size();
    };
    put(FilterNotice());
    put(kCopyLineEnd);
    for (size_t row = 0; row < m_shown.size(); ++row) {
        put(ItemPrefix(row));
        put(ShownLine(row));
        put(kCopyLineEnd);
    }
    *out++ = '\0';
    return out;
}

std::string CMessageWindowLines::CopyText() const
{
    std::string text(CopyTextSize(), '\0');
    WriteCopyText(text.data());
    return text;
}

// ---- Save ---------------------------------------------------------------------

bool CMessageWindowLines::WriteSaveText(const std::function<bool(std::string_view)>& write) const
{
    constexpr size_t kPiece = size_t{1} << 20;
    std::string buffer;
    buffer.reserve(kPiece + 64);
    const auto flush = [&]() {
        const bool ok = buffer.empty() || write(buffer);
        buffer.clear();
        return ok;
    };
    // Bytes below 0x80 are the same in both; each byte above is one Latin-1
    // character, two bytes in UTF-8.
    const auto add = [&](std::string_view line) {
        const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii) {
            buffer.append(line);
        } else {
            for (const char c : line) {
                const auto byte = static_cast<unsigned char>(c);
                if (byte < 0x80) {
                    buffer += c;
                } else {
                    buffer += static_cast<char>(0xC0 | (byte >> 6));
                    buffer += static_cast<char>(0x80 | (byte & 0x3F));
                }
            }
        }
        buffer += '\n';
        return buffer.size() < kPiece || flush();
    };
    if (m_hideShortMessages && !add(FilterNotice()))
        return false;
    const size_t count = ShownCount();
    for (size_t row = 0; row < count; ++row)
        if (!add(ShownLine(row)))
            return false;
    return flush();
}
