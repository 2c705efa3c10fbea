// Decoder throughput. Bytes counted are MIDI bytes as they travel: the SysEx
// frames plus three bytes per note-on. The decoder has to keep up with the
// MIDI wire (3,125 bytes/s) many thousand times over to leave the window
// thread free; the target for the reply mix is 50 MB/s on one core.
#include "PresenterRig.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// A control sink that costs next to nothing but cannot be optimised away.
class CCountingControls : public IDialogControls {
public:
    void AppendLine(std::string_view line) override { m_count += line.size() + 1; }
    void ScrollToLast() override { ++m_count; }
    void SetControlText(int, std::string_view text) override { m_count += text.size(); }
    void SelectListLine(int, int index) override { m_count += static_cast<size_t>(index); }
    void InsertListLine(int, int, std::string_view) override {}
    void AddListLine(int, std::string_view) override {}
    void ReplaceListLine(int, int, std::string_view) override {}
    void SetCheck(int, bool checked) override { m_count += checked; }
    std::string ControlText(int) const override { return {}; }
    void SetTextLimit(int, int) override {}
    void FocusDialog() override {}
    size_t Count() const { return m_count; }

private:
    size_t m_count = 0;
};

void Add(std::vector<uint8_t>& out, std::initializer_list<uint8_t> bytes)
{
    out.insert(out.end(), bytes);
}

void AddText(std::vector<uint8_t>& out, uint8_t command, const char* text)
{
    Add(out, {0xF0, 0x09, command});
    for (const char* c = text; *c; ++c)
        out.push_back(static_cast<uint8_t>(*c));
    out.push_back(0xF7);
}

// What a synchronisation, some editing and some playing bring back.
std::vector<uint8_t> ReplyMix()
{
    std::vector<uint8_t> out;
    for (uint8_t zone = 0; zone < 4; ++zone)
        Add(out, {0xF0, 0x09, 0x5A, 0x09, zone, 0x00, 0x08, 0x15, 0x6C, 0x15, zone, 0x0E, 0x00, 0x02, 0x01, 0xF7});
    for (uint8_t p : {0, 6, 12, 21, 23, 25, 26, 27, 29, 30, 31})
        Add(out, {0xF0, 0x09, 0x44, p, 0x00, 0x10, 0x03, 0xF7});
    for (uint8_t p : {6, 12, 13, 21})
        Add(out, {0xF0, 0x09, 0x43, p, 0x00, 0x58, 0x00, 0xF7});
    Add(out, {0xF0, 0x09, 0x43, 0x00, 0x00, 0x01, 0x00, 'S', 't', 'a', 't', 'i', 'o', 'n', ' ', '1', 0x00, 0xF7});
    AddText(out, 0x11, "ZM1 key scanner rev 4.21 (c) station A");
    AddText(out, 0x11, "scan ok 88 keys 2 pedals");
    Add(out, {0xF0, 0x09, 0x5A, 0x0A, 0x02, 0x10, 0x20, 0x30, 0xF7});
    for (const char* c = "hello"; *c; ++c)
        Add(out, {0xF0, 0x09, 0x10, static_cast<uint8_t>(*c), 0xF7});
    Add(out, {0xF0, 0x09, 0x10, 0x0A, 0xF7});
    Add(out, {0xF0, 0x09, 0x13, 0x01, 0x04, 0x02, 0x04, 0x03, 0x04, 0x0D, 0x00, 0x0A, 0x00, 0xF7});
    return out;
}

std::vector<uint8_t> PeekAcknowledge(size_t bytes)
{
    std::vector<uint8_t> f = {0xF0, 0x09, 0x30, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
        f.push_back(static_cast<uint8_t>((bytes >> (4 * i)) & 0xF));
    for (size_t i = 0; i < bytes; ++i) {
        const uint8_t b = static_cast<uint8_t>(i * 7);
        f.push_back(b & 0xF);
        f.push_back(b >> 4);
    }
    f.push_back(0xF7);
    return f;
}

class CNoSender : public ISysExSender {
public:
    void SendSysEx(int32_t, const uint8_t*) override {}
};

using Rig = PresenterRig<CCountingControls, CNoSender>;

void BM_DecodeReplyMix(benchmark::State& state)
{
    Rig rig;
    const std::vector<uint8_t> mix = ReplyMix();
    constexpr int kNoteOns = 24;
    const int copies = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (int c = 0; c < copies; ++c)
            rig.pipeline.Rings().sysex.Write(mix.data(), mix.size());
        for (int n = 0; n < kNoteOns * copies; ++n) {
            MidiEventSlot* slot = rig.pipeline.Rings().events.BeginWrite();
            slot->kind = MIM_DATA;
            slot->param1 = PackShortMessage(0x90, static_cast<uint8_t>(36 + n % 61), static_cast<uint8_t>(1 + n % 126));
            rig.pipeline.Rings().events.Publish();
        }
        rig.pipeline.Run();
    }
    benchmark::DoNotOptimize(rig.controls.Count());
    state.SetBytesProcessed(state.iterations() * copies * static_cast<int64_t>(mix.size() + 3 * kNoteOns));
    state.counters["frame_bytes_per_pass"] = static_cast<double>(mix.size() * static_cast<size_t>(copies));
}
// One copy is about what a busy 100 ms tick brings; more copies drain a backlog.
BENCHMARK(BM_DecodeReplyMix)->Arg(1)->Arg(8);

void BM_DecodePeekDump(benchmark::State& state)
{
    Rig rig;
    const bool smart = state.range(0) != 0;
    const std::vector<uint8_t> frame = PeekAcknowledge(512);
    rig.pipeline.Options().ShowKeys = rig.pipeline.Options().ShowXopto = rig.pipeline.Options().ShowMisc = 1;
    for (auto _ : state) {
        rig.pipeline.Options().SmartDumpPending = smart;
        rig.pipeline.Rings().sysex.Write(frame.data(), frame.size());
        rig.pipeline.Run();
    }
    benchmark::DoNotOptimize(rig.controls.Count());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
    state.SetLabel(smart ? "smart, all sections" : "plain");
}
BENCHMARK(BM_DecodePeekDump)->Arg(0)->Arg(1);

} // namespace
