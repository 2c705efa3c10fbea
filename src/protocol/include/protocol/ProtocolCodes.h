// Command codes, field operations and size limits of the ZM1 SysEx protocol.
//
// Every message in both directions is F0 09 <command> <body of 7-bit bytes> F7.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr uint8_t kStartOfExclusive = 0xF0;
inline constexpr uint8_t kEndOfExclusive = 0xF7;
inline constexpr uint8_t kIdentifier = 0x09;  //!< the box's protocol identifier, frame byte 1

//! Command byte, frame byte 2.
enum Command : uint8_t {
    CMD_TEXT_CHARACTER = 0x10,
    CMD_TEXT_STRING = 0x11,
    CMD_8BIT_CHARACTER = 0x12,
    CMD_8BIT_TEXT_STRING = 0x13,
    CMD_SCAN_DUMP_DATA = 0x15,
    CMD_REVISION_REQUEST = 0x1A,
    CMD_REVISION_ACKNOWLEDGE = 0x1B,
    CMD_EEPROM_ECHO_TEST = 0x27,
    CMD_EEPROM_DUMP = 0x2A,
    CMD_SCAN_DUMP_REQUEST = 0x2B,
    CMD_EEPROM_PEEK_REQUEST = 0x2F,
    CMD_EEPROM_PEEK_ACKNOWLEDGE = 0x30,
    CMD_EEPROM_POKE_REQUEST = 0x31,
    CMD_EEPROM_POKE_ACKNOWLEDGE = 0x32,
    CMD_SET_PARAMETER = 0x43,
    CMD_INQUIRE_PARAMETER = 0x44,
    CMD_ACCESS_XTABLE = 0x45,
    CMD_FIELD_OPERATION = 0x5A,
};

//! Operation byte of a field operation (body byte 0), decimal as the box numbers them.
enum FieldOperation : uint8_t {
    OP_FILL_FROM_DATA = 0,
    OP_FILL_DECREASING = 1,
    OP_FILL_WITH_BYTE = 2,
    OP_FILL_INCREASING = 3,
    OP_OR_WITH_BYTE = 4,
    OP_AND_WITH_BYTE = 5,
    OP_SET_ZONE_SPLIT_DATA = 8,
    OP_GET_ZONE = 9,
    OP_SET_SPLIT = 10,
    OP_DUMP_REQUEST = 16,       //!< out: ask for a keymap field; in: the request failed
    OP_DUMP_ACKNOWLEDGE = 17,   //!< in: the keymap data
};

//! Keymap fields of the dump request.
enum KeymapField : uint8_t {
    KEYMAP_ZONE_ENABLE = 0,
    KEYMAP_ZONE_1 = 1,
    KEYMAP_ZONE_2 = 2,
    KEYMAP_ZONE_3 = 3,
    KEYMAP_ZONE_4 = 4,
    KEYMAP_RAW_KEYDOWN = 5,
};

// Sizes of the decoder's fixed buffers (characters exclude the terminating zero).
inline constexpr int32_t kMaxFrameBytes = 8192;
inline constexpr int32_t kMaxTextLineChars = 1023;
inline constexpr int32_t kMaxLineChars = 127;
inline constexpr int32_t kMaxIdentificationChars = 127;
inline constexpr int32_t kEepromImageSlots = 2048;
inline constexpr int32_t kScanSlots = 256;

//! The 24-bit frame number on which replies are dispatched: F0 09 43 gives F00943.
constexpr uint32_t FrameNumber(uint8_t command)
{
    return (uint32_t{kStartOfExclusive} << 16) | (uint32_t{kIdentifier} << 8) | command;
}
