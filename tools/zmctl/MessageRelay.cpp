#include "MessageRelay.h"

#include "midi/MidiPlatform.h"

CMessageRelay::CMessageRelay(ISysExSender& sender, const ReportOptions& options)
    : m_pipeline(*this, sender)
{
    m_pipeline.Options() = options;
}

void CMessageRelay::Emit(ArrivedMessage& message, const Handler& handler)
{
    m_lines.clear();
    m_pipeline.Run();
    message.lines = std::move(m_lines);
    m_lines.clear();
    handler(message);
}

void CMessageRelay::Relay(CaptureRings& live, const Handler& handler)
{
    CaptureRings& relay = m_pipeline.Rings();
    // What the input had to drop goes to the decoder as its own loss.
    const uint32_t lostBytes = live.sysex.LostBytes();
    const uint32_t lostEvents = live.events.LostEvents();
    if (lostBytes != m_lostBytesSeen || lostEvents != m_lostEventsSeen) {
        if (lostBytes != m_lostBytesSeen)
            relay.sysex.Drop(lostBytes - m_lostBytesSeen);
        relay.events.Drop(lostEvents - m_lostEventsSeen);
        m_lostBytesSeen = lostBytes;
        m_lostEventsSeen = lostEvents;
        ArrivedMessage loss{std::chrono::steady_clock::now(), {}, {}};
        Emit(loss, handler);
    }
    while (live.events.Unread() != 0) {
        const MidiEventSlot slot = live.events.SlotAt(live.events.readCount.load(std::memory_order_relaxed));
        ArrivedMessage message;
        message.time = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(slot.time));
        if (slot.kind == MIM_LONGDATA && slot.param1 != 0) {
            // Its bytes lie next in the byte ring, written before the event.
            const uint32_t first = live.sysex.readCount.load(std::memory_order_relaxed);
            const uint32_t unread = live.sysex.Unread();
            uint32_t n = 0;
            while (n < unread && n < slot.param1) {
                const uint8_t byte = live.sysex.ByteAt(first + n++);
                message.bytes.push_back(byte);
                if (byte == 0xF7)
                    break;
            }
            relay.sysex.Write(message.bytes.data(), message.bytes.size());
            live.sysex.Advance(n);
        } else if (slot.kind == MIM_DATA || slot.kind == MIM_MOREDATA || slot.kind == MIM_ERROR) {
            const size_t length = ShortMessageLength(static_cast<uint8_t>(slot.param1));
            for (size_t i = 0; i < (length != 0 ? length : 1); ++i)
                message.bytes.push_back(static_cast<uint8_t>(slot.param1 >> (8 * i)));
        }
        if (MidiEventSlot* copy = relay.events.BeginWrite()) {
            *copy = slot;
            relay.events.Publish();
        }
        live.events.Advance();
        Emit(message, handler);
    }
}
