// The MIDI services the port logic, the capture callback and the transmitter
// build on, independent of the MIDI stack underneath (RtMidi on ALSA, a JACK
// client of our own, or the built-in simulated devices).
//
// Every operation returns a MidiResult; MidiResultText() gives the line of
// text the message window shows for it.
//
// Threading contract:
//  - IMidiPlatform, opening and closing, Start/Stop/Reset run on the window
//    thread.
//  - IMidiInputHandler::OnMidiInput runs on the driver's thread for received
//    data, and on the window thread for the open and close notifications and
//    for the buffer that Reset() hands back. The port guarantees that calls
//    never overlap, and that none is running or will start once Stop(),
//    Reset() or Close() has returned.
//  - PrepareHeader, UnprepareHeader and AddBuffer may be called from inside
//    OnMidiInput (to re-arm or release the receive buffer); they take no lock.
//  - An output port is used by one thread at a time; SendShort takes no lock
//    and allocates nothing, so the capture callback may forward through it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

using MidiResult = int32_t;

enum MidiResultCode : MidiResult {
    MIDI_OK = 0,
    MIDI_ERR_BADDEVICEID,   //!< device number out of range
    MIDI_ERR_DEVICEGONE,    //!< the listed device no longer exists
    MIDI_ERR_OPENFAILED,    //!< the MIDI stack refused to open the device
    MIDI_ERR_INVALHANDLE,   //!< no port behind the handle
    MIDI_ERR_INVALPARAM,
    MIDI_ERR_UNPREPARED,    //!< buffer queued or released without being prepared
    MIDI_ERR_STILLPLAYING,  //!< the buffer is still queued
    MIDI_ERR_BUFFERQUEUED,  //!< the port already holds a receive buffer
    MIDI_ERR_TOOLONG,       //!< message longer than the port can carry
    MIDI_ERR_NODRIVER,      //!< the MIDI stack has gone away
    MIDI_ERR_SENDFAILED,
    MIDI_ERR_BUSY,          //!< the port cannot take more data now
    MIDI_ERR_BADMESSAGE,    //!< not a MIDI message
    MIDI_ERR_COUNT_
};

//! The text shown for a result; static storage, safe on any thread.
const char* MidiResultText(MidiResult result) noexcept;

//! Header flags of the receive buffer.
enum MidiHeaderFlags : uint32_t {
    MHDR_DONE = 1,      //!< handed back to the program
    MHDR_PREPARED = 2,
    MHDR_INQUEUE = 4,   //!< held by the port, waiting for data
};

//! The receive buffer's header. The port fills `data` and `bytesRecorded`
//! when it hands the header back: every platform delivers each System
//! Exclusive message whole, so `data` then points at the driver's copy
//! of the complete message (valid during the callback only) and
//! `bytesRecorded` may exceed `bufferLength`. A header handed back by Reset()
//! carries no data.
struct MidiHeader {
    const uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    uint32_t flags = 0;
};

class IMidiInputPort;

//! Receives every notification of an input port (see the threading contract).
class IMidiInputHandler {
public:
    virtual ~IMidiInputHandler() = default;

    //! `kind` is a MidiInMessage value. `param1` is the packed short message
    //! for MIM_DATA and MIM_ERROR, the number of bytes for MIM_LONGDATA and
    //! MIM_LONGERROR. `header` is the receive buffer for MIM_LONGDATA and,
    //! when one was queued, for MIM_LONGERROR; otherwise null.
    virtual void OnMidiInput(IMidiInputPort& port, uint32_t kind, uint32_t param1, MidiHeader* header) noexcept = 0;
};

//! An open input. Data is delivered only between Start() and Stop()/Reset();
//! System Exclusive data only while a receive buffer is queued.
class IMidiInputPort {
public:
    virtual ~IMidiInputPort() = default;

    virtual MidiResult Start() = 0;
    //! Stops delivery; a queued buffer stays queued.
    virtual MidiResult Stop() = 0;
    //! Stops delivery and hands a queued buffer back, empty, as MIM_LONGDATA
    //! before returning.
    virtual MidiResult Reset() = 0;
    virtual MidiResult PrepareHeader(MidiHeader& header) noexcept = 0;
    virtual MidiResult UnprepareHeader(MidiHeader& header) noexcept = 0;
    //! Queues the prepared header; the port holds at most one.
    virtual MidiResult AddBuffer(MidiHeader& header) noexcept = 0;
    //! Closes the device (MIM_CLOSE is delivered first). Fails with
    //! MIDI_ERR_STILLPLAYING while a buffer is queued; destroying the port
    //! closes it in any case.
    virtual MidiResult Close() = 0;
    //! True once the device behind the port has gone away (unplugged, its
    //! JACK client or the MIDI system ended): nothing will arrive any more.
    //! Window thread; may ask the MIDI stack, so it is polled, not called per
    //! message. Devices that cannot vanish (the simulated ones) never are.
    virtual bool DeviceGone() noexcept { return false; }
};

//! Gives `port` the `size` bytes at `buffer` as an empty receive buffer:
//! fills in `header`, prepares it and queues it. True when the port took it.
//! Allocates nothing, so an input's callback may hand its buffer back.
inline bool QueueEmptyReceiveBuffer(IMidiInputPort& port, MidiHeader& header, uint8_t* buffer, uint32_t size) noexcept
{
    header.data = buffer;
    header.bufferLength = size;
    header.bytesRecorded = 0;
    header.flags = 0;
    return port.PrepareHeader(header) == MIDI_OK && port.AddBuffer(header) == MIDI_OK;
}

//! An open output.
class IMidiOutputPort {
public:
    virtual ~IMidiOutputPort() = default;

    //! Sends one short message packed as MIM_DATA carries it (status byte in
    //! the low byte); the status byte decides how many bytes go out.
    virtual MidiResult SendShort(uint32_t packed) noexcept = 0;
    //! Sends one complete System Exclusive message.
    virtual MidiResult SendLong(const uint8_t* bytes, size_t count) noexcept = 0;
    //! The longest message SendLong accepts.
    virtual size_t MaxLongMessage() const noexcept = 0;
    //! Bytes per second the port's wire carries; 0 for virtual ports, which
    //! need no pacing.
    virtual uint32_t WireBytesPerSecond() const noexcept = 0;
    virtual MidiResult Close() = 0;
    //! True once the device behind the port has gone away; as for inputs.
    //! Window thread, while another thread may be sending on the port.
    virtual bool DeviceGone() noexcept { return false; }

    //! Ports that keep what they accepted for their MIDI stack to take later
    //! (a JACK port's queue, written out cycle by cycle) say here how many of
    //! the messages they accepted have not yet left the port for the MIDI
    //! system. Any thread. Ports that hand each message over within the send
    //! hold none.
    virtual size_t MessagesHeld() const noexcept { return 0; }
    //! Waits until every message the port accepted so far has left it, at
    //! most `timeout`; false when some has not (time-out, or the MIDI system
    //! is gone and nothing will take it any more).
    virtual bool WaitUntilOut(std::chrono::milliseconds /*timeout*/) noexcept { return true; }
};

//! Device enumeration and opening. The device lists are taken when the
//! platform is created and again on Rescan(), never in between; device
//! numbers index those lists.
class IMidiPlatform {
public:
    virtual ~IMidiPlatform() = default;

    //! Lists the devices again. Open ports stay open and keep their device;
    //! only the numbering changes. Platforms whose devices are fixed (the
    //! simulated ones) keep their list.
    virtual void Rescan() {}
    //! The ports are chosen and the lists will not be needed again soon:
    //! what a platform holds only for listing may go, in the background, so
    //! that its closing costs no one time. Names already listed stay; a
    //! later open or Rescan() still works.
    virtual void ListingDone() {}
    //! Whether a listing taken in the background (a platform created so,
    //! slow to list) has yet to be taken in. Until then the platform lists
    //! none of its devices; asking for it never blocks.
    virtual bool ListingPending() const { return false; }
    //! Takes in the listing made in the background, once it is done or,
    //! with `wait`, waiting for it. True when it was taken in: the
    //! numbering then changes as after Rescan().
    virtual bool TakeListing(bool /*wait*/) { return false; }

    virtual int InputDeviceCount() const = 0;
    virtual int OutputDeviceCount() const = 0;
    //! Name as users recognise it; empty for a number out of range.
    virtual std::string InputDeviceName(int device) const = 0;
    virtual std::string OutputDeviceName(int device) const = 0;

    //! Opens input `device`, delivering to `handler`. On success `port` holds
    //! the open port (stopped, no buffer queued) and MIM_OPEN has been
    //! delivered; on failure `port` is null.
    virtual MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) = 0;
    virtual MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) = 0;
};

//! Wire speed of a hardware MIDI port, in bytes per second.
constexpr uint32_t kMidiWireBytesPerSecond = 3125;

//! True for a port that an instance of the program opened itself: the MIDI
//! system names its client after `clientName` (perhaps with a number
//! appended) and our port names start with it too.
bool IsOwnPort(const std::string& name, const std::string& clientName);

//! Number of bytes a short message with this status byte occupies (1 to 3);
//! 0 for a data byte, F0 and F7, which start or end no short message, and
//! for the undefined status bytes F4 and F5, which start none either.
constexpr size_t ShortMessageLength(uint8_t status)
{
    if (status < 0x80 || status == 0xF0 || status == 0xF7 || status == 0xF4 || status == 0xF5)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2)
        return 3;
    if (status < 0xE0 || status == 0xF1 || status == 0xF3)
        return 2;
    return 1;
}
