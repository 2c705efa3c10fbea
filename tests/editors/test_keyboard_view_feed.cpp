// The keyboard view's model fed end to end: the simulated box's replies go
// through the ports, the rings and the decoder, and the view's feed turns
// them into calibration, zones and playing.
#include "RecordingControls.h"
#include "editors/MainEditors.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

template <typename Done>
bool TickUntil(CMainEditors& editors, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        editors.Tick();
    }
    return true;
}

} // namespace

TEST(KeyboardViewFeed, TheBoxsFaultyKeyAndItsPlayingReachTheView)
{
    CRecordingControls controls;
    CMainEditors editors(controls, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant));
    editors.PortLists().OnInputSelect(0);
    editors.PortLists().OnOutputSelect(0);
    const CKeyboardViewFeed& feed = editors.KeyboardView();
    EXPECT_FALSE(feed.HasCalibration());

    // Key 40's sensor travels short; the smart dump shows it, and only it.
    SendSetParameter(editors.Sender(), 5, 40 + 1);
    ASSERT_TRUE(editors.OnCommand(IDC_SMART_DUMP));
    ASSERT_TRUE(TickUntil(editors, [&] { return feed.HasCalibration(); }));
    const auto& outliers = feed.Model().Calibration().Outliers();
    ASSERT_EQ(outliers.size(), 1u);
    EXPECT_EQ(outliers[0].key, 40);
    EXPECT_EQ(outliers[0].quantity, CalibrationQuantity::Travel);
    EXPECT_EQ(feed.Model().KeyLabel(40), "key 40") << "no zone read yet: the sensor number only";

    // The zones come from Synchronize Data, the notes from the box's playing.
    ASSERT_TRUE(editors.OnCommand(IDC_SYNCHRONIZE));
    ASSERT_TRUE(TickUntil(editors, [&] { return feed.Model().Zones()[3].channel == 4; }));
    EXPECT_EQ(feed.Model().Zones()[3].lastKey, 87);
    EXPECT_EQ(feed.Model().KeyLabel(40), "key 40 (C#4)");
    SendSetParameter(editors.Sender(), 8, 1);
    ASSERT_TRUE(TickUntil(editors, [&] {
        const auto& histogram = feed.Model().Playing().VelocityHistogram();
        uint32_t total = 0;
        for (uint32_t count : histogram)
            total += count;
        return total >= 3;
    }));
    SendSetParameter(editors.Sender(), 8, 0);
    EXPECT_LT(feed.Model().Playing().NeverPlayedKeys().size(), 88u);
}
