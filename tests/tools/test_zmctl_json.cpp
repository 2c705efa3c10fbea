// Every --json output of zmctl, and the backup's readable copy, read back
// with a real JSON parser and checked for what each value is: numbers as
// numbers, zones and channels as the window numbers them.
#include "JsonCheck.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <unistd.h>

TEST(ZmctlJson, EveryCommandsJsonParsesWithTheRightTypes)
{
    const std::string backup = TempDirectory() + "/json-box.syx";
    // A backup of another box: a trigger position and a zone of its own.
    const std::string other = TempFile("json-other.syx", std::string("\xF0\x09\x43\x15\x00\x06\x00\xF7"
                                                                     "\xF0\x09\x5A\x08\x02\x00\x08\x00\x64\x28\x02\x0E"
                                                                     "\x00\x00\x00\xF7",
                                                                     24));
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* checks;
    };
    const Case cases[] = {
        {{"ports"}, 0,
         "assert all(ints(d['number']) and is_str(d['name']) and is_str(d['api']) for d in doc['inputs'] + doc['outputs'])\n"
         "assert doc['inputs'][-1]['name'] == 'ZM1 Simulator'"},
        {{"sync"}, 0,
         "assert [z['zone'] for z in doc['zones']] == [1, 2, 3, 4]\n"
         "assert [z['midi_chan'] for z in doc['zones']] == [1, 2, 3, 4]\n"
         "assert all(ints(*z.values()) for z in doc['zones'])\n"
         "assert all(ints(p['number'], p['value']) and is_str(p['name']) for p in doc['parameters'])\n"
         "assert doc['identification'] == 'ZM1 Station 1' and doc['missing'] == []"},
        {{"get", "12", "KeyTrigPos"}, 0, "assert [(p['number'], p['value']) for p in doc['parameters']] == [(12, 88), (21, 3)]"},
        {{"set", "KeyRetrigW", "12"}, 0, "assert doc['parameters'][0]['value'] == 12 and is_int(doc['parameters'][0]['value'])"},
        {{"zone", "3", "midi_chan=10"}, 0, "z = doc['zones'][0]\nassert z['zone'] == 3 and z['midi_chan'] == 10 and ints(*z.values())"},
        {{"mute", "2", "on"}, 0,
         "assert is_int(doc['mute_bits']) and doc['mute_bits'] == 13\n"
         "assert [(z['zone'], z['muted']) for z in doc['zones']] == [(1, False), (2, True), (3, False), (4, False)]\n"
         "assert all(is_bool(z['muted']) for z in doc['zones'])"},
        {{"preset", "piano"}, 0, "assert [z['zone'] for z in doc['zones']] == [1, 2, 3, 4]"},
        {{"aot", "cc-mute=on"}, 0,
         "assert doc['byte'] == 64 and is_int(doc['delay'])\n"
         "assert doc['options']['cc-mute'] is True and all(is_bool(v) for v in doc['options'].values())"},
        {{"dump", "smart"}, 0,
         "keys = doc['keys']\nassert len(keys) == 88 and doc['complete'] is True\n"
         "assert [k['key'] for k in keys] == list(range(88)) and keys[0]['note'] == 'A0' and keys[87]['note'] == 'C8'\n"
         "assert all(ints(k['rest'], k['down'], k['travel']) and k['travel'] == k['down'] - k['rest'] for k in keys)\n"
         "assert all(is_bool(k['odd']) for k in keys)"},
        {{"dump", "scan", "--keys", "122"}, 0,
         "keys = doc['keys']\nassert len(keys) == 122\n"
         "assert all(ints(k['key'], k['scan']) and 0 <= k['scan'] <= 255 for k in keys)\n"
         "assert keys[0]['note'] == 'A0' and keys[121]['note'] is None"},
        {{"dump", "keymap", "zone1"}, 0, "assert doc['lines'] and all(is_str(l) for l in doc['lines']) and doc['complete'] is True"},
        {{"backup", backup}, 0, "assert doc['zones'] == 4 and doc['parameters'] == 27 and is_str(doc['json'])"},
        {{"restore", backup}, 0, "assert doc['verified'] is True and is_int(doc['requests'])"},
        {{"diff", other}, 1,
         "d = doc['differences']\n"
         "assert d[0] == {'parameter': 21, 'field': 'ZmFunc_KeyTrigPos', 'backup': 6, 'box': 3}\n"
         "assert d[1] == {'zone': 3, 'field': 'hi_key', 'backup': 100, 'box': 87}\n"
         "assert d[2] == {'zone': 3, 'field': 'lo_note', 'backup': 40, 'box': 21}"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = WithBox(c.args);
        args.push_back("--json");
        const ProcessResult r = RunZmctl(args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << ": " << r.err;
        EXPECT_TRUE(JsonHolds(r.out, c.checks)) << c.args[0] << " " << c.args[1 % c.args.size()];
    }

    // The readable copy beside the backup.
    EXPECT_TRUE(JsonHolds(ReadFile(TempDirectory() + "/json-box.json"),
                          "assert doc['format'] == 'zmctl backup 2' and is_str(doc['created'])\n"
                          "assert [(z['zone'], z['midi_chan']) for z in doc['zones']] == [(1, 1), (2, 2), (3, 3), (4, 4)]\n"
                          "p = doc['parameters']\nassert len(p) == 32 and [x['number'] for x in p] == list(range(32))\n"
                          "assert all(ints(x['value']) and is_bool(x['restored']) for x in p)\n"
                          "assert all(is_bool(v) for v in doc['aot_options'].values())"));
}

TEST(ZmctlJson, MonitorGivesOneObjectPerMessage)
{
    CZmctlProcess monitor(WithBox({"monitor", "--play", "--json"}));
    ASSERT_TRUE(monitor.WaitForOutput("NOTE_ON", std::chrono::seconds(10))) << monitor.Out();
    monitor.Signal(SIGINT);
    const ProcessResult r = monitor.Finish(std::chrono::seconds(5));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(JsonHolds(r.out,
                          "assert all(type(m['time']) is float and m['direction'] in ('in', 'out') for m in doc)\n"
                          "assert all(is_str(m['bytes']) and all(is_str(l) for l in m['lines']) for m in doc)\n"
                          "assert doc[0]['direction'] == 'out' and doc[0]['bytes'] == 'F0 09 43 08 00 01 00 F7'\n"
                          "notes = [m for m in doc if m['bytes'].startswith('90 ')]\n"
                          "assert notes and all(len(m['bytes'].split()) == 3 and m['lines'][0].startswith('Chan 01 NOTE_ON') "
                          "for m in notes)\n"
                          "assert all(b <= a for b, a in zip([m['time'] for m in doc if m['direction'] == 'in'][:-1],"
                          " [m['time'] for m in doc if m['direction'] == 'in'][1:]))",
                          true));
}
