#include "protocol/BoxFinder.h"

#include "midi/CaptureRings.h"
#include "protocol/ProtocolCodes.h"

#include <atomic>

// Counts the box's revision acknowledgements arriving on one input. The
// receive buffer goes straight back to the port after each System Exclusive
// message, so reception never stops; the port is never reset, so no empty
// buffer ever comes back to be released.
class CRevisionListener final : public IMidiInputHandler {
public:
    //! Hands the receive buffer to `port`; call before starting it.
    bool Arm(IMidiInputPort& port) noexcept
    {
        return QueueEmptyReceiveBuffer(port, m_header, m_buffer, sizeof m_buffer);
    }

    void OnMidiInput(IMidiInputPort& port, uint32_t kind, uint32_t, MidiHeader* header) noexcept override
    {
        if (kind != MIM_LONGDATA && kind != MIM_LONGERROR)
            return;
        m_systemExclusive.fetch_add(1, std::memory_order_release);
        if (header == nullptr)
            return;
        if (kind == MIM_LONGDATA && CBoxFinder::IsRevisionAcknowledge(header->data, header->bytesRecorded))
            m_acknowledged.fetch_add(1, std::memory_order_release);
        Arm(port);
    }

    uint32_t Acknowledged() const noexcept { return m_acknowledged.load(std::memory_order_acquire); }
    uint32_t SystemExclusive() const noexcept { return m_systemExclusive.load(std::memory_order_acquire); }

private:
    uint8_t m_buffer[64] = {};
    MidiHeader m_header;
    std::atomic<uint32_t> m_acknowledged{0};
    std::atomic<uint32_t> m_systemExclusive{0};
};

// The port is declared after its listener, so it closes first: no callback
// can reach a listener that is gone.
struct CBoxFinder::Listening {
    int device;
    CRevisionListener listener;
    std::unique_ptr<IMidiInputPort> port;
};

bool CBoxFinder::IsRevisionAcknowledge(const uint8_t* bytes, size_t count) noexcept
{
    return bytes != nullptr && count == 4 && bytes[0] == kStartOfExclusive && bytes[1] == kIdentifier &&
           bytes[2] == CMD_REVISION_ACKNOWLEDGE && bytes[3] == kEndOfExclusive;
}

CBoxFinder::CBoxFinder(IMidiPlatform& platform, Options options)
    : m_platform(platform)
    , m_options(std::move(options))
    , m_inputCount(platform.InputDeviceCount())
{
}

CBoxFinder::~CBoxFinder()
{
    CloseOutput();
    m_listeners.clear();
}

bool CBoxFinder::OpenNextInput()
{
    if (m_nextInput >= m_inputCount)
        return false;
    const int device = m_nextInput++;
    auto listening = std::make_unique<Listening>();
    listening->device = device;
    MidiResult result = m_platform.OpenInput(device, listening->listener, listening->port);
    if (result == MIDI_OK && !listening->listener.Arm(*listening->port))
        result = MIDI_ERR_UNPREPARED;
    if (result == MIDI_OK)
        result = listening->port->Start();
    if (result == MIDI_OK) {
        m_listeners.push_back(std::move(listening));
        ++m_inputsOpened;
    }
    else
        m_deaf.emplace_back(device, result);
    return true;
}

bool CBoxFinder::AskNext(Clock::time_point stepStart)
{
    static constexpr uint8_t kRevisionRequest[] = {kStartOfExclusive, kIdentifier, CMD_REVISION_REQUEST,
                                                   kEndOfExclusive};
    CloseOutput();
    while (m_nextOutput < m_options.outputs.size()) {
        m_current = m_options.outputs[m_nextOutput++];
        MidiResult result = m_platform.OpenOutput(m_current, m_output);
        if (result == MIDI_OK) {
            // What arrived before the request cannot be its answer.
            m_baseline.clear();
            for (const auto& listening : m_listeners)
                m_baseline.push_back(listening->listener.Acknowledged());
            result = m_output->SendLong(kRevisionRequest, sizeof kRevisionRequest);
        }
        m_attempts.push_back({m_current, result});
        if (result == MIDI_OK) {
            m_deadline = Clock::now() + m_options.replyTimeout;
            return true;
        }
        CloseOutput();
        if (Clock::now() - stepStart >= m_options.stepBudget)
            return true;  // the next step goes on with the next output
    }
    return false;
}

std::optional<size_t> CBoxFinder::Answered() const
{
    for (size_t i = 0; i < m_listeners.size() && i < m_baseline.size(); ++i)
        if (m_listeners[i]->listener.Acknowledged() != m_baseline[i])
            return i;
    return std::nullopt;
}

bool CBoxFinder::Settle(Clock::time_point now)
{
    const CRevisionListener& listener = m_listeners[*m_answered]->listener;
    const uint32_t heard = listener.SystemExclusive();
    if (heard != m_heard) {
        m_heard = heard;
        m_quietSince = now;
    }
    if (now - m_quietSince < m_options.settleTime && now < m_deadline)
        return false;
    m_found = Pair{m_listeners[*m_answered]->device, m_current};
    Finish(Phase::Found);
    return true;
}

bool CBoxFinder::Step()
{
    const Clock::time_point stepStart = Clock::now();
    if (m_phase == Phase::Listening) {
        while (OpenNextInput())
            if (Clock::now() - stepStart >= m_options.stepBudget)
                return true;
        if (m_listeners.empty()) {
            Finish(Phase::NotFound);  // nothing could hear an answer
            return false;
        }
        m_phase = Phase::Asking;
        if (!AskNext(stepStart)) {
            Finish(Phase::NotFound);
            return false;
        }
        return true;
    }
    if (m_phase != Phase::Asking)
        return false;
    if (m_output) {
        if (!m_answered && (m_answered = Answered())) {
            m_heard = m_listeners[*m_answered]->listener.SystemExclusive();
            m_quietSince = stepStart;
            m_deadline = stepStart + m_options.replyTimeout;
        }
        if (m_answered)
            return !Settle(stepStart);
        if (stepStart < m_deadline)
            return true;
    }
    if (!AskNext(stepStart)) {
        Finish(Phase::NotFound);
        return false;
    }
    return true;
}

void CBoxFinder::Stop()
{
    if (Running())
        Finish(Phase::Stopped);
}

void CBoxFinder::CloseOutput()
{
    if (m_output) {
        m_output->Close();
        m_output.reset();
    }
}

void CBoxFinder::Finish(Phase phase)
{
    m_phase = phase;
    CloseOutput();
    m_listeners.clear();
    m_baseline.clear();
    m_answered.reset();
}
