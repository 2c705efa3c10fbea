// The three MIDI ports (input, output, thru/out): their state, opening and
// closing with the lines each step logs, the receive buffer of the input,
// the transmitter bound to the output and the capture's thru forwarding
// bound to the thru/out port. The output and the thru/out port are two
// slots of one kind; what differs is only their texts and what they are
// bound to once open.
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
#include <optional>
#include <string>
#include <string_view>

//! One output port as the program holds it. It counts as open after every
//! open attempt, also a failed one; the handle is then null.
struct OutputPortState {
    int32_t index = 0;      //!< device number of the selected device
    bool open = false;
    std::unique_ptr<IMidiOutputPort> handle;
    std::string name;       //!< the device's name, read when it was selected
    bool lost = false;      //!< closed because its device went away; still the user's choice
};

//! Indexes, open marks, handles and names of the three ports.
struct MidiPortState {
    int32_t inputDeviceCount = 0;
    int32_t outputDeviceCount = 0;
    int32_t inputIndex = 0;
    bool inputOpen = false;
    std::unique_ptr<IMidiInputPort> inputHandle;
    std::string inputName;
    bool inputLost = false;  //!< as OutputPortState::lost
    OutputPortState output;
    OutputPortState thru;
};

enum class PortKind { Input, Output, Thru };

//! The port's title as its list's label names it ("Midi Input Port").
std::string_view PortTitle(PortKind kind);

//! What the user chose for one port, as the lists and the settings see it.
struct PortChoice {
    std::string name;      //!< the device's name; empty: nothing chosen
    int index = 0;         //!< its device number
    bool working = false;  //!< open on its device now
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

    // ---- input ----

    //! Selects input device `n` (index and name) without opening it.
    void SelectInputDevice(int n);
    //! Opens and starts the selected input; logs each step that fails.
    void OpenInputPort();
    //! Marks the input as resetting and resets it, which hands the queued
    //! receive buffer back to the callback for release.
    void ResetInputPort();
    //! Resets, stops and closes the input without lines and clears its mark.
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

    //! Selects device `n` for the output (thru/out) without opening it.
    void SelectOutputDevice(int n) { Select(m_state.output, n); }
    void SelectThruDevice(int n) { Select(m_state.thru, n); }
    void OpenOutputPort();
    void CloseOutputPort();
    void OpenThruPort();
    void CloseThruPort();

    // ---- devices that come and go ----

    //! Closes every open port whose device has gone (see above).
    void CheckDevices();
    //! Closes the port of `kind` as its device has gone: quietly, then one
    //! line, and marks it lost.
    void CloseGone(PortKind kind);
    //! Lists the devices again (IMidiPlatform::Rescan) and counts them.
    //! Ports stay as they are; their device numbers are now to be renumbered.
    void Relist();
    //! The port of `kind`, open on its device, is device `n` of the new list.
    void Renumber(PortKind kind, int n);
    //! A port marked open whose open failed counts as lost instead, so that
    //! choosing its device again opens it rather than being taken for a
    //! click on the open port.
    void MarkFailedAsLost(PortKind kind);
    //! The user's choice for `kind`: a port open on its device, one whose
    //! open failed, or one lost with its device. Nothing for a port never
    //! chosen, switched off (thru/out) or closed at teardown.
    PortChoice Choice(PortKind kind) const;

    // ---- teardown ----

    //! Teardown step 1: when the input is marked open, reset, stop and close
    //! it (the mark stays set).
    void TeardownInput();
    //! Teardown steps 1 to 3: the input as above, then the output and the
    //! thru/out port, whether or not they are open.
    void Teardown();

    //! SendSysEx for every request builder; bound to the current output.
    CSysExTransmitter& Transmitter() noexcept { return m_transmitter; }
    CMidiCapture& Capture() noexcept { return m_capture; }
    const MidiPortState& State() const noexcept { return m_state; }
    IMidiPlatform& Platform() noexcept { return m_platform; }
    const IMidiPlatform& Platform() const noexcept { return m_platform; }

private:
    //! The fixed texts of one output slot.
    struct SlotTexts {
        std::string_view openLabel;
        std::string_view closeLabel;
        std::string_view alreadyOpen;
        std::string_view closeFailed;
    };
    static const SlotTexts kOutputTexts;
    static const SlotTexts kThruTexts;

    void Select(OutputPortState& slot, int n);
    void Open(OutputPortState& slot, const SlotTexts& texts);
    void Close(OutputPortState& slot, const SlotTexts& texts);
    //! Closes the slot's port without a line, or leaves it to its MIDI
    //! stack when a send is still inside it.
    void CloseQuietly(OutputPortState& slot);
    //! Makes the open port `port` (or none) the slot's binding: the
    //! transmitter's output, or the capture's thru/out port.
    void Bind(const OutputPortState& slot, IMidiOutputPort* port);
    //! Withdraws the slot's binding; false when the port is still in use by
    //! its MIDI stack (a send that never returned) and must be left to it.
    bool Unbind(const OutputPortState& slot);
    void CloseInputQuietly();
    void Log(std::string_view line) { m_log.AppendLine(line); }

    IMidiPlatform& m_platform;
    CaptureRings& m_rings;
    IMessageSink& m_log;
    CMidiCapture m_capture;
    CSysExTransmitter m_transmitter;
    MidiPortState m_state;
};
