#include "midi/MidiInputPortBase.h"

#include "midi/CaptureRings.h"

#include <limits>
#include <thread>

ClassifiedMessage ClassifyMidiMessage(const uint8_t* bytes, size_t count) noexcept
{
    if (count == 0)
        return {MIM_ERROR, 0};
    if (bytes[0] == 0xF0) {
        const uint32_t n = count > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                                         : static_cast<uint32_t>(count);
        return {count >= 2 && bytes[count - 1] == 0xF7 ? uint32_t{MIM_LONGDATA} : uint32_t{MIM_LONGERROR}, n};
    }
    const uint32_t packed = PackShortMessage(bytes[0], count > 1 ? bytes[1] : 0, count > 2 ? bytes[2] : 0);
    bool valid = ShortMessageLength(bytes[0]) == count;
    for (size_t i = 1; valid && i < count; ++i)
        valid = bytes[i] < 0x80;
    return {valid ? uint32_t{MIM_DATA} : uint32_t{MIM_ERROR}, packed};
}

CMidiInputPortBase::CMidiInputPortBase(IMidiInputHandler& handler)
    : m_handler(handler)
{
}

CMidiInputPortBase::~CMidiInputPortBase() = default;

void CMidiInputPortBase::NotifyOpened()
{
    m_handler.OnMidiInput(*this, MIM_OPEN, 0, nullptr);
}

void CMidiInputPortBase::Quiesce() noexcept
{
    // A delivery either saw m_started set and is counted here, or it will see
    // it clear: both sides use sequentially consistent operations, so the
    // store-then-load on each side cannot both miss the other.
    while (m_delivering.load(std::memory_order_seq_cst) != 0)
        std::this_thread::yield();
}

MidiResult CMidiInputPortBase::Start()
{
    if (m_closed)
        return MIDI_ERR_INVALHANDLE;
    m_started.store(true, std::memory_order_seq_cst);
    return MIDI_OK;
}

MidiResult CMidiInputPortBase::Stop()
{
    if (m_closed)
        return MIDI_ERR_INVALHANDLE;
    m_started.store(false, std::memory_order_seq_cst);
    Quiesce();
    return MIDI_OK;
}

MidiResult CMidiInputPortBase::Reset()
{
    // This class's own stop, called directly: what a port adds to Stop()
    // is not part of a reset.
    if (const MidiResult stopped = CMidiInputPortBase::Stop(); stopped != MIDI_OK)
        return stopped;
    if (MidiHeader* header = m_queued.exchange(nullptr, std::memory_order_acquire)) {
        header->bytesRecorded = 0;
        header->flags = (header->flags & ~uint32_t{MHDR_INQUEUE}) | MHDR_DONE;
        m_handler.OnMidiInput(*this, MIM_LONGDATA, 0, header);
    }
    return MIDI_OK;
}

MidiResult CMidiInputPortBase::PrepareHeader(MidiHeader& header) noexcept
{
    if (m_closed)
        return MIDI_ERR_INVALHANDLE;
    if (header.data == nullptr || header.bufferLength == 0)
        return MIDI_ERR_INVALPARAM;
    header.flags |= MHDR_PREPARED;
    return MIDI_OK;
}

MidiResult CMidiInputPortBase::UnprepareHeader(MidiHeader& header) noexcept
{
    if (m_closed)
        return MIDI_ERR_INVALHANDLE;
    if (header.flags & MHDR_INQUEUE)
        return MIDI_ERR_STILLPLAYING;
    if (!(header.flags & MHDR_PREPARED))
        return MIDI_ERR_UNPREPARED;
    header.flags &= ~uint32_t{MHDR_PREPARED};
    return MIDI_OK;
}

MidiResult CMidiInputPortBase::AddBuffer(MidiHeader& header) noexcept
{
    if (m_closed)
        return MIDI_ERR_INVALHANDLE;
    if (!(header.flags & MHDR_PREPARED))
        return MIDI_ERR_UNPREPARED;
    if (header.flags & MHDR_INQUEUE)
        return MIDI_ERR_STILLPLAYING;
    header.flags = (header.flags & ~uint32_t{MHDR_DONE}) | MHDR_INQUEUE;
    header.bytesRecorded = 0;
    MidiHeader* expected = nullptr;
    if (!m_queued.compare_exchange_strong(expected, &header, std::memory_order_release, std::memory_order_relaxed)) {
        header.flags &= ~uint32_t{MHDR_INQUEUE};
        return MIDI_ERR_BUFFERQUEUED;
    }
    return MIDI_OK;
}

MidiResult CMidiInputPortBase::Close()
{
    if (const MidiResult stopped = CMidiInputPortBase::Stop(); stopped != MIDI_OK)
        return stopped;
    if (m_queued.load(std::memory_order_acquire) != nullptr)
        return MIDI_ERR_STILLPLAYING;
    CloseDevice();
    m_closed = true;
    m_handler.OnMidiInput(*this, MIM_CLOSE, 0, nullptr);
    return MIDI_OK;
}

void CMidiInputPortBase::ForceClose() noexcept
{
    if (m_closed)
        return;
    m_started.store(false, std::memory_order_seq_cst);
    Quiesce();
    CloseDevice();
    m_closed = true;
    if (MidiHeader* header = m_queued.exchange(nullptr, std::memory_order_acquire))
        header->flags &= ~uint32_t{MHDR_INQUEUE};
}

void CMidiInputPortBase::DeliverMessage(const uint8_t* bytes, size_t count) noexcept
{
    if (count == 0)
        return;
    m_delivering.fetch_add(1, std::memory_order_seq_cst);
    if (m_started.load(std::memory_order_seq_cst)) {
        ClassifiedMessage message = ClassifyMidiMessage(bytes, count);
        MidiHeader* header = nullptr;
        if (message.kind == MIM_LONGDATA || message.kind == MIM_LONGERROR) {
            header = m_queued.exchange(nullptr, std::memory_order_acquire);
            if (header) {
                header->data = bytes;
                header->bytesRecorded = message.param1;
                header->flags = (header->flags & ~uint32_t{MHDR_INQUEUE}) | MHDR_DONE;
            } else {
                // No buffer to receive into: the message cannot be taken.
                // It is reported, never dropped unseen.
                message.kind = MIM_LONGERROR;
            }
        }
        m_handler.OnMidiInput(*this, message.kind, message.param1, header);
    }
    m_delivering.fetch_sub(1, std::memory_order_release);
}
