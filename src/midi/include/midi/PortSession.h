// The three MIDI ports (input, output, thru/out): their state, opening and
// closing with the lines each step logs, the receive buffer of the input,
// the transmitter bound to the output and the capture's thru forwarding
// bound to the thru/out port. All three are one kind of port (CMidiPort)
// with one state machine; what differs is the input's receive buffer, the
// texts each logs, and what an output is bound to once open.
//
// Which list line opens which port, and the rules between the lists, are
// the port lists' business (editors); this class only does what it is told.
//
// Devices that go away. CheckDevices(), polled on the timer, closes a port
// whose device has gone (unplugged, its JACK client ended) quietly, says so
// in one line and marks the port as lost: from then on requests go nowhere
// without a line each, as with no port chosen, and the choice waits for the
// device to come back (a rescan reopens it; see CPortLists).
//
// Threading contract: everything here runs on the window thread. The
// capture callback (CMidiCapture) runs on the driver's thread and reaches
// the thru/out port only through CMidiCapture's atomic thru pointer, which
// is withdrawn before the port is closed. SendSysEx frames go through the
// transmitter's own thread, bound to the current output.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/MessageSink.h"
#include "midi/MidiCapture.h"
#include "midi/MidiPlatform.h"
#include "midi/SysExTransmitter.h"

#include <memory>
#include <string>
#include <string_view>

enum class PortKind { Input, Output, Thru };

//! The port's title as its list's label names it ("Midi Input Port").
std::string_view PortTitle(PortKind kind);

//! Where a port stands. Every port starts Closed; the session moves it:
//!
//!   Closed, Lost --open--> Open, or OpenFailed when no port came of it
//!   Open --close--> Closed; a close the MIDI stack refuses leaves it Open
//!   Open --close, its last send never came back--> Released
//!   Open --teardown (input)--> Released
//!   OpenFailed, Released --close--> Closed, without a line
//!   Open --its device went away--> Lost
//!   OpenFailed, Released --lost (a rescan)--> Lost
//!
//! Open, OpenFailed and Released count as open for the selection rules: a
//! second open is refused with a line, and choosing the same device again
//! does nothing.
enum class PortStatus {
    Closed,      //!< never chosen, closed, or switched off
    Open,        //!< open on its device
    OpenFailed,  //!< the device did not open; the choice stands
    Released,    //!< no port behind it any more (torn down, or left to its MIDI stack); the choice stands
    Lost,        //!< closed because its device went away; the choice waits for it
};

//! One of the three ports: the device chosen for it and where it stands.
class CMidiPort {
public:
    explicit CMidiPort(PortKind kind) : m_kind(kind) {}

    PortKind Kind() const noexcept { return m_kind; }
    PortStatus Status() const noexcept { return m_status; }
    //! Device number and name of the device chosen (name read when chosen).
    int32_t Index() const noexcept { return m_index; }
    const std::string& Name() const noexcept { return m_name; }

    //! Open, OpenFailed or Released: what the selection rules call open.
    bool CountsAsOpen() const noexcept
    {
        return m_status == PortStatus::Open || m_status == PortStatus::OpenFailed ||
               m_status == PortStatus::Released;
    }
    //! A device is chosen for the port: anything but Closed.
    bool Chosen() const noexcept { return m_status != PortStatus::Closed; }

    //! The open port behind an input (null but while Open).
    IMidiInputPort* InputPort() const noexcept { return m_input.get(); }
    //! The port behind an output or the thru/out port: null but while Open.
    IMidiOutputPort* OutputPort() const noexcept { return m_output.get(); }

private:
    friend class CPortSession;

    bool HasPort() const noexcept { return m_input || m_output; }

    // Transitions (see PortStatus).
    void OpenAttempted() { m_status = HasPort() ? PortStatus::Open : PortStatus::OpenFailed; }
    void Closed() { m_status = PortStatus::Closed; }
    void Released() { m_status = PortStatus::Released; }
    void Lost() { m_status = PortStatus::Lost; }

    PortKind m_kind;
    int32_t m_index = 0;
    std::string m_name;
    PortStatus m_status = PortStatus::Closed;
    std::unique_ptr<IMidiInputPort> m_input;
    std::unique_ptr<IMidiOutputPort> m_output;
};

class CPortSession {
public:
    //! Counts the devices and reads the names of input 0 and output 0.
    //! `platform`, `rings` and `log` must outlive this object.
    CPortSession(IMidiPlatform& platform, CaptureRings& rings, IMessageSink& log);
    //! Closes whatever is still open, without lines.
    ~CPortSession();

    CPortSession(const CPortSession&) = delete;
    CPortSession& operator=(const CPortSession&) = delete;

    //! Chooses device `n` (number and name) for the port of `kind`, without
    //! opening it.
    void Select(PortKind kind, int n);
    void SelectInputDevice(int n) { Select(PortKind::Input, n); }
    void SelectOutputDevice(int n) { Select(PortKind::Output, n); }
    void SelectThruDevice(int n) { Select(PortKind::Thru, n); }

    // ---- input ----

    //! Opens and starts the chosen input; logs each step that fails.
    void OpenInputPort();
    //! Marks the input as resetting and resets it, which hands the queued
    //! receive buffer back to the callback for release.
    void ResetInputPort();
    //! Resets, stops and closes the input without lines: Closed.
    void CloseInputPort();
    //! Prepares / queues the receive buffer; false (with a line) on failure.
    bool PrepareReceiveBuffer();
    bool QueueReceiveBuffer();
    //! Closes the open input for a while, without a line and without
    //! handing its receive buffer back for the decoder to report: nothing
    //! arrives from the device until the input is opened again. Index and
    //! name stay; the input counts as closed. False when none was open.
    bool SuspendInput();

    // ---- output and thru/out ----

    void OpenOutputPort() { OpenOutput(m_output); }
    void CloseOutputPort() { CloseOutput(m_output); }
    void OpenThruPort() { OpenOutput(m_thru); }
    void CloseThruPort() { CloseOutput(m_thru); }

    // ---- devices that come and go ----

    //! Closes every open port whose device has gone (see above).
    void CheckDevices();
    //! Closes the open port of `kind` as its device has gone: quietly, then
    //! one line: Lost.
    void CloseGone(PortKind kind);
    //! Lists the devices again (IMidiPlatform::Rescan) and counts them.
    //! Ports stay as they are; their device numbers are now to be renumbered.
    void Relist();
    //! Counts the devices again after the platform's lists changed without
    //! a rescan (a listing taken in from the background); as after Relist().
    void Recount();
    //! The port of `kind`, open on its device, is device `n` of the new list.
    void Renumber(PortKind kind, int n);
    //! A port that counts as open with no port behind it (OpenFailed,
    //! Released) is Lost instead, so that choosing its device again opens
    //! it rather than being taken for a click on the open port.
    void MarkLost(PortKind kind);

    // ---- teardown ----

    //! Teardown step 1: when the input counts as open, reset, stop and close
    //! it; an open input is then Released (it still counts as open).
    void TeardownInput();
    //! Teardown steps 1 to 3: the input as above, then the output and the
    //! thru/out port, whether or not they are open.
    void Teardown();

    const CMidiPort& Port(PortKind kind) const noexcept;
    int32_t InputDeviceCount() const noexcept { return m_inputDeviceCount; }
    int32_t OutputDeviceCount() const noexcept { return m_outputDeviceCount; }

    //! SendSysEx for every request builder; bound to the current output.
    CSysExTransmitter& Transmitter() noexcept { return m_transmitter; }
    CMidiCapture& Capture() noexcept { return m_capture; }
    IMidiPlatform& Platform() noexcept { return m_platform; }
    const IMidiPlatform& Platform() const noexcept { return m_platform; }

private:
    //! The fixed texts of an output or the thru/out port.
    struct OutputTexts {
        std::string_view openLabel;
        std::string_view closeLabel;
        std::string_view alreadyOpen;
        std::string_view closeFailed;
    };
    static const OutputTexts& TextsOf(const CMidiPort& port);

    CMidiPort& PortOf(PortKind kind) noexcept;
    void OpenOutput(CMidiPort& port);
    void CloseOutput(CMidiPort& port);
    //! Closes the port without a line, or leaves it to its MIDI stack when a
    //! send is still inside it. Its status is the caller's to set.
    void ClosePortQuietly(CMidiPort& port);
    //! Makes `output` (or none) the binding of an output port: the
    //! transmitter's output, or the capture's thru/out port.
    void Bind(const CMidiPort& port, IMidiOutputPort* output);
    //! Withdraws an output port's binding; false when the port is still in
    //! use by its MIDI stack (a send that never returned) and must be left
    //! to it.
    bool Unbind(const CMidiPort& port);
    //! Stops and closes the input, and lets go of its port.
    void CloseInputQuietly();
    void Log(std::string_view line) { m_log.AppendLine(line); }
    //! True for MIDI_OK; any other result is logged after `label`.
    bool Succeeded(std::string_view label, MidiResult result);

    IMidiPlatform& m_platform;
    CaptureRings& m_rings;
    IMessageSink& m_log;
    CMidiCapture m_capture;
    CSysExTransmitter m_transmitter;
    int32_t m_inputDeviceCount = 0;
    int32_t m_outputDeviceCount = 0;
    CMidiPort m_input{PortKind::Input};
    CMidiPort m_output{PortKind::Output};
    CMidiPort m_thru{PortKind::Thru};
};
