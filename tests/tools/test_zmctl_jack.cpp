// zmctl simulate on the private JACK server of this build directory, and
// zmctl's commands talking to it from other processes: the simulated box
// keeps its state from one command to the next, as a real box does.
#include "ProcessRunner.h"
#include "SyncTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

class ZmctlJack : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
            GTEST_SKIP() << "run through ctest, which starts the JACK server";
        const std::string name = "zm1-test-" + std::to_string(getpid());
        m_box = std::make_unique<CZmctlProcess>(std::vector<std::string>{"simulate", "--backend", "jack", "--name", name});
        ASSERT_TRUE(m_box->WaitForOutput("JACK: replies come from ", std::chrono::seconds(20))) << m_box->Out();
        ASSERT_TRUE(m_box->WaitForOutput("\n", std::chrono::seconds(5)));
        m_requests = PortAfter("JACK: send requests to ");
        m_replies = PortAfter("JACK: replies come from ");
        ASSERT_EQ(m_requests.rfind(name + ":", 0), 0u) << m_box->Out();
    }

    void TearDown() override
    {
        if (!m_box)
            return;
        // Ctrl-C ends the simulated box cleanly.
        m_box->Signal(SIGINT);
        const ProcessResult r = m_box->Finish(std::chrono::seconds(10));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("zmctl: simulate: stopped"), std::string::npos) << r.err;
    }

    std::string PortAfter(const std::string& label)
    {
        // Each line is complete once the next one has begun.
        EXPECT_TRUE(m_box->WaitForOutput(label, std::chrono::seconds(5)));
        const std::string& out = m_box->Out();
        const size_t start = out.find(label) + label.size();
        const size_t end = out.find('\n', start);
        EXPECT_NE(end, std::string::npos);
        return out.substr(start, end - start);
    }

    ProcessResult Zmctl(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--in", m_replies, "--out", m_requests});
        return RunZmctl(args);
    }

    std::unique_ptr<CZmctlProcess> m_box;
    std::string m_requests;
    std::string m_replies;
};

} // namespace

TEST_F(ZmctlJack, SynchronizeDataRoundTrip)
{
    const ProcessResult r = Zmctl({"sync"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kSyncTable);
    EXPECT_NE(r.err.find("\"" + m_replies + "\" (JACK)"), std::string::npos) << r.err;
}

TEST_F(ZmctlJack, BackupChangeDiffRestoreDiff)
{
    const std::string file = TempFile("jack-box.syx", "");
    ASSERT_EQ(Zmctl({"backup", file}).status, 0);
    for (const std::vector<std::string>& change : std::vector<std::vector<std::string>>{
             {"set", "KeyTrigPos", "6"}, {"zone", "2", "lo_note=40"}, {"mute", "3", "on"}, {"aot", "cc-mute=on"}}) {
        const ProcessResult r = Zmctl(change);
        EXPECT_EQ(r.status, 0) << change[0] << ": " << r.err;
    }
    const ProcessResult before = Zmctl({"diff", file});
    EXPECT_EQ(before.status, 1) << before.err;
    EXPECT_EQ(before.out, "parameter 6 (ZmFunc_ZoneMutBits): backup 15, box 7\n"
                          "parameter 21 (ZmFunc_KeyTrigPos): backup 3, box 6\n"
                          "parameter 30 (ZmFunc_AotBooleans): backup 0, box 64\n"
                          "zone 2 lo_note: backup 21, box 40\n");
    const ProcessResult restore = Zmctl({"restore", file});
    EXPECT_EQ(restore.status, 0) << restore.err;
    const ProcessResult after = Zmctl({"diff", file});
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(after.out, "");
}

TEST_F(ZmctlJack, RepliesThatNeverComeBackAreNamed)
{
    // The requests reach the box on JACK, but zmctl listens on the built-in
    // simulator's input, where nothing answers.
    const ProcessResult r = RunZmctl({"sync", "--in", "ZM1 Simulator", "--out", m_requests, "--timeout", "200"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no answer within 200 ms for zone 0, zone 1, zone 2, zone 3, parameter 0 (ZmFunc_StationName), "
                         "parameter 6 (ZmFunc_ZoneMutBits), parameter 12 (ZmFunc_NumberKeys)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("0     no answer\n"), std::string::npos) << r.out;
}
