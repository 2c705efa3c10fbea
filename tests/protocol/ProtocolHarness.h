// Helpers for the protocol tests: hex literals, a recording transmitter and
// a decoder wired to its own rings and, through the presenters the main
// dialog uses, to a recording dialog.
#pragma once

#include "RecordingControls.h"
#include "editors/ReplyPresenter.h"
#include "midi/CaptureRings.h"
#include "midi/SysExSender.h"
#include "protocol/HeldValues.h"
#include "protocol/ReplyDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

//! "F0 09 1B F7" -> the bytes.
inline std::vector<uint8_t> Hex(const std::string& text)
{
    std::istringstream in(text);
    std::vector<uint8_t> out;
    std::string token;
    while (in >> token)
        out.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

//! The bytes as "F0 09 1B F7".
inline std::string HexText(const std::vector<uint8_t>& bytes)
{
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!out.empty())
            out += ' ';
        out += buf;
    }
    return out;
}

class CRecordingSender : public ISysExSender {
public:
    void SendSysEx(int32_t count, const uint8_t* bytes) override
    {
        counts.push_back(count);
        frames.emplace_back(bytes, bytes + count + 2);
    }
    std::vector<std::string> FrameTexts() const
    {
        std::vector<std::string> out;
        for (const auto& f : frames)
            out.push_back(HexText(f));
        return out;
    }
    std::vector<int32_t> counts;
    std::vector<std::vector<uint8_t>> frames;
};

//! A decoder with its own rings, held values and recording dialog.
struct DecoderHarness {
    std::unique_ptr<CaptureRings> rings = std::make_unique<CaptureRings>();
    HeldValues held;
    ReportOptions options;
    CRecordingControls controls;
    CRecordingSender sender;
    CZoneEditor zones{controls, held, sender};
    CParameterTable parameters{controls, held, options, sender};
    CReplyPresenter presenter{controls, held, zones, parameters};
    CReplyDecoder decoder{*rings, held, options, presenter};

    void Bytes(const std::vector<uint8_t>& bytes) { rings->sysex.Write(bytes.data(), bytes.size()); }
    void Bytes(const std::string& hex) { Bytes(Hex(hex)); }

    void Event(uint32_t kind, uint32_t param1 = 0, const char* text = "")
    {
        MidiEventSlot* slot = rings->events.BeginWrite();
        ASSERT_NE(slot, nullptr);
        slot->kind = kind;
        slot->param1 = param1;
        std::snprintf(slot->text, sizeof slot->text, "%s", text);
        rings->events.Publish();
    }

    //! Feeds the bytes, runs one pass and returns the lines it appended.
    std::vector<std::string> Decode(const std::string& hex)
    {
        Bytes(hex);
        return Run();
    }

    //! Runs one pass and returns the lines it appended.
    std::vector<std::string> Run()
    {
        const size_t before = controls.lines.size();
        decoder.Run();
        return std::vector<std::string>(controls.lines.begin() + static_cast<std::ptrdiff_t>(before),
                                        controls.lines.end());
    }
};
