// A fixed ring of whole MIDI messages between one producing thread and one
// consuming thread, for output ports whose MIDI stack takes data only at its
// own moments (the JACK process cycle): senders queue, the stack's thread
// takes what fits and leaves the rest for its next turn.
//
// Threading contract: Push() runs on one thread at a time (the producer);
// Peek(), CopyFront(), Pop() and Empty() on one other thread (the consumer).
// A producer may hand over to another thread only through a synchronising
// operation (the capture callback's atomic thru pointer does this). Nothing
// here allocates after construction, locks or waits.
//
// Each message is stored as an 8-byte header (length, time hint) followed by
// its bytes; counters are free-running 32-bit values, so they may wrap.
#pragma once

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

class CMidiMessageQueue {
public:
    static constexpr size_t kHeaderSize = 8;

    //! `capacity` bytes of storage, a power of two of at least 16.
    explicit CMidiMessageQueue(size_t capacity)
        : m_capacity(static_cast<uint32_t>(capacity))
        , m_bytes(std::make_unique<uint8_t[]>(capacity))
    {
        assert(capacity >= 16 && capacity <= (size_t{1} << 31) && (capacity & (capacity - 1)) == 0);
    }

    //! The longest message the queue can ever hold.
    size_t MaxMessage() const noexcept { return m_capacity - kHeaderSize; }

    // ---- producer ----

    //! Queues `count` bytes (1 or more) with a time hint for the consumer.
    //! False, and nothing queued, when they do not fit in the free space.
    bool Push(const uint8_t* bytes, size_t count, uint32_t time) noexcept
    {
        if (count == 0 || count > MaxMessage())
            return false;
        const uint32_t w = m_write.load(std::memory_order_relaxed);
        const uint32_t used = w - m_read.load(std::memory_order_acquire);
        if (kHeaderSize + count > m_capacity - used)
            return false;
        const uint32_t header[2] = {static_cast<uint32_t>(count), time};
        CopyIn(w, reinterpret_cast<const uint8_t*>(header), kHeaderSize);
        CopyIn(w + kHeaderSize, bytes, count);
        m_write.store(w + static_cast<uint32_t>(kHeaderSize + count), std::memory_order_release);
        return true;
    }

    // ---- consumer ----

    struct Front {
        uint32_t size;
        uint32_t time;
    };

    //! The oldest message's length and time hint; false when empty.
    bool Peek(Front& front) const noexcept
    {
        const uint32_t r = m_read.load(std::memory_order_relaxed);
        if (m_write.load(std::memory_order_acquire) == r)
            return false;
        uint32_t header[2];
        CopyOut(r, reinterpret_cast<uint8_t*>(header), kHeaderSize);
        front = {header[0], header[1]};
        return true;
    }

    //! Copies the oldest message (as Peek() sized it) to `to`.
    void CopyFront(uint8_t* to, uint32_t size) const noexcept
    {
        CopyOut(m_read.load(std::memory_order_relaxed) + kHeaderSize, to, size);
    }

    //! Removes the oldest message (as Peek() sized it).
    void Pop(uint32_t size) noexcept
    {
        m_read.store(m_read.load(std::memory_order_relaxed) + static_cast<uint32_t>(kHeaderSize) + size,
                     std::memory_order_release);
    }

    bool Empty() const noexcept
    {
        return m_write.load(std::memory_order_acquire) == m_read.load(std::memory_order_relaxed);
    }

private:
    void CopyIn(uint32_t at, const uint8_t* from, size_t count) noexcept
    {
        const size_t pos = at & (m_capacity - 1);
        const size_t first = std::min<size_t>(count, m_capacity - pos);
        std::memcpy(m_bytes.get() + pos, from, first);
        std::memcpy(m_bytes.get(), from + first, count - first);
    }

    void CopyOut(uint32_t at, uint8_t* to, size_t count) const noexcept
    {
        const size_t pos = at & (m_capacity - 1);
        const size_t first = std::min<size_t>(count, m_capacity - pos);
        std::memcpy(to, m_bytes.get() + pos, first);
        std::memcpy(to + first, m_bytes.get(), count - first);
    }

    const uint32_t m_capacity;
    const std::unique_ptr<uint8_t[]> m_bytes;
    std::atomic<uint32_t> m_write{0};
    std::atomic<uint32_t> m_read{0};
};
