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

    //! `lowestNote`: note of key 0, used to name keys (21 puts A0 on key 0).
    explicit CKeyboardViewModel(int keyCount = kSmallKeyboardKeys, int lowestNote = 21);

    //! Changes the keyboard drawn. Calibration, scan values and the session
    //! start over, since their keys no longer line up; the zones are kept and
    //! clipped anew.
    void SetKeyboard(int keyCount, int lowestNote);
    int KeyCount() const { return m_keyCount; }
    int LowestNote() const { return m_lowestNote; }
    std::string KeyNoteName(int key) const { return NoteName(m_lowestNote + key); }

    //! `image`: the dump report's EEPROM image after a smart dump.
    void LoadSmartDump(std::span<const int32_t> image) { m_calibration.Load(image, m_keyCount, m_lowestNote); }
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
    int m_lowestNote;
    CKeyCalibration m_calibration;
    CScanValues m_scan;
    CPlayingStatistics m_playing;
};
