// Puts back together System Exclusive messages that a MIDI stack hands over
// in pieces. JACK carries one message per event, but a sender may split a
// long SysEx over several events: the first begins with F0 and lacks the F7,
// the following ones carry data bytes, the last ends with F7; they may come
// in one cycle or over several. The pieces are collected in a fixed buffer.
// Realtime bytes (F8 to FF) arriving in between are passed on at once, as
// MIDI allows them inside a SysEx. A SysEx cut short by another status byte,
// or longer than the buffer, is passed on without its F7, which the input
// port reports as incomplete (MIM_LONGERROR) rather than dropping it unseen.
//
// Threading: used by one thread at a time (the driver's); Feed() allocates
// nothing and takes no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

//! The longest System Exclusive message an input puts back together whole,
//! on every path (a JACK input, a decoded stream).
inline constexpr size_t kMaxAssembledSysEx = 65536;

class CSysExAssembler {
public:
    //! Holds SysEx messages of up to `capacity` bytes (F0 and F7 included).
    explicit CSysExAssembler(size_t capacity)
        : m_buffer(std::make_unique<uint8_t[]>(capacity))
        , m_capacity(capacity)
    {
    }

    //! Takes one event of `count` bytes and calls `deliver(bytes, count)`
    //! for each message it completes, in order. The bytes passed are valid
    //! during that call only.
    template <typename Deliver>
    void Feed(const uint8_t* bytes, size_t count, Deliver&& deliver) noexcept;

    //! True while a SysEx has begun and not yet ended.
    bool Assembling() const noexcept { return m_active; }

    //! Hands on a SysEx left open (the stream that carried it ended or was
    //! cut), without its F7, i.e. as an incomplete message.
    template <typename Deliver>
    void Flush(Deliver&& deliver) noexcept
    {
        if (m_active)
            Finish(deliver);
    }

private:
    void Append(uint8_t byte) noexcept
    {
        if (m_held < m_capacity && !m_overflow)
            m_buffer[m_held++] = byte;
        else
            m_overflow = true;
    }

    //! Hands on what is held: whole when its F7 made it in, otherwise
    //! without one, i.e. as an incomplete message.
    template <typename Deliver>
    void Finish(Deliver& deliver) noexcept
    {
        m_active = false;
        deliver(static_cast<const uint8_t*>(m_buffer.get()), m_held);
    }

    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_capacity;
    size_t m_held = 0;
    bool m_active = false;
    bool m_overflow = false;
};

template <typename Deliver>
void CSysExAssembler::Feed(const uint8_t* bytes, size_t count, Deliver&& deliver) noexcept
{
    size_t i = 0;
    while (i < count) {
        if (!m_active) {
            // Whatever does not start a SysEx that the event leaves open is
            // one message as the sender made it: passed on in place.
            if (bytes[i] != 0xF0 || (count - i >= 2 && bytes[count - 1] == 0xF7)) {
                deliver(bytes + i, count - i);
                return;
            }
            m_active = true;
            m_overflow = false;
            m_held = 0;
            Append(bytes[i++]);
            continue;
        }
        const uint8_t byte = bytes[i];
        if (byte >= 0xF8) {
            deliver(bytes + i, 1);
            ++i;
        } else if (byte == 0xF7) {
            Append(byte);
            Finish(deliver);
            ++i;
        } else if (byte >= 0x80) {
            // Another message begins: the SysEx ended without its F7. The
            // byte is looked at again as the start of that message.
            Finish(deliver);
        } else {
            Append(byte);
            ++i;
        }
    }
}
