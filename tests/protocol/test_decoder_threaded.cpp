// The decoder drains the rings while the input callback's thread fills them.
#include "DecoderHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(DecoderThreaded, EveryReplyArrivesOnceAndInOrderWhileTheWriterRuns)
{
    DecoderHarness h;
    constexpr int kReplies = 20000;
    std::atomic<bool> done{false};

    // Writer: parameter reports 0..kReplies-1 (number in the value), each
    // followed by a note-on event, waiting while the rings are full.
    std::thread writer([&] {
        for (int i = 0; i < kReplies; ++i) {
            const uint8_t frame[] = {0xF0, 0x09, 0x44, 0x01, 0x00, static_cast<uint8_t>(i & 0x7F),
                                     static_cast<uint8_t>((i >> 7) & 0x7F), 0xF7};
            while (h.rings.sysex.Unread() > SysExByteRing::kSize - sizeof frame)
                std::this_thread::yield();
            h.rings.sysex.Write(frame, sizeof frame);
            // Waiting for room first: a full ring would count the event as lost.
            while (h.rings.events.Unread() >= MidiEventRing::kSize)
                std::this_thread::yield();
            MidiEventSlot* slot = h.rings.events.BeginWrite();
            ASSERT_NE(slot, nullptr);
            slot->kind = MIM_DATA;
            slot->param1 = PackShortMessage(0x90, static_cast<uint8_t>(i & 0x7F), 1);
            h.rings.events.Publish();
        }
        done = true;
    });
    while (!done)
        h.pipeline.Run();
    writer.join();
    h.pipeline.Run();

    int nextReply = 0;
    int nextNote = 0;
    bool inOrder = true;
    for (const std::string& line : h.sink.lines) {
        char expected[64];
        if (line.rfind("44", 0) == 0) {
            std::snprintf(expected, sizeof expected, "44 parameter#: 001 value: %03d ", nextReply++ % 16384);
        } else {
            std::snprintf(expected, sizeof expected, "Chan 01 NOTE_ON        # %03d ,Vel 001 , ", nextNote++ & 0x7F);
        }
        if (inOrder && line != expected)
            ADD_FAILURE() << "got '" << line << "' expected '" << expected << "'";
        inOrder &= line == expected;
    }
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(nextReply, kReplies);
    EXPECT_EQ(nextNote, kReplies);
}
