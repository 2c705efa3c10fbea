// The capture path's cost: a short message through the input port, the
// callback and the thru forward (to a port that does nothing); and SysEx
// bytes copied into the ring against a plain memcpy of the same bytes.
#include "midi/MidiCapture.h"
#include "midi/MidiInputPortBase.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

class CNullOutputPort : public IMidiOutputPort {
public:
    MidiResult SendShort(uint32_t packed) noexcept override
    {
        benchmark::DoNotOptimize(packed);
        return MIDI_OK;
    }
    MidiResult SendLong(const uint8_t*, size_t) noexcept override { return MIDI_OK; }
    size_t MaxLongMessage() const noexcept override { return 65536; }
    uint32_t WireBytesPerSecond() const noexcept override { return 0; }
    MidiResult Close() override { return MIDI_OK; }
};

class CDriverPort : public CMidiInputPortBase {
public:
    using CMidiInputPortBase::CMidiInputPortBase;
    using CMidiInputPortBase::DeliverMessage;
    ~CDriverPort() override { ForceClose(); }

protected:
    void CloseDevice() noexcept override {}
};

struct Capture {
    Capture()
        : port(capture)
    {
        capture.PrepareReceiveBuffer(port);
        capture.QueueReceiveBuffer(port);
        port.Start();
        capture.AttachThru(&thru);
    }
    ~Capture() { capture.DetachThru(); }
    CaptureRings rings;
    CMidiCapture capture{rings};
    CDriverPort port;
    CNullOutputPort thru;
};

void BM_ShortMessageWithThru(benchmark::State& state)
{
    Capture c;
    const uint8_t note[] = {0x90, 0x3C, 0x40};
    uint32_t n = 0;
    for (auto _ : state) {
        c.port.DeliverMessage(note, sizeof note);
        if ((++n & 255) == 0)  // the decoder's share: consume what was recorded
            c.rings.events.Advance(c.rings.events.Unread());
    }
    state.SetItemsProcessed(state.iterations());
    if (c.rings.events.LostEvents() != 0)
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
        c.port.DeliverMessage(sysex.data(), sysex.size());
        c.rings.sysex.Advance(c.rings.sysex.Unread());
        c.rings.events.Advance(c.rings.events.Unread());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    if (c.rings.sysex.LostBytes() != 0)
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
