#include "PrintingControls.h"

#include <algorithm>
#include <string>

void CPrintingControls::AppendLine(std::string_view line)
{
    // Bytes as they are: an 8-bit character stays one byte.
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fputc('\n', m_out);
}

void CPrintingControls::ControlLine(int id, std::string_view what, std::string_view value)
{
    if (!m_showControls)
        return;
    std::fprintf(m_out, "@%d %.*s ", id, static_cast<int>(what.size()), what.data());
    std::fwrite(value.data(), 1, value.size(), m_out);
    std::fputc('\n', m_out);
}

void CPrintingControls::SetControlText(int id, std::string_view text)
{
    // An edit with a limit keeps only what it can hold, as the dialog's does.
    if (const auto limit = m_limits.find(id); limit != m_limits.end())
        text = text.substr(0, limit->second);
    m_texts[id] = std::string(text);
    ControlLine(id, "text", text);
}

void CPrintingControls::SelectListLine(int id, int index)
{
    ControlLine(id, "select", std::to_string(index));
}

void CPrintingControls::InsertListLine(int id, int index, std::string_view text)
{
    ControlLine(id, "insert", std::to_string(index) + " " + std::string(text));
}

void CPrintingControls::AddListLine(int id, std::string_view text)
{
    ControlLine(id, "add", text);
}

void CPrintingControls::ReplaceListLine(int id, int index, std::string_view text)
{
    ControlLine(id, "replace", std::to_string(index) + " " + std::string(text));
}

void CPrintingControls::SetCheck(int id, bool checked)
{
    ControlLine(id, "check", checked ? "1" : "0");
}

std::string CPrintingControls::ControlText(int id) const
{
    const auto it = m_texts.find(id);
    return it == m_texts.end() ? std::string() : it->second;
}

void CPrintingControls::SetTextLimit(int id, int chars)
{
    m_limits[id] = static_cast<size_t>(std::max(chars, 0));
    ControlLine(id, "limit", std::to_string(chars));
}

void CPrintingControls::FocusDialog()
{
    if (m_showControls)
        std::fputs("@dialog focus\n", m_out);
}
