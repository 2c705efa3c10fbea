// What the box last reported: the mirror of its state that the editors
// show and read.
//
// The reply decoder writes these values and the editors read (and, for the
// zone mirror, change) them. Window thread only: no locking.
#pragma once

#include "protocol/BoxParameters.h"

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

    //! Mirror of the box's four zone records, zone 0-3. All fields start at
    //! 0: the transpose, "Off" and "Mute" buttons compute from the mirror and
    //! may be used before the box has reported anything.
    std::array<ZoneRecord, kZoneCount> Zones{};
    //! Last reported value of each parameter 0-31 that the parameter table
    //! keeps in the Xtable (HeldIn::Xtable). Every slot starts at 0, since
    //! the Keyboard Configurator may read them before the box answers.
    std::array<int32_t, kParameterCount> XtableValues{};
    //! Last reported parameter 6: bit z set means zone z+1 sounds; 0 until
    //! the box reports it.
    int32_t MuteBits = 0;
    //! Low 8 bits of the last reported parameters 30 and 31.
    int32_t HeldAotBooleans = 0;
    int32_t HeldAotDelay = 0;

    //! The next text reply is the box's identification.
    bool IdentificationPending = false;
};
