// A JACK client that plays the other end of our MIDI ports in tests and
// benchmarks: it sends from its port "out" and records what reaches its
// input ports. Both ends carry frame times (the cycle's first frame plus the
// event's offset): the frame each message left at and the frame each event
// arrived at, so that a benchmark can measure a path between two peers.
//
// Threading: Send/Take run on the test's thread; the JACK process thread
// moves data through lock-free queues.
#pragma once

#include "midi/DriverHandoff.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

//! Single-producer single-consumer byte queue between the test's thread and
//! the JACK process thread (our own, so that ThreadSanitizer sees its
//! ordering).
class CPeerByteQueue {
public:
    explicit CPeerByteQueue(size_t size)
        : m_bytes(size)
    {
    }
    size_t WriteSpace() const { return m_bytes.size() - (m_write.load(std::memory_order_relaxed) - m_read.load(std::memory_order_acquire)); }
    size_t ReadSpace() const { return m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_relaxed); }
    //! Writes a header and its payload, published together.
    void Write(const void* head, size_t headSize, const void* data, size_t n)
    {
        const size_t w = m_write.load(std::memory_order_relaxed);
        for (size_t i = 0; i < headSize; ++i)
            m_bytes[(w + i) % m_bytes.size()] = static_cast<const uint8_t*>(head)[i];
        for (size_t i = 0; i < n; ++i)
            m_bytes[(w + headSize + i) % m_bytes.size()] = static_cast<const uint8_t*>(data)[i];
        m_write.store(w + headSize + n, std::memory_order_release);
    }
    void Peek(void* data, size_t n) const
    {
        const size_t r = m_read.load(std::memory_order_relaxed);
        for (size_t i = 0; i < n; ++i)
            static_cast<uint8_t*>(data)[i] = m_bytes[(r + i) % m_bytes.size()];
    }
    void Read(void* data, size_t n)
    {
        Peek(data, n);
        m_read.store(m_read.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }

private:
    std::vector<uint8_t> m_bytes;
    std::atomic<size_t> m_write{0};
    std::atomic<size_t> m_read{0};
};

class CMidiJackPeer {
public:
    struct Received {
        int port;                  //!< index into the input names given to the constructor
        uint32_t frame;            //!< frame time of the event
        std::vector<uint8_t> bytes;
    };

    CMidiJackPeer(const std::string& clientName, std::vector<std::string> inputs)
    {
        jack_status_t status{};
        m_client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
        if (m_client == nullptr)
            throw std::runtime_error("no JACK server for " + clientName + " (JACK_DEFAULT_SERVER unset?)");
        m_name = jack_get_client_name(m_client);
        m_out = jack_port_register(m_client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        for (const auto& in : inputs)
            m_in.push_back(jack_port_register(m_client, in.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0));
        PublishToDriver(this);
        jack_set_process_callback(m_client, &CMidiJackPeer::Process, this);
        jack_set_xrun_callback(m_client, &CMidiJackPeer::OnXrun, this);
        if (jack_activate(m_client) != 0)
            throw std::runtime_error("cannot activate " + clientName);
    }

    ~CMidiJackPeer()
    {
        Close();
    }

    CMidiJackPeer(const CMidiJackPeer&) = delete;
    CMidiJackPeer& operator=(const CMidiJackPeer&) = delete;

    //! Leaves the JACK graph (the peer "disappears").
    void Close()
    {
        if (m_client != nullptr) {
            jack_client_close(m_client);
            m_client = nullptr;
        }
    }

    std::string PortName(const std::string& shortName) const { return m_name + ":" + shortName; }

    bool Connect(const std::string& from, const std::string& to)
    {
        return jack_connect(m_client, from.c_str(), to.c_str()) == 0;
    }

    //! Queues one message for port "out"; it leaves in the next cycle.
    void Send(const std::vector<uint8_t>& message) { SendTogether({message}); }

    //! Queues several messages at once, each its own JACK event: they leave
    //! in the same cycle as long as the port buffer holds them.
    void SendTogether(const std::vector<std::vector<uint8_t>>& messages)
    {
        std::vector<uint8_t> records;
        for (const auto& message : messages) {
            const uint32_t size = static_cast<uint32_t>(message.size());
            const auto* sizeBytes = reinterpret_cast<const uint8_t*>(&size);
            records.insert(records.end(), sizeBytes, sizeBytes + sizeof size);
            records.insert(records.end(), message.begin(), message.end());
        }
        while (m_toJack.WriteSpace() < records.size())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_toJack.Write(nullptr, 0, records.data(), records.size());
    }

    //! What arrived so far, waiting up to `timeout` for at least `atLeast`.
    std::vector<Received> Take(size_t atLeast, std::chrono::milliseconds timeout)
    {
        return TakeGathered(m_received, atLeast, timeout, std::chrono::milliseconds(2), [this] { Drain(); });
    }

    //! Frame times at which the messages given to Send() left port "out",
    //! in order, waiting up to `timeout` for at least `atLeast`.
    std::vector<uint32_t> TakeSent(size_t atLeast, std::chrono::milliseconds timeout)
    {
        return TakeGathered(m_sent, atLeast, timeout, std::chrono::milliseconds(1), [this] {
            while (m_sentFrames.ReadSpace() >= sizeof(uint32_t)) {
                uint32_t frame = 0;
                m_sentFrames.Read(&frame, sizeof frame);
                m_sent.push_back(frame);
            }
        });
    }

    jack_nframes_t BufferSize() const { return jack_get_buffer_size(m_client); }

    //! Full names of the ports connected to its port `shortName`.
    std::vector<std::string> ConnectionsOf(const std::string& shortName) const
    {
        return Names(jack_port_get_all_connections(m_client, jack_port_by_name(m_client, PortName(shortName).c_str())));
    }

    //! Full names of every port client `clientName` has in the graph.
    std::vector<std::string> PortsOf(const std::string& clientName) const
    {
        return Names(jack_get_ports(m_client, ("^" + clientName + ":").c_str(), nullptr, 0));
    }

    //! Cycles some client missed so far. JACK drops what a late client
    //! sends in such a cycle, so a test may repeat an exchange that
    //! overlapped one.
    int XRuns() const { return m_xruns.load(); }

private:
    struct Header {
        int32_t port;
        uint32_t frame;
        uint32_t size;
    };

    static std::vector<std::string> Names(const char** names)
    {
        std::vector<std::string> out;
        for (const char** name = names; name != nullptr && *name != nullptr; ++name)
            out.emplace_back(*name);
        jack_free(names);
        return out;
    }

    //! Empties `gathered` into the result once `gather` (called every
    //! `interval`) has put at least `atLeast` in it, or `timeout` is over.
    template <typename T, typename Gather>
    static std::vector<T> TakeGathered(std::vector<T>& gathered, size_t atLeast, std::chrono::milliseconds timeout,
                                       std::chrono::milliseconds interval, Gather gather)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            gather();
            if (gathered.size() >= atLeast || std::chrono::steady_clock::now() >= deadline)
                break;
            std::this_thread::sleep_for(interval);
        }
        std::vector<T> out;
        out.swap(gathered);
        return out;
    }

    void Drain()
    {
        Header h;
        while (m_fromJack.ReadSpace() >= sizeof h) {
            m_fromJack.Read(&h, sizeof h);
            Received r{h.port, h.frame, std::vector<uint8_t>(h.size)};
            m_fromJack.Read(r.bytes.data(), h.size);
            m_received.push_back(std::move(r));
        }
    }

    static int OnXrun(void* arg)
    {
        AcceptFromDriver(arg);
        static_cast<CMidiJackPeer*>(arg)->m_xruns.fetch_add(1);
        return 0;
    }

    static int Process(jack_nframes_t frames, void* arg)
    {
        AcceptFromDriver(arg);
        auto* self = static_cast<CMidiJackPeer*>(arg);
        const jack_nframes_t cycleStart = jack_last_frame_time(self->m_client);
        void* out = jack_port_get_buffer(self->m_out, frames);
        jack_midi_clear_buffer(out);
        jack_nframes_t at = 0;
        uint32_t size = 0;
        while (self->m_toJack.ReadSpace() >= sizeof size) {
            self->m_toJack.Peek(&size, sizeof size);
            if (self->m_toJack.ReadSpace() < sizeof size + size)
                break;
            jack_midi_data_t* data = jack_midi_event_reserve(out, at, size);
            if (data == nullptr)
                break;  // the port buffer is full: the rest goes next cycle
            self->m_toJack.Read(&size, sizeof size);
            self->m_toJack.Read(data, size);
            // Only a caller of TakeSent() needs these; without one the
            // record stops when full and sending goes on.
            const uint32_t sentAt = cycleStart + at;
            if (self->m_sentFrames.WriteSpace() >= sizeof sentAt)
                self->m_sentFrames.Write(&sentAt, sizeof sentAt, nullptr, 0);
            if (at + 1 < frames)
                ++at;
        }
        for (size_t p = 0; p < self->m_in.size(); ++p) {
            void* in = jack_port_get_buffer(self->m_in[p], frames);
            const jack_nframes_t count = jack_midi_get_event_count(in);
            for (jack_nframes_t e = 0; e < count; ++e) {
                jack_midi_event_t event;
                if (jack_midi_event_get(&event, in, e) != 0)
                    continue;
                Header h{static_cast<int32_t>(p), cycleStart + event.time, static_cast<uint32_t>(event.size)};
                if (self->m_fromJack.WriteSpace() < sizeof h + event.size)
                    continue;
                self->m_fromJack.Write(&h, sizeof h, event.buffer, event.size);
            }
        }
        return 0;
    }

    jack_client_t* m_client = nullptr;
    std::string m_name;
    jack_port_t* m_out = nullptr;
    std::vector<jack_port_t*> m_in;
    CPeerByteQueue m_toJack{1 << 18};
    CPeerByteQueue m_fromJack{1 << 20};
    CPeerByteQueue m_sentFrames{1 << 14};
    std::atomic<int> m_xruns{0};
    std::vector<Received> m_received;
    std::vector<uint32_t> m_sent;
};
