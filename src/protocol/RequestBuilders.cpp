#include "protocol/RequestBuilders.h"

#include "protocol/ProtocolCodes.h"

#include <algorithm>

namespace {

// The widest frame: a data-form field operation with 128 data bytes.
constexpr int kMaxRequestBytes = 8 + 128;

// One request frame: F0, the box's identifier and the command, then the body
// as the builder puts it, and F7 when it is sent.
class CRequest {
public:
    explicit CRequest(uint8_t command)
    {
        Put(kStartOfExclusive);
        Put(kIdentifier);
        Put(command);
    }

    CRequest& Put(uint8_t byte)
    {
        m_frame[m_length++] = byte;
        return *this;
    }

    void SendTo(ISysExSender& sender)
    {
        Put(kEndOfExclusive);
        // The transmitter counts only the bytes between F0 and F7.
        sender.SendSysEx(m_length - 2, m_frame.data());
    }

private:
    std::array<uint8_t, kMaxRequestBytes> m_frame{};
    int m_length = 0;
};

// A request without a body.
void SendFixed(ISysExSender& sender, uint8_t command)
{
    CRequest(command).SendTo(sender);
}

uint8_t Low7(int32_t v)
{
    return static_cast<uint8_t>(v & 0x7F);
}

// A start offset outside the field is pinned to its ends rather than masked:
// 200 still means "the last byte", and a negative start must not let the data
// form's length cut run past 128 bytes.
int32_t ClipStart(int32_t start)
{
    return std::clamp(start, 0, 127);
}

} // namespace

void SendRevisionRequest(ISysExSender& sender)
{
    SendFixed(sender, CMD_REVISION_REQUEST);
}

void SendEepromDumpRequest(ISysExSender& sender)
{
    SendFixed(sender, CMD_EEPROM_DUMP);
}

void SendScanDumpRequest(ISysExSender& sender)
{
    SendFixed(sender, CMD_SCAN_DUMP_REQUEST);
}

void SendEepromEchoTest(ISysExSender& sender)
{
    SendFixed(sender, CMD_EEPROM_ECHO_TEST);
}

void SendSmartEepromPeek(ISysExSender& sender, ReportOptions& options)
{
    CRequest request(CMD_EEPROM_PEEK_REQUEST);  // EEPROM PEEK request
    request.Put(0x00);                          // address nibble 0 (least significant): address 00000
    request.Put(0x00);                          // address nibble 1
    request.Put(0x00);                          // address nibble 2
    request.Put(0x00);                          // address nibble 3
    request.Put(0x00);                          // address nibble 4
    request.Put(0x00);                          // length nibble 0 (least significant): length 0200
    request.Put(0x00);                          // length nibble 1
    request.Put(0x02);                          // length nibble 2
    request.Put(0x00);                          // length nibble 3
    request.SendTo(sender);
    options.SmartDumpPending = true;
}

void SendSetParameter(ISysExSender& sender, int32_t number, int32_t value)
{
    CRequest request(CMD_SET_PARAMETER);  // Set parameter
    request.Put(Low7(number));            // parameter number, low 7 bits
    request.Put(Low7(number >> 7));       // parameter number, next 7 bits
    request.Put(Low7(value));             // value, low 7 bits
    request.Put(Low7(value >> 7));        // value, next 7 bits (two's complement for negatives)
    request.SendTo(sender);
}

void SendInquireParameter(ISysExSender& sender, int32_t number)
{
    CRequest request(CMD_INQUIRE_PARAMETER);  // Inquire parameter
    request.Put(Low7(number));                // parameter number, 7-bit
    request.Put(0x00);                        // always 00
    request.SendTo(sender);
}

void SendFieldOperation(ISysExSender& sender, int32_t op, int32_t field, int32_t start, int32_t length, int32_t byte)
{
    CRequest request(CMD_FIELD_OPERATION);                // Field operation
    request.Put(Low7(op));                                // operation
    request.Put(Low7(field));                             // field (zone, keymap field)
    request.Put(static_cast<uint8_t>(ClipStart(start)));  // start offset inside the field
    request.Put(Low7(length));                            // length, 00 standing for 128
    request.Put(Low7(byte));                              // the one byte of the byte form
    request.SendTo(sender);
}

void SendWriteFieldData(ISysExSender& sender, int32_t op, int32_t field, int32_t start, int32_t length,
                        std::span<const uint8_t> data)
{
    const int32_t clippedStart = ClipStart(start);
    int32_t count = std::clamp(length, 0, 128 - clippedStart);
    count = std::min(count, static_cast<int32_t>(std::min<size_t>(data.size(), 128)));

    const uint8_t dataOp = op == OP_FILL_FROM_DATA ? OP_FILL_FROM_DATA : OP_SET_ZONE_SPLIT_DATA;

    CRequest request(CMD_FIELD_OPERATION);            // Field operation
    request.Put(dataOp);                              // data-form operation
    request.Put(Low7(field));                         // field (zone 0-3)
    request.Put(static_cast<uint8_t>(clippedStart));  // start offset inside the field
    request.Put(Low7(count));                         // length, 00 standing for 128
    for (int32_t k = 0; k < count; ++k)
        request.Put(Low7(data[static_cast<size_t>(k)]));  // data bytes, 7-bit
    request.SendTo(sender);
}

void SendGetZone(ISysExSender& sender, int32_t zone)
{
    SendFieldOperation(sender, OP_GET_ZONE, zone, 0, ZoneRecord::kFieldCount, 0);
}

void SendSetSplit(ISysExSender& sender, int32_t zoneOneBased)
{
    SendFieldOperation(sender, OP_SET_SPLIT, zoneOneBased, 0x7F, 0x7F, 0x7F);
}

void SendKeymapDumpRequest(ISysExSender& sender, int32_t field)
{
    SendFieldOperation(sender, OP_DUMP_REQUEST, field, 0, 0, 0);
}

void SendSynchronizeData(ISysExSender& sender, HeldValues& held)
{
    for (int32_t zone = 0; zone < HeldValues::kZoneCount; ++zone)
        SendGetZone(sender, zone);
    held.IdentificationPending = true;
    for (int32_t number : kSynchronizedParameters)
        SendInquireParameter(sender, number);
}
