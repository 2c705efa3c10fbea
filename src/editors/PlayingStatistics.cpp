#include "editors/PlayingStatistics.h"

ZoneOverlays MakeZoneOverlays(std::span<const ZoneRecord, 4> zones, int32_t muteBits, int keyCount)
{
    const int keys = NormalizedKeyCount(keyCount);
    ZoneOverlays overlays{};
    for (size_t z = 0; z < zones.size(); ++z) {
        const int loKey = zones[z].lo_key & 0x7F;
        const int hiKey = zones[z].hi_key & 0x7F;
        ZoneOverlay& overlay = overlays[z];
        overlay.zone = static_cast<int>(z) + 1;
        overlay.channel = (zones[z].midi_chan & 0x0F) + 1;
        overlay.muted = (muteBits & (1 << z)) == 0;
        const int first = loKey;
        const int last = std::min(hiKey, keys - 1);
        if (first > last)
            continue;
        overlay.empty = false;
        overlay.firstKey = first;
        overlay.lastKey = last;
        overlay.firstNote = zones[z].lo_note & 0x7F;
    }
    return overlays;
}

CPlayingStatistics::CPlayingStatistics(int keyCount) : m_keyCount(NormalizedKeyCount(keyCount))
{
    RebuildNoteMap();
}

void CPlayingStatistics::SetKeyCount(int keyCount)
{
    m_keyCount = NormalizedKeyCount(keyCount);
    Reset();
    RebuildNoteMap();
}

void CPlayingStatistics::SetZones(std::span<const ZoneRecord, 4> zones, int32_t muteBits)
{
    std::copy(zones.begin(), zones.end(), m_zoneKeys.begin());
    m_muteBits = muteBits;
    m_zonesSet = true;
    RebuildNoteMap();
}

void CPlayingStatistics::RebuildNoteMap()
{
    for (auto& channel : m_keyOfNote)
        channel.fill(kUnmapped);
    m_noteOfKey.fill(-1);
    if (!m_zonesSet) {
        m_zones = {};
        for (size_t z = 0; z < m_zones.size(); ++z)
            m_zones[z].zone = static_cast<int>(z) + 1;
        return;
    }
    m_zones = MakeZoneOverlays(m_zoneKeys, m_muteBits, m_keyCount);

    // Sounding zones first, then muted ones, each in zone order: the same
    // order decides which zone owns a key and which zone owns a note.
    std::array<size_t, 4> order{};
    size_t n = 0;
    for (bool muted : {false, true}) {
        for (size_t z = 0; z < m_zones.size(); ++z) {
            if (!m_zones[z].empty && m_zones[z].muted == muted)
                order[n++] = z;
        }
    }

    std::array<int8_t, kMaxKeyboardKeys> owner{};
    owner.fill(-1);
    for (size_t i = 0; i < n; ++i) {
        const ZoneOverlay& zone = m_zones[order[i]];
        for (int key = zone.firstKey; key <= zone.lastKey; ++key) {
            if (owner[static_cast<size_t>(key)] >= 0)
                continue;
            owner[static_cast<size_t>(key)] = static_cast<int8_t>(order[i]);
            const int note = zone.firstNote + (key - zone.firstKey);
            if (note <= 127)
                m_noteOfKey[static_cast<size_t>(key)] = static_cast<int16_t>(note);
        }
    }
    for (size_t i = 0; i < n; ++i) {
        const ZoneOverlay& zone = m_zones[order[i]];
        auto& notes = m_keyOfNote[static_cast<size_t>(zone.channel - 1)];
        for (int key = zone.firstKey; key <= zone.lastKey; ++key) {
            const int note = zone.firstNote + (key - zone.firstKey);
            if (note > 127)
                break;
            int16_t& slot = notes[static_cast<size_t>(note)];
            if (slot != kUnmapped)
                continue;
            slot = owner[static_cast<size_t>(key)] == static_cast<int8_t>(order[i]) ? static_cast<int16_t>(key) : kLayered;
        }
    }
}

void CPlayingStatistics::OnShortMessage(uint32_t packed, Clock::time_point t)
{
    const uint32_t status = packed & 0xFF;
    const uint32_t kind = status & 0xF0;
    if (kind != 0x80 && kind != 0x90)
        return;
    const size_t channel = status & 0x0F;
    const size_t note = (packed >> 8) & 0x7F;
    const uint8_t velocity = static_cast<uint8_t>((packed >> 16) & 0x7F);
    const bool noteOn = kind == 0x90 && velocity != 0;

    const int16_t key = m_keyOfNote[channel][note];
    if (key < 0) {
        if (noteOn)
            ++(key == kLayered ? m_layered : m_unmapped);
        return;
    }
    KeyStats& stats = m_keys[static_cast<size_t>(key)];
    if (!noteOn) {
        stats.held = false;
        return;
    }
    if (stats.noteOns == 0) {
        stats.minVelocity = velocity;
        stats.maxVelocity = velocity;
    } else {
        stats.minVelocity = std::min(stats.minVelocity, velocity);
        stats.maxVelocity = std::max(stats.maxVelocity, velocity);
        const Clock::duration gap = t - stats.lastNoteOn;
        if (gap >= Clock::duration::zero() && gap < kDoubleTriggerWindow)
            ++stats.doubleTriggers;
    }
    ++stats.noteOns;
    stats.lastVelocity = velocity;
    stats.lastNoteOn = t;
    stats.held = true;
    ++m_histogram[velocity];
}

void CPlayingStatistics::Reset()
{
    m_keys.fill({});
    m_histogram.fill(0);
    m_unmapped = 0;
    m_layered = 0;
}

double CPlayingStatistics::Brightness(int key, Clock::time_point now) const
{
    if (key < 0 || key >= m_keyCount)
        return 0.0;
    const KeyStats& stats = m_keys[static_cast<size_t>(key)];
    if (stats.noteOns == 0)
        return 0.0;
    const Clock::duration age = now - stats.lastNoteOn;
    if (age <= Clock::duration::zero())
        return 1.0;
    if (age >= kFadeTime)
        return 0.0;
    return 1.0 - std::chrono::duration<double>(age) / std::chrono::duration<double>(kFadeTime);
}

std::vector<int> CPlayingStatistics::NeverPlayedKeys() const
{
    std::vector<int> keys;
    for (int key = 0; key < m_keyCount; ++key) {
        if (m_keys[static_cast<size_t>(key)].noteOns == 0)
            keys.push_back(key);
    }
    return keys;
}

std::vector<int> CPlayingStatistics::StuckKeys(Clock::time_point now) const
{
    std::vector<int> keys;
    for (int key = 0; key < m_keyCount; ++key) {
        const KeyStats& stats = m_keys[static_cast<size_t>(key)];
        if (stats.held && now - stats.lastNoteOn > kStuckThreshold)
            keys.push_back(key);
    }
    return keys;
}

std::vector<int> CPlayingStatistics::DoubleTriggeredKeys() const
{
    std::vector<int> keys;
    for (int key = 0; key < m_keyCount; ++key) {
        if (m_keys[static_cast<size_t>(key)].doubleTriggers != 0)
            keys.push_back(key);
    }
    return keys;
}
