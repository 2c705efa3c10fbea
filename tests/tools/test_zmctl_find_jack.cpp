// zmctl find on the private JACK server of this build directory, where the
// box (zmctl simulate) shares the graph with clients that must not pass for
// it: jack_midi_dump, which answers nothing, and an echo that sends back
// whatever reaches it, as a MIDI through port does. zmctl find speaks to
// every port of the graph, so each case has a JACK server of its own: on
// the build directory's server, the MIDI tests running beside it bring
// peers whose traffic can pass for a box's answer (and would receive the
// search's requests). The only boxes are this case's and the built-in one.
#include "MidiJackPeer.h"
#include "PrivateJackServer.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

//! Sends back on "out" whatever reaches "in".
class CEcho {
public:
    CEcho() : m_peer("zmtest-echo", {"in"}), m_thread([this] { Run(); }) {}
    ~CEcho()
    {
        m_stop = true;
        m_thread.join();
    }
    std::string Port(const char* name) const { return m_peer.PortName(name); }

private:
    void Run()
    {
        while (!m_stop)
            for (const CMidiJackPeer::Received& r : m_peer.Take(1, std::chrono::milliseconds(5)))
                m_peer.Send(r.bytes);
    }

    CMidiJackPeer m_peer;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class ZmctlFindJack : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
            GTEST_SKIP() << "run through ctest, which starts the JACK server";
        m_server = std::make_unique<CPrivateJackServer>("zmctl-find");
        ASSERT_TRUE(m_server->Started());
        m_echo = std::make_unique<CEcho>();
        StartMidiDump();
        // The decoys' ports are there once zmctl lists them.
        ASSERT_TRUE(Listed(m_echo->Port("in")));
        ASSERT_TRUE(Listed(":input"));
        m_name = "zm1-find-" + std::to_string(getpid());
        m_box = std::make_unique<CZmctlProcess>(
            std::vector<std::string>{"simulate", "--backend", "jack", "--name", m_name});
        ASSERT_TRUE(m_box->WaitForOutput("JACK: replies come from ", std::chrono::seconds(20))) << m_box->Out();
    }

    void TearDown() override
    {
        if (m_box) {
            m_box->Signal(SIGINT);
            m_box->Finish(std::chrono::seconds(10));
        }
        if (m_dump > 0) {
            kill(m_dump, SIGTERM);
            waitpid(m_dump, nullptr, 0);
        }
        // Every client leaves before its server does.
        m_echo.reset();
        m_server.reset();
    }

    void StartMidiDump()
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char program[] = "jack_midi_dump";
        char* argv[] = {program, nullptr};
        const int failed = posix_spawnp(&m_dump, program, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(failed, 0) << "jack_midi_dump (Debian package jackd2) is needed";
    }

    bool Listed(const std::string& port)
    {
        for (int i = 0; i < 100; ++i) {
            if (RunZmctl({"ports"}).out.find(port) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    std::unique_ptr<CPrivateJackServer> m_server;
    std::unique_ptr<CEcho> m_echo;
    pid_t m_dump = -1;
    std::string m_name;
    std::unique_ptr<CZmctlProcess> m_box;
};

} // namespace

TEST_F(ZmctlFindJack, PicksTheSimulatedBoxAndNoDecoy)
{
    const ProcessResult r = RunZmctl({"find"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" \"" + m_name + ":out\" (JACK), output "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" \"" + m_name + ":in\" (JACK)\n"), std::string::npos) << r.out;
}

TEST_F(ZmctlFindJack, WithTheBoxesLeftOutTheDecoysAreNamedAsSilent)
{
    const ProcessResult r =
        RunZmctl({"find", "--timeout", "200", "--skip", m_name + ":in", "--skip", "ZM1 Simulator"});
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_NE(r.err.find("zmctl: error: no ZM1 box answered within 200 ms on "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\"" + m_echo->Port("in") + "\" (JACK)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(":input\" (JACK)"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("not listening"), std::string::npos) << r.err;
}
