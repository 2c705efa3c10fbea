// A small JACK client of our own that lists MIDI ports and tells when the
// JACK server goes away. It never starts a server.
//
// Threading contract: construction and the listing run on the window
// thread; ServerGone() may be read on any thread (JACK sets it from its own
// thread when the server shuts down).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CJackDirectory {
public:
    struct Port {
        std::string name;  //!< full name, "client:port"
        bool physical;     //!< a hardware port
    };

    //! Connects to the running server named by JACK_DEFAULT_SERVER (or the
    //! default one); without a server Connected() is false.
    explicit CJackDirectory(const std::string& clientName);
    ~CJackDirectory();

    CJackDirectory(const CJackDirectory&) = delete;
    CJackDirectory& operator=(const CJackDirectory&) = delete;

    bool Connected() const noexcept { return m_client != nullptr; }

    //! MIDI ports that produce data (`sources`) or take it.
    std::vector<Port> MidiPorts(bool sources) const;

    //! Number of connections `port` has in the graph the server runs now.
    size_t ConnectionCount(const std::string& port) const;

    //! Waits, at most `timeout`, until `port` has more than `before`
    //! connections in the running graph and one more cycle has passed, so
    //! that a connection just made carries what is sent next.
    bool WaitConnected(const std::string& port, size_t before, std::chrono::milliseconds timeout) const;

    //! Waits until the server has run `cycles` more process cycles, at most
    //! `timeout`. Connections made before take effect at a cycle boundary,
    //! so data sent after this cannot fall into a connection not yet made.
    bool WaitCycles(unsigned cycles, std::chrono::milliseconds timeout) const;

    //! Set once the server has shut down; shared with the ports.
    std::shared_ptr<const std::atomic<bool>> ServerGone() const noexcept { return m_gone; }

private:
    static void OnShutdown(void* arg);
    static int OnProcess(uint32_t frames, void* arg);

    struct _jack_client* m_client = nullptr;
    std::shared_ptr<std::atomic<bool>> m_gone;
    std::atomic<uint64_t> m_cycles{0};
};
