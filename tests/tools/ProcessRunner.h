// Runs zmctl as a child process with given standard input and collects its
// output and exit status; or starts it in the background to talk to it
// while it runs (monitor, simulate, decode from a pipe).
#pragma once

#include <chrono>
#include <initializer_list>
#include <string>
#include <sys/types.h>
#include <vector>

struct ProcessResult {
    std::string out;
    std::string err;
    int status = -1;  //!< exit status, or -1 when it did not exit normally
    int signal = 0;   //!< the signal that ended it, if one did
};

//! Runs zmctl (the one the build made, or the one ZMCTL names) with `args`,
//! ZMCTL_SIM_TIMING=instant unless the environment sets it.
//! With `stdoutPath`, standard output goes to that file instead (for
//! instance /dev/full).
ProcessResult RunZmctl(const std::vector<std::string>& args, const std::string& input = "",
                       const std::string& stdoutPath = "");

//! RunZmctl() with descriptor `closedFd` (0, 1 or 2) closed, as a shell's
//! <&-, >&- or 2>&- leaves it.
ProcessResult RunZmctlClosing(int closedFd, const std::vector<std::string>& args, const std::string& input = "");

//! RunZmctl() with standard output on a pseudo-terminal (in raw mode, so
//! that the bytes arrive as written).
ProcessResult RunZmctlOnTerminal(const std::vector<std::string>& args, const std::string& input = "");

//! A file in a fresh temporary directory, removed with the directory at exit.
std::string TempFile(const std::string& name, const std::string& contents);
//! That temporary directory.
std::string TempDirectory();
//! The whole of a file, as bytes.
std::string ReadFile(const std::string& path);
//! Byte values (0-255) as a string, for standard input or a file.
std::string ByteString(std::initializer_list<int> bytes);

//! `args` with --in and --out naming the built-in simulated box.
std::vector<std::string> WithBox(std::vector<std::string> args);

//! zmctl running in the background; killed at destruction if still running.
class CZmctlProcess {
public:
    //! `stdinPath` empty: a pipe the test writes to; otherwise that file.
    //! `closedFd` (0-2): that descriptor closed instead.
    explicit CZmctlProcess(const std::vector<std::string>& args, const std::string& stdinPath = "", int closedFd = -1);
    ~CZmctlProcess();
    CZmctlProcess(const CZmctlProcess&) = delete;
    CZmctlProcess& operator=(const CZmctlProcess&) = delete;

    //! Reads standard output until it holds `text`; false after `timeout`.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    void Write(const std::string& bytes);
    void CloseInput();
    void Signal(int signal);
    //! Waits for the end (killing it after `timeout`) and collects the rest.
    ProcessResult Finish(std::chrono::milliseconds timeout);

    pid_t Pid() const { return m_pid; }
    const std::string& Out() const { return m_result.out; }

private:
    //! Reads what is there, waiting at most `wait`; false once both outputs closed.
    bool Pump(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    int m_err = -1;
    ProcessResult m_result;
};
