// A reply sink that records what the decoder tells it, for the protocol
// tests: the appended lines as they are, every other call as a short text in
// call order, and how many passes ended.
#pragma once

#include "protocol/ReplySink.h"

#include <cstdio>
#include <string>
#include <vector>

class CRecordingSink : public IReplySink {
public:
    void AppendLine(std::string_view line) override { lines.emplace_back(line); }
    void ZoneRead(int zone) override { events.push_back("zone read " + std::to_string(zone)); }
    void SplitDone(int zone) override { events.push_back("split done " + std::to_string(zone)); }
    void ParameterReported(int32_t number, int32_t value) override
    {
        events.push_back("parameter " + std::to_string(number) + " = " + std::to_string(value));
    }
    void IdentificationText(std::string_view text) override { events.push_back("identification " + std::string(text)); }
    void PassEnded() override { ++passes; }
    void SmartDumpReported() override { events.emplace_back("smart dump"); }
    void ScanDumpReported() override { events.emplace_back("scan dump"); }
    void ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point) override
    {
        char text[24];
        std::snprintf(text, sizeof text, "short %06X", static_cast<unsigned>(packed));
        events.emplace_back(text);
    }

    std::vector<std::string> lines;   //!< appended lines, in order
    std::vector<std::string> events;  //!< the other calls but PassEnded, in order
    int passes = 0;
};
