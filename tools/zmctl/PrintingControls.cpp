#include "PrintingControls.h"

#include <algorithm>

void CPrintingControls::AppendLine(std::string_view line)
{
    // Bytes as they are: an 8-bit character stays one byte (controls are
    // escaped on a terminal).
    m_out.AppendShown(m_pending, line);
    m_pending += '\n';
}

void CPrintingControls::ControlLine(int id, std::string_view what, std::string_view value)
{
    if (!m_showControls)
        return;
    m_pending += '@';
    m_pending += std::to_string(id);
    m_pending += ' ';
    m_pending += what;
    m_pending += ' ';
    m_out.AppendShown(m_pending, value);
    m_pending += '\n';
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

void CPrintingControls::SetTextLimit(int id, int chars)
{
    m_limits[id] = static_cast<size_t>(std::max(chars, 0));
    ControlLine(id, "limit", std::to_string(chars));
}

void CPrintingControls::FocusDialog()
{
    if (m_showControls)
        m_pending += "@dialog focus\n";
}

std::string CPrintingControls::ControlText(int id) const
{
    const auto it = m_texts.find(id);
    return it == m_texts.end() ? std::string() : it->second;
}

void CPrintingControls::Drain()
{
    if (m_pending.empty())
        return;
    m_out.Write(m_pending);
    m_pending.clear();
}

void CPrintingControls::Flush()
{
    Drain();
    m_out.Flush();
}
