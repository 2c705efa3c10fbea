#include "ProcessRunner.h"
#include "zm/Version.h"

#include <gtest/gtest.h>

TEST(ZmctlCli, HelpOnEveryCommand)
{
    struct Case {
        std::vector<std::string> args;
        const char* usage;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--help"}, "Usage: zmctl [OPTIONS] SUBCOMMAND", "decode"},
        {{"decode", "--help"}, "Usage: zmctl decode [OPTIONS] [FILE...]", "--sections"},
        {{"request", "-h"}, "Usage: zmctl request [OPTIONS] REQUEST [ARGS...]", "raw as on the wire"},
        {{"zone", "--help"}, "Usage: zmctl zone [OPTIONS] ZONE [FIELD=VALUE...]", "midi_chan 1-16"},
        {{"sync", "--help"}, "Usage: zmctl sync [OPTIONS]", "--timeout"},
        {{"backup", "--help"}, "Usage: zmctl backup [OPTIONS] FILE", "7 ZmFunc_DumpEEprom"},
        {{"simulate", "--help"}, "Usage: zmctl simulate [OPTIONS]", "--backend"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args);
        EXPECT_EQ(r.status, 0) << c.usage;
        EXPECT_NE(r.out.find(c.usage), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.mentions), std::string::npos) << r.out;
    }
}

TEST(ZmctlCli, VersionFromTheOnePlaceItIsDefined)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"-V"}, {"sync", "-V"}}) {
        const ProcessResult r = RunZmctl(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_EQ(r.out, "zmctl " ZM_VERSION "\n") << args[0];
        EXPECT_EQ(r.err, "") << args[0];
    }
}

TEST(ZmctlCli, BadArgumentsExitWithStatusTwoAndSayWhy)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "A subcommand is required"},
        {{"frobnicate"}, "frobnicate"},
        // Option values are named as typed, the choices spelled out.
        {{"decode", "--keys", "90"}, "--keys: unknown key count '90' (use 88, 122)"},
        {{"decode", "--keys", "many"}, "--keys: unknown key count 'many' (use 88, 122)"},
        {{"dump", "foo"}, "error: unknown kind 'foo' (use eeprom, smart, scan, keymap)"},
        {{"dump"}, "a kind is required"},
        {{"get", "8", "--timeout", "0"}, "--timeout: value 0 is out of range 1..600000"},
        {{"get", "8", "--timeout", "soon"}, "--timeout: 'soon' is not a number"},
        {{"get", "8", "--in"}, "--in needs a value"},
        {{"get", "8", "--sim-timing", "fast"}, "--sim-timing: unknown timing 'fast' (use wire, instant)"},
        {{"simulate", "--backend", "oss"}, "--backend: unknown back-end 'oss' (use jack, alsa, all)"},
        {{"decode", "--sections", "keys,bogus"}, "--sections: unknown section 'bogus'"},
        {{"decode", "--sections", ",misc"}, "--sections: unknown section ''"},
        {{"decode", "--bogus"}, "--bogus"},
        {{"decode", "/nonexistent/capture.syx"}, "cannot open /nonexistent/capture.syx"},
        {{"request"}, "a request is required"},
        {{"request", "foo"}, "unknown request 'foo'"},
        {{"request", "inquire", "200"}, "request inquire: parameter 200 is out of range 0..127"},
        {{"request", "inquire", "-1"}, "request inquire: parameter -1 is out of range 0..127"},
        {{"request", "inquire", "12x"}, "request inquire: parameter '12x' is not a number"},
        {{"request", "inquire", "0x"}, "request inquire: parameter '0x' is not a number"},
        {{"request", "set-param", "6"}, "request set-param PARAMETER VALUE: expected the arguments PARAMETER VALUE, got 1"},
        {{"request", "set-param", "6", "1", "2"}, "got 3"},
        {{"request", "set-param", "16384", "1"}, "parameter 16384 is out of range 0..16383"},
        {{"request", "set-param", "1", "99999999999"}, "value 99999999999 is out of range"},
        {{"request", "revision", "1"}, "expected no arguments, got 1"},
        {{"request", "get-zone", "4"}, "zone 4 is out of range 0..3"},
        {{"request", "set-split", "0"}, "zone 0 is out of range 1..4"},
        {{"request", "keymap", "6"}, "FIELD 6 is out of range 0..5"},
        {{"request", "field-op", "9", "0", "0", "129", "0"}, "LEN 129 is out of range 0..128"},
        {{"request", "field-op", "128", "0", "0", "8", "0"}, "OP 128 is out of range 0..127"},
        {{"request", "field-op", "9", "0", "-1", "8", "0"}, "START -1 is out of range 0..127"},
        {{"request", "write-field", "8", "0", "0"}, "got 3"},
        {{"request", "write-field", "8", "0", "126", "1", "2", "3"}, "3 bytes from START 126 run past offset 128"},
        // What a request cannot carry is refused alike by every command,
        // before any port is opened.
        {{"request", "set-param", "6", "-1"}, "value -1 is out of range 0..16383"},
        {{"request", "set-param", "200", "16384"}, "value 16384 is out of range 0..16383"},
        {{"set", "6", "-1"}, "value -1 is out of range 0..16383"},
        {{"set", "6", "20000"}, "value 20000 is out of range 0..16383"},
        {{"set"}, "a parameter is required"},
        {{"set", "6"}, "a value is required"},
        {{"set", "16384", "0"}, "parameter 16384 is out of range 0..16383"},
        {{"get", "128"}, "parameter 128 is out of range 0..127"},
        {{"get", "NoSuchThing"}, "no parameter is named 'NoSuchThing'"},
        {{"request", "write-field", "8", "0", "0", "128"}, "BYTE 128 is out of range 0..127"},
        {{"zone", "5"}, "zone 5 is out of range 1..4"},
        {{"zone", "0"}, "zone 0 is out of range 1..4"},
        {{"zone"}, "a zone is required"},
        {{"zone", "1", "lo_note=128"}, "lo_note 128 is out of range 0..127"},
        {{"zone", "1", "midi_chan=17"}, "midi_chan 17 is out of range 1..16"},
        {{"zone", "1", "midi_chan=0"}, "midi_chan 0 is out of range 1..16"},
        {{"zone", "1", "lo_note"}, "'lo_note' is not of the form FIELD=VALUE"},
        {{"mute", "0", "on"}, "zone 0 is out of range 1..4"},
        {{"mute", "1"}, "a state is required"},
        {{"mute", "1", "maybe"}, "state 'maybe' is neither on nor off"},
        {{"zone", "1", "lo_key=5", "lo_key=6"}, "lo_key given twice"},
        {{"zone", "1", "hi_key=10", "lo_key=50"}, "lo_key 50 is above hi_key 10"},
        {{"preset", "harpsichord"}, "no layout is named 'harpsichord'"},
        {{"aot", "cc-mute=on", "--delay", "256"}, "--delay 256 is out of range 0..255"},
        {{"aot", "loud=on"}, "no option 'loud'"},
        {{"dump", "keymap", "6"}, "table 6 is out of range 0..5"},
        {{"dump", "keymap"}, "a table is required"},
        {{"simulate", "--fault", "256"}, "--fault 256 is out of range 0..255"},
        {{"--json", "simulate"}, "--json: simulate prints message-window lines as text"},
        // Offending input is shown escaped, never as raw control characters.
        {{"request", "inquire", "\x1B[2J"}, "parameter '\\x1B[2J' is not a number"},
        {{"frob\x07"}, "unknown command 'frob\\x07'"},
        {{"dump", "\x1B[2J"}, "unknown kind '\\x1B[2J'"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "expected '" << c.message << "' in: " << r.err;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_EQ(r.err.find_first_of(std::string("\x07\x1B\0", 3)), std::string::npos) << c.message;
    }
}
