// What a technician's playing shows about the keys: per-key note-on counts
// and velocities taken from the box's note stream, a velocity histogram, and
// the keys that misbehave (never played, stuck, double-triggered). Notes are
// traced back to keys through the four zones, and the zones are also what the
// keyboard view draws over the keys.
//
// The note stream arrives at a few thousand notes a second while the view is
// redrawn, so OnShortMessage is O(1) and never allocates: every table is
// fixed-size and the note-to-key map is rebuilt only when the zones change.
// One thread only, the one that drains the input.
#pragma once

#include "editors/KeyboardKeys.h"
#include "protocol/HeldValues.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

//! One zone as the keyboard view draws it.
struct ZoneOverlay {
    //! 1-4, as the captions number zones.
    int zone = 0;
    //! The zone covers no key of this keyboard; the range below is then 0, -1.
    bool empty = true;
    //! The zone's keys clipped to 0...N-1.
    int firstKey = 0;
    int lastKey = -1;
    //! Note sent by firstKey; may exceed 127 for a zone transposed high.
    int firstNote = 0;
    //! 1-16.
    int channel = 1;
    //! The zone's bit in the mute bits is clear.
    bool muted = false;
};

using ZoneOverlays = std::array<ZoneOverlay, 4>;

//! The four zones for the view of a `keyCount`-key keyboard (normalised as
//! NormalizedKeyCount does). `muteBits`: bit z set means zone z+1 sounds.
//! Fields are taken as the box holds them, the low 7 bits of keys and notes
//! and the low 4 bits of the channel: the zone mirror may run ahead of the box
//! (a transpose below 0 is stored as -1 but the box holds 127).
ZoneOverlays MakeZoneOverlays(std::span<const ZoneRecord, 4> zones, int32_t muteBits, int keyCount);

class CPlayingStatistics {
public:
    using Clock = std::chrono::steady_clock;
    //! One bin per velocity value: exact counts cost only 512 bytes, and the
    //! widget can merge bins as it likes. Bin 0 stays empty since a note-on
    //! with velocity 0 is a note-off.
    static constexpr int kVelocityBins = 128;

    struct KeyStats {
        uint32_t noteOns = 0;
        //! Velocities are meaningful once noteOns is not 0.
        uint8_t minVelocity = 0;
        uint8_t maxVelocity = 0;
        uint8_t lastVelocity = 0;
        Clock::time_point lastNoteOn{};
        //! A note-on came and no note-off after it.
        bool held = false;
        //! Note-ons that came less than the double-trigger window after the
        //! key's previous note-on, whether or not a note-off came between.
        uint32_t doubleTriggers = 0;
    };

    //! No zone maps any note until SetZones.
    explicit CPlayingStatistics(int keyCount = kSmallKeyboardKeys);

    //! Changes the keyboard size; the session starts over and the zones are
    //! clipped anew.
    void SetKeyCount(int keyCount);
    int KeyCount() const { return m_keyCount; }

    //! Sets the zone layout that notes are traced back through. A key covered
    //! by several zones (a layer) counts the notes of one zone only, the
    //! first sounding zone that covers it, or the first muted one if none
    //! sounds, so that one press is one note-on; the other zones' notes
    //! count as layered. Where two zones on one channel send the same note,
    //! the same order decides which zone the note belongs to.
    void SetZones(std::span<const ZoneRecord, 4> zones, int32_t muteBits);
    const ZoneOverlays& Zones() const { return m_zones; }
    //! The note the box sends for `key`: the note of the zone that owns the
    //! key (the same zone whose notes count for it, see SetZones), that is
    //! the zone's lowest note plus the key's distance from the zone's lowest
    //! key. -1 for a key under no zone, one whose note would lie beyond 127,
    //! a key out of range, and every key before SetZones.
    int KeyNote(int key) const
    {
        return key >= 0 && key < m_keyCount ? m_noteOfKey[static_cast<size_t>(key)] : -1;
    }

    //! A short message as the input delivers it: status | data1 << 8 |
    //! data2 << 16. Only note-on and note-off count; a note-on with
    //! velocity 0 is a note-off.
    void OnShortMessage(uint32_t packed, Clock::time_point t);
    //! Clears the session's statistics; zones and settings stay.
    void Reset();

    //! Fade time of Brightness.
    static constexpr Clock::duration kFadeTime = std::chrono::seconds(1);
    //! How long a note may be held before its key counts as stuck.
    static constexpr Clock::duration kStuckThreshold = std::chrono::seconds(5);
    //! See KeyStats::doubleTriggers.
    static constexpr Clock::duration kDoubleTriggerWindow = std::chrono::milliseconds(30);

    std::span<const KeyStats> Keys() const { return {m_keys.data(), static_cast<size_t>(m_keyCount)}; }
    //! Counts per velocity of the note-ons counted on keys.
    const std::array<uint32_t, kVelocityBins>& VelocityHistogram() const { return m_histogram; }
    //! Note-ons no zone maps to a key of this keyboard (note-offs not counted).
    uint32_t UnmappedNoteOns() const { return m_unmapped; }
    //! Note-ons of a layer zone, left out of the key counts.
    uint32_t LayeredNoteOns() const { return m_layered; }

    //! 1 at the key's last note-on, falling linearly to 0 over the fade time;
    //! 0 for a key never played or out of range.
    double Brightness(int key, Clock::time_point now) const;

    //! Keys in ascending order.
    std::vector<int> NeverPlayedKeys() const;
    //! Held keys whose last note-on is more than the stuck threshold before `now`.
    std::vector<int> StuckKeys(Clock::time_point now) const;
    std::vector<int> DoubleTriggeredKeys() const;

private:
    static constexpr int16_t kUnmapped = -1;
    static constexpr int16_t kLayered = -2;

    void RebuildNoteMap();

    int m_keyCount;
    std::array<ZoneRecord, 4> m_zoneKeys{};
    int32_t m_muteBits = 0;
    bool m_zonesSet = false;
    ZoneOverlays m_zones{};
    //! Key of each note per channel, or kUnmapped / kLayered.
    std::array<std::array<int16_t, 128>, 16> m_keyOfNote{};
    //! See KeyNote.
    std::array<int16_t, kMaxKeyboardKeys> m_noteOfKey{};

    std::array<KeyStats, kMaxKeyboardKeys> m_keys{};
    std::array<uint32_t, kVelocityBins> m_histogram{};
    uint32_t m_unmapped = 0;
    uint32_t m_layered = 0;
};
