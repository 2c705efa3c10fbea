#include "Output.h"

#include "Escape.h"
#include "UsageError.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <unistd.h>

COutput::COutput(std::FILE* file, std::string name)
    : m_file(file)
    , m_name(std::move(name))
    , m_terminal(::isatty(::fileno(file)) == 1)
{
}

void COutput::AppendShown(std::string& to, std::string_view text) const
{
    if (m_terminal)
        AppendControlsEscaped(to, text);
    else
        to += text;
}

void COutput::Fail(int error)
{
    throw CCommandError(kExitOutput, "cannot write to " + m_name + ": " + std::strerror(error));
}

void COutput::Write(std::string_view text)
{
    if (text.empty())
        return;
    if (m_beforeFirstWrite)
        std::exchange(m_beforeFirstWrite, nullptr)();
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
        Fail(errno != 0 ? errno : EIO);
}

void COutput::Line(std::string_view text)
{
    if (!m_terminal) {
        Write(text);
        Write("\n");
        return;
    }
    std::string shown;
    AppendShown(shown, text);
    shown += '\n';
    Write(shown);
}

void COutput::Flush()
{
    errno = 0;
    if (std::fflush(m_file) != 0 || std::ferror(m_file))
        Fail(errno != 0 ? errno : EIO);
}
