// Device names as users see them, and recognising our own ports.
#include "midi/rtmidi/RtMidiPlatform.h"

#include <gtest/gtest.h>

TEST(AlsaPortName, DropsTheClientAndPortNumbersThatChangeBetweenSessions)
{
    struct Case {
        const char* full;
        const char* name;
        int client;
    };
    const Case cases[] = {
        {"Midi Through:Midi Through Port-0 14:0", "Midi Through:Midi Through Port-0", 14},
        {"USB MIDI Interface:USB MIDI Interface MIDI 1 24:0", "USB MIDI Interface:USB MIDI Interface MIDI 1", 24},
        {"VMPK Output:out 128:0", "VMPK Output:out", 128},
        {"Keyboard:Port 2 20:1", "Keyboard:Port 2", 20},
        {"No numbers here", "No numbers here", -1},
        {"Odd:name 1:x", "Odd:name 1:x", -1},
        {"Trailing:space ", "Trailing:space ", -1},
        {"", "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.full);
        const AlsaPortName split = SplitAlsaPortName(c.full);
        EXPECT_EQ(split.name, c.name);
        EXPECT_EQ(split.client, c.client);
    }
}

TEST(OwnPort, IsRecognisedWhateverNumberTheMidiSystemGaveOurClient)
{
    EXPECT_TRUE(IsOwnPort("zm_config:zm_config in", "zm_config"));
    EXPECT_TRUE(IsOwnPort("zm_config-03:zm_config out", "zm_config"));
    EXPECT_FALSE(IsOwnPort("system:midi_capture_1", "zm_config"));
    EXPECT_FALSE(IsOwnPort("zm_config_fan:port", "zm_config"));   // someone else's port
    EXPECT_FALSE(IsOwnPort("a2j:zm_config in", "zm_config"));
    EXPECT_FALSE(IsOwnPort("zm_config", "zm_config"));
}

TEST(AlsaPortMatch, FindsTheListedPortAgainAndNeverAnotherOneThatTookItsNameOrNumber)
{
    // Listed: two identical keyboards (clients 24 and 28) and a synth.
    const AlsaDevice first{"Keys:Keys MIDI 1", 24, 0, 0, true};
    const AlsaDevice second{"Keys:Keys MIDI 1", 28, 0, 1, true};
    const AlsaDevice synth{"Synth:in", 130, 0, 0, false};
    const AlsaDevice unnumbered{"Keys:Keys MIDI 1", -1, -1, 1, true};
    struct Case {
        const char* situation;
        std::vector<std::string> now;
        AlsaDevice device;
        int expected;
    };
    const Case cases[] = {
        {"as listed", {"Keys:Keys MIDI 1 24:0", "Keys:Keys MIDI 1 28:0", "Synth:in 130:0"}, second, 1},
        {"numbers moved", {"Synth:in 130:0", "Keys:Keys MIDI 1 28:0", "Keys:Keys MIDI 1 24:0"}, first, 2},
        {"first unplugged: the twin is not it", {"Keys:Keys MIDI 1 28:0", "Synth:in 130:0"}, first, -1},
        {"plugged in again under a new number", {"Keys:Keys MIDI 1 32:0", "Synth:in 130:0"}, first, -1},
        {"another device took the number", {"Other:port 24:0", "Synth:in 130:0"}, first, -1},
        {"another port of the client", {"Keys:Keys MIDI 1 24:1"}, first, -1},
        {"our own port of that name", {"zm_config:zm_config in 129:0", "Synth:in 130:0"},
         AlsaDevice{"zm_config:zm_config in", 129, 0, 0, false}, -1},
        {"no numbers: by place among equals", {"Keys:Keys MIDI 1", "Synth:in", "Keys:Keys MIDI 1"}, unnumbered, 2},
        {"no numbers, one fewer", {"Keys:Keys MIDI 1", "Synth:in"}, unnumbered, -1},
        {"synth", {"Keys:Keys MIDI 1 24:0", "Synth:in 130:0"}, synth, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindAlsaPort(c.now, c.device, "zm_config"), c.expected) << c.situation;
}
