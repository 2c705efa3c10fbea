// "Find ZM1 box" in the main window: searches the MIDI devices for the box
// (CBoxFinder) and makes the pair that answered the chosen ports.
//
// The outputs are tried in list order, the open output first (so a search
// with the right ports already open ends at once). The thru/out port's
// device is left out while thru is open, unless the caller includes it:
// requests do not belong on a synthesiser. While the search runs, the
// chosen input is suspended, so the box's answers to the search (and its
// identification text) do not reach the decoder and the message window;
// the output and the thru/out port stay as they are.
//
// At the end the message window gets one line: the pair found, or the
// devices tried and what became of them. A pair found is opened as clicks
// on its lines would open it (the same lines); otherwise, and when the
// search is stopped, the suspended input is opened again and the ports are
// as before.
//
// Window thread only; Step() runs on the window's timer.
#pragma once

#include "editors/DialogControls.h"
#include "editors/PortLists.h"
#include "midi/PortSession.h"
#include "protocol/BoxFinder.h"

#include <chrono>
#include <memory>
#include <string>

class CFindBox {
public:
    //! Each output's time to answer, unless set otherwise.
    static constexpr std::chrono::milliseconds kReplyTimeout{500};

    //! `controls`, `session` and `lists` must outlive this object.
    CFindBox(IDialogControls& controls, CPortSession& session, CPortLists& lists);
    ~CFindBox();

    CFindBox(const CFindBox&) = delete;
    CFindBox& operator=(const CFindBox&) = delete;

    //! Starts a search; with `includeThru` the thru/out port's device is
    //! tried too. False (nothing done) while one runs.
    bool Start(bool includeThru = false);
    //! Steps a running search; at its end writes the result line and opens
    //! the pair found. False once no search runs.
    bool Step();
    //! Ends a running search early: one line, the ports as before.
    void Stop();
    //! Ends a running search without a line and without reopening the
    //! suspended input (the window is closing).
    void Abandon();

    //! Each output's time to answer from the next search on.
    void SetReplyTimeout(std::chrono::milliseconds timeout) { m_replyTimeout = timeout; }

    bool Running() const { return m_finder && m_finder->Running(); }
    //! What the search is doing now ("Trying "ZM1 Simulator" (output 2 of 3)").
    std::string Progress() const;
    //! Outputs tried so far (the one being tried included) and to try.
    int OutputsTried() const;
    int OutputsToTry() const;

private:
    std::string OutputName(int device) const;
    std::string InputName(int device) const;
    void Finished();
    std::string NotFoundLine() const;

    IDialogControls& m_controls;
    CPortSession& m_session;
    CPortLists& m_lists;
    std::unique_ptr<CBoxFinder> m_finder;
    bool m_inputSuspended = false;
    int m_skippedThru = -1;  //!< the thru/out device left out, or -1
    std::chrono::milliseconds m_replyTimeout = kReplyTimeout;
};
