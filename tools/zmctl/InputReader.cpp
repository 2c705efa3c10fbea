#include "InputReader.h"

#include "Escape.h"
#include "Interrupt.h"
#include "UsageError.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

std::string DisplayName(const std::string& name)
{
    return name == "-" ? std::string("<stdin>") : Escaped(name);
}

int HexDigit(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isdigit(u))
        return u - '0';
    if (std::isxdigit(u))
        return std::tolower(u) - 'a' + 10;
    return -1;
}

//! The byte value of a token ("F0", "f0", "0xF0", "7"), or -1.
int TokenValue(const std::string& token)
{
    std::string digits = token;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.size() == 1)
        return HexDigit(digits[0]);
    if (digits.size() == 2 && HexDigit(digits[0]) >= 0 && HexDigit(digits[1]) >= 0)
        return HexDigit(digits[0]) * 16 + HexDigit(digits[1]);
    return -1;
}

// Enough of a token to show it: the longest valid one has four characters.
constexpr size_t kShownTokenChars = 20;

} // namespace

CInputReader::CInputReader(const std::vector<std::string>& names, bool hex)
    : m_hex(hex)
{
    const std::vector<std::string> list = names.empty() ? std::vector<std::string>{"-"} : names;
    for (const std::string& name : list) {
        // Non-blocking, so that a FIFO with no writer yet opens at once and
        // the reads below wait for it where Ctrl-C can end the wait.
        const int fd = name == "-" ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            const int error = errno;
            // The destructor does not run when the constructor throws.
            for (const Source& opened : m_sources)
                if (opened.fd != STDIN_FILENO)
                    ::close(opened.fd);
            throw CUsageError("cannot open " + Escaped(name) + ": " + std::strerror(error));
        }
        m_sources.push_back({name, fd});
    }
}

CInputReader::~CInputReader()
{
    for (const Source& source : m_sources)
        if (source.fd != STDIN_FILENO)
            ::close(source.fd);
}

void CInputReader::Run(const Sink& sink)
{
    for (const Source& source : m_sources)
        ReadSource(source, sink);
}

void CInputReader::ReadSource(const Source& source, const Sink& sink)
{
    std::vector<uint8_t> buffer(kChunk);
    std::vector<uint8_t> bytes;
    m_state = HexState{};
    for (;;) {
        // Waits in slices, so that Ctrl-C ends a read from a quiet pipe.
        pollfd fd{source.fd, POLLIN, 0};
        while (::poll(&fd, 1, 100) == 0)
            ThrowIfInterrupted();
        ThrowIfInterrupted();
        const ssize_t n = ::read(source.fd, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0)
            throw CUsageError("cannot read " + DisplayName(source.name) + ": " + std::strerror(errno));
        if (n == 0)
            break;
        if (!m_hex) {
            sink(buffer.data(), static_cast<size_t>(n));
            continue;
        }
        bytes.clear();
        const std::string error =
            HexChunk(source, reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n), bytes);
        if (!bytes.empty())
            sink(bytes.data(), bytes.size());
        if (!error.empty())
            throw CUsageError(error);
    }
    if (m_hex) {
        bytes.clear();
        const std::string error = EndToken(source, bytes);
        if (!bytes.empty())
            sink(bytes.data(), bytes.size());
        if (!error.empty())
            throw CUsageError(error);
    }
}

std::string CInputReader::HexChunk(const Source& source, const char* text, size_t count, std::vector<uint8_t>& bytes)
{
    HexState& s = m_state;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            std::string error = EndToken(source, bytes);
            if (!error.empty())
                return error;
            if (c == '\n') {
                ++s.line;
                s.column = 0;
            } else {
                ++s.column;
            }
            continue;
        }
        ++s.column;
        if (s.tokenLength == 0) {
            s.tokenLine = s.line;
            s.tokenColumn = s.column;
        }
        if (s.token.size() < kShownTokenChars + 1)
            s.token += c;
        ++s.tokenLength;
    }
    return {};
}

std::string CInputReader::EndToken(const Source& source, std::vector<uint8_t>& bytes)
{
    HexState& s = m_state;
    if (s.tokenLength == 0)
        return {};
    const int value = s.tokenLength <= 4 ? TokenValue(s.token) : -1;
    if (value < 0) {
        const std::string shown = Escaped(s.token.substr(0, kShownTokenChars)) +
                                  (s.tokenLength > kShownTokenChars ? "..." : "");
        return DisplayName(source.name) + ":" + std::to_string(s.tokenLine) + ":" + std::to_string(s.tokenColumn) +
               ": '" + shown + "' is not a hexadecimal byte value (00-FF)";
    }
    bytes.push_back(static_cast<uint8_t>(value));
    s.token.clear();
    s.tokenLength = 0;
    return {};
}
