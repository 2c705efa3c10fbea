// The Automatic Stream Controls (dialog 133) without a widget: the eight
// option buttons of the box's automatic-stream byte (parameter 30) and the
// "Piston Pending and Transpose Delay" (parameter 31).
//
// The option byte is worked on in a copy of its own, loaded when the window
// opens: every click toggles one bit of the copy and sends all eight bits.
// The window asks the box for the byte as it opens; when the box's answer (or
// any later report of the byte) comes while it is open, the copy and the
// marks take the box's value, so that a click never sends back bits the box
// no longer holds (opened before the first Synchronize Data, the copy would
// otherwise start from 0 and the first click would clear every other option).
// The delay goes to the box on OK only, and only when it is a number the box
// can hold that differs from the one the edit showed at opening. Window
// thread only.
#pragma once

#include "editors/DialogControls.h"
#include "midi/SysExSender.h"
#include "protocol/HeldValues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CAotSetup {
public:
    //! All three must outlive the presenter.
    CAotSetup(IDialogControls& controls, const HeldValues& held, ISysExSender& sender);

    //! Loads `AotOptions` from the held option byte, marks each option
    //! button from its bit and shows the held delay in the edit ("%d").
    void Open();

    //! An option button: toggles its bit, marks the button and sends
    //! parameter 30. False for any other control.
    bool OnCommand(int id);

    //! The box reported parameter `number`: the option byte replaces the
    //! working copy and the marks follow it; any other number is ignored.
    void ParameterReported(int32_t number, int32_t value);

    //! OK (or Enter): takes the edit's text. A whole number 0-255 that
    //! differs from the delay shown at opening is sent as parameter 31
    //! (what the box reported since is not sent back). Returns false,
    //! and says why in the dialog, when the text is no such number: the
    //! dialog then stays open for correction.
    bool OnOK();

    //! The working copy of the option byte.
    uint8_t AotOptions = 0;

private:
    void Mark();

    IDialogControls& m_controls;
    const HeldValues& m_held;
    ISysExSender& m_sender;
    int32_t m_shownDelay = 0;   //!< the delay the edit showed at opening
};

//! `text` as a delay: a whole decimal number 0-255, blanks around it allowed;
//! nothing for anything else.
std::optional<int32_t> ParseAotDelay(std::string_view text);

//! What the dialog says when the delay text is no such number.
inline constexpr std::string_view kAotDelayProblem =
    "Not sent: the delay must be a whole number from 0 to 255.";
