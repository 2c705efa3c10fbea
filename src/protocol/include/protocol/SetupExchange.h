// The exchanges a setup is made of, step by step: reading zones and
// parameters from the box (to save them, or to compare them with a
// setup), and writing a setup's requests no faster than a MIDI cable
// carries them, then reading back everything they set.
//
// An exchange never waits: its owner runs a reply-pipeline pass and then
// Step() again and again (the window's timer, zmctl's loop); each call
// sends what is due and looks at what has come. A read ends when every
// zone and parameter asked for has answered, or when the box has been
// quiet for the timeout: counted from the last request that left the
// output port or the last answer, so that nothing else the input brings
// (Active Sensing, notes, other replies) holds it up.
//
// The answers are what the owner's reply sink feeds into `answers`; each
// phase begins by forgetting those of the phase before.
//
// Threading contract: one thread, the one that runs the reply pipeline.
#pragma once

#include "midi/SysExSender.h"
#include "protocol/ExchangeAnswers.h"
#include "protocol/HeldValues.h"
#include "protocol/SetupFormat.h"

#include <chrono>
#include <cstdint>
#include <vector>

class CSetupExchange {
public:
    using Clock = std::chrono::steady_clock;

    //! How a read asks the box.
    enum class Asking {
        Plain,         //!< GetZone for each zone, then Inquire parameter for each parameter
        Identified,    //!< the same, with the box's identification text awaited
        Synchronized,  //!< Synchronize Data as its button sends it, then the
                       //!< inquiries it leaves out (zones must be 0-3)
    };

    enum class Phase {
        Idle,
        Writing,  //!< the setup's requests are leaving
        Reading,  //!< the reads are out; waiting for the answers
        Done,     //!< every answer came, or the timeout ran out (Missing())
        Stopped,  //!< Stop() ended it
    };

    //! When a request may follow the one before it that fell behind: how
    //! much lost time a catch-up may win back at once.
    static constexpr std::chrono::milliseconds kCatchUp{10};

    //! All three must outlive the exchange.
    CSetupExchange(ISysExSender& sender, HeldValues& held, CExchangeAnswers& answers);

    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    std::chrono::milliseconds Timeout() const { return m_timeout; }

    //! Reads `zones` (0-3) and `parameters`; the requests leave at the next Step().
    void StartRead(std::vector<int> zones, std::vector<int32_t> parameters, Asking asking = Asking::Plain);
    //! Sends `setup`'s requests in file order, then reads back every zone
    //! and parameter they set. A box reports each parameter it sets, so
    //! the read back waits for those reports and the inquiry's answer
    //! after them: the answers come in the order of the requests.
    void StartWrite(const SetupContents& setup);

    //! Does the next piece of work; `framesSent` is the transmitter's count
    //! of frames that left. False once the exchange has ended.
    bool Step(Clock::time_point now, uint64_t framesSent);
    //! Ends the exchange where it is.
    void Stop();

    Phase State() const noexcept { return m_phase; }
    bool Running() const noexcept { return m_phase == Phase::Writing || m_phase == Phase::Reading; }

    size_t FramesWritten() const noexcept { return m_written; }
    size_t FramesToWrite() const noexcept { return m_frames.size(); }
    //! Answers come so far in the read, and how many it waits for.
    size_t Answered() const;
    size_t Awaited() const;

    //! What the read brought: the zones and parameters asked for (in the
    //! order asked), each empty that did not answer, and the identification.
    BoxSnapshot Snapshot() const;
    //! Everything asked for that did not answer, as BoxSnapshot::Missing().
    std::vector<std::string> Missing() const;
    const std::vector<int>& ZonesAsked() const noexcept { return m_zones; }

private:
    void BeginRead(Clock::time_point now);
    void Finish(Phase phase);

    ISysExSender& m_sender;
    HeldValues& m_held;
    CExchangeAnswers& m_answers;
    std::chrono::milliseconds m_timeout{500};

    Phase m_phase = Phase::Idle;
    bool m_started = false;  //!< the current phase has begun
    Asking m_asking = Asking::Plain;
    std::vector<int> m_zones;
    std::vector<int32_t> m_parameters;
    //! Reports awaited of each of m_parameters (one, or one more than a
    //! write sends).
    std::vector<int> m_reports;
    std::vector<std::vector<uint8_t>> m_frames;
    size_t m_written = 0;
    Clock::time_point m_nextSendAt{};
    Clock::time_point m_deadline{};
    uint64_t m_framesSent = 0;
    size_t m_answered = 0;
};
