// The two fixed rings between the MIDI driver thread and the window thread.
//
// Threading contract: each ring has exactly one writer, the input callback on
// the driver thread, and one reader, the reply decoder on the window thread.
// The writer fills an entry completely and only then publishes it by
// advancing writeCount with release ordering; the reader loads writeCount
// with acquire ordering and touches only entries below it. Neither side
// allocates, locks or waits.
//
// Counters are free-running unsigned 32-bit values; the entry for count k
// lives at k mod size and "unread" is writeCount - readCount in modular
// arithmetic, so the counters may wrap without harm.
//
// Unread data is never overwritten: what does not fit is dropped whole and
// counted, and the decoder reports the loss.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

//! Message identifiers recorded in MidiEventRing. They keep the numeric
//! values of the multimedia MIDI input notifications.
enum MidiInMessage : uint32_t {
    MIM_OPEN = 961,
    MIM_CLOSE = 962,
    MIM_DATA = 963,      //!< short message, packed in param1 (status in the low byte)
    MIM_LONGDATA = 964,  //!< a System Exclusive message (or the empty receive buffer on reset)
    MIM_ERROR = 965,     //!< malformed short data; param1 holds what arrived
    MIM_LONGERROR = 966, //!< incomplete System Exclusive message; its bytes are dropped
    MIM_MOREDATA = 972,
};

//! Packs a short MIDI message the way MIM_DATA carries it.
constexpr uint32_t PackShortMessage(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0)
{
    return uint32_t{status} | (uint32_t{data1} << 8) | (uint32_t{data2} << 16);
}

//! The counters of a ring, and the reader's side of them: the entries
//! published and not yet consumed, and consuming them.
class RingCounters {
public:
    // ---- reader (window thread) ----

    uint32_t Unread() const noexcept
    {
        return writeCount.load(std::memory_order_acquire) - readCount.load(std::memory_order_relaxed);
    }
    //! Consumes `n` entries.
    void Advance(uint32_t n = 1) noexcept
    {
        readCount.store(readCount.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }

    std::atomic<uint32_t> writeCount{0};
    std::atomic<uint32_t> readCount{0};
};

//! Its entries are bytes.
class SysExByteRing : public RingCounters {
public:
    static constexpr uint32_t kSize = 8192;

    // ---- writer (driver thread) ----

    //! Appends all `n` bytes, or none of them when they do not fit in the
    //! free space; a dropped message is added to the lost counters.
    bool Write(const uint8_t* bytes, size_t n) noexcept;

    //! Counts a message of `n` bytes that did not fit, so that the decoder
    //! reports the overrun.
    void Drop(size_t n) noexcept;

    // ---- reader (window thread) ----

    //! The byte for count value `count` (valid while it is unread).
    uint8_t ByteAt(uint32_t count) const noexcept { return m_bytes[count & (kSize - 1)]; }

    //! Totals of what the writer had to drop (monotonic).
    uint32_t LostBytes() const noexcept { return m_lostBytes.load(std::memory_order_relaxed); }
    uint32_t LostMessages() const noexcept { return m_lostMessages.load(std::memory_order_relaxed); }

private:
    uint8_t m_bytes[kSize] = {};
    std::atomic<uint32_t> m_lostBytes{0};
    std::atomic<uint32_t> m_lostMessages{0};
};

struct MidiEventSlot {
    uint32_t kind;      //!< a MidiInMessage value
    uint32_t param1;    //!< packed short message, or what the notification carried
    int64_t time;       //!< arrival, in std::chrono::steady_clock ticks
    char text[128];     //!< release result text of the receive buffer (MIM_LONGDATA while resetting)
};

//! Its entries are events (MidiEventSlot).
class MidiEventRing : public RingCounters {
public:
    static constexpr uint32_t kSize = 512;

    // ---- writer (driver thread) ----

    //! The slot the next event goes into, or nullptr when the ring is full
    //! (the event is then counted as lost). Fill it, then Publish().
    MidiEventSlot* BeginWrite() noexcept;
    void Publish() noexcept
    {
        writeCount.store(writeCount.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    //! Counts `n` events lost before they reached this ring (a ring that
    //! relays another's), so that the decoder reports them too.
    void Drop(uint32_t n) noexcept
    {
        m_lostEvents.store(m_lostEvents.load(std::memory_order_relaxed) + n, std::memory_order_relaxed);
    }

    // ---- reader (window thread) ----

    const MidiEventSlot& SlotAt(uint32_t count) const noexcept { return m_slots[count & (kSize - 1)]; }

    uint32_t LostEvents() const noexcept { return m_lostEvents.load(std::memory_order_relaxed); }

private:
    MidiEventSlot m_slots[kSize] = {};
    std::atomic<uint32_t> m_lostEvents{0};
};

//! Everything the input callback shares with the decoder. Its owner (the
//! main dialog's editors, zmctl, a test) allocates it once, before any port
//! opens, and keeps it until every port is closed: the receive path itself
//! never allocates.
struct CaptureRings {
    SysExByteRing sysex;
    MidiEventRing events;
    //! Set on the window thread right before an input reset, read by the
    //! callback (release instead of re-arm), cleared by the decoder after it
    //! reported the release.
    std::atomic<bool> inputResetting{false};
};
