// What the box last reported, kept on the main dialog for the editors.
//
// The reply decoder writes these values and the editors read (and, for the
// zone mirror, change) them. Window thread only: no locking.
#pragma once

#include <array>
#include <cstdint>

//! One keyboard zone as the box numbers its eight settings (the index is
//! the record offset used on the wire).
struct ZoneRecord {
    int32_t lo_key = 0;
    int32_t hi_key = 0;
    int32_t lo_note = 0;
    int32_t midi_chan = 0;
    int32_t atk_vel = 0;
    int32_t rel_vel = 0;
    int32_t atk_type = 0;
    int32_t aftrtch_type = 0;

    static constexpr int kFieldCount = 8;

    //! The field at wire offset `offset` (0-7).
    int32_t& Field(int offset);
    int32_t Field(int offset) const { return const_cast<ZoneRecord*>(this)->Field(offset); }
};

inline int32_t& ZoneRecord::Field(int offset)
{
    static constexpr int32_t ZoneRecord::*kFields[kFieldCount] = {
        &ZoneRecord::lo_key,   &ZoneRecord::hi_key,  &ZoneRecord::lo_note,  &ZoneRecord::midi_chan,
        &ZoneRecord::atk_vel,  &ZoneRecord::rel_vel, &ZoneRecord::atk_type, &ZoneRecord::aftrtch_type,
    };
    return this->*kFields[offset & 7];
}

struct HeldValues {
    static constexpr int kZoneCount = 4;

    //! Mirror of the box's four zone records, zone 0-3.
    std::array<ZoneRecord, kZoneCount> Zones{};
    //! Last reported value of each parameter 0-31 (0 until the box reports it).
    std::array<int32_t, 32> XtableValues{};
    //! Last reported parameter 6: bit z set means zone z+1 sounds.
    int32_t MuteBits = 0;
    //! Low 8 bits of the last reported parameters 30 and 31.
    int32_t HeldAotBooleans = 0;
    int32_t HeldAotDelay = 0;

    //! The four keyboard-layout values shown by the main dialog: the last
    //! ZmFunc_NumberKeys (readout 1021), two values nothing changes, and the
    //! last ZmFunc_AdjustDown or ZmFunc_LowNteKey2 (readout 1022).
    std::array<int32_t, 4> LayoutValues = {88, 21, 88, 36};

    // Smart dump report layout and sections, set by the main dialog.
    int32_t ScannerKeyCount = 88;
    int32_t ShowKeys = 1;
    int32_t ShowXopto = 0;
    int32_t ShowMisc = 0;
    int32_t Scanner122 = 1;

    //! The next EEPROM PEEK Acknowledge is printed as the smart report.
    bool SmartDumpPending = false;
    //! The next text reply goes into the identification box (edit 1025).
    bool IdentificationPending = false;
};
