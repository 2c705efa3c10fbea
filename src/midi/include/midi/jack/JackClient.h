// The one JACK client that carries every JACK MIDI port the program opens.
//
// One client, rather than one per port, is what keeps the thru path free of
// extra latency: JACK runs a client once every client feeding its inputs has
// finished, so our client runs after the device that feeds our input and
// before the synthesiser our thru/out port feeds. Within the cycle the
// process callback first reads every input port and delivers what arrived
// (the capture callback forwards short messages into the thru/out port's
// queue from there), then fills every output port from its queue: a
// forwarded note leaves in the cycle it came in.
//
// Threading contract:
//  - Open(), the listing, Register(), Publish(), Connect(), Release() and
//    WaitCycles() run on the window thread, one call at a time. A platform
//    listing in the background opens and lists on its own thread, and hands
//    the client over when joined.
//  - The process callback runs on JACK's process thread. It reads the table
//    of published ports through atomics, takes no lock, allocates nothing
//    and never waits.
//  - Release() withdraws a port from the table before JACK disconnects it,
//    and in between waits until the callback has left the cycle that may
//    still hold the old table. That wait depends on our callback alone
//    (which never waits for the server), so a dead server cannot prolong
//    it; it is bounded all the same (kReleaseTimeout).
//  - A JACK port, once registered, stays registered until the client
//    closes; a released one waits, disconnected, for the next open of its
//    slot. libjack walks the client's list of ports on its notification
//    thread, without a lock, whenever any client changes the server's graph
//    (to recompute latencies), and unregistering a port frees an entry of
//    that list under it: the notification thread then crashes.
//  - Gone() may be read on any thread; JACK's shutdown callback sets it.
//    From then on nothing here waits for the server.
//  - The client lives as long as the platform or any port still holds it,
//    so ports may be closed in any order relative to the platform. One
//    that no port holds may be closed on a thread of its own (the
//    platform's ListingDone()); nothing else uses it then.
#pragma once

#include "midi/MidiPlatform.h"

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

class CJackInputPort;
class CJackOutputPort;

class CJackClient {
public:
    //! Open ports per direction.
    static constexpr size_t kMaxPorts = 8;
    //! How long an open waits for a new connection to carry data.
    static constexpr std::chrono::milliseconds kSettleTimeout{1000};
    //! How long Release() waits for the process callback to let go of a port.
    static constexpr std::chrono::milliseconds kReleaseTimeout{2000};

    //! Connects to the running JACK server (JACK_DEFAULT_SERVER or the
    //! default one); null when there is none. Never starts a server. The
    //! client is activated when its first port is registered.
    static std::shared_ptr<CJackClient> Open(const std::string& name);
    ~CJackClient();

    CJackClient(const CJackClient&) = delete;
    CJackClient& operator=(const CJackClient&) = delete;

    //! Our client's name as JACK gave it (it appends a number when taken).
    const std::string& Name() const noexcept { return m_name; }
    bool Gone() const noexcept { return m_gone.load(std::memory_order_acquire); }

    struct Port {
        std::string name;  //!< full name, "client:port"
        bool physical;     //!< a hardware port
    };
    //! MIDI ports that produce data (`sources`) or take it, our own left out.
    std::vector<Port> MidiPorts(bool sources) const;
    bool PortExists(const std::string& name) const;
    //! Whether our port `ours` is still connected to `device`: false once
    //! the device's port (or its client, or the server) has gone.
    bool IsConnected(jack_port_t* ours, const std::string& device) const;

    //! A MIDI port of ours in a free slot: the one a released port left
    //! there, or a new one named `baseName` for the first slot and
    //! "baseName N" for the others, so that names never clash. Null (and
    //! `slot` -1) when every slot is taken or JACK refuses. Registering the
    //! first port activates the client.
    jack_port_t* Register(bool input, const std::string& baseName, int& slot);
    //! Hands the port in `slot` to the process callback.
    void Publish(int slot, CJackInputPort* port) noexcept;
    void Publish(int slot, CJackOutputPort* port) noexcept;
    //! Connects `source` to `destination` by name, then waits (bounded)
    //! until the connection between our port `ours` and `device` carries
    //! data. MIDI_ERR_DEVICEGONE when `device` no longer exists.
    MidiResult Connect(const std::string& source, const std::string& destination, jack_port_t* ours,
                       const std::string& device);
    //! Withdraws the port in `slot` from the callback, cuts its
    //! connections and frees the slot; the JACK port stays registered.
    void Release(bool input, int slot) noexcept;

    //! Waits until `cycles` more process cycles have run, at most
    //! `timeout`; false on time-out or when the server is gone.
    bool WaitCycles(unsigned cycles, std::chrono::milliseconds timeout) const;

    // ---- process thread ----

    //! Frame offset within the cycle of the input event being delivered on
    //! the calling thread; 0 outside the delivery of one. Lets an output
    //! place a forwarded message where its source event was.
    static uint32_t CurrentEventTime() noexcept;
    static void SetCurrentEventTime(uint32_t frame) noexcept;

private:
    explicit CJackClient(jack_client_t* client);
    static int OnProcess(jack_nframes_t frames, void* arg);
    static void OnShutdown(void* arg);
    //! True once the callback was seen outside a cycle, at most kReleaseTimeout.
    bool WaitOutsideCallback() const noexcept;

    jack_client_t* m_client;
    std::string m_name;
    std::string m_baseName;  //!< the name asked for: every instance's ports start with it
    bool m_active = false;   //!< activated (with the first port); window thread's
    std::atomic<bool> m_gone{false};
    std::atomic<bool> m_inProcess{false};
    std::atomic<uint64_t> m_cycles{0};
    std::array<std::atomic<CJackInputPort*>, kMaxPorts> m_inputs{};
    std::array<std::atomic<CJackOutputPort*>, kMaxPorts> m_outputs{};

    //! Window thread's own record of the registered ports per slot.
    struct Slot {
        jack_port_t* port = nullptr;  //!< registered on first use, kept until the client closes
        bool inUse = false;           //!< held by an open port
        bool retired = false;         //!< the callback never let go: never reused
    };
    std::array<Slot, kMaxPorts> m_inputSlots{};
    std::array<Slot, kMaxPorts> m_outputSlots{};
};
