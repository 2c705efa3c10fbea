#include "protocol/MidiStreamParser.h"

#include "midi/MidiInputPortBase.h"

#include <algorithm>
#include <utility>

namespace {

//! Data bytes that follow `status` in a whole message (0 for F0, F7, the
//! undefined F4 and F5, and F6), as the input port counts them.
int DataBytesOf(uint8_t status)
{
    return std::max(0, static_cast<int>(ShortMessageLength(status)) - 1);
}

} // namespace

// The input port the stream "arrives" on: started at once, with no device
// behind it; the parser delivers into it as a driver thread would.
class CMidiStreamParser::CStreamPort : public CMidiInputPortBase {
public:
    explicit CStreamPort(IMidiInputHandler& handler)
        : CMidiInputPortBase(handler)
    {
        Start();
    }
    ~CStreamPort() override { ForceClose(); }

protected:
    void CloseDevice() noexcept override {}
};

CMidiStreamParser::CMidiStreamParser(CaptureRings& rings, MessageHandler afterMessage)
    : m_afterMessage(std::move(afterMessage))
    , m_capture(rings)
    , m_port(std::make_unique<CStreamPort>(m_capture))
{
    // As the port session does for a live input: one receive buffer, which
    // the callback re-arms after every System Exclusive message.
    m_capture.PrepareReceiveBuffer(*m_port);
    m_capture.QueueReceiveBuffer(*m_port);
}

CMidiStreamParser::~CMidiStreamParser() = default;

void CMidiStreamParser::Feed(const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        Byte(bytes[i]);
}

void CMidiStreamParser::Finish()
{
    m_assembler.Flush(Deliverer());
    AbandonShortMessage();
}

void CMidiStreamParser::Deliver(const uint8_t* bytes, size_t count)
{
    m_port->DeliverMessage(bytes, count);
    if (m_afterMessage)
        m_afterMessage();
}

void CMidiStreamParser::AbandonShortMessage()
{
    if (!m_messageOpen)
        return;
    const uint8_t message[3] = {m_status, m_data[0], m_data[1]};
    const size_t count = 1 + static_cast<size_t>(m_dataCount);
    m_messageOpen = false;
    m_dataCount = 0;
    Deliver(message, count);
}

void CMidiStreamParser::Byte(uint8_t byte)
{
    if (m_assembler.Assembling()) {
        // Data, the closing F7 and real-time bytes belong to the SysEx; any
        // other status byte cuts it off and then counts as itself.
        if (byte < 0x80 || byte == 0xF7 || byte >= 0xF8) {
            m_assembler.Feed(&byte, 1, Deliverer());
            return;
        }
        m_assembler.Flush(Deliverer());
    }
    if (byte >= 0xF8) {
        // Real-time: on its own, whatever it arrives in the middle of.
        Deliver(&byte, 1);
        return;
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
        m_assembler.Feed(&byte, 1, Deliverer());
        return;
    }
    m_dataNeeded = DataBytesOf(byte);
    if (m_dataNeeded == 0) {
        // System common without data: F6, and the undefined F4, F5 and a
        // stray F7, which the port reports as errors. They end running
        // status, as the other system common messages do once complete.
        m_status = 0;
        Deliver(&byte, 1);
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
            Deliver(&byte, 1);
        }
        return;
    }
    m_messageOpen = true;
    m_data[m_dataCount++] = byte;
    if (m_dataCount < m_dataNeeded)
        return;
    const uint8_t message[3] = {m_status, m_data[0], m_data[1]};
    const size_t count = 1 + static_cast<size_t>(m_dataNeeded);
    m_messageOpen = false;
    m_dataCount = 0;
    if (m_status >= 0xF0)
        m_status = 0;  // system common: no running status
    Deliver(message, count);
}
