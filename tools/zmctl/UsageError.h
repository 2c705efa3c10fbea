// The failures zmctl reports, each with the exit status it ends with.
//
// Exit statuses (also in zmctl(1)):
//   0    success; diff: the box matches the backup
//   1    diff: the box differs from the backup
//   2    bad arguments (a missing --in or --out among them) or unusable
//        input (bad hex, malformed backup file)
//   3    the box did not answer (all or part) within the timeout
//   4    no such port, an ambiguous port name, a port that cannot be
//        opened, a MIDI system that is not there, a request that could
//        not leave the output port (each is named on stderr)
//   5    a write the box did not confirm when read back, or a request
//        the box refused (it said something else instead of the answer)
//   6    the results could not be written (closed output, full disk)
//   130  interrupted by Ctrl-C (143 by SIGTERM, 129 by SIGHUP); monitor
//        and simulate, which run until interrupted, end with 0
#pragma once

#include <stdexcept>
#include <string>

inline constexpr int kExitOk = 0;
inline constexpr int kExitDifferent = 1;
inline constexpr int kUsageExit = 2;
inline constexpr int kExitNoAnswer = 3;
inline constexpr int kExitPort = 4;
inline constexpr int kExitRefused = 5;
inline constexpr int kExitOutput = 6;

//! A failure that ends the command with `Status()` and one message.
class CCommandError : public std::runtime_error {
public:
    CCommandError(int status, const std::string& message) : std::runtime_error(message), m_status(status) {}
    int Status() const noexcept { return m_status; }

private:
    int m_status;
};

//! A bad argument or bad input: exit status 2.
class CUsageError : public CCommandError {
public:
    explicit CUsageError(const std::string& message) : CCommandError(kUsageExit, message) {}
};
