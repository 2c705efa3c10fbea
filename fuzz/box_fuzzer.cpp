// libFuzzer target for the simulated box: the input is the raw byte stream
// another program might send it over a virtual port. The stream is cut into
// messages the way a MIDI input driver delivers them:
//
// - F0 … F7 is one message; a longer one arrives in 8192-byte pieces (the
//   later pieces start without F0), and a status byte inside it delivers
//   what came so far, unterminated.
// - Channel and system common messages follow their status byte's length,
//   with running status; data bytes with no status are dropped.
// - Real-time bytes (F8-FF) are one-byte messages at once, even inside a
//   System Exclusive message.
//
// Time: each message moves the box's clock by its wire time (320 µs a
// byte), each real-time byte F8-FC, FE, FF by 100-800 ms more, and FD by
// 5 s, past the player's catch-up limit. Input byte 0 seeds the box and,
// with bit 0 set, starts it playing.
//
// Every reply must be a well-formed message: a SysEx reply F0 09 <a reply
// command> <7-bit bytes> F7, a channel message of its status's length with
// 7-bit data. The EEPROM must always hold the box's number of keys. Anything
// else aborts.
#include "sim/SimulatedBox.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kDriverBuffer = 8192;

class CCheckingSink : public ISimReplySink {
public:
    void Reply(const uint8_t* b, size_t c) override
    {
        if (!b || c == 0)
            std::abort();
        if (b[0] == 0xF0) {
            if (c < 4 || c > kDriverBuffer || b[1] != 0x09 || b[c - 1] != 0xF7 || !ReplyCommand(b[2]))
                std::abort();
            for (size_t i = 1; i + 1 < c; ++i)
                if (b[i] & 0x80)
                    std::abort();
            if (b[2] == 0x5A && (c < 8 || (b[3] != 9 && b[3] != 10 && b[3] != 16 && b[3] != 17)))
                std::abort();
            return;
        }
        if (b[0] < 0x80 || b[0] > 0xEF)
            std::abort();
        const size_t expected = (b[0] & 0xE0) == 0xC0 ? 2 : 3;
        if (c != expected)
            std::abort();
        for (size_t i = 1; i < c; ++i)
            if (b[i] & 0x80)
                std::abort();
    }

private:
    static bool ReplyCommand(uint8_t cmd)
    {
        switch (cmd) {
        case 0x10: case 0x13: case 0x15: case 0x1B: case 0x27: case 0x2A:
        case 0x30: case 0x32: case 0x43: case 0x5A: return true;
        default: return false;
        }
    }
};

class CDriver {
public:
    CDriver(CSimulatedBox& box, CCheckingSink& sink) : m_box(box), m_sink(sink) {}

    void Byte(uint8_t b)
    {
        if (b >= 0xF8) {
            Deliver(&b, 1);
            m_box.Advance(b == 0xFD ? 5'000'000 : (b - 0xF7) * 100'000u, m_sink);
            return;
        }
        if (m_inSysEx) {
            if (b < 0x80 || b == 0xF7) {
                m_sysex.push_back(b);
                if (b == 0xF7 || m_sysex.size() == kDriverBuffer) {
                    DeliverSysEx();
                    m_inSysEx = b != 0xF7;
                }
                return;
            }
            DeliverSysEx();  // cut short by a status byte
            m_inSysEx = false;
        }
        if (b == 0xF0) {
            m_inSysEx = true;
            m_status = 0;
            m_sysex.assign(1, b);
        } else if (b >= 0x80) {
            m_status = b == 0xF7 ? 0 : b;
            m_count = 0;
            if (m_status && DataBytes(m_status) == 0) {
                Deliver(&m_status, 1);
                m_status = 0;
            }
        } else if (m_status) {
            m_data[m_count++] = b;
            if (m_count == DataBytes(m_status)) {
                const uint8_t msg[3] = {m_status, m_data[0], m_data[1]};
                Deliver(msg, m_count + 1u);
                m_count = 0;
                if (m_status >= 0xF0)  // no running status for system common
                    m_status = 0;
            }
        }
    }

private:
    static size_t DataBytes(uint8_t status)
    {
        if (status < 0xF0)
            return (status & 0xE0) == 0xC0 ? 1 : 2;
        return status == 0xF2 ? 2 : status == 0xF1 || status == 0xF3 ? 1 : 0;
    }

    void DeliverSysEx()
    {
        Deliver(m_sysex.data(), m_sysex.size());
        m_sysex.clear();
    }

    void Deliver(const uint8_t* bytes, size_t count)
    {
        m_box.OnMessage(bytes, count, m_sink);
        const int n = m_box.KeyCount();
        if (n < 1 || n > 122 || m_box.Eeprom().Byte(n + 42) != n || m_box.Parameter(12) != n)
            std::abort();
        m_box.Advance(count * 320, m_sink);
    }

    CSimulatedBox& m_box;
    CCheckingSink& m_sink;
    std::vector<uint8_t> m_sysex;
    bool m_inSysEx = false;
    uint8_t m_status = 0;
    uint8_t m_data[2] = {};
    size_t m_count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    CSimulatedBox box(data[0] >> 1);
    box.SetPlaying(data[0] & 1);
    CCheckingSink sink;
    CDriver driver(box, sink);
    for (size_t i = 1; i < size; ++i)
        driver.Byte(data[i]);
    return 0;
}
