#include "protocol/RequestBuilders.h"

#include "protocol/ProtocolCodes.h"

#include <algorithm>

namespace {

// The widest frame: a data-form field operation with 128 data bytes.
constexpr int kMaxRequestBytes = 8 + 128;

using RequestFrame = std::array<uint8_t, kMaxRequestBytes>;

void Send(ISysExSender& sender, const RequestFrame& frame, int length)
{
    // The transmitter counts only the bytes between F0 and F7.
    sender.SendSysEx(length - 2, frame.data());
}

void SendFixed(ISysExSender& sender, uint8_t command)
{
    RequestFrame frame;
    int i = 0;
    frame[i++] = kStartOfExclusive;  // start of exclusive
    frame[i++] = kIdentifier;        // the box's protocol
    frame[i++] = command;            // empty body
    frame[i++] = kEndOfExclusive;    // end of exclusive
    Send(sender, frame, i);
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
    RequestFrame frame;
    int i = 0;
    frame[i++] = kStartOfExclusive;        // start of exclusive
    frame[i++] = kIdentifier;              // the box's protocol
    frame[i++] = CMD_EEPROM_PEEK_REQUEST;  // EEPROM PEEK request
    frame[i++] = 0x00;                     // address nibble 0 (least significant): address 00000
    frame[i++] = 0x00;                     // address nibble 1
    frame[i++] = 0x00;                     // address nibble 2
    frame[i++] = 0x00;                     // address nibble 3
    frame[i++] = 0x00;                     // address nibble 4
    frame[i++] = 0x00;                     // length nibble 0 (least significant): length 0200
    frame[i++] = 0x00;                     // length nibble 1
    frame[i++] = 0x02;                     // length nibble 2
    frame[i++] = 0x00;                     // length nibble 3
    frame[i++] = kEndOfExclusive;          // end of exclusive
    Send(sender, frame, i);
    options.SmartDumpPending = true;
}

void SendSetParameter(ISysExSender& sender, int32_t number, int32_t value)
{
    RequestFrame frame;
    int i = 0;
    frame[i++] = kStartOfExclusive;  // start of exclusive
    frame[i++] = kIdentifier;        // the box's protocol
    frame[i++] = CMD_SET_PARAMETER;  // Set parameter
    frame[i++] = Low7(number);       // parameter number, low 7 bits
    frame[i++] = Low7(number >> 7);  // parameter number, next 7 bits
    frame[i++] = Low7(value);        // value, low 7 bits
    frame[i++] = Low7(value >> 7);   // value, next 7 bits (two's complement for negatives)
    frame[i++] = kEndOfExclusive;    // end of exclusive
    Send(sender, frame, i);
}

void SendInquireParameter(ISysExSender& sender, int32_t number)
{
    RequestFrame frame;
    int i = 0;
    frame[i++] = kStartOfExclusive;      // start of exclusive
    frame[i++] = kIdentifier;            // the box's protocol
    frame[i++] = CMD_INQUIRE_PARAMETER;  // Inquire parameter
    frame[i++] = Low7(number);           // parameter number, 7-bit
    frame[i++] = 0x00;                   // always 00
    frame[i++] = kEndOfExclusive;        // end of exclusive
    Send(sender, frame, i);
}

void SendFieldOperation(ISysExSender& sender, int32_t op, int32_t field, int32_t start, int32_t length, int32_t byte)
{
    RequestFrame frame;
    int i = 0;
    frame[i++] = kStartOfExclusive;                       // start of exclusive
    frame[i++] = kIdentifier;                             // the box's protocol
    frame[i++] = CMD_FIELD_OPERATION;                     // Field operation
    frame[i++] = Low7(op);                                // operation
    frame[i++] = Low7(field);                             // field (zone, keymap field)
    frame[i++] = static_cast<uint8_t>(ClipStart(start));  // start offset inside the field
    frame[i++] = Low7(length);                            // length, 00 standing for 128
    frame[i++] = Low7(byte);                              // the one byte of the byte form
    frame[i++] = kEndOfExclusive;                         // end of exclusive
    Send(sender, frame, i);
}

void SendWriteFieldData(ISysExSender& sender, int32_t op, int32_t field, int32_t start, int32_t length,
                        std::span<const uint8_t> data)
{
    const int32_t clippedStart = ClipStart(start);
    int32_t count = std::clamp(length, 0, 128 - clippedStart);
    count = std::min(count, static_cast<int32_t>(std::min<size_t>(data.size(), 128)));

    RequestFrame frame;
    int i = 0;
    frame[i++] = kStartOfExclusive;                                       // start of exclusive
    frame[i++] = kIdentifier;                                             // the box's protocol
    frame[i++] = CMD_FIELD_OPERATION;                                     // Field operation
    frame[i++] = op == OP_FILL_FROM_DATA ? OP_FILL_FROM_DATA : OP_SET_ZONE_SPLIT_DATA;  // data-form operation
    frame[i++] = Low7(field);                                             // field (zone 0-3)
    frame[i++] = static_cast<uint8_t>(clippedStart);                      // start offset inside the field
    frame[i++] = Low7(count);                                             // length, 00 standing for 128
    for (int32_t k = 0; k < count; ++k)
        frame[i++] = Low7(data[static_cast<size_t>(k)]);                  // data bytes, 7-bit
    frame[i++] = kEndOfExclusive;                                         // end of exclusive
    Send(sender, frame, i);
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
