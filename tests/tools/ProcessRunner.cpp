#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

//! Reads what is ready on `fd.fd` into `into`; closes it (and sets -1) at
//! its end. False once closed.
bool ReadReady(pollfd& fd, std::string& into)
{
    if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP)))
        return fd.fd >= 0;
    char buf[4096];
    const ssize_t n = read(fd.fd, buf, sizeof buf);
    if (n > 0) {
        into.append(buf, static_cast<size_t>(n));
        return true;
    }
    close(fd.fd);
    fd.fd = -1;
    return false;
}

std::string ZmctlPath()
{
    const char* path = std::getenv("ZMCTL");
    return path ? path : ZMCTL_BINARY;
}

struct TempDir {
    std::filesystem::path path;
    TempDir()
    {
        char pattern[] = "/tmp/zmctl-test-XXXXXX";
        if (mkdtemp(pattern))
            path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};

TempDir& Dir()
{
    static TempDir dir;
    return dir;
}

//! How the child's standard streams are set up besides the pipes.
struct StreamSetup {
    std::string stdinPath;   //!< stdin from this file instead of a pipe
    std::string stdoutPath;  //!< stdout to this file instead of a pipe
    int stdoutFd = -1;       //!< stdout on this descriptor (a terminal) instead of a pipe
    int closedFd = -1;       //!< this one of 0-2 closed
};

//! Forks zmctl with its standard streams on the given descriptors (-1:
//! a pipe, returned in the same variable).
pid_t Spawn(const std::vector<std::string>& args, int& in, int& out, int& err, const StreamSetup& setup)
{
    const std::string& stdinPath = setup.stdinPath;
    const std::string& stdoutPath = setup.stdoutPath;
    const bool outPiped = stdoutPath.empty() && setup.stdoutFd < 0;
    const std::string program = ZmctlPath();
    if (program.empty()) {
        ADD_FAILURE() << "no zmctl to run";
        return -1;
    }
    int inPipe[2] = {-1, -1}, outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    if ((stdinPath.empty() && pipe(inPipe) != 0) || (outPiped && pipe(outPipe) != 0) || pipe(errPipe) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return -1;
    }
    signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid == 0) {
        const int childIn = stdinPath.empty() ? inPipe[0] : open(stdinPath.c_str(), O_RDONLY);
        const int childOut = setup.stdoutFd >= 0 ? setup.stdoutFd
                           : stdoutPath.empty()  ? outPipe[1]
                                                 : open(stdoutPath.c_str(), O_WRONLY);
        dup2(childIn, 0);
        dup2(childOut, 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1], setup.stdoutFd})
            if (fd > 2)
                close(fd);
        if (setup.closedFd >= 0)
            close(setup.closedFd);
        signal(SIGPIPE, SIG_DFL);
        // The built-in simulated box answers at once unless a test asks.
        setenv("ZMCTL_SIM_TIMING", "instant", 0);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    for (int fd : {inPipe[0], outPipe[1], errPipe[1]})
        if (fd >= 0)
            close(fd);
    in = inPipe[1];
    out = outPipe[0];
    err = errPipe[0];
    return pid;
}

void Collect(ProcessResult& result, int status)
{
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

} // namespace

std::string TempDirectory()
{
    return Dir().path.string();
}

std::string TempFile(const std::string& name, const std::string& contents)
{
    const auto file = Dir().path / name;
    std::ofstream(file, std::ios::binary) << contents;
    return file.string();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ByteString(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

std::vector<std::string> WithBox(std::vector<std::string> args)
{
    static const std::vector<std::string> kBox = {"--in", "ZM1 Simulator", "--out", "ZM1 Simulator"};
    args.insert(args.end(), kBox.begin(), kBox.end());
    return args;
}

namespace {

//! Runs zmctl to its end, feeding `input` and collecting both outputs;
//! `out` is the descriptor standard output is read from (-1: none).
ProcessResult RunToEnd(const std::vector<std::string>& args, const std::string& input, const StreamSetup& setup,
                       int terminal = -1)
{
    ProcessResult result;
    int in = -1, out = -1, err = -1;
    const pid_t pid = Spawn(args, in, out, err, setup);
    if (pid < 0)
        return result;
    // The terminal reports its end only once the child's side is closed everywhere.
    if (setup.stdoutFd >= 0)
        close(setup.stdoutFd);
    if (terminal >= 0)
        out = terminal;

    // Feed stdin and drain both outputs together so no pipe can fill up.
    size_t written = 0;
    if (input.empty()) {
        close(in);
        in = -1;
    } else {
        fcntl(in, F_SETFL, O_NONBLOCK);
    }
    pollfd fds[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {in, POLLOUT, 0}};
    int open = (out >= 0) + 1;
    while (open > 0 || in >= 0) {
        fds[2].fd = in;
        if (poll(fds, 3, 30000) <= 0)
            break;
        for (int k = 0; k < 2; ++k)
            if (fds[k].fd >= 0 && !ReadReady(fds[k], k == 0 ? result.out : result.err))
                --open;
        if (in >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = write(in, input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) {
                close(in);
                in = -1;
            }
        }
    }
    for (int fd : {fds[0].fd, fds[1].fd, in})
        if (fd >= 0)
            close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    Collect(result, status);
    return result;
}

} // namespace

ProcessResult RunZmctl(const std::vector<std::string>& args, const std::string& input, const std::string& stdoutPath)
{
    return RunToEnd(args, input, {"", stdoutPath});
}

ProcessResult RunZmctlClosing(int closedFd, const std::vector<std::string>& args, const std::string& input)
{
    StreamSetup setup;
    setup.closedFd = closedFd;
    return RunToEnd(args, input, setup);
}

ProcessResult RunZmctlOnTerminal(const std::vector<std::string>& args, const std::string& input)
{
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        ADD_FAILURE() << "openpty: " << std::strerror(errno);
        return {};
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    StreamSetup setup;
    setup.stdoutFd = slave;
    return RunToEnd(args, input, setup, master);
}

CZmctlProcess::CZmctlProcess(const std::vector<std::string>& args, const std::string& stdinPath, int closedFd)
{
    StreamSetup setup;
    setup.stdinPath = stdinPath;
    setup.closedFd = closedFd;
    m_pid = Spawn(args, m_in, m_out, m_err, setup);
}

CZmctlProcess::~CZmctlProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    for (int fd : {m_in, m_out, m_err})
        if (fd >= 0)
            close(fd);
}

bool CZmctlProcess::Pump(std::chrono::milliseconds wait)
{
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    if (m_out < 0 && m_err < 0)
        return false;
    if (poll(fds, 2, static_cast<int>(wait.count())) <= 0)
        return true;
    for (int k = 0; k < 2; ++k)
        ReadReady(fds[k], k == 0 ? m_result.out : m_result.err);
    m_out = fds[0].fd;
    m_err = fds[1].fd;
    return m_out >= 0 || m_err >= 0;
}

bool CZmctlProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_result.out.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline || !Pump(std::chrono::milliseconds(20)))
            return m_result.out.find(text) != std::string::npos;
    }
    return true;
}

void CZmctlProcess::Write(const std::string& bytes)
{
    size_t written = 0;
    while (m_in >= 0 && written < bytes.size()) {
        const ssize_t n = write(m_in, bytes.data() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += static_cast<size_t>(n);
    }
}

void CZmctlProcess::CloseInput()
{
    if (m_in >= 0)
        close(m_in);
    m_in = -1;
}

void CZmctlProcess::Signal(int signal)
{
    if (m_pid > 0)
        kill(m_pid, signal);
}

ProcessResult CZmctlProcess::Finish(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "zmctl did not end within " << timeout.count() << " ms; killed";
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        Pump(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    while (Pump(std::chrono::milliseconds(100))) {
    }
    Collect(m_result, status);
    return m_result;
}
