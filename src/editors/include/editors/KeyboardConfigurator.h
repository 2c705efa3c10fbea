// The Keyboard Configurator (dialog 129) without a widget: the six one-touch
// layouts, the five scanning-parameter lists and "Restore Defaults".
//
// It keeps no state of its own. Initialise() fills the lists from the held
// values once, when the window opens; every user action goes to the box at
// once, and nothing the box reports later reaches the lists. Selections made
// here are not user selections and send nothing. Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "midi/SysExSender.h"
#include "protocol/BoxParameters.h"
#include "protocol/HeldValues.h"

#include <array>
#include <cstdint>

class CKeyboardConfigurator {
public:
    //! All three must outlive the configurator.
    CKeyboardConfigurator(IDialogControls& controls, const HeldValues& held, ISysExSender& sender);

    //! Fills the five lists, selects in each the entry that the held value of
    //! its parameter stands for (none when no entry does) and clears the six
    //! layout buttons.
    void Initialise();

    //! A layout button, "Restore Defaults" or "Edit Key Map" (which does
    //! nothing); false for any other control.
    bool OnCommand(int id);

    //! The user selected entry `index` of one of the five lists: sends its
    //! parameter. False for any other control.
    bool OnListSelChange(int id, int index);

    //! Selects in each list the entry of the box's default and sends the five
    //! defaults, parameters 21, 23, 25, 26 and 27 in this order.
    void RestoreDefaults();

private:
    IDialogControls& m_controls;
    const HeldValues& m_held;
    ISysExSender& m_sender;
};

//! Sends one Inquire parameter for each of kKeyboardConfigInquiries (the
//! parameter table's Keyboard Config column), in number order.
void SendKeyboardConfigInquiries(ISysExSender& sender);
