#include "midi/jack/JackMidiPorts.h"

#include <jack/midiport.h>

#include <algorithm>
#include <thread>

// ---- input ----

CJackInputPort::CJackInputPort(IMidiInputHandler& handler, std::shared_ptr<CJackClient> client, int slot,
                               jack_port_t* port, std::string device)
    : CMidiInputPortBase(handler)
    , m_client(std::move(client))
    , m_slot(slot)
    , m_port(port)
    , m_device(std::move(device))
{
    m_client->Publish(m_slot, this);
}

CJackInputPort::~CJackInputPort()
{
    ForceClose();
}

void CJackInputPort::Process(jack_nframes_t frames) noexcept
{
    void* buffer = jack_port_get_buffer(m_port, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0)
            continue;
        CJackClient::SetCurrentEventTime(event.time);
        m_assembler.Feed(event.buffer, event.size,
                         [this](const uint8_t* bytes, size_t n) { DeliverMessage(bytes, n); });
    }
}

bool CJackInputPort::DeviceGone() noexcept
{
    // JACK drops a connection when either port goes; a device that has
    // already come back under its name has not come back to this port.
    return !m_client->IsConnected(m_port, m_device);
}

void CJackInputPort::CloseDevice() noexcept
{
    m_client->Release(true, m_slot);
}

// ---- output ----

CJackOutputPort::CJackOutputPort(std::shared_ptr<CJackClient> client, int slot, jack_port_t* port,
                                 std::string device, uint32_t wireBytesPerSecond)
    : m_client(std::move(client))
    , m_slot(slot)
    , m_port(port)
    , m_device(std::move(device))
    , m_wireBytesPerSecond(wireBytesPerSecond)
{
    m_client->Publish(m_slot, this);
}

CJackOutputPort::~CJackOutputPort()
{
    if (!m_closed.load(std::memory_order_relaxed))
        Close();
}

size_t CJackOutputPort::MaxLongMessage() const noexcept
{
    const size_t measured = m_maxEvent.load(std::memory_order_relaxed);
    return std::min(m_queue.MaxMessage(), measured != 0 ? measured : kUnmeasuredMaxMessage);
}

MidiResult CJackOutputPort::Put(const uint8_t* bytes, size_t count) noexcept
{
    if (m_closed.load(std::memory_order_relaxed))
        return MIDI_ERR_INVALHANDLE;
    // The server is not asked: once it is gone nothing would ever take the
    // message, and saying so at once keeps callers from waiting on it.
    if (m_client->Gone())
        return MIDI_ERR_NODRIVER;
    const uint32_t discarded = m_discarded.load(std::memory_order_relaxed);
    if (discarded != m_discardedReported) {
        m_discardedReported = discarded;
        return MIDI_ERR_SENDFAILED;
    }
    if (!m_queue.Push(bytes, count, CJackClient::CurrentEventTime()))
        return MIDI_ERR_BUSY;
    m_accepted.store(m_accepted.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    return MIDI_OK;
}

void CJackOutputPort::Process(jack_nframes_t frames) noexcept
{
    // The buffer keeps last cycle's events until cleared, and a reader
    // would take them again: it is cleared every cycle, sending or not.
    void* buffer = jack_port_get_buffer(m_port, frames);
    jack_midi_clear_buffer(buffer);
    // What earlier cycles wrote has been read by now.
    m_out.store(m_taken, std::memory_order_release);
    const size_t room = jack_midi_max_event_size(buffer);
    m_maxEvent.store(room, std::memory_order_relaxed);
    if (m_closing.load(std::memory_order_acquire) && m_queue.Empty()) {
        // Everything queued has gone out in earlier cycles and the buffer
        // is empty now; it stays so until the port is withdrawn.
        m_drained.store(true, std::memory_order_release);
        return;
    }
    jack_nframes_t last = 0;
    CMidiMessageQueue::Front front;
    while (m_queue.Peek(front)) {
        if (front.size > room) {
            // Larger than an empty buffer takes (JACK's buffer shrank since
            // it was queued): it would hold up the queue for good.
            m_queue.Pop(front.size);
            ++m_taken;
            m_discarded.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        // Checked first so that a full buffer does not count as lost
        // events with JACK; the message waits for the next cycle.
        if (front.size > jack_midi_max_event_size(buffer))
            break;
        // Events go in order; a forwarded message keeps its source event's
        // place in the cycle, anything else goes as early as it can.
        const jack_nframes_t at = std::min<jack_nframes_t>(std::max<jack_nframes_t>(front.time, last), frames - 1);
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, at, front.size);
        if (data == nullptr)
            break;
        m_queue.CopyFront(data, front.size);
        m_queue.Pop(front.size);
        ++m_taken;
        last = at;
    }
}

bool CJackOutputPort::DeviceGone() noexcept
{
    return m_closed.load(std::memory_order_relaxed) || !m_client->IsConnected(m_port, m_device);
}

size_t CJackOutputPort::MessagesHeld() const noexcept
{
    // "Out" first: it never passes what was accepted before it was read.
    const uint32_t out = m_out.load(std::memory_order_acquire);
    return static_cast<uint32_t>(m_accepted.load(std::memory_order_acquire) - out);
}

bool CJackOutputPort::WaitUntilOut(std::chrono::milliseconds timeout) noexcept
{
    const uint32_t accepted = m_accepted.load(std::memory_order_acquire);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Counters run free: "out" has caught up once it is no longer behind.
    while (static_cast<int32_t>(m_out.load(std::memory_order_acquire) - accepted) < 0) {
        if (m_client->Gone() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

MidiResult CJackOutputPort::Close()
{
    if (m_closed.exchange(true, std::memory_order_relaxed))
        return MIDI_ERR_INVALHANDLE;
    // What was sent before the close still goes out (a note-off left behind
    // would hang a note on the synthesiser), for as long as the server runs.
    m_closing.store(true, std::memory_order_release);
    const auto deadline = std::chrono::steady_clock::now() + kDrainTimeout;
    while (!m_drained.load(std::memory_order_acquire) && !m_client->Gone()
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_client->Release(false, m_slot);
    return MIDI_OK;
}
