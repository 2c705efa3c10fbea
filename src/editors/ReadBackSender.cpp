#include "editors/ReadBackSender.h"

#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"

void CReadBackSender::SendSysEx(int32_t count, const uint8_t* bytes)
{
    m_target.SendSysEx(count, bytes);
    if (!m_enabled || bytes == nullptr || count < 2 || bytes[0] != kStartOfExclusive || bytes[1] != kIdentifier)
        return;
    const uint8_t* body = bytes + 3;
    const int32_t bodyLength = count - 2;
    switch (bytes[2]) {
    case CMD_SET_PARAMETER:
        if (bodyLength >= 2) {
            const int32_t number = body[0] | body[1] << 7;
            if (number <= 0x7F)
                SendInquireParameter(m_target, number);
        }
        break;
    case CMD_FIELD_OPERATION:
        // Operation, zone, start, length, then the bytes written.
        if (bodyLength >= 5 && body[0] == OP_SET_ZONE_SPLIT_DATA && body[1] < 4)
            SendGetZone(m_target, body[1]);
        break;
    default:
        break;
    }
}
