// zmctl find against the built-in simulated box (the one device both lists
// hold when no MIDI system is running): what it prints in each form, and
// how it fails.
#include "ProcessRunner.h"

#include <gtest/gtest.h>

TEST(ZmctlFind, NamesThePairInEachForm)
{
    struct Case {
        std::vector<std::string> args;
        const char* out;
    };
    const Case cases[] = {
        {{"find"}, "ZM1 box found: input 0 \"ZM1 Simulator\" (built-in), output 0 \"ZM1 Simulator\" (built-in)\n"},
        {{"find", "--env"}, "ZMCTL_IN='ZM1 Simulator'; ZMCTL_OUT='ZM1 Simulator'; export ZMCTL_IN ZMCTL_OUT\n"},
        {{"find", "--json"},
         "{\n  \"input\": {\n    \"number\": 0,\n    \"name\": \"ZM1 Simulator\",\n    \"api\": \"built-in\"\n  },\n"
         "  \"output\": {\n    \"number\": 0,\n    \"name\": \"ZM1 Simulator\",\n    \"api\": \"built-in\"\n  }\n}\n"},
        // --in and --out (here from the environment's point of view) do not steer it.
        {{"find", "--in", "NoSuchDevice", "--sim-timing", "wire"},
         "ZM1 box found: input 0 \"ZM1 Simulator\" (built-in), output 0 \"ZM1 Simulator\" (built-in)\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args);
        EXPECT_EQ(r.status, 0) << c.args.back() << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args.back();
        EXPECT_NE(r.err.find("zmctl: trying output 0 \"ZM1 Simulator\" (built-in)"), std::string::npos) << r.err;
    }
}

TEST(ZmctlFind, FailuresEndWithTheirDocumentedStatus)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"find", "--skip", "ZM1 Simulator"}, 4, "zmctl: error: no MIDI output to try\n"},
        {{"find", "--skip", "NoSuchDevice"}, 4,
         "zmctl: error: no output device matches 'NoSuchDevice' (zmctl ports lists them)\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << ": " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message);
    }
}
