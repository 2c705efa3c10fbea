// The receive path allocates nothing: every operator new is counted while a
// driver thread pushes notes, controllers and SysEx through an input port
// into the capture callback, which forwards to a thru port.
#include "DriverPorts.h"
#include "midi/SysExAssembler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

namespace {

std::atomic<uint64_t> g_countedAllocations{0};
thread_local bool t_counting = false;

void* Allocate(std::size_t size)
{
    if (t_counting)
        g_countedAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

//! Runs `drive` on a driver thread with allocations counted, while this
//! thread drains the rings as the decoder would, so they keep room.
template <typename Drive>
void RunDriver(CCaptureRig& rig, Drive drive)
{
    std::atomic<bool> done{false};
    std::thread driver([&] {
        t_counting = true;
        drive();
        t_counting = false;
        done = true;
    });
    while (!done.load()) {
        rig.Drain();
        std::this_thread::yield();
    }
    driver.join();
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(CapturePath, AllocatesNothingWhileMessagesFlow)
{
    CNullOutputPort thru;
    CCaptureRig rig(thru);
    CDriverPort& port = rig.port;

    std::vector<uint8_t> sysex(200, 0x11);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    const uint8_t note[] = {0x90, 0x3C, 0x40};
    const uint8_t controller[] = {0xB0, 0x07, 0x64};
    const uint8_t clock[] = {0xF8};
    const uint8_t broken[] = {0xF0, 0x01};

    RunDriver(rig, [&] {
        for (int i = 0; i < 5000; ++i) {
            port.DeliverMessage(note, sizeof note);
            port.DeliverMessage(controller, sizeof controller);
            port.DeliverMessage(clock, sizeof clock);
            if (i % 20 == 0)
                port.DeliverMessage(sysex.data(), sysex.size());
            if (i % 500 == 0)
                port.DeliverMessage(broken, sizeof broken);
        }
    });

    EXPECT_EQ(g_countedAllocations.load(), 0u);
    EXPECT_EQ(thru.forwarded.load(), 15000u);
    EXPECT_EQ(rig.rings.events.writeCount.load() + rig.rings.events.LostEvents(), 5000u * 3 + 250 + 10);
}

TEST(CapturePath, AllocatesNothingWhileSysExIsPutTogetherAndNotesAreQueuedForThru)
{
    // The JACK ports' share of the path: pieces of SysEx collected in the
    // input's fixed buffer, forwarded notes queued in the output's ring and
    // taken out again as the process callback does each cycle.
    CQueueingOutputPort thru;
    CCaptureRig rig(thru);
    CDriverPort& port = rig.port;
    CSysExAssembler assembler(4096);

    std::vector<uint8_t> head(300, 0x22);
    head.front() = 0xF0;
    std::vector<uint8_t> tail(200, 0x33);
    tail.back() = 0xF7;
    const uint8_t note[] = {0x90, 0x3C, 0x40};
    const uint8_t clock[] = {0xF8};
    uint8_t out[16];
    uint64_t taken = 0;

    RunDriver(rig, [&] {
        auto deliver = [&](const uint8_t* bytes, size_t n) { port.DeliverMessage(bytes, n); };
        for (int i = 0; i < 3000; ++i) {
            assembler.Feed(note, sizeof note, deliver);
            if (i % 10 == 0) {
                assembler.Feed(head.data(), head.size(), deliver);
                assembler.Feed(clock, sizeof clock, deliver);
                assembler.Feed(tail.data(), tail.size(), deliver);
            }
            CMidiMessageQueue::Front front;
            while (thru.queue.Peek(front)) {
                thru.queue.CopyFront(out, front.size);
                thru.queue.Pop(front.size);
                ++taken;
            }
        }
    });

    EXPECT_EQ(g_countedAllocations.load(), 0u);
    EXPECT_EQ(taken, 3000u + 300);  // the notes and the clock bytes
    EXPECT_EQ(rig.rings.events.writeCount.load() + rig.rings.events.LostEvents(), 3000u + 300 + 300);
}
