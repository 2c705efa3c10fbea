// The control interface: the narrow surface through which the editors reach
// a dialog's controls.
//
// Controls are addressed by their numeric identifier (res/resource.h). The
// dialogs implement it on their widgets, zmctl prints every call, tests
// record them. Everything here is called on the window thread only.
#pragma once

#include "midi/MessageSink.h"

#include <string>
#include <string_view>

class IDialogControls : public IMessageSink {
public:
    //! AppendLine (from IMessageSink) appends one line to the message window
    //! (list box 1005).

    //! Appends the line the decoder writes for a short message of the input
    //! (a note-on), which the message window may be asked to hide. Stand-ins
    //! without such a filter take it as any other line.
    virtual void AppendShortMessageLine(std::string_view line) { AppendLine(line); }

    //! Brings the message window's last line into view when the line count
    //! changed since the previous call (the count is remembered, never reset).
    virtual void ScrollToLast() = 0;

    //! Replaces the text of an edit or static control.
    virtual void SetControlText(int id, std::string_view text) = 0;

    //! Selects line `index` of a list box; -1 removes the selection. This is
    //! not a user selection: the list's own selection handler does not run.
    virtual void SelectListLine(int id, int index) = 0;

    //! Inserts a line into a list box at `index`, or at the end for -1.
    virtual void InsertListLine(int id, int index, std::string_view text) = 0;

    //! Adds a line to a list box: at its sorted place when the list keeps its
    //! lines sorted, otherwise at the end.
    virtual void AddListLine(int id, std::string_view text) = 0;

    //! Replaces the text of line `index` in place (a sorted list is not
    //! re-sorted).
    virtual void ReplaceListLine(int id, int index, std::string_view text) = 0;

    //! Removes every line of a list box (before it is filled again).
    //! Stand-ins that keep no lines (zmctl's printer, counters) need not
    //! override it.
    virtual void ResetList(int id) { (void)id; }

    //! Shows a check box checked, or a push-like button pressed.
    virtual void SetCheck(int id, bool checked) = 0;

    //! Current text of an edit control (empty for an unknown id).
    virtual std::string ControlText(int id) const = 0;

    //! Lets edit `id` hold at most `chars` characters: the user cannot type
    //! more, and longer text written by the program is cut to that length.
    virtual void SetTextLimit(int id, int chars) = 0;

    //! Gives the keyboard focus to the dialog window itself, away from the
    //! control that holds it.
    virtual void FocusDialog() = 0;
};
