// "Save setup…", "Load setup…" and "Compare with box…" in the main window,
// without a widget: the same files and exchanges as zmctl backup, restore
// and diff (editors/SetupFile.h, protocol/SetupExchange.h), over the
// window's ports and reply pipeline.
//
// - Save reads the box as Synchronize Data does (the same fifteen frames,
//   so the zone columns, readouts and identification box fill as after a
//   click) and asks for every other parameter too, then writes FILE and
//   its readable copy; nothing is written unless every answer came.
// - Load checks the whole file first; a bad one changes nothing in the
//   box. When the setup sets a number of keys other than the box's, it
//   waits for the user's answer (KeyCountQuestion()). It then writes the
//   setup's requests no faster than a MIDI cable carries them and reads
//   back every zone and parameter they set; the answers redraw the zone
//   columns and readouts, and each value the box did not take is named.
// - Compare reads what the setup sets from the box and keeps the
//   differences for the window that shows them.
//
// The requests go to the transmitter as they are (not through "Read back
// after each change": the reads are the exchange's own). Every result is
// one line in the message window (a load's refused values one line each).
// Nothing runs by itself: Step() does the next piece of work, on the
// window's timer, after a decoder pass.
//
// Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "editors/ReplyObserver.h"
#include "midi/PortSession.h"
#include "protocol/ExchangeAnswers.h"
#include "protocol/SetupExchange.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CBoxSetups : public IReplyObserver {
public:
    //! How long the box may stay quiet before an answer counts as missing.
    static constexpr std::chrono::milliseconds kTimeout{500};

    enum class Task { None, Save, Load, Compare };

    //! How a task ended, for the window (Outcome()).
    struct Outcome {
        Task task = Task::None;
        bool completed = false;  //!< every answer came (and the files were written)
        std::string path;
        std::string shown;       //!< the path as the message window shows it
        //! Compare: where box and setup differ; Load: the values the box did not take.
        std::vector<SetupDifference> differences;
        //! Why it did not complete ("no MIDI input port is open", what is
        //! wrong with the file, ...); empty when it did or was stopped.
        std::string why;
    };

    //! Numbers of keys of a load that waits for the user.
    struct KeyCounts {
        int32_t setup;
        int32_t box;
    };

    //! All three must outlive this object.
    CBoxSetups(IDialogControls& controls, CPortSession& session, HeldValues& held);

    // IReplyObserver: the answers of the exchange under way.
    void ZoneRead(int zone) override;
    void ParameterReported(int32_t number, int32_t value) override;
    void IdentificationText(std::string_view text) override;

    //! Starts a task on the setup at `path` (the file's name as the system
    //! takes it), `shown` as the message window names it (empty: `path`).
    //! False, with a line, when it cannot start (a task or the search for
    //! the box runs, no port is open, a bad file, a target that may not be
    //! written); Refusal() then says why.
    bool Save(const std::string& path, const std::string& shown = {});
    bool Load(const std::string& path, const std::string& shown = {});
    bool Compare(const std::string& path, const std::string& shown = {});

    //! Does the next piece of work; false once no task runs.
    bool Step(CSetupExchange::Clock::time_point now = CSetupExchange::Clock::now());
    //! Ends a running task early, with a line.
    void Stop();
    //! Ends a running task without a line (the window is closing).
    void Abandon();

    bool Running() const noexcept { return m_task != Task::None; }
    Task Current() const noexcept { return m_task; }
    //! What the task is doing now ("Writing the setup: 12 of 31 requests").
    std::string Progress() const;
    //! The load waits for AnswerKeyCount().
    std::optional<KeyCounts> KeyCountQuestion() const { return m_question; }
    //! The user's answer: load the setup into a box of another size, or not.
    void AnswerKeyCount(bool load);

    //! The last task that ended, whichever way.
    const Outcome& LastOutcome() const noexcept { return m_outcome; }
    //! Why the last Save(), Load() or Compare() did not start; empty when it did.
    const std::string& Refusal() const noexcept { return m_refusal; }

    //! Says what else uses the ports now (empty: nothing); no task starts
    //! while it does.
    void SetOtherWork(std::function<std::string()> otherWork) { m_otherWork = std::move(otherWork); }

    void SetTimeout(std::chrono::milliseconds timeout) { m_exchange.SetTimeout(timeout); }

private:
    enum class Stage { Idle, Reading, KeyCount, Writing };

    bool Begin(Task task, const std::string& path, const std::string& shown);
    //! Begin() for a task that reads the setup file at `path` first: the
    //! file read into m_setup and the ports checked, or refused.
    bool BeginWithFile(Task task, const std::string& path, const std::string& shown);
    bool Refuse(const std::string& why);
    bool PortsFault(std::string& why) const;
    void Finish(bool completed);
    void Line(const std::string& text);
    std::string NoAnswer() const;
    void SaveRead();
    void KeyCountRead();
    void StartWrite();
    void LoadWritten();
    void CompareRead();

    IDialogControls& m_controls;
    CPortSession& m_session;
    HeldValues& m_held;
    CExchangeAnswers m_answers;
    CSetupExchange m_exchange;

    Task m_task = Task::None;
    Stage m_stage = Stage::Idle;
    std::string m_path;
    std::string m_shown;
    SetupContents m_setup;
    std::optional<KeyCounts> m_question;
    Outcome m_outcome;
    std::string m_refusal;
    std::function<std::string()> m_otherWork;
};
