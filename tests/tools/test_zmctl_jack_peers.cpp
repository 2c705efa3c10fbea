// zmctl against JACK peers that do not behave like a box: a port that
// chatters (Active Sensing, notes) and never answers; and zmctl started with
// its standard descriptors closed, which must not hand them to libjack.
#include "MidiJackPeer.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

//! A device that sends Active Sensing every 300 ms and a note every 5 ms
//! and takes no notice of what it is sent.
class CChatteringPort {
public:
    CChatteringPort()
        : m_peer("chatter", {"in"})
        , m_thread([this] { Chatter(); })
    {
    }
    ~CChatteringPort()
    {
        m_stop = true;
        m_thread.join();
    }
    std::string Out() const { return m_peer.PortName("out"); }
    std::string In() const { return m_peer.PortName("in"); }

private:
    void Chatter()
    {
        auto nextSensing = Clock::now();
        for (int note = 0; !m_stop; note = (note + 1) % 128) {
            if (Clock::now() >= nextSensing) {
                m_peer.Send({0xFE});
                nextSensing += std::chrono::milliseconds(300);
            }
            m_peer.Send({0x90, static_cast<uint8_t>(note), static_cast<uint8_t>(note % 2 ? 0 : 64)});
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    CMidiJackPeer m_peer;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

class ZmctlJackPeers : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
            GTEST_SKIP() << "run through ctest, which starts the JACK server";
    }

    //! A simulated box served on JACK by zmctl simulate; its ports.
    void StartBox()
    {
        m_box = std::make_unique<CZmctlProcess>(
            std::vector<std::string>{"simulate", "--backend", "jack", "--name", "zm1-fd-" + std::to_string(getpid())});
        // The ports are named on the last two lines it prints at start.
        const std::string last = "JACK: replies come from ";
        ASSERT_TRUE(m_box->WaitForOutput(last, std::chrono::seconds(20))) << m_box->Out();
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (m_box->Out().find('\n', m_box->Out().find(last)) == std::string::npos && Clock::now() < deadline)
            m_box->WaitForOutput("\n" + last + "\n", std::chrono::milliseconds(50));
        const std::string out = m_box->Out();
        const auto after = [&](const std::string& label) {
            const size_t start = out.find(label) + label.size();
            return out.substr(start, out.find('\n', start) - start);
        };
        m_boxIn = after("JACK: send requests to ");
        m_boxOut = after("JACK: replies come from ");
    }

    void TearDown() override
    {
        if (m_box) {
            m_box->Signal(SIGINT);
            m_box->Finish(std::chrono::seconds(10));
        }
    }

    std::unique_ptr<CZmctlProcess> m_box;
    std::string m_boxIn;
    std::string m_boxOut;
};

//! Where descriptor `fd` of process `pid` leads ("" when it is closed).
std::string DescriptorTarget(pid_t pid, int fd)
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), error).string();
}

//! True once process `pid` has a JACK client's files open.
bool TalksToJack(pid_t pid)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        std::error_code ignored;
        if (std::filesystem::read_symlink(entry.path(), ignored).string().find("/dev/shm/jack") == 0)
            return true;
    }
    return false;
}

} // namespace

TEST_F(ZmctlJackPeers, EveryWaitEndsATimeoutAfterTheRequestHoweverBusyTheInput)
{
    CChatteringPort port;
    const std::string backup = TempFile("chatter.syx", Bytes({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06, 0x00, 0xF7, 0xF0, 0x09,
                                                              0x5A, 0x08, 0x02, 0x00, 0x08, 0, 100, 40, 2, 14, 0, 0, 0,
                                                              0xF7}));
    constexpr int kTimeoutMs = 400;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"get", "12"}, "no answer within 400 ms for parameter 12 (ZmFunc_NumberKeys)"},
        {{"sync"}, "no answer within 400 ms for zone 1, zone 2, zone 3, zone 4"},
        {{"dump", "eeprom"}, "no complete eeprom dump within 400 ms"},
        {{"dump", "scan"}, "no complete scan dump within 400 ms"},
        {{"request", "revision", "--send"}, "no reply within 400 ms"},
        {{"restore", backup}, "no answer within 400 ms for zone 3, parameter 21 (ZmFunc_KeyTrigPos)"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--in", port.Out(), "--out", port.In(), "--timeout", std::to_string(kTimeoutMs)});
        const auto start = Clock::now();
        CZmctlProcess zmctl(args);
        const ProcessResult r = zmctl.Finish(std::chrono::seconds(10));
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_EQ(r.status, 3) << c.args[0] << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        // Start-up and the requests' way out come on top of the timeout.
        EXPECT_GE(took, kTimeoutMs) << c.args[0];
        EXPECT_LT(took, kTimeoutMs + 2500) << c.args[0];
    }
}

TEST_F(ZmctlJackPeers, ClosedStandardDescriptorsAreNeverHandedToLibjack)
{
    StartBox();
    const std::vector<std::string> box = {"--in", m_boxOut, "--out", m_boxIn};
    // While zmctl talks to JACK, each closed descriptor is /dev/null, not
    // one of the files libjack shares with every JACK client of the user.
    for (int fd : {0, 1, 2}) {
        CZmctlProcess monitor({"monitor", "--in", m_boxOut}, "", fd);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!TalksToJack(monitor.Pid()) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(TalksToJack(monitor.Pid()));
        EXPECT_EQ(DescriptorTarget(monitor.Pid(), fd), "/dev/null") << "descriptor " << fd;
        monitor.Signal(SIGINT);
        EXPECT_EQ(monitor.Finish(std::chrono::seconds(10)).status, 0) << "descriptor " << fd;
    }

    // Results that cannot be written are an error; messages that cannot
    // be are lost, but the results still come.
    const std::string echo = TempFile("echo.syx", Bytes({0xF0, 0x09, 0x27, 0xF7}));
    struct Case {
        int closed;
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {1, {"ports"}, 6, "", "zmctl: error: cannot write to standard output: Bad file descriptor\n"},
        {2, {"get", "12"}, 0, " 12  ZmFunc_NumberKeys      88\n", ""},
        {0, {"decode", echo, "-"}, 2, "eeprom echo test no argument\n", "cannot read <stdin>: Bad file descriptor"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (c.args[0] == "get")
            args.insert(args.end(), box.begin(), box.end());
        const ProcessResult r = RunZmctlClosing(c.closed, args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args[0] << ": " << r.err;
    }
}
