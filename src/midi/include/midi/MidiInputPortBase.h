// What every input port does the same way, whatever the MIDI stack: turning
// whole received messages into notifications, the start/stop state, and the
// single receive buffer the program queues.
//
// Threading contract: DeliverMessage() runs on the driver's thread and takes
// no lock and allocates nothing. Stop(), Reset() and Close() (window thread)
// wait for a delivery that is under way to finish, so that no notification
// overlaps the ones they deliver themselves or follows them.
#pragma once

#include "midi/MidiPlatform.h"

#include <atomic>

//! How a received message is recorded.
struct ClassifiedMessage {
    uint32_t kind;    //!< MidiInMessage value
    uint32_t param1;  //!< packed short message, or the byte count of a long one
};

//! Sorts one message as a driver hands it over: a complete System Exclusive
//! message is long data, one without its F7 a long error, a short message
//! of the right length short data, anything else an error with its first
//! bytes packed.
ClassifiedMessage ClassifyMidiMessage(const uint8_t* bytes, size_t count) noexcept;

class CMidiInputPortBase : public IMidiInputPort {
public:
    explicit CMidiInputPortBase(IMidiInputHandler& handler);
    ~CMidiInputPortBase() override;

    MidiResult Start() override;
    MidiResult Stop() override;
    MidiResult Reset() override;
    MidiResult PrepareHeader(MidiHeader& header) noexcept override;
    MidiResult UnprepareHeader(MidiHeader& header) noexcept override;
    MidiResult AddBuffer(MidiHeader& header) noexcept override;
    MidiResult Close() override;

    //! Driver thread: one complete message as the MIDI stack delivered it.
    void DeliverMessage(const uint8_t* bytes, size_t count) noexcept;

protected:
    //! Delivers MIM_OPEN; derived classes call it once the device is open.
    void NotifyOpened();
    //! Releases the device; after it returns the stack calls no more.
    virtual void CloseDevice() noexcept = 0;
    //! Stops delivery and closes the device without notifications; derived
    //! destructors call it while their device still exists.
    void ForceClose() noexcept;

private:
    void Quiesce() noexcept;

    IMidiInputHandler& m_handler;
    std::atomic<bool> m_started{false};
    std::atomic<uint32_t> m_delivering{0};
    std::atomic<MidiHeader*> m_queued{nullptr};
    bool m_closed = false;
};
