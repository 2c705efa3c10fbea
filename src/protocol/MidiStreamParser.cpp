#include "protocol/MidiStreamParser.h"

#include <chrono>

#include <utility>

namespace {

int DataBytesOf(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:  // program change
    case 0xD0:  // channel pressure
        return 1;
    case 0xF0:
        switch (status) {
        case 0xF1:  // time code quarter frame
        case 0xF3:  // song select
            return 1;
        case 0xF2:  // song position
            return 2;
        default:
            return 0;
        }
    default:
        return 2;
    }
}

} // namespace

CMidiStreamParser::CMidiStreamParser(CaptureRings& rings, MessageHandler afterMessage)
    : m_rings(rings), m_afterMessage(std::move(afterMessage))
{
}

void CMidiStreamParser::Feed(const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        Byte(bytes[i]);
}

void CMidiStreamParser::Finish()
{
    if (m_inSysEx) {
        m_inSysEx = false;
        m_sysexLength = 0;
        Post(MIM_LONGERROR, 0);
    }
    AbandonShortMessage();
}

void CMidiStreamParser::Post(uint32_t kind, uint32_t param1)
{
    // A full event ring counts the event as lost; the decoder reports it.
    if (MidiEventSlot* slot = m_rings.events.BeginWrite()) {
        slot->kind = kind;
        slot->param1 = param1;
        slot->time = std::chrono::steady_clock::now().time_since_epoch().count();
        slot->text[0] = '\0';
        m_rings.events.Publish();
    }
    if (m_afterMessage)
        m_afterMessage();
}

void CMidiStreamParser::DeliverSysEx()
{
    // A piece that does not fit is dropped and counted by the ring itself.
    m_rings.sysex.Write(m_sysex, m_sysexLength);
    const uint32_t length = static_cast<uint32_t>(m_sysexLength);
    m_sysexLength = 0;
    Post(MIM_LONGDATA, length);
}

void CMidiStreamParser::AbandonShortMessage()
{
    if (!m_messageOpen)
        return;
    const uint32_t packed = PackShortMessage(m_status, m_dataCount > 0 ? m_data[0] : 0, m_dataCount > 1 ? m_data[1] : 0);
    m_messageOpen = false;
    m_dataCount = 0;
    Post(MIM_ERROR, packed);
}

void CMidiStreamParser::Byte(uint8_t byte)
{
    if (byte >= 0xF8) {
        // Real-time: on its own, whatever it arrives in the middle of.
        Post(MIM_DATA, PackShortMessage(byte));
        return;
    }
    if (m_inSysEx) {
        if (byte < 0x80) {
            m_sysex[m_sysexLength++] = byte;
            if (m_sysexLength == kSysExPiece)
                DeliverSysEx();
            return;
        }
        if (byte == 0xF7) {
            m_sysex[m_sysexLength++] = byte;
            m_inSysEx = false;
            DeliverSysEx();
            return;
        }
        // Any other status byte cuts the message off, then counts as itself.
        m_inSysEx = false;
        m_sysexLength = 0;
        Post(MIM_LONGERROR, 0);
    }
    if (byte >= 0x80)
        StatusByte(byte);
    else
        DataByte(byte);
}

void CMidiStreamParser::StatusByte(uint8_t byte)
{
    AbandonShortMessage();
    m_inStrayRun = false;
    m_dataCount = 0;

    if (byte == 0xF0) {
        m_status = 0;
        m_inSysEx = true;
        m_sysexLength = 0;
        m_sysex[m_sysexLength++] = byte;
        return;
    }
    if (byte < 0xF0) {
        m_status = byte;
        m_dataNeeded = DataBytesOf(byte);
        m_messageOpen = true;
        return;
    }
    // System common messages end running status.
    m_status = 0;
    if (byte == 0xF4 || byte == 0xF5 || byte == 0xF7) {
        Post(MIM_ERROR, PackShortMessage(byte));
        return;
    }
    m_dataNeeded = DataBytesOf(byte);
    if (m_dataNeeded == 0) {
        Post(MIM_DATA, PackShortMessage(byte));
        return;
    }
    m_status = byte;
    m_messageOpen = true;
}

void CMidiStreamParser::DataByte(uint8_t byte)
{
    if (m_status == 0) {
        if (!m_inStrayRun) {
            m_inStrayRun = true;
            Post(MIM_ERROR, PackShortMessage(byte));
        }
        return;
    }
    m_messageOpen = true;
    m_data[m_dataCount++] = byte;
    if (m_dataCount < m_dataNeeded)
        return;
    const uint8_t status = m_status;
    m_messageOpen = false;
    m_dataCount = 0;
    if (status >= 0xF0)
        m_status = 0;  // system common: no running status
    Post(MIM_DATA, PackShortMessage(status, m_data[0], m_dataNeeded > 1 ? m_data[1] : 0));
}
