// The transmitter behind SendSysEx: every frame is copied into a queue and
// sent, whole and in call order, by a thread of its own, so that the window
// thread never waits on a MIDI stack (an ALSA send may block; a JACK port's
// queue may be full until the next cycles empty it) and callers may reuse
// their frame at once. A port that answers MIDI_ERR_BUSY gets the frame
// again shortly after, for up to kSendTimeout.
//
// Frames to a port with a wire speed (a hardware MIDI port) are paced so that
// a burst never outruns the wire: the next frame starts no earlier than the
// previous one can have left it. Virtual ports are not paced.
//
// A frame has left once the port has let it out onto the MIDI system (a JACK
// port holds what it accepted until its next cycles write it out). Tools
// that end right after sending Flush() first, and NotSent() names what
// still did not leave.
//
// Threading contract: SendSysEx, SetOutput, ReportFailures, Flush and
// Shutdown run on the window thread, which also owns the message sink given
// to the constructor; NotSent may be called from any thread. The transmitter
// thread only calls SendLong and MessagesHeld on the bound port.
#pragma once

#include "midi/MidiPlatform.h"
#include "midi/SysExSender.h"
#include "midi/MessageSink.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

class CSysExTransmitter : public ISysExSender {
public:
    //! How long SetOutput waits for a send that is under way on the old port.
    static constexpr std::chrono::milliseconds kSendTimeout{2000};
    //! How soon a frame the port refused as busy is offered again.
    static constexpr std::chrono::milliseconds kBusyRetry{1};

    explicit CSysExTransmitter(IMessageSink& log);
    ~CSysExTransmitter() override;

    CSysExTransmitter(const CSysExTransmitter&) = delete;
    CSysExTransmitter& operator=(const CSysExTransmitter&) = delete;

    //! Queues a copy of the count + 2 bytes for the bound output. With no
    //! output bound the frame goes nowhere, as with no port chosen. A frame
    //! longer than the port carries is refused with a line.
    void SendSysEx(int32_t count, const uint8_t* bytes) override;

    //! Binds the output that frames queued from now on go to (null: none).
    //! Frames still queued for the previous output are not sent to another
    //! port: they are dropped with one line saying how many. Returns false
    //! when a send on the previous output did not return within
    //! kSendTimeout: that port is then stuck inside its MIDI stack and must
    //! neither be closed nor destroyed.
    bool SetOutput(IMidiOutputPort* port);

    //! Appends one line per send failure the transmitter thread met since
    //! the last call. Call it on every timer tick.
    void ReportFailures();

    //! Waits until every queued frame has been handed to the port; false on
    //! time-out. For tools and tests.
    bool WaitUntilSent(std::chrono::milliseconds timeout);
    //! Waits until every queued frame has been handed to the port and the
    //! port has let it out (IMidiOutputPort::WaitUntilOut), at most
    //! `timeout` in all; false when some frame is still inside.
    bool Flush(std::chrono::milliseconds timeout);
    //! The frames that have not left, oldest first: those whose send failed
    //! (the last kKeptFailures), those the bound port still holds, the one
    //! being handed over and those still queued.
    std::vector<std::vector<uint8_t>> NotSent() const;
    //! Failed frames kept for NotSent().
    static constexpr size_t kKeptFailures = 64;

    //! Frames handed to a port so far.
    uint64_t FramesSent() const;

    //! Unbinds the output and drops queued frames without a line (the
    //! window is going away). Returns false as SetOutput does.
    bool Shutdown();

private:
    struct Shared;
    struct Worker;
    void StartWorker();
    static void Run(std::shared_ptr<Shared> shared, std::shared_ptr<Worker> worker);

    IMessageSink& m_log;
    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Worker> m_worker;
};
