// The simulated box's 2048-byte EEPROM, laid out for the number of keys N
// the box scans. Everything that depends on N moves when N changes:
//
//   0 … 11          header: "ZM1", layout version, N, the rest 0
//   12 … N+11       key down values, one per key (sensor reading, key down)
//   N+12 … N+35     controller block: 6 tab numbers, 6 offsets,
//                   6 high limits, 6 low limits
//   N+36 … N+41     unused, 0
//   N+42 … N+54     misc block (MiscItem gives each byte's offset from N)
//   N+55            unused, 0
//   N+56 … 2N+55    key rest values, one per key (sensor reading, key up)
//   2N+56 … 2047    erased, FF
//
// The factory values come from a seed, so two boxes built with the same
// seed hold the same calibration byte for byte.
#pragma once

#include "protocol/EepromLayout.h"

#include <array>
#include <cstddef>
#include <cstdint>

//! The EEPROM image and where each block lies for the current key count.
class CBoxEeprom {
public:
    static constexpr int kBytes = 2048;
    static constexpr int kMaxKeys = 122;
    static constexpr int kHeaderBytes = EepromLayout::kHeaderBytes;
    static constexpr int kControllers = EepromLayout::kControllers;
    using MiscItem = EepromLayout::MiscItem;
    using enum EepromLayout::MiscItem;

    //! A factory image for `keys` keys (clamped to 1 … kMaxKeys); the misc
    //! bytes that mirror parameters are left for the owner to write.
    CBoxEeprom(uint64_t seed, int keys);

    int Keys() const { return m_keys; }
    uint8_t Byte(int address) const { return m_bytes[static_cast<size_t>(address)]; }
    void SetByte(int address, uint8_t value) { m_bytes[static_cast<size_t>(address)] = value; }
    const std::array<uint8_t, kBytes>& Bytes() const { return m_bytes; }

    //! Bytes the layout leaves erased behind the rest values.
    int FreeBytes() const { return kBytes - UsedBytes(m_keys); }
    static int UsedBytes(int keys) { return EepromLayout::UsedBytes(keys); }

    int DownSlot(int key) const { return EepromLayout::DownSlot(key); }
    int RestSlot(int key) const { return EepromLayout::RestSlot(m_keys, key); }
    int MiscSlot(MiscItem item) const { return EepromLayout::MiscSlot(m_keys, item); }
    uint8_t Misc(MiscItem item) const { return Byte(MiscSlot(item)); }
    void SetMisc(MiscItem item, uint8_t value) { SetByte(MiscSlot(item), value); }

    //! What a freshly calibrated key reads up and down.
    uint8_t FactoryRest(int key) const;
    //! A slow drift along the keyboard, -amplitude … amplitude.
    int Drift(int key, int amplitude) const;
    uint8_t FactoryDown(int key) const;

    //! Back to the factory image for the current N (calibration and
    //! controller block; the misc block keeps what it holds).
    void RestoreFactory();
    //! Erases the calibration: key values and controller block read FF.
    void ClearCalibration();
    //! Moves every block to the places it has for `keys` keys. Keys both
    //! layouts have keep their values; new keys get factory values.
    void Relayout(int keys);

private:
    uint8_t Spread(int salt, int key, int range) const;
    void WriteHeader();
    void WriteFactoryBlocks(int fromKey);

    uint64_t m_seed;
    int m_keys;
    std::array<uint8_t, kBytes> m_bytes{};
};
