// The search for the box among the MIDI devices: which pair it takes, which
// outputs it tries and in what order, and what it leaves open.
#include "DeviceRow.h"
#include "FakeMidiPlatform.h"
#include "protocol/BoxFinder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

//! Steps `finder` to its end, as its owner's timer would.
void RunToEnd(CBoxFinder& finder)
{
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (finder.Step() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
}

std::vector<int> All(int count)
{
    std::vector<int> outputs;
    for (int n = 0; n < count; ++n)
        outputs.push_back(n);
    return outputs;
}

constexpr RowDevice kThrough{"Midi Through", DeviceKind::Echo};
constexpr RowDevice kSynth{"Synth", DeviceKind::Silent};
constexpr RowDevice kBroken{"Unplugged", DeviceKind::Broken};

} // namespace

TEST(BoxFinder, TakesThePairWhoseInputAcknowledgesTheRequest)
{
    const RowDevice box{"ZM1 Simulator", DeviceKind::Box};
    const RowDevice other{"Second box", DeviceKind::Box};
    struct Case {
        const char* what;
        std::vector<RowDevice> row;
        std::optional<std::vector<int>> outputs;       //!< none: all, in list order
        std::optional<std::pair<int, int>> found;      //!< input, output
        std::vector<std::pair<int, bool>> attempts;    //!< output, opened
        std::vector<int> deaf;
    };
    const Case cases[] = {
        {"the box after an echo and a synthesiser", {kThrough, kSynth, box}, std::nullopt, std::pair{2, 2},
         {{0, true}, {1, true}, {2, true}}, {}},
        {"an echo returns the request, which is no answer", {kThrough, kSynth}, std::nullopt, std::nullopt,
         {{0, true}, {1, true}}, {}},
        {"the outputs in the order given", {box, other}, std::vector{1, 0}, std::pair{1, 1}, {{1, true}}, {}},
        {"an output that does not open is passed over", {kBroken, box}, std::nullopt, std::pair{1, 1},
         {{0, false}, {1, true}}, {0}},
        {"nothing to try", {box}, std::vector<int>{}, std::nullopt, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto platform = MakeDeviceRow(c.row);
        CBoxFinder::Options options;
        options.outputs = c.outputs.value_or(All(platform->OutputDeviceCount()));
        options.replyTimeout = 100ms;
        CBoxFinder finder(*platform, options);
        RunToEnd(finder);

        EXPECT_EQ(finder.State(), c.found ? CBoxFinder::Phase::Found : CBoxFinder::Phase::NotFound);
        if (c.found && finder.Found()) {
            EXPECT_EQ(finder.Found()->input, c.found->first);
            EXPECT_EQ(finder.Found()->output, c.found->second);
        }
        std::vector<std::pair<int, bool>> attempts;
        for (const CBoxFinder::Attempt& a : finder.Attempts())
            attempts.emplace_back(a.output, a.opened == MIDI_OK);
        EXPECT_EQ(attempts, c.attempts);
        std::vector<int> deaf;
        for (const auto& [input, result] : finder.DeafInputs())
            deaf.push_back(input);
        EXPECT_EQ(deaf, c.deaf);
        EXPECT_EQ(finder.InputsOpened() + static_cast<int>(deaf.size()), platform->InputDeviceCount());
    }
}

TEST(BoxFinder, OnlyTheExactAcknowledgementCounts)
{
    const std::vector<uint8_t> acknowledgement = {0xF0, 0x09, 0x1B, 0xF7};
    EXPECT_TRUE(CBoxFinder::IsRevisionAcknowledge(acknowledgement.data(), acknowledgement.size()));
    for (const std::vector<uint8_t>& other : std::vector<std::vector<uint8_t>>{
             {0xF0, 0x09, 0x1A, 0xF7},        // the request, echoed
             {0xF0, 0x08, 0x1B, 0xF7},        // another maker's identifier
             {0xF0, 0x09, 0x1B, 0x00, 0xF7},  // a longer frame
             {0xF0, 0x09, 0x1B},              // cut short
         })
        EXPECT_FALSE(CBoxFinder::IsRevisionAcknowledge(other.data(), other.size())) << other.size();
    EXPECT_FALSE(CBoxFinder::IsRevisionAcknowledge(nullptr, 4));
}

TEST(BoxFinder, StopClosesEveryPortItOpened)
{
    CFakeMidiPlatform platform{{"Synth"}, {"Synth"}};
    CBoxFinder::Options options;
    options.outputs = {0};
    options.replyTimeout = 10s;
    CBoxFinder finder(platform, options);
    while (finder.CurrentOutput() != 0 && finder.Step()) {
    }
    ASSERT_EQ(finder.CurrentOutput(), 0);
    ASSERT_NE(platform.liveInput, nullptr);
    ASSERT_EQ(platform.liveOutputs.size(), 1u);
    EXPECT_EQ(platform.liveOutputs[0]->Sent(), (std::vector<std::vector<uint8_t>>{{0xF0, 0x09, 0x1A, 0xF7}}));

    finder.Stop();
    EXPECT_EQ(finder.State(), CBoxFinder::Phase::Stopped);
    EXPECT_FALSE(finder.Step());
    EXPECT_EQ(platform.liveInput, nullptr);
    EXPECT_TRUE(platform.liveOutputs.empty());
}
