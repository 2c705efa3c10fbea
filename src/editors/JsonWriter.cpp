#include "editors/JsonWriter.h"

#include <cstdio>

namespace {

//! `text` as a JSON string literal (see CJsonWriter).
std::string JsonString(std::string_view text)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\u00";
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0x0F];
        }
    }
    out += '"';
    return out;
}

} // namespace

void CJsonWriter::Newline()
{
    if (m_oneLine)
        return;
    m_text += '\n';
    m_text.append(2 * m_open.size(), ' ');
}

void CJsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_open.empty())
        return;
    if (m_open.back())
        m_text += m_oneLine ? ", " : ",";
    m_open.back() = true;
    Newline();
}

CJsonWriter& CJsonWriter::BeginObject()
{
    BeforeValue();
    m_text += '{';
    m_open.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::Close(char bracket)
{
    const bool any = m_open.back();
    m_open.pop_back();
    if (any)
        Newline();
    m_text += bracket;
    return *this;
}

CJsonWriter& CJsonWriter::EndObject()
{
    return Close('}');
}

CJsonWriter& CJsonWriter::BeginArray()
{
    BeforeValue();
    m_text += '[';
    m_open.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::EndArray()
{
    return Close(']');
}

CJsonWriter& CJsonWriter::Key(std::string_view key)
{
    BeforeValue();
    m_text += JsonString(key);
    m_text += ": ";
    m_afterKey = true;
    return *this;
}

CJsonWriter& CJsonWriter::Value(std::string_view text)
{
    BeforeValue();
    m_text += JsonString(text);
    return *this;
}

CJsonWriter& CJsonWriter::Value(int64_t number)
{
    BeforeValue();
    m_text += std::to_string(number);
    return *this;
}

CJsonWriter& CJsonWriter::Value(bool flag)
{
    BeforeValue();
    m_text += flag ? "true" : "false";
    return *this;
}

CJsonWriter& CJsonWriter::Value(double number)
{
    BeforeValue();
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", number);
    m_text += text;
    return *this;
}

CJsonWriter& CJsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
    return *this;
}
