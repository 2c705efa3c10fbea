// Reads decode's input as a stream: raw MIDI bytes, or with --hex text of
// hexadecimal byte values, separated by white space or run together in
// pairs ("F0 09 1A F7", "F0091AF7" as xxd -p writes it). Chunk by chunk, in
// fixed memory, so that an endless pipe, a FIFO or a live capture is
// decoded as it comes; Ctrl-C is noticed while a read waits for data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CInputReader {
public:
    using Sink = std::function<void(const uint8_t* bytes, size_t count)>;

    //! Opens every source at once, so that a missing file is reported
    //! before anything is decoded; "-" (or an empty list) is standard
    //! input. Throws CUsageError.
    CInputReader(const std::vector<std::string>& names, bool hex);
    ~CInputReader();

    CInputReader(const CInputReader&) = delete;
    CInputReader& operator=(const CInputReader&) = delete;

    //! Hands the bytes of every source, in order, to `sink` as they are
    //! read. Throws CUsageError for a read error or, with hex, for a token
    //! that is no byte value (naming source, line and column, the token
    //! escaped); CCommandError on Ctrl-C.
    void Run(const Sink& sink);

    //! Largest chunk read at once.
    static constexpr size_t kChunk = 65536;

private:
    struct Source {
        std::string name;
        int fd;
    };

    //! Hex text state of the current source.
    struct HexState {
        std::string token;   //!< the token's start, to show it in a message
        size_t tokenLength = 0;
        size_t line = 1;
        size_t column = 0;   //!< of the last character read
        size_t tokenLine = 0;
        size_t tokenColumn = 0;
        // The token's value so far.
        int pending = -1;    //!< a digit waiting for the second of its pair
        size_t digits = 0;   //!< hexadecimal digits (after a 0x)
        bool prefixed = false;
        int value = 0;       //!< after 0x
        bool bad = false;    //!< not hexadecimal bytes
    };

    void ReadSource(const Source& source, const Sink& sink);
    //! Appends the chunk's byte values to `bytes`; stops at a bad token and
    //! returns its message (the bytes before it still count).
    std::string HexChunk(const Source& source, const char* text, size_t count, std::vector<uint8_t>& bytes);
    std::string EndToken(const Source& source, std::vector<uint8_t>& bytes);
    //! One more character of the current token; whole bytes go to `bytes`.
    void TokenCharacter(char c, std::vector<uint8_t>& bytes);

    bool m_hex;
    std::vector<Source> m_sources;
    HexState m_state;
};
