// The zone editor: the four columns "Zone 1" to "Zone 4" of the main dialog.
// Each column shows one zone of the mirror as the box last reported it; each
// control in it sends one change to the box the moment it is used.
//
// The editor owns the zone columns' controls: the decoder's news (a zone
// read, a split done, mute bits reported) reach them only through here.
// Selections the editor makes itself are not user selections: no list
// handler runs and nothing is sent. Window thread only.
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

private:
    IDialogControls& m_controls;
    HeldValues& m_held;
    ISysExSender& m_sender;
};
