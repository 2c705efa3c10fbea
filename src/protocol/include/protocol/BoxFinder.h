// Finding the box among the MIDI devices. Every input device is listened
// to; a Revision request (F0 09 1A F7) goes out on one output device after
// the other, and the first input that brings back the box's revision
// acknowledgement (F0 09 1B F7) within the reply timeout makes the pair.
// The search ends once that input has had no further System Exclusive for
// a moment: the box follows its acknowledgement with its identification
// text, which belongs to the search and not to whoever opens the pair next.
// Only that acknowledgement counts: a device that returns what it was sent
// (a loopback, a MIDI through port) hands back the request itself, and a
// synthesiser answers nothing.
//
// The search never waits: its owner calls Step() again and again (the
// window's timer, zmctl's loop), and each call does one bounded piece of
// work (opens some inputs, sends one request, or looks at what has
// arrived). Every port it opens is its own, beside any port the caller has
// open on the same device, and all are closed when the search ends.
//
// Threading contract: everything here runs on one thread (the window
// thread, or zmctl's). The listeners' OnMidiInput runs on the MIDI driver's
// threads and only counts acknowledgements and re-arms its receive buffer:
// no lock, no allocation.
#pragma once

#include "midi/MidiPlatform.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class CRevisionListener;

class CBoxFinder {
public:
    using Clock = std::chrono::steady_clock;

    struct Options {
        //! Output devices to send the request on, in this order.
        std::vector<int> outputs;
        //! How long an output may take to bring the answer.
        std::chrono::milliseconds replyTimeout{500};
        //! How long the answering input must stay free of System Exclusive
        //! before the search ends (at most replyTimeout after the answer).
        std::chrono::milliseconds settleTime{50};
        //! How long one Step() may go on opening ports (it opens at least one).
        std::chrono::milliseconds stepBudget{15};
    };

    enum class Phase {
        Listening,  //!< opening the inputs
        Asking,     //!< the request is out on CurrentOutput(); waiting for the answer
        Found,
        NotFound,   //!< every output was tried, or there was no input to listen on
        Stopped,    //!< Stop() ended it
    };

    //! One output the request was meant for.
    struct Attempt {
        int output;
        MidiResult opened;  //!< not MIDI_OK: the port did not open and nothing was sent
    };
    struct Pair {
        int input;
        int output;
    };

    //! `platform` must outlive the finder. Nothing is opened before the first Step().
    CBoxFinder(IMidiPlatform& platform, Options options);
    //! Closes every port the search opened.
    ~CBoxFinder();

    CBoxFinder(const CBoxFinder&) = delete;
    CBoxFinder& operator=(const CBoxFinder&) = delete;

    //! Does the next piece of work. False once the search has ended (and
    //! its ports are closed).
    bool Step();
    //! Ends the search where it is and closes its ports.
    void Stop();

    Phase State() const noexcept { return m_phase; }
    bool Running() const noexcept { return m_phase == Phase::Listening || m_phase == Phase::Asking; }

    //! The output whose answer is awaited; -1 in any other phase.
    int CurrentOutput() const noexcept { return m_phase == Phase::Asking ? m_current : -1; }
    //! Inputs opened so far (also once they are closed again), and how
    //! many there are to open.
    int InputsOpened() const noexcept { return m_inputsOpened; }
    int InputCount() const noexcept { return m_inputCount; }
    //! Outputs to try, as given.
    const std::vector<int>& Outputs() const noexcept { return m_options.outputs; }
    //! The outputs tried so far, in order (the one being tried included).
    const std::vector<Attempt>& Attempts() const noexcept { return m_attempts; }
    //! Inputs that could not be opened, so went unheard, with the result.
    const std::vector<std::pair<int, MidiResult>>& DeafInputs() const noexcept { return m_deaf; }
    //! The box's input and output, once found.
    std::optional<Pair> Found() const noexcept { return m_found; }

    //! True for the box's revision acknowledgement, exactly F0 09 1B F7.
    static bool IsRevisionAcknowledge(const uint8_t* bytes, size_t count) noexcept;

private:
    struct Listening;

    bool OpenNextInput();
    //! Sends the request on the next output that opens; false when none is left.
    bool AskNext(Clock::time_point stepStart);
    //! The first listener (in device order) whose acknowledgements went up
    //! since the request.
    std::optional<size_t> Answered() const;
    //! Waits for the answering input to fall quiet; true once the search is over.
    bool Settle(Clock::time_point now);
    void CloseOutput();
    void Finish(Phase phase);

    IMidiPlatform& m_platform;
    Options m_options;
    Phase m_phase = Phase::Listening;
    int m_inputCount = 0;
    int m_nextInput = 0;
    int m_inputsOpened = 0;
    size_t m_nextOutput = 0;
    int m_current = -1;
    std::optional<size_t> m_answered;  //!< the listener that acknowledged
    uint32_t m_heard = 0;               //!< its System Exclusive count, when last looked at
    Clock::time_point m_quietSince{};
    std::vector<std::unique_ptr<Listening>> m_listeners;
    std::vector<uint32_t> m_baseline;  //!< each listener's count when the request went out
    std::unique_ptr<IMidiOutputPort> m_output;
    Clock::time_point m_deadline{};
    std::vector<Attempt> m_attempts;
    std::vector<std::pair<int, MidiResult>> m_deaf;
    std::optional<Pair> m_found;
};
