// The input and output ports of our JACK client (see CJackClient).
//
// Threading contract:
//  - Process() runs on JACK's process thread, called by the client's process
//    callback for every published port in each cycle: all inputs first, then
//    all outputs. It takes no lock, allocates nothing and never waits.
//  - Input: Start/Stop/Reset/Close follow CMidiInputPortBase (window
//    thread); every message is delivered through DeliverMessage() on the
//    process thread, System Exclusive split over several JACK events put
//    back together first in a buffer fixed at open.
//  - Output: SendShort/SendLong run on one producing thread at a time: the
//    transmitter's thread for the output, the window thread and then the
//    capture callback (on the process thread) for the thru/out port. They
//    queue the message into the port's fixed ring and return at once; the
//    next cycle writes what fits into JACK's port buffer and keeps the rest
//    for the cycle after. A full ring gives MIDI_ERR_BUSY, a message longer
//    than MaxLongMessage() MIDI_ERR_TOOLONG, a server that has gone away
//    MIDI_ERR_NODRIVER: nothing is dropped without a result saying so.
//  - A message counts as out once the cycle after the one that wrote it has
//    begun: by then every reader of our port has had that cycle, also one
//    that runs before us because it feeds us back (JACK breaks such a loop
//    by letting the reader see our previous cycle). MessagesHeld() and
//    WaitUntilOut() count from there.
//  - Close() (window thread) lets the callback write what is still queued
//    (bounded wait), then withdraws the port and releases it.
#pragma once

#include "midi/jack/JackClient.h"
#include "midi/MidiInputPortBase.h"
#include "midi/MidiMessageQueue.h"
#include "midi/MidiOutputPortBase.h"
#include "midi/SysExAssembler.h"

#include <jack/jack.h>

#include <atomic>
#include <memory>

class CJackInputPort final : public CMidiInputPortBase {
public:
    //! The longest System Exclusive message put back together from pieces;
    //! one JACK event can carry no more than about half of it.
    static constexpr size_t kMaxAssembledSysEx = ::kMaxAssembledSysEx;

    //! `port` is registered in `slot` of `client` and is to receive from
    //! `device`; the constructor publishes it to the process callback, which
    //! delivers nothing until Start().
    CJackInputPort(IMidiInputHandler& handler, std::shared_ptr<CJackClient> client, int slot, jack_port_t* port,
                   std::string device);
    ~CJackInputPort() override;

    //! The connection from the device is gone (the device's client left, or
    //! the server did).
    bool DeviceGone() noexcept override;

    //! Delivers MIM_OPEN once the connection to the device is made.
    void Opened() { NotifyOpened(); }

    //! Process thread: delivers the cycle's events.
    void Process(jack_nframes_t frames) noexcept;

protected:
    void CloseDevice() noexcept override;

private:
    std::shared_ptr<CJackClient> m_client;
    int m_slot;
    jack_port_t* m_port;
    std::string m_device;
    CSysExAssembler m_assembler{kMaxAssembledSysEx};
};

class CJackOutputPort final : public CMidiOutputPortBase {
public:
    //! Bytes queued per port: two of the longest messages JACK's buffer
    //! takes in one cycle, or thousands of short ones.
    static constexpr size_t kQueueSize = 65536;
    //! What MaxLongMessage() assumes until a cycle has measured JACK's
    //! buffer; above every frame the program sends.
    static constexpr size_t kUnmeasuredMaxMessage = 1024;
    //! How long Close() lets queued messages drain.
    static constexpr std::chrono::milliseconds kDrainTimeout{1000};

    //! `port` is registered in `slot` of `client` and is to feed `device`;
    //! the constructor publishes it. `wireBytesPerSecond` is 0 for a virtual
    //! device.
    CJackOutputPort(std::shared_ptr<CJackClient> client, int slot, jack_port_t* port, std::string device,
                    uint32_t wireBytesPerSecond);
    ~CJackOutputPort() override;

    CJackOutputPort(const CJackOutputPort&) = delete;
    CJackOutputPort& operator=(const CJackOutputPort&) = delete;

    //! The smaller of what the ring holds and what JACK's port buffer takes
    //! as one event when empty (measured every cycle).
    size_t MaxLongMessage() const noexcept override;
    uint32_t WireBytesPerSecond() const noexcept override { return m_wireBytesPerSecond; }
    MidiResult Close() override;
    //! The connection to the device is gone; as for inputs.
    bool DeviceGone() noexcept override;
    size_t MessagesHeld() const noexcept override;
    bool WaitUntilOut(std::chrono::milliseconds timeout) noexcept override;

    //! Process thread: writes the cycle's events.
    void Process(jack_nframes_t frames) noexcept;

protected:
    //! Besides the results above: MIDI_ERR_SENDFAILED, this message not
    //! sent, once after the process callback had to discard a queued
    //! message because JACK's port buffer had shrunk below its size.
    MidiResult Put(const uint8_t* bytes, size_t count) noexcept override;

private:

    std::shared_ptr<CJackClient> m_client;
    int m_slot;
    jack_port_t* m_port;
    std::string m_device;
    uint32_t m_wireBytesPerSecond;
    CMidiMessageQueue m_queue{kQueueSize};
    std::atomic<uint32_t> m_accepted{0};      //!< messages queued so far (producer)
    uint32_t m_taken = 0;                     //!< messages the callback took from the queue
    std::atomic<uint32_t> m_out{0};           //!< of those, taken in a cycle that is over
    std::atomic<size_t> m_maxEvent{0};        //!< 0 until measured
    std::atomic<uint32_t> m_discarded{0};     //!< written by the callback
    uint32_t m_discardedReported = 0;         //!< producer's side
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_drained{false};       //!< closing, queue empty, buffer cleared
    std::atomic<bool> m_closed{false};
};
