// The three MIDI ports (input, output, thru/out): listing the devices,
// the selection rules of lists 1003, 1004 and 1007, opening and closing with
// their log lines, and the port steps of the teardown.
//
// Threading contract: everything here runs on the window thread. The capture
// callback (CMidiCapture) runs on the driver's thread and reaches the
// thru/out port only through CMidiCapture's atomic thru pointer, which is
// withdrawn before the port is closed. SendSysEx frames go through the
// transmitter thread of CSysExTransmitter, bound to the current output.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/MidiCapture.h"
#include "midi/MidiPlatform.h"
#include "midi/SysExTransmitter.h"
#include "ui/DialogControls.h"

#include <functional>
#include <memory>
#include <string>

//! Indexes, open marks, handles and names of the three ports. A port counts
//! as open after every open attempt, also a failed one; the handle is then
//! null.
struct MidiPortState {
    int32_t inputDeviceCount = 0;
    int32_t outputDeviceCount = 0;
    int32_t inputIndex = 0;
    int32_t outputIndex = 0;
    int32_t thruIndex = 0;
    bool inputOpen = false;
    bool outputOpen = false;
    bool thruOpen = false;
    std::unique_ptr<IMidiInputPort> inputHandle;
    std::unique_ptr<IMidiOutputPort> outputHandle;
    std::unique_ptr<IMidiOutputPort> thruHandle;
    std::string inputName;
    std::string outputName;
    std::string thruName;
};

class CMidiPorts {
public:
    //! Counts the devices and reads the names of input 0 and output 0.
    //! `transferBoundTexts` rewrites the dialog's bound texts into its
    //! controls (after a receive-buffer failure). `platform`, `rings` and
    //! `controls` must outlive this object.
    CMidiPorts(IMidiPlatform& platform, CaptureRings& rings, IDialogControls& controls,
               std::function<void()> transferBoundTexts);
    //! Closes whatever is still open, without lines.
    ~CMidiPorts();

    CMidiPorts(const CMidiPorts&) = delete;
    CMidiPorts& operator=(const CMidiPorts&) = delete;

    //! Fills lists 1003 (inputs), 1004 and 1007 (outputs) in device order.
    void EnumerateMidiPorts();

    //! Selection handlers: `n` is the line the user clicked (a device
    //! number); a negative `n` (no selection) does nothing.
    void OnInputSelect(int n);
    void OnOutputSelect(int n);
    void OnThruSelect(int n);

    void OpenInputPort();
    //! Marks the input as resetting and resets it, which hands the queued
    //! receive buffer back to the callback for release.
    void ResetInputPort();
    void PrepareReceiveBuffer();
    void QueueReceiveBuffer();
    void OpenOutputPort();
    void CloseOutputPort();
    void OpenThruPort();
    void CloseThruPort();

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

private:
    void CloseInputQuietly();
    void Log(const std::string& line) { m_controls.AppendLine(line); }

    IMidiPlatform& m_platform;
    CaptureRings& m_rings;
    IDialogControls& m_controls;
    std::function<void()> m_transferBoundTexts;
    CMidiCapture m_capture;
    CSysExTransmitter m_transmitter;
    MidiPortState m_state;
};
