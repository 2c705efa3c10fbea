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

// Enough of a token to show it in a message.
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
        TokenCharacter(c, bytes);
    }
    return {};
}

void CInputReader::TokenCharacter(char c, std::vector<uint8_t>& bytes)
{
    // Digits run together ("F0091AF7", as xxd -p writes them) are bytes two
    // by two, each given out as soon as it is whole, so that a token of any
    // length takes no memory; "0x" before one or two digits makes one byte.
    HexState& s = m_state;
    if (s.bad)
        return;
    if (s.tokenLength == 2 && s.pending == 0 && s.digits == 1 && (c == 'x' || c == 'X')) {
        s.prefixed = true;
        s.pending = -1;
        s.digits = 0;
        return;
    }
    const int digit = HexDigit(c);
    if (digit < 0) {
        s.bad = true;
        return;
    }
    ++s.digits;
    if (s.prefixed) {
        s.bad = s.digits > 2;
        s.value = s.value * 16 + digit;
    } else if (s.pending < 0) {
        s.pending = digit;
    } else {
        bytes.push_back(static_cast<uint8_t>(s.pending * 16 + digit));
        s.pending = -1;
    }
}

std::string CInputReader::EndToken(const Source& source, std::vector<uint8_t>& bytes)
{
    HexState& s = m_state;
    if (s.tokenLength == 0)
        return {};
    // What is left: a lone digit ("7") is a byte, the digits after "0x"
    // are one; an odd digit after pairs is not.
    bool whole = !s.bad;
    if (whole && s.prefixed) {
        whole = s.digits != 0;
        if (whole)
            bytes.push_back(static_cast<uint8_t>(s.value));
    } else if (whole && s.pending >= 0) {
        whole = s.digits == 1;
        if (whole)
            bytes.push_back(static_cast<uint8_t>(s.pending));
    }
    if (!whole) {
        const std::string shown = Escaped(s.token.substr(0, kShownTokenChars)) +
                                  (s.tokenLength > kShownTokenChars ? "..." : "");
        return DisplayName(source.name) + ":" + std::to_string(s.tokenLine) + ":" + std::to_string(s.tokenColumn) +
               ": '" + shown + "' is not a hexadecimal byte value (00-FF) or bytes run together";
    }
    const size_t line = s.line;
    const size_t column = s.column;
    s = HexState{};
    s.line = line;
    s.column = column;
    return {};
}
