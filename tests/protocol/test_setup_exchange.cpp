// The exchanges of a setup on a clock of the test's own: requests paced as
// a MIDI cable carries them, and a read that ends on the last answer or a
// timeout counted from the last request that left or the last answer.
#include "RecordingSender.h"
#include "protocol/SetupExchange.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = CSetupExchange::Clock;

struct Exchange {
    CRecordingSender wire;
    HeldValues held;
    CExchangeAnswers answers;
    CSetupExchange exchange{wire, held, answers};
    Clock::time_point start = Clock::now();

    bool StepAt(std::chrono::microseconds at, uint64_t sent = 0) { return exchange.Step(start + at, sent); }
};

} // namespace

TEST(SetupExchange, RequestsLeaveNoFasterThanACableCarriesThem)
{
    // Ten parameters of eight bytes: 2.56 ms each on the cable.
    SetupContents setup;
    for (int32_t number = 15; number < 25; ++number) {
        setup.parameters.emplace_back(number, 1);
        setup.frames.push_back(Hex("F0 09 43 0F 00 01 00 F7"));
    }
    struct Row {
        std::chrono::microseconds at;
        size_t written;  //!< after the step
    };
    const Row rows[] = {
        {0us, 1},      {2000us, 1},  {2560us, 2},  {5000us, 2},
        {5120us, 3},   // on time again
        {40000us, 7},  // late: what fell due in the last 10 ms, no more
        {40100us, 7},  {45000us, 9}, {60000us, 10},
    };
    Exchange e;
    e.exchange.StartWrite(setup);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.at.count());
        EXPECT_TRUE(e.StepAt(row.at));
        EXPECT_EQ(e.exchange.FramesWritten(), row.written);
    }
    EXPECT_EQ(e.exchange.State(), CSetupExchange::Phase::Reading);
    EXPECT_EQ(e.wire.frames.size(), 10u + 10u) << "the read back asks for each parameter";
}

TEST(SetupExchange, AReadWaitsATimeoutAfterTheLastRequestOrAnswer)
{
    struct Row {
        const char* what;
        std::chrono::microseconds at;
        uint64_t sent;       //!< frames that left the port by then
        int32_t answer;      //!< a parameter reported at that moment, or -1
        bool running;
    };
    const Row rows[] = {
        {"the requests go", 0us, 0, -1, true},
        {"they leave the port late", 300'000us, 2, -1, true},
        {"an answer", 700'000us, 2, 12, true},
        {"quiet, but not for long enough", 1'100'000us, 2, -1, true},
        {"quiet for the timeout", 1'200'000us, 2, -1, false},
    };
    Exchange e;
    e.exchange.StartRead({}, {12, 21});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.answer >= 0)
            e.answers.ParameterReported(row.answer, 88);
        EXPECT_EQ(e.StepAt(row.at, row.sent), row.running);
    }
    EXPECT_EQ(e.exchange.Missing(), std::vector<std::string>{"parameter 21 (ZmFunc_KeyTrigPos)"});
    EXPECT_EQ(e.exchange.Snapshot().parameters.front().second, 88);
}
