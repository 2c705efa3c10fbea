#include "editors/KeyboardPresets.h"

#include "editors/TypedText.h"

namespace {

constexpr std::array<uint8_t, 8> Zone(uint8_t loKey, uint8_t hiKey, uint8_t loNote, uint8_t channel, uint8_t attack)
{
    return {loKey, hiKey, loNote, channel, attack, 0, 0, 0};
}

} // namespace

// In every layout the channel is the zone's index, and an attack velocity
// of 14 is "14 Normal". "Organ 61" sounds zone 0 alone; "Custom Config" is
// the piano starting its first zone at note 120.
const std::array<KeyboardPreset, 6> kKeyboardPresets = {{
    {1025, "Piano", "piano", {Zone(0, 87, 21, 0, 14), Zone(0, 87, 21, 1, 14), Zone(0, 87, 21, 2, 14), Zone(0, 87, 21, 3, 14)}},
    {1026, "Rhodes 73", "rhodes73", {Zone(0, 72, 28, 0, 14), Zone(0, 72, 28, 1, 14), Zone(0, 72, 28, 2, 14), Zone(0, 72, 28, 3, 14)}},
    {1027, "Organ 61", "organ61", {Zone(0, 60, 36, 0, 14), Zone(0, 60, 36, 1, 0), Zone(0, 60, 36, 2, 0), Zone(0, 60, 36, 3, 0)}},
    {1028, "Dual Manual Organ", "dual-manual-organ",
     {Zone(0, 60, 36, 0, 14), Zone(61, 121, 36, 1, 14), Zone(0, 60, 36, 2, 14), Zone(61, 121, 36, 3, 14)}},
    {1029, "Wurlitzer 64 note", "wurlitzer64", {Zone(0, 63, 33, 0, 14), Zone(0, 63, 33, 1, 14), Zone(0, 63, 33, 2, 14), Zone(0, 63, 33, 3, 14)}},
    {1036, "Custom Config", "custom", {Zone(0, 87, 120, 0, 14), Zone(0, 87, 21, 1, 14), Zone(0, 87, 21, 2, 14), Zone(0, 87, 21, 3, 14)}},
}};

const KeyboardPreset* FindKeyboardPreset(std::string_view name)
{
    for (const KeyboardPreset& preset : kKeyboardPresets)
        if (SameNameIgnoringCase(name, preset.key) || SameNameIgnoringCase(name, preset.name))
            return &preset;
    return nullptr;
}
