// Where the box keeps what the Smart eeprom Dump report prints, for a
// scanner of N keys: a 12-byte header, then the down value of each key,
// the controller table, the misc block, then the rest value of each key.
// Offsets are slots of the EEPROM image (one byte each).
#pragma once

#include <cstdint>

namespace EepromLayout {

inline constexpr int32_t kHeaderBytes = 12;
inline constexpr int32_t kControllers = 6;

//! The controller table's four rows of six, from N.
enum ControllerRow : int32_t {
    kControllerTabNumber = 12,
    kControllerOffset = 18,
    kControllerHighLimit = 24,
    kControllerLowLimit = 30,
};

//! The misc block's bytes, from N.
enum MiscItem : int32_t {
    kNumberOfKeys = 42,
    kLowestKeyNumber = 43,
    kDirection = 44,
    kTriggerOffset = 45,
    kRetriggerOffset = 46,
    kVelocitySensitivity = 47,
    kMinVelocityFactor = 48,
    kReleaseSensitivity = 49,
    kNoiseSafetyFactor = 50,
    kConvParam = 51,
    kStripBreak = 52,
    kLowestNoteKeyboard2 = 53,
    kMidiChannel = 54,
};

//! The rest values start here, from N.
inline constexpr int32_t kRestValues = 56;

constexpr int32_t DownSlot(int32_t key) { return kHeaderBytes + key; }
constexpr int32_t RestSlot(int32_t keys, int32_t key) { return keys + kRestValues + key; }
constexpr int32_t MiscSlot(int32_t keys, MiscItem item) { return keys + item; }
//! Bytes the layout uses; the rest of the EEPROM is free.
constexpr int32_t UsedBytes(int32_t keys) { return 2 * keys + kRestValues; }

} // namespace EepromLayout
