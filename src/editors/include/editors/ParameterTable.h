// The parameter table of the main dialog: the parameter list (1037), the
// "Xtable Data" edit and its two buttons, the readouts 1021 and 1022,
// "Synchronize Data", "Revision Request", the three dump buttons and the
// switches that shape the smart dump report ("Keys", "Xopto", "Misc",
// "122 Scanner"). Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "midi/SysExSender.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"

class CParameterTable {
public:
    //! All four must outlive the table.
    CParameterTable(IDialogControls& controls, HeldValues& held, ReportOptions& options, ISysExSender& sender);

    //! Fills list 1037 with the 32 parameter names, in number order.
    void FillList();
    //! Sets the four switches' check marks from the flags.
    void ShowSwitches();
    //! A parameter report took effect: the readouts show what they follow.
    void ShowParameter(int32_t number, int32_t value);

    //! A click on one of the table's buttons; false for any other control.
    bool OnCommand(int id);

    //! The "122 Scanner" flag (the check box shows it).
    int32_t Scanner122 = 1;

private:
    IDialogControls& m_controls;
    HeldValues& m_held;
    ReportOptions& m_options;
    ISysExSender& m_sender;
};
