#include "midi/CaptureRings.h"

#include <cstring>

namespace {

// Knowing that the destination is an 8 KB array, GCC expands these copies
// inline as `rep movsq`, which runs at half the speed of the C library's
// vector copy for messages of a few hundred bytes and more. Going through
// a pointer keeps the library's copy.
void* (*const volatile g_copy)(void*, const void*, size_t) = std::memcpy;

} // namespace

bool SysExByteRing::Write(const uint8_t* bytes, size_t n) noexcept
{
    const uint32_t w = writeCount.load(std::memory_order_relaxed);
    const uint32_t used = w - readCount.load(std::memory_order_acquire);
    if (n > kSize - used) {
        Drop(n);
        return false;
    }
    const uint32_t at = w & (kSize - 1);
    const size_t first = n < kSize - at ? n : kSize - at;
    if (first != 0)
        g_copy(m_bytes + at, bytes, first);
    if (n > first)
        g_copy(m_bytes, bytes + first, n - first);
    writeCount.store(w + static_cast<uint32_t>(n), std::memory_order_release);
    return true;
}

void SysExByteRing::Drop(size_t n) noexcept
{
    // Single writer: plain read-modify-write of our own counters.
    m_lostBytes.store(m_lostBytes.load(std::memory_order_relaxed) + static_cast<uint32_t>(n),
                      std::memory_order_relaxed);
    m_lostMessages.store(m_lostMessages.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

MidiEventSlot* MidiEventRing::BeginWrite() noexcept
{
    const uint32_t w = writeCount.load(std::memory_order_relaxed);
    if (w - readCount.load(std::memory_order_acquire) >= kSize) {
        m_lostEvents.store(m_lostEvents.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        return nullptr;
    }
    return &m_slots[w & (kSize - 1)];
}
