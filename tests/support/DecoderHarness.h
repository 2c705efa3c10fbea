// A reply pipeline over its own rings, wired, through the presenters the
// main dialog uses, to a recording dialog and a recording transmitter.
#pragma once

#include "RecordingControls.h"
#include "RecordingSender.h"
#include "editors/ReplyPresenter.h"
#include "midi/CaptureRings.h"
#include "protocol/HeldValues.h"
#include "protocol/ReplyPipeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

//! A reply pipeline with its own rings and held values, and a recording dialog.
struct DecoderHarness {
    CRecordingControls controls;
    CRecordingSender sender;
    CReplyPipeline pipeline{presenter, sender};
    CaptureRings& rings = pipeline.Rings();
    HeldValues& held = pipeline.Held();
    ReportOptions& options = pipeline.Options();
    CZoneEditor zones{controls, held, sender};
    CParameterTable parameters{controls, held, options, sender};
    CReplyPresenter presenter{controls, held, zones, parameters};

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
        const size_t before = controls.lines.size();
        pipeline.Run();
        return std::vector<std::string>(controls.lines.begin() + static_cast<std::ptrdiff_t>(before),
                                        controls.lines.end());
    }
};
