// The receive path allocates nothing: every operator new is counted while a
// driver thread pushes notes, controllers and SysEx through an input port
// into the capture callback, which forwards to a thru port.
#include "midi/MidiCapture.h"
#include "midi/MidiInputPortBase.h"

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

class CNullOutputPort : public IMidiOutputPort {
public:
    MidiResult SendShort(uint32_t) noexcept override
    {
        ++forwarded;
        return MIDI_OK;
    }
    MidiResult SendLong(const uint8_t*, size_t) noexcept override { return MIDI_OK; }
    size_t MaxLongMessage() const noexcept override { return 65536; }
    uint32_t WireBytesPerSecond() const noexcept override { return 0; }
    MidiResult Close() override { return MIDI_OK; }
    std::atomic<uint64_t> forwarded{0};
};

class CDriverPort : public CMidiInputPortBase {
public:
    using CMidiInputPortBase::CMidiInputPortBase;
    using CMidiInputPortBase::DeliverMessage;
    ~CDriverPort() override { ForceClose(); }

protected:
    void CloseDevice() noexcept override {}
};

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(CapturePath, AllocatesNothingWhileMessagesFlow)
{
    CaptureRings rings;
    CMidiCapture capture(rings);
    CDriverPort port(capture);
    CNullOutputPort thru;
    ASSERT_EQ(capture.PrepareReceiveBuffer(port), MIDI_OK);
    ASSERT_EQ(capture.QueueReceiveBuffer(port), MIDI_OK);
    ASSERT_EQ(port.Start(), MIDI_OK);
    capture.AttachThru(&thru);

    std::vector<uint8_t> sysex(200, 0x11);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    const uint8_t note[] = {0x90, 0x3C, 0x40};
    const uint8_t controller[] = {0xB0, 0x07, 0x64};
    const uint8_t clock[] = {0xF8};
    const uint8_t broken[] = {0xF0, 0x01};

    std::atomic<bool> done{false};
    std::thread driver([&] {
        t_counting = true;
        for (int i = 0; i < 5000; ++i) {
            port.DeliverMessage(note, sizeof note);
            port.DeliverMessage(controller, sizeof controller);
            port.DeliverMessage(clock, sizeof clock);
            if (i % 20 == 0)
                port.DeliverMessage(sysex.data(), sysex.size());
            if (i % 500 == 0)
                port.DeliverMessage(broken, sizeof broken);
        }
        t_counting = false;
        done = true;
    });
    // Drain as the decoder would, so the rings keep room.
    while (!done.load()) {
        rings.events.Advance(rings.events.Unread());
        rings.sysex.Advance(rings.sysex.Unread());
        std::this_thread::yield();
    }
    driver.join();
    capture.DetachThru();

    EXPECT_EQ(g_countedAllocations.load(), 0u);
    EXPECT_EQ(thru.forwarded.load(), 15000u);
    EXPECT_EQ(rings.events.writeCount.load() + rings.events.LostEvents(), 5000u * 3 + 250 + 10);
}
