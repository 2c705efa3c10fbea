// The model behind the Keyboard View window: everything the view draws over
// the keys, computed here so the widget only paints. Calibration from the
// last smart dump, live values from the last Scan Dump, the session's playing
// statistics from the note stream, and the zones. No toolkit types.
#pragma once

#include "editors/KeyCalibration.h"
#include "editors/KeyboardKeys.h"
#include "editors/PlayingStatistics.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

//! Per-key values of the last Scan Dump and which of them moved since the
//! dump before.
class CScanValues {
public:
    //! `values` holds one value per key in key order (the scan store from
    //! slot 0). Keys the span does not reach keep their earlier value, as the
    //! scan store does, and are not marked changed. Values are clamped to the
    //! byte range the store holds. Nothing is marked changed on the first dump
    //! or after the key count changed, since there is nothing to compare with.
    void Load(std::span<const int32_t> values, int keyCount);
    void Clear();

    //! 0 before the first Load.
    int KeyCount() const { return m_keyCount; }
    std::span<const int32_t> Values() const { return {m_values.data(), static_cast<size_t>(m_keyCount)}; }
    //! False for a key out of range.
    bool Changed(int key) const;

private:
    int m_keyCount = 0;
    std::array<int32_t, kMaxKeyboardKeys> m_values{};
    std::array<bool, kMaxKeyboardKeys> m_changed{};
};

//! One object for the widget to hold and query; feeds and queries go to the
//! parts below, which all share this model's key count.
class CKeyboardViewModel {
public:
    using Clock = CPlayingStatistics::Clock;

    explicit CKeyboardViewModel(int keyCount = kSmallKeyboardKeys);

    //! Changes the keyboard drawn. Calibration, scan values and the session
    //! start over, since their keys no longer line up; the zones are kept and
    //! clipped anew.
    void SetKeyboard(int keyCount);
    int KeyCount() const { return m_keyCount; }

    //! The note the box sends for `key`, as the zones say (see
    //! CPlayingStatistics::KeyNote); -1 for a key that sends none.
    int KeyNote(int key) const { return m_playing.KeyNote(key); }
    //! "A#2", or "" for a key that sends no note.
    std::string KeyNoteName(int key) const;
    //! How lists and reports name a key: "key 10 (A#2)", or "key 10" for a
    //! key under no zone: the sensor number is what the box and the zone
    //! editor count in.
    std::string KeyLabel(int key) const;

    //! `image`: the dump report's EEPROM image after a smart dump.
    void LoadSmartDump(std::span<const int32_t> image) { m_calibration.Load(image, m_keyCount); }
    //! `values`: the scan store after a Scan Dump.
    void LoadScanDump(std::span<const int32_t> values) { m_scan.Load(values, m_keyCount); }
    //! The zone mirror's four records and `MuteBits`.
    void SetZones(std::span<const ZoneRecord, 4> zones, int32_t muteBits) { m_playing.SetZones(zones, muteBits); }
    void OnShortMessage(uint32_t packed, Clock::time_point t) { m_playing.OnShortMessage(packed, t); }

    const CKeyCalibration& Calibration() const { return m_calibration; }
    const CScanValues& Scan() const { return m_scan; }
    CPlayingStatistics& Playing() { return m_playing; }
    const CPlayingStatistics& Playing() const { return m_playing; }
    const ZoneOverlays& Zones() const { return m_playing.Zones(); }

private:
    int m_keyCount;
    CKeyCalibration m_calibration;
    CScanValues m_scan;
    CPlayingStatistics m_playing;
};
