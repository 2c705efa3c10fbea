#include "protocol/SetupExchange.h"

#include "midi/MidiPlatform.h"
#include "protocol/BoxParameters.h"
#include "protocol/RequestBuilders.h"

#include <algorithm>

namespace {

//! How long `bytes` take on a MIDI cable.
CSetupExchange::Clock::duration WireTime(size_t bytes)
{
    return std::chrono::microseconds(bytes * 1'000'000 / kMidiWireBytesPerSecond);
}

} // namespace

CSetupExchange::CSetupExchange(ISysExSender& sender, HeldValues& held, CExchangeAnswers& answers)
    : m_sender(sender), m_held(held), m_answers(answers)
{
}

void CSetupExchange::StartRead(std::vector<int> zones, std::vector<int32_t> parameters, Asking asking)
{
    m_zones = std::move(zones);
    m_parameters = std::move(parameters);
    m_reports.assign(m_parameters.size(), 1);
    m_asking = asking;
    m_frames.clear();
    m_written = 0;
    m_phase = Phase::Reading;
    m_started = false;
}

void CSetupExchange::StartWrite(const SetupContents& setup)
{
    m_zones = setup.Zones();
    m_parameters = setup.Parameters();
    m_reports.clear();
    for (int32_t number : m_parameters) {
        int writes = 0;
        for (const auto& written : setup.parameters)
            writes += written.first == number;
        m_reports.push_back(writes + 1);
    }
    m_asking = Asking::Plain;
    m_frames = setup.frames;
    m_written = 0;
    m_phase = Phase::Writing;
    m_started = false;
}

void CSetupExchange::BeginRead(Clock::time_point now)
{
    // A read back counts the reports of the writes before it as well.
    if (m_frames.empty())
        m_answers.Begin();
    m_started = true;
    m_answered = 0;
    m_deadline = now + m_timeout;
    if (m_asking == Asking::Synchronized) {
        SendSynchronizeData(m_sender, m_held);
        for (int32_t number : m_parameters)
            if (std::find(kSynchronizedParameters.begin(), kSynchronizedParameters.end(), number) ==
                kSynchronizedParameters.end())
                SendInquireParameter(m_sender, number);
        return;
    }
    // The box names itself after the station name, as after Synchronize Data.
    if (m_asking == Asking::Identified)
        m_held.IdentificationPending = true;
    for (int zone : m_zones)
        SendGetZone(m_sender, zone);
    for (int32_t number : m_parameters)
        SendInquireParameter(m_sender, number);
}

size_t CSetupExchange::Answered() const
{
    size_t answered =
        static_cast<size_t>(std::count_if(m_zones.begin(), m_zones.end(), [&](int z) { return m_answers.ZoneAnswered(z); }));
    for (size_t i = 0; i < m_parameters.size(); ++i)
        answered += static_cast<size_t>(std::min(m_answers.ParameterReports(m_parameters[i]), m_reports[i]));
    return answered;
}

size_t CSetupExchange::Awaited() const
{
    size_t awaited = m_zones.size();
    for (int reports : m_reports)
        awaited += static_cast<size_t>(reports);
    return awaited;
}

bool CSetupExchange::Step(Clock::time_point now, uint64_t framesSent)
{
    if (m_phase == Phase::Writing) {
        if (!m_started) {
            m_answers.Begin();
            m_started = true;
            m_nextSendAt = now;
        }
        // Each request no sooner than the one before can have crossed the
        // cable; a step that comes late may send what fell due meanwhile.
        while (m_written < m_frames.size() && now >= m_nextSendAt) {
            const std::vector<uint8_t>& frame = m_frames[m_written++];
            m_sender.SendSysEx(static_cast<int32_t>(frame.size()) - 2, frame.data());
            m_nextSendAt = std::max(m_nextSendAt, now - kCatchUp) + WireTime(frame.size());
        }
        if (m_written < m_frames.size())
            return true;
        m_phase = Phase::Reading;
        m_started = false;
    }
    if (m_phase != Phase::Reading)
        return false;
    if (!m_started) {
        BeginRead(now);
        m_framesSent = framesSent;
        return true;
    }
    const size_t answered = Answered();
    if (answered == Awaited()) {
        Finish(Phase::Done);
        return false;
    }
    // Only what belongs to the exchange moves the deadline: a request
    // leaving, an answer coming in.
    if (framesSent != m_framesSent || answered != m_answered) {
        m_framesSent = framesSent;
        m_answered = answered;
        m_deadline = now + m_timeout;
    } else if (now >= m_deadline) {
        Finish(Phase::Done);
        return false;
    }
    return true;
}

void CSetupExchange::Stop()
{
    if (Running())
        Finish(Phase::Stopped);
}

void CSetupExchange::Finish(Phase phase)
{
    if (m_asking == Asking::Identified)
        m_held.IdentificationPending = false;
    m_phase = phase;
}

BoxSnapshot CSetupExchange::Snapshot() const
{
    BoxSnapshot snapshot;
    for (int zone : m_zones) {
        const std::optional<ZoneRecord>& record = m_answers.Zone(zone);
        if (!record)
            continue;
        ZoneBytes bytes;
        for (int offset = 0; offset < ZoneRecord::kFieldCount; ++offset)
            bytes[static_cast<size_t>(offset)] = record->Field(offset);
        snapshot.zones[static_cast<size_t>(zone)] = bytes;
    }
    for (int32_t number : m_parameters)
        snapshot.parameters.emplace_back(number, m_answers.ParameterAnswer(number));
    snapshot.identification = m_answers.Identification();
    return snapshot;
}

std::vector<std::string> CSetupExchange::Missing() const
{
    return Snapshot().Missing(m_zones);
}
