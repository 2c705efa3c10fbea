#include "protocol/ExchangeAnswers.h"

void CExchangeAnswers::Begin()
{
    m_zones.fill(std::nullopt);
    m_reports.clear();
    m_identification.reset();
    m_lines.clear();
}

void CExchangeAnswers::Line(std::string_view line)
{
    if (m_lines.size() < kKeptLines)
        m_lines.emplace_back(line);
}

void CExchangeAnswers::ParameterReported(int32_t number, int32_t value)
{
    Report& report = m_reports[number];
    report.value = value;
    ++report.count;
}

std::optional<int32_t> CExchangeAnswers::ParameterAnswer(int32_t number) const
{
    const auto it = m_reports.find(number);
    if (it == m_reports.end())
        return std::nullopt;
    return it->second.value;
}

int CExchangeAnswers::ParameterReports(int32_t number) const
{
    const auto it = m_reports.find(number);
    return it == m_reports.end() ? 0 : it->second.count;
}
