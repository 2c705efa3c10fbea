#include "sim/BoxEeprom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kControllerBlock = 4 * CBoxEeprom::kControllers;
constexpr int kMiscFirst = CBoxEeprom::kNumberOfKeys;
constexpr int kMiscCount = CBoxEeprom::kMidiChannel - CBoxEeprom::kNumberOfKeys + 1;
constexpr uint8_t kLayoutVersion = 1;

// Controller numbers of the pedals and levers a typical installation wires
// up: sustain, sostenuto, soft, expression, modulation, volume.
constexpr uint8_t kTabNumbers[CBoxEeprom::kControllers] = {0x40, 0x42, 0x43, 0x0B, 0x01, 0x07};

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint8_t ClampByte(int v)
{
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

CBoxEeprom::CBoxEeprom(uint64_t seed, int keys)
    : m_seed(seed), m_keys(std::clamp(keys, 1, kMaxKeys))
{
    m_bytes.fill(0xFF);
    WriteHeader();
    WriteFactoryBlocks(0);
    for (int i = 0; i < kMiscCount; ++i)
        SetByte(m_keys + kMiscFirst + i, 0);
    SetMisc(kNumberOfKeys, static_cast<uint8_t>(m_keys));
    SetMisc(kLowestKeyNumber, 21);  // A0, the lowest key of a piano
    SetMisc(kMinVelocityFactor, 0x0C);
}

uint8_t CBoxEeprom::Spread(int salt, int key, int range) const
{
    const uint64_t h = Mix(m_seed ^ (static_cast<uint64_t>(salt) << 32) ^ static_cast<uint64_t>(key));
    return static_cast<uint8_t>(h % static_cast<uint64_t>(2 * range + 1));
}

// Optical sensors: an open gap (key up) reads high, a key pressed home
// shadows it and reads low. Every sensor sits a little differently, and the
// readings drift slowly along the rail as the mounting does.
int CBoxEeprom::Drift(int key, int amplitude) const
{
    const double turn = 6.283185307179586 * key / std::max(1, m_keys);
    return static_cast<int>(std::lround(amplitude * std::sin(turn + static_cast<double>(m_seed % 7))));
}

uint8_t CBoxEeprom::FactoryRest(int key) const
{
    return ClampByte(0xD0 + Drift(key, 6) - 2 + Spread(1, key, 2));
}

uint8_t CBoxEeprom::FactoryDown(int key) const
{
    return ClampByte(0x38 + Drift(key, 8) - 2 + Spread(2, key, 2));
}

void CBoxEeprom::WriteHeader()
{
    const uint8_t header[kHeaderBytes] = {'Z', 'M', '1', kLayoutVersion, static_cast<uint8_t>(m_keys)};
    std::copy(header, header + kHeaderBytes, m_bytes.begin());
}

void CBoxEeprom::WriteFactoryBlocks(int fromKey)
{
    for (int k = fromKey; k < m_keys; ++k) {
        SetByte(DownSlot(k), FactoryDown(k));
        SetByte(RestSlot(k), FactoryRest(k));
    }
    const int block = m_keys + EepromLayout::kControllerTabNumber;
    for (int i = 0; i < kControllers; ++i) {
        SetByte(block + i, kTabNumbers[i]);
        SetByte(block + kControllers + i, ClampByte(0x08 - 3 + Spread(3, i, 3)));
        SetByte(block + 2 * kControllers + i, ClampByte(0xE0 - 8 + Spread(4, i, 8)));
        SetByte(block + 3 * kControllers + i, ClampByte(0x20 - 8 + Spread(5, i, 8)));
    }
    for (int a = m_keys + 36; a < m_keys + kMiscFirst; ++a)
        SetByte(a, 0);
    SetByte(m_keys + 55, 0);
}

void CBoxEeprom::RestoreFactory()
{
    std::fill(m_bytes.begin() + UsedBytes(m_keys), m_bytes.end(), uint8_t{0xFF});
    WriteHeader();
    WriteFactoryBlocks(0);
}

void CBoxEeprom::ClearCalibration()
{
    for (int k = 0; k < m_keys; ++k) {
        SetByte(DownSlot(k), 0xFF);
        SetByte(RestSlot(k), 0xFF);
    }
    for (int i = 0; i < kControllerBlock; ++i)
        SetByte(m_keys + EepromLayout::kControllerTabNumber + i, 0xFF);
}

void CBoxEeprom::Relayout(int keys)
{
    keys = std::clamp(keys, 1, kMaxKeys);
    if (keys == m_keys)
        return;
    std::array<uint8_t, kMaxKeys> down{}, rest{};
    std::array<uint8_t, kControllerBlock> controllers{};
    std::array<uint8_t, kMiscCount> misc{};
    for (int k = 0; k < m_keys; ++k) {
        down[static_cast<size_t>(k)] = Byte(DownSlot(k));
        rest[static_cast<size_t>(k)] = Byte(RestSlot(k));
    }
    std::copy_n(m_bytes.begin() + m_keys + EepromLayout::kControllerTabNumber, kControllerBlock, controllers.begin());
    std::copy_n(m_bytes.begin() + m_keys + kMiscFirst, kMiscCount, misc.begin());

    const int kept = std::min(keys, m_keys);
    m_keys = keys;
    m_bytes.fill(0xFF);
    WriteHeader();
    WriteFactoryBlocks(kept);
    for (int k = 0; k < kept; ++k) {
        SetByte(DownSlot(k), down[static_cast<size_t>(k)]);
        SetByte(RestSlot(k), rest[static_cast<size_t>(k)]);
    }
    std::copy(controllers.begin(), controllers.end(), m_bytes.begin() + m_keys + EepromLayout::kControllerTabNumber);
    std::copy(misc.begin(), misc.end(), m_bytes.begin() + m_keys + kMiscFirst);
    SetMisc(kNumberOfKeys, static_cast<uint8_t>(m_keys));
}
