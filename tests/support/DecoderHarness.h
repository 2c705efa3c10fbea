// A reply pipeline over its own rings, wired to a recording sink and a
// recording transmitter: the decoder as the protocol layer sees it.
#pragma once

#include "RecordingSender.h"
#include "RecordingSink.h"
#include "midi/CaptureRings.h"
#include "protocol/HeldValues.h"
#include "protocol/ReplyPipeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

//! A reply pipeline with its own rings and held values, and a recording sink.
struct DecoderHarness {
    CRecordingSink sink;
    CRecordingSender sender;
    CReplyPipeline pipeline{sink, sender};
    CaptureRings& rings = pipeline.Rings();
    HeldValues& held = pipeline.Held();
    ReportOptions& options = pipeline.Options();

    void Bytes(const std::vector<uint8_t>& bytes) { rings.sysex.Write(bytes.data(), bytes.size()); }
    void Bytes(const std::string& hex) { Bytes(Hex(hex)); }

    void Event(uint32_t kind, uint32_t param1 = 0, const char* text = "")
    {
        MidiEventSlot* slot = rings.events.BeginWrite();
        ASSERT_NE(slot, nullptr);
        slot->kind = kind;
        slot->param1 = param1;
        std::snprintf(slot->text, sizeof slot->text, "%s", text);
        rings.events.Publish();
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
        const size_t before = sink.lines.size();
        pipeline.Run();
        return std::vector<std::string>(sink.lines.begin() + static_cast<std::ptrdiff_t>(before), sink.lines.end());
    }

    //! Runs one pass and returns the sink's other calls it brought.
    std::vector<std::string> Events(const std::string& hex)
    {
        const size_t before = sink.events.size();
        Decode(hex);
        return std::vector<std::string>(sink.events.begin() + static_cast<std::ptrdiff_t>(before), sink.events.end());
    }
};
