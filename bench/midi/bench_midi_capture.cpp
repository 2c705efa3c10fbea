// The capture path's cost: a short message through the input port, the
// callback and the thru forward (to a port that does nothing); and SysEx
// bytes copied into the ring against a plain memcpy of the same bytes.
#include "DriverPorts.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct Capture {
    Capture() : rig(thru) {}
    CNullOutputPort thru;
    CCaptureRig rig;
};

void BM_ShortMessageWithThru(benchmark::State& state)
{
    Capture c;
    const uint8_t note[] = {0x90, 0x3C, 0x40};
    uint32_t n = 0;
    for (auto _ : state) {
        c.rig.port.DeliverMessage(note, sizeof note);
        if ((++n & 255) == 0)  // the decoder's share: consume what was recorded
            c.rig.rings.events.Advance(c.rig.rings.events.Unread());
    }
    state.SetItemsProcessed(state.iterations());
    if (c.rig.rings.events.LostEvents() != 0)
        state.SkipWithError("events were dropped");
}
BENCHMARK(BM_ShortMessageWithThru);

void BM_SysExIntoRing(benchmark::State& state)
{
    Capture c;
    std::vector<uint8_t> sysex(static_cast<size_t>(state.range(0)), 0x11);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    for (auto _ : state) {
        c.rig.port.DeliverMessage(sysex.data(), sysex.size());
        c.rig.rings.sysex.Advance(c.rig.rings.sysex.Unread());
        c.rig.rings.events.Advance(c.rig.rings.events.Unread());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    if (c.rig.rings.sysex.LostBytes() != 0)
        state.SkipWithError("bytes were dropped");
}
BENCHMARK(BM_SysExIntoRing)->Arg(64)->Arg(256)->Arg(1000)->Arg(4096);

// The ring's own copy, without the notification around it.
void BM_RingWrite(benchmark::State& state)
{
    SysExByteRing ring;
    std::vector<uint8_t> sysex(static_cast<size_t>(state.range(0)), 0x11);
    for (auto _ : state) {
        ring.Write(sysex.data(), sysex.size());
        ring.Advance(ring.Unread());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RingWrite)->Arg(64)->Arg(256)->Arg(1000)->Arg(4096);

// The reference: the same bytes, memcpy'd into a ring-sized buffer at a
// moving position.
void BM_MemcpyReference(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> source(size, 0x11);
    static uint8_t ring[SysExByteRing::kSize];
    size_t at = 0;
    for (auto _ : state) {
        if (at + size > sizeof ring)
            at = 0;
        std::memcpy(ring + at, source.data(), size);
        benchmark::DoNotOptimize(ring);
        benchmark::ClobberMemory();
        at += size;
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MemcpyReference)->Arg(64)->Arg(256)->Arg(1000)->Arg(4096);

} // namespace
