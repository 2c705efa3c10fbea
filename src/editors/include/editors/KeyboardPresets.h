// The Keyboard Configurator's one-touch layouts: for each instrument, the
// four zone records written to the box (zones 0-3, eight bytes each in wire
// order). zm_config's configurator and zmctl preset send the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct KeyboardPreset {
    int id;                  //!< radio button of the Keyboard Configurator
    std::string_view name;   //!< its caption
    std::string_view key;    //!< short name for the command line
    std::array<std::array<uint8_t, 8>, 4> zones;  //!< lo_key hi_key lo_note midi_chan atk_vel rel_vel atk_type aftrtch_type
};

//! The six layouts, in the order of their buttons.
extern const std::array<KeyboardPreset, 6> kKeyboardPresets;

//! The layout with command-line name or caption `name` (case-insensitive),
//! or nullptr.
const KeyboardPreset* FindKeyboardPreset(std::string_view name);
