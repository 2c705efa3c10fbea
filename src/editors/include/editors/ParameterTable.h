// The parameter table of the main dialog: the parameter list (1037), the
// "Xtable Data" edit and its two buttons, the readouts 1021 and 1022,
// "Synchronize Data", "Revision Request", the three dump buttons and the
// switches that shape the smart dump report ("Keys", "Xopto", "Misc",
// "122 Scanner"). Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "editors/KeyboardKeys.h"
#include "midi/SysExSender.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"

class CParameterTable {
public:
    //! All four must outlive the table.
    CParameterTable(IDialogControls& controls, HeldValues& held, ReportOptions& options, ISysExSender& sender);

    //! Fills list 1037 with the 32 parameter names, in number order, and
    //! lets the "Xtable Data" edit hold no more than a value's five digits.
    void FillList();
    //! Sets the four switches' check marks from the flags.
    void ShowSwitches();
    //! A parameter report took effect: the readouts show what they follow.
    void ShowParameter(int32_t number, int32_t value);

    //! A click on one of the table's buttons or switches; false for any
    //! other control.
    bool OnCommand(int id);
    //! The user selected line `index` of list 1037; false for any other list.
    bool OnListSelChange(int id, int index);

    //! What "122 Scanner" shows: the smart dump report is laid out for 122
    //! keys. Derived from the key count, so the check box never claims a
    //! layout the report does not use.
    bool Scanner122() const { return m_options.ScannerKeyCount == kLargeKeyboardKeys; }

    //! The parameter that "Inquire Xtable" and "Send Xtable Data" address.
    int32_t SelectedParameter = 0;

    //! Characters edit 1009 holds: enough for any value 0-16383.
    static constexpr int kXtableDataChars = 5;

private:
    void SendXtableData();
    void ToggleReportSwitch(int id);

    IDialogControls& m_controls;
    HeldValues& m_held;
    ReportOptions& m_options;
    ISysExSender& m_sender;
};
