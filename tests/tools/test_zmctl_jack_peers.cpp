// zmctl against a JACK peer that does not behave like a box: a port that
// chatters (Active Sensing, notes) and never answers.
#include "MidiJackPeer.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
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
};

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
