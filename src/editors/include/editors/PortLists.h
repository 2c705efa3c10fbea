// The three port lists of the main dialog: 1003 (inputs), 1004 (outputs) and
// 1007 (thru/out). A click on a device opens it at once; one device cannot
// serve as output and as thru/out at the same time; clicking the open
// thru/out device again switches thru off. The lines these rules log are
// written here; the port operations and their own lines are the session's.
//
// Devices that come and go. The lists keep what was counted at start until
// the user asks for a rescan (Rescan): the lists are filled again, every
// port is found again by its device's name (never by its old number), an
// open port whose device is no longer listed is closed, and a chosen port
// whose device had gone and is listed again is reopened as a click on it
// would. The same rule serves the ports remembered from the last run
// (ReopenPorts). A name that several devices carry now matches none of
// them: which one was meant cannot be told, and a port is never opened on a
// device other than the one chosen.
// Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "midi/PortSession.h"

#include <functional>
#include <string>

//! The devices chosen for the three ports, by name; empty: none.
struct ChosenPorts {
    std::string input;
    std::string output;
    std::string thru;
    bool operator==(const ChosenPorts&) const = default;
};

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
    //! True for the ids of the three lists.
    static bool IsPortList(int id);

    //! `handler` runs after the user changed the choice of ports: a
    //! selection in one of the lists, or a rescan.
    void SetChoiceChanged(std::function<void()> handler) { m_choiceChanged = std::move(handler); }

    //! Closes the ports whose device has gone, one line each (timer).
    void CheckDevices() { m_session.CheckDevices(); }

    //! "Rescan MIDI ports": lists the devices again, says how many, keeps
    //! the open ports on their devices, closes those whose device is not
    //! listed any more, and reopens a lost or failed choice whose device is
    //! listed again, with the lines of a click.
    void Rescan();

    //! The devices chosen now: open, failed to open, or lost with their device.
    ChosenPorts Chosen() const;

    //! Opens the devices named in `ports`, input first, each as a click on
    //! its line would (same lines, the line selected). A name no device
    //! listed now carries, or several do, is reported in one line and its
    //! list is left without a selection.
    void ReopenPorts(const ChosenPorts& ports);

    //! Opens the input suspended by the session on its device again, with
    //! the lines of the steps that fail only.
    void ResumeInput();
    //! Makes `input` and `output` the chosen devices, each as a click on its
    //! line (the same lines, the lines selected); thru is switched off first
    //! when it is open on `output`. Then the choice-changed handler runs.
    void ChoosePair(int input, int output);

private:
    void TransferBoundTexts();
    //! Opens the selected input with its receive buffer; lines for failures only.
    void OpenInput();
    //! True when device `n`, chosen for the output or thru/out port
    //! (`kind`), is open as the other one: then a line says so and the
    //! list of `kind` shows its port again.
    bool HeldByTheOther(PortKind kind, int n);
    std::string DeviceName(PortKind kind, int n) const;
    int DeviceCount(PortKind kind) const;
    //! Acts on the user's choice of line `n` in the list of `kind`.
    void Select(PortKind kind, int n);
    //! The only listed device called `name`: its number, -1 when none is,
    //! -2 when more than one is.
    int FindUnique(PortKind kind, const std::string& name) const;
    //! The line to show for a port open on a device called `name`: the
    //! `preferred` (its old number) when it still carries the name, else
    //! the first of that name; -1 when none.
    int FindLine(PortKind kind, const std::string& name, int preferred) const;
    //! Selects line `n` of the list of `kind` and acts as a click on it.
    void Click(PortKind kind, int n);
    //! Reopens `name` for `kind`, or says in one line why not.
    void Reopen(PortKind kind, const std::string& name);

    IDialogControls& m_controls;
    CPortSession& m_session;
    std::function<void()> m_transferBoundTexts;
    std::function<void()> m_choiceChanged;
};
