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
