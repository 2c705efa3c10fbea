// The zone editor: the four columns "Zone 1" to "Zone 4" of the main dialog.
// Each column shows one zone of the mirror as the box last reported it; each
// control in it sends one change to the box the moment it is used.
//
// The editor owns the zone columns' controls: the decoder's news (a zone
// read, a split done, mute bits reported) reach them only through here.
// Selections the editor makes itself (a redraw, an attack velocity "Off"
// button) are not user selections: no list handler runs and nothing is
// sent. Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "midi/SysExSender.h"
#include "protocol/HeldValues.h"

class CZoneEditor {
public:
    //! All three must outlive the editor.
    CZoneEditor(IDialogControls& controls, HeldValues& held, ISysExSender& sender);

    //! Fills the channel, after-touch, curve and velocity lists of the four
    //! columns with their fixed entries; selects nothing.
    void FillLists();

    //! Redraws zone `zone`'s column (both edits, the five lists) from the mirror.
    void ShowZone(int zone);
    //! Redraws zone `zone`'s key range and lowest note edits from the mirror.
    void ShowZoneEdits(int zone);
    //! The box set zone `zone`'s split: its edits are redrawn and its
    //! "Set Zone" button is shown released.
    void ShowSplitDone(int zone);
    //! Shows each zone's "Mute" button pressed when its bit of `bits` is clear.
    void ShowMuteBits(int32_t bits);

    //! A click on one of the columns' buttons; false for any other control
    //! (the release velocity "Off" buttons and the debug row's "Up" buttons
    //! do nothing).
    bool OnCommand(int id);
    //! The user selected line `index` of one of the columns' lists: the
    //! mirror field takes the line's value and the box is sent the byte.
    //! False for any other control.
    bool OnListSelChange(int id, int index);

    //! What zone 1's attack velocity "Off" button gives back when pressed
    //! again; "14 Normal" until it has taken a value away.
    int8_t SavedAttackVelocity = 14;

private:
    void WriteField(int zone, int offset, int32_t value);
    void Transpose(int zone, int semitones);
    void AttackOff(int zone);
    void Mute(int zone);
    void SetZone(int zone);

    IDialogControls& m_controls;
    HeldValues& m_held;
    ISysExSender& m_sender;
};
