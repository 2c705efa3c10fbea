#include "midi/MidiCapture.h"

#include <chrono>
#include <thread>

CMidiCapture::CMidiCapture(CaptureRings& rings)
    : m_rings(rings)
{
}

void CMidiCapture::OnMidiInput(IMidiInputPort& port, uint32_t kind, uint32_t param1, MidiHeader* header) noexcept
{
    // A full event ring drops the event (and counts it); the byte ring and
    // the buffer are still served.
    MidiEventSlot* slot = m_rings.events.BeginWrite();
    if (slot) {
        slot->kind = kind;
        slot->param1 = param1;
        // The clock is read without a lock or a system call (vDSO): the
        // view of the keys tells a double trigger from two presses by it.
        slot->time = std::chrono::steady_clock::now().time_since_epoch().count();
        slot->text[0] = '\0';
    }

    if (kind == MIM_LONGDATA && header) {
        if (header->bytesRecorded != 0)
            m_rings.sysex.Write(header->data, header->bytesRecorded);
        // Only the empty buffer a reset hands back is released. Data that a
        // newly opened input delivers before the decoder has cleared the
        // flag keeps its buffer, or reception would stop until the next open.
        if (m_rings.inputResetting.load(std::memory_order_acquire) && header->bytesRecorded == 0) {
            const MidiResult result = port.UnprepareHeader(*header);
            if (slot) {
                const char* text = MidiResultText(result);
                size_t i = 0;
                for (; i + 1 < sizeof(slot->text) && text[i] != '\0'; ++i)
                    slot->text[i] = text[i];
                slot->text[i] = '\0';
            }
        } else {
            Rearm(port);
        }
    } else if (kind == MIM_LONGERROR) {
        // An incomplete message: the event says so (the decoder reports it
        // as such; the ring did not overflow), and the buffer goes straight
        // back so that reception continues.
        if (header)
            Rearm(port);
    } else if (kind == MIM_DATA || kind == MIM_MOREDATA) {
        // Open, close and error notifications carry no message to pass on.
        Forward(param1);
    }

    if (slot)
        m_rings.events.Publish();
}

void CMidiCapture::Rearm(IMidiInputPort& port) noexcept
{
    m_receiveHeader.flags = 0;
    m_receiveHeader.data = m_receiveBuffer;
    m_receiveHeader.bytesRecorded = 0;
    port.PrepareHeader(m_receiveHeader);
    port.AddBuffer(m_receiveHeader);
}

void CMidiCapture::Forward(uint32_t message) noexcept
{
    // Announce the use before looking at the pointer; DetachThru clears the
    // pointer before looking at the count. Sequential consistency keeps the
    // two pairs from passing each other.
    m_forwarding.fetch_add(1, std::memory_order_seq_cst);
    if (IMidiOutputPort* thru = m_thru.load(std::memory_order_seq_cst))
        thru->SendShort(message);
    m_forwarding.fetch_sub(1, std::memory_order_release);
}

MidiResult CMidiCapture::PrepareReceiveBuffer(IMidiInputPort& port) noexcept
{
    m_receiveHeader.data = m_receiveBuffer;
    m_receiveHeader.bufferLength = kReceiveBufferSize;
    m_receiveHeader.bytesRecorded = 0;
    m_receiveHeader.flags = 0;
    m_receiveHeader.user = 0;
    return port.PrepareHeader(m_receiveHeader);
}

MidiResult CMidiCapture::QueueReceiveBuffer(IMidiInputPort& port) noexcept
{
    return port.AddBuffer(m_receiveHeader);
}

void CMidiCapture::AttachThru(IMidiOutputPort* port) noexcept
{
    m_thru.store(port, std::memory_order_seq_cst);
}

void CMidiCapture::DetachThru() noexcept
{
    m_thru.store(nullptr, std::memory_order_seq_cst);
    while (m_forwarding.load(std::memory_order_seq_cst) != 0)
        std::this_thread::yield();
}
