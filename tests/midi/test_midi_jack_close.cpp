// Our JACK client opened and closed again and again while a peer keeps its
// ports busy: whatever the order things are closed in, the process callback
// never runs into a port, a queue or a client that is going or gone, no port
// is unregistered twice, and what was sent before a close still leaves.
// Labelled "threaded": ThreadSanitizer watches the close order too. The peer
// is a process of its own (zm_jack_peer), so that what JACK hands from
// client to client through shared memory is not taken for a race.
#include "PortRig.h"
#include "RecordingControls.h"
#include "sim/SystemMidiPlatform.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += byte;
    }
    return text;
}

//! zm_jack_peer running beside the test; ends when its input closes.
class CPeerProcess {
public:
    explicit CPeerProcess(const std::string& name)
        : m_name(name)
    {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            for (int fd : {in[0], in[1], out[0], out[1]})
                close(fd);
            execl(ZM_JACK_PEER, ZM_JACK_PEER, name.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~CPeerProcess()
    {
        if (m_in >= 0)
            close(m_in);
        if (m_pid > 0) {
            // It ends at the closed input; a hung one is ended here.
            for (int i = 0; i < 500 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i)
                usleep(10'000);
            if (kill(m_pid, SIGKILL) == 0)
                waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            close(m_out);
    }
    CPeerProcess(const CPeerProcess&) = delete;
    CPeerProcess& operator=(const CPeerProcess&) = delete;

    std::string PortName(const std::string& port) const { return m_name + ":" + port; }

    //! Lines the peer printed until `count` of them equal `line` or
    //! `timeout` passed; how many did.
    size_t CountLines(const std::string& line, size_t count, std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        size_t seen = 0;
        for (;;) {
            for (size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
                seen += m_pending.compare(0, end, line) == 0;
                m_pending.erase(0, end + 1);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (seen >= count || left.count() <= 0 || !Read(left))
                return seen;
        }
    }

    //! Forgets the lines the peer printed so far.
    void Skip()
    {
        while (Read(0ms) && m_readSome) {
        }
        m_pending.erase(0, m_pending.rfind('\n') + 1);
    }

private:
    //! Reads what comes within `wait`; false once the peer's output ended.
    bool Read(std::chrono::milliseconds wait)
    {
        m_readSome = false;
        pollfd fd{m_out, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(wait.count())) <= 0)
            return true;
        char buffer[4096];
        const ssize_t n = read(m_out, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_pending.append(buffer, static_cast<size_t>(n));
        m_readSome = true;
        return true;
    }

    std::string m_name;
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_pending;
    bool m_readSome = false;
};

//! How one cycle ends.
enum class Ending {
    Teardown,          //!< as the window closes: input, output, thru, then the platform
    PlatformFirst,     //!< the platform (and its hold on the client) goes before the ports
    FramesQueued,      //!< the output closes with frames still in its queue
    WithoutTeardown,   //!< everything destroyed as it stands, ports open
};

} // namespace

TEST(JackCloseOrder, OpenCloseCyclesUnderTrafficEndCleanlyAndLetFramesOut)
{
    if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
        GTEST_SKIP() << "run through ctest, which starts the JACK server";
    CPeerProcess peer("zmcycle-peer-" + std::to_string(::getpid()));
    ASSERT_EQ(peer.CountLines("ready " + peer.PortName("out"), 1, 20s), 1u);

    constexpr int kCycles = 24;
    constexpr int kFrames = 20;
    const Ending endings[] = {Ending::Teardown, Ending::PlatformFirst, Ending::FramesQueued, Ending::WithoutTeardown};
    int complete = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const Ending ending = endings[cycle % 4];
        peer.Skip();
        const Bytes frame = {0xF0, 0x09, 0x43, 0x08, 0x00, static_cast<uint8_t>(cycle), 0x00, 0xF7};
        {
            auto platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = false,
                                                .clientName = "zmcycle" + std::to_string(::getpid())});
            CaptureRings rings;
            CRecordingControls controls;
            auto rig = std::make_unique<PortRig>(*platform, rings, controls);
            const int source = FindDevice(*platform, true, peer.PortName("out"));
            const int sink = FindDevice(*platform, false, peer.PortName("in"));
            const int thru = FindDevice(*platform, false, peer.PortName("thru_in"));
            ASSERT_GE(source, 0);
            ASSERT_GE(sink, 0);
            ASSERT_GE(thru, 0);
            rig->lists.OnInputSelect(source);
            rig->lists.OnOutputSelect(sink);
            rig->lists.OnThruSelect(thru);
            ASSERT_TRUE(rig->session.Port(PortKind::Input).InputPort() && rig->session.Port(PortKind::Output).OutputPort()) << cycle;
            for (int f = 0; f < kFrames; ++f)
                rig->session.Transmitter().SendSysEx(static_cast<int32_t>(frame.size()) - 2, frame.data());
            if (ending != Ending::FramesQueued) {
                EXPECT_TRUE(rig->session.Transmitter().Flush(10s)) << cycle;
            }
            switch (ending) {
            case Ending::Teardown:
            case Ending::FramesQueued:
                rig->session.Teardown();
                rig.reset();
                platform.reset();
                break;
            case Ending::PlatformFirst:
                platform.reset();
                rig->session.Teardown();
                rig.reset();
                break;
            case Ending::WithoutTeardown:
                rig.reset();
                platform.reset();
                break;
            }
        }
        // Flushed frames have reached the peer before anything closed; on a
        // starved machine JACK may still drop a late client's cycle, so a
        // cycle short of frames is counted rather than failed outright.
        const size_t arrived = peer.CountLines(Hex(frame), kFrames, ending == Ending::FramesQueued ? 200ms : 2s);
        if (ending != Ending::FramesQueued && arrived == static_cast<size_t>(kFrames))
            ++complete;
    }
    // Never none: a fault in the close order would lose frames every time.
    EXPECT_GE(complete, kCycles / 2) << "cycles whose frames all arrived, of " << 3 * kCycles / 4;
}
