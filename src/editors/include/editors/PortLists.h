// The three port lists of the main dialog: 1003 (inputs), 1004 (outputs) and
// 1007 (thru/out). A click on a device opens it at once; one device cannot
// serve as output and as thru/out at the same time; clicking the open
// thru/out device again switches thru off. The lines these rules log are
// written here; the port operations and their own lines are the session's.
// Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "midi/PortSession.h"

#include <functional>

class CPortLists {
public:
    //! `transferBoundTexts` rewrites the dialog's bound texts into its
    //! controls; it runs after the receive buffer could not be prepared or
    //! queued. `controls` and `session` must outlive this object.
    CPortLists(IDialogControls& controls, CPortSession& session, std::function<void()> transferBoundTexts);

    //! Fills lists 1003 (inputs), 1004 and 1007 (outputs) in device order.
    void EnumerateMidiPorts();

    //! Selection handlers: `n` is the line the user clicked (a device
    //! number); a negative `n` (no selection) does nothing.
    void OnInputSelect(int n);
    void OnOutputSelect(int n);
    void OnThruSelect(int n);

    //! Routes a user selection in one of the three lists; false for any other list.
    bool OnListSelChange(int id, int index);

private:
    void TransferBoundTexts();

    IDialogControls& m_controls;
    CPortSession& m_session;
    std::function<void()> m_transferBoundTexts;
};
