#include "editors/AotOptions.h"

#include "editors/TypedText.h"

const std::array<AotOption, 8> kAotOptions = {{
    {0, 1048, "Detect MIDI Tab at Boot from MIDI note on commands", "detect-tab"},
    {1, 1049, "Enable Second Guess Always (ignore pistins) (midi stream)", "second-guess-always"},
    {2, 1050, "Enable Background Second Guess (normaly waits for pistons)", "background-second-guess"},
    {3, 1051, "Enable Hadrware Tab MIDI Mute Controls", "tab-mute"},
    {4, 1052, "Note Ons With Second Guess", "note-ons-second-guess"},
    {5, 1053, "Note Ons with Control Change Unmute", "note-ons-cc-unmute"},
    {6, 1054, "Enable Midi Control Change Mute", "cc-mute"},
    {7, 1056, "Invert Hadrware Tab MIDI Mute Polarity", "invert-tab-mute"},
}};

const AotOption* FindAotOption(std::string_view key)
{
    for (const AotOption& option : kAotOptions)
        if (SameNameIgnoringCase(key, option.key))
            return &option;
    return nullptr;
}
