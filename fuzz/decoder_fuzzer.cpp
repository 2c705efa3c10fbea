// libFuzzer target: arbitrary input drives the reply decoder through both
// capture rings, with the report switches, the key count and the pending
// flags taken from the input as well.
//
// Input layout:
//   byte 0      settings (see ApplySettings); bit 6 set: the rest is a raw MIDI
//               stream fed through CMidiStreamParser, one pass per message
//   bytes 1-2   ScannerKeyCount, signed 16-bit little-endian
//   then ops    b < 0x80:  the next b+1 bytes go into the byte ring
//               0x80-0xBF: one event: kind from b & 7, param1 from 3 bytes,
//                          text from ((b >> 3) & 7) * 19 bytes (unterminated at 128)
//               0xC0:      one decoder pass
//               0xC1:      settings from the next byte
//               0xC2:      ScannerKeyCount from the next 2 bytes
//               others:    one decoder pass
// A pass also runs whenever a ring could not take more, and at the end.
#include "protocol/MidiStreamParser.h"
#include "protocol/ReplyPipeline.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Cheap sink that checks what no input may ever produce.
class CCheckingSink : public IReplySink {
public:
    void AppendLine(std::string_view line) override
    {
        // Text-character lines may hold 1023 characters, every other line 127.
        if (line.size() > 1023)
            std::abort();
        m_sum += line.size();
    }
    void ZoneRead(int zone) override { CheckZone(zone); }
    void SplitDone(int zone) override { CheckZone(zone); }
    void ParameterReported(int32_t number, int32_t value) override
    {
        if (number < 0 || number > 16383 || value < 0 || value > 16383)
            std::abort();
        m_sum += static_cast<size_t>(value);
    }
    void IdentificationText(std::string_view text) override
    {
        if (text.size() > 127)
            std::abort();
        m_sum += text.size();
    }
    void PassEnded() override {}
    void ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point) override { m_sum += packed; }

private:
    static void CheckZone(int zone)
    {
        if (zone < 0 || zone > 3)
            std::abort();
    }
    size_t m_sum = 0;
};

// Requests go nowhere: the decoder never sends.
class CNoSender : public ISysExSender {
public:
    void SendSysEx(int32_t, const uint8_t*) override {}
};

void ApplySettings(uint8_t b, HeldValues& held, ReportOptions& options, CaptureRings& rings)
{
    options.ShowKeys = b & 1;
    options.ShowXopto = (b >> 1) & 1;
    options.ShowMisc = (b >> 2) & 1;
    options.SmartDumpPending = (b >> 3) & 1;
    held.IdentificationPending = (b >> 4) & 1;
    rings.inputResetting = (b >> 5) & 1;
}

constexpr uint32_t kKinds[8] = {MIM_OPEN, MIM_CLOSE, MIM_DATA, MIM_LONGDATA, MIM_ERROR, MIM_LONGERROR, MIM_MOREDATA, 0};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    CCheckingSink sink;
    CNoSender sender;
    CReplyPipeline pipeline(sink, sender);
    CaptureRings& rings = pipeline.Rings();
    HeldValues& held = pipeline.Held();
    ReportOptions& options = pipeline.Options();
    ApplySettings(data[0], held, options, rings);
    options.ScannerKeyCount = static_cast<int16_t>(data[1] | (data[2] << 8));

    size_t i = 3;
    if (data[0] & 0x40) {
        CMidiStreamParser parser(rings, [&pipeline] { pipeline.Run(); });
        parser.Feed(data + i, size - i);
        parser.Finish();
        pipeline.Run();
        return 0;
    }

    while (i < size) {
        const uint8_t op = data[i++];
        if (op < 0x80) {
            const size_t n = std::min<size_t>(op + 1u, size - i);
            if (!rings.sysex.Write(data + i, n)) {
                pipeline.Run();
                rings.sysex.Write(data + i, n);
            }
            i += n;
        } else if (op < 0xC0) {
            MidiEventSlot* slot = rings.events.BeginWrite();
            if (!slot) {
                pipeline.Run();
                slot = rings.events.BeginWrite();
            }
            if (slot) {
                slot->kind = kKinds[op & 7];
                slot->param1 = 0;
                for (int k = 0; k < 3 && i < size; ++k)
                    slot->param1 |= uint32_t{data[i++]} << (8 * k);
                std::memset(slot->text, 0, sizeof slot->text);
                const size_t n = std::min<size_t>({((op >> 3) & 7u) * 19u, sizeof slot->text, size - i});
                std::memcpy(slot->text, data + i, n);
                i += n;
                rings.events.Publish();
            }
        } else if (op == 0xC1 && i < size) {
            ApplySettings(data[i++], held, options, rings);
        } else if (op == 0xC2 && i + 1 < size) {
            options.ScannerKeyCount = static_cast<int16_t>(data[i] | (data[i + 1] << 8));
            i += 2;
        } else {
            pipeline.Run();
        }
    }
    pipeline.Run();
    return 0;
}
