#include "midi/SysExTransmitter.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char kLongMsgLabel[] = "midiOutLongMsg        ";
static_assert(sizeof(kLongMsgLabel) - 1 == 22);

using Clock = std::chrono::steady_clock;

} // namespace

struct CSysExTransmitter::Shared {
    std::mutex mutex;
    std::condition_variable wake;     //!< work queued, output changed, or stop
    std::condition_variable progress; //!< a send returned or the queue ran empty
    std::deque<std::vector<uint8_t>> queue;
    IMidiOutputPort* port = nullptr;
    Clock::time_point nextSend{};
    std::vector<MidiResult> failures;
    uint64_t sent = 0;
    //! Frames handed to `port` that it may still hold, newest last.
    std::deque<std::vector<uint8_t>> handed;
    //! Frames whose send failed, newest last (at most kKeptFailures).
    std::deque<std::vector<uint8_t>> failed;

    //! Under the lock: forgets the handed frames the port has let out.
    void TrimHanded()
    {
        const size_t held = port ? port->MessagesHeld() : 0;
        while (handed.size() > held)
            handed.pop_front();
    }
};

struct CSysExTransmitter::Worker {
    std::thread thread;
    IMidiOutputPort* sending = nullptr;  //!< port a send is under way on
    bool busy = false;                   //!< holds a frame taken from the queue
    bool stop = false;
    bool exited = false;
    bool refused = false;                //!< the head frame met a full port queue
    Clock::time_point refusedSince{};
    //! The frame being handed over while busy: the worker reads it without
    //! the lock and changes it only under it. Each worker has its own, so a
    //! worker left behind in a stuck port keeps its frame.
    std::vector<uint8_t> inFlight;
};

CSysExTransmitter::CSysExTransmitter(IMessageSink& log)
    : m_log(log)
    , m_shared(std::make_shared<Shared>())
{
    StartWorker();
}

CSysExTransmitter::~CSysExTransmitter()
{
    Shutdown();
    std::unique_lock lock(m_shared->mutex);
    m_worker->stop = true;
    m_shared->wake.notify_all();
    // A worker stuck inside a MIDI stack is left behind rather than waited
    // for; it holds its own references to the shared state.
    const bool exited = m_shared->progress.wait_for(lock, kSendTimeout, [&] { return m_worker->exited; });
    lock.unlock();
    if (exited)
        m_worker->thread.join();
    else
        m_worker->thread.detach();
}

void CSysExTransmitter::StartWorker()
{
    m_worker = std::make_shared<Worker>();
    m_worker->thread = std::thread(&CSysExTransmitter::Run, m_shared, m_worker);
}

void CSysExTransmitter::Run(std::shared_ptr<Shared> shared, std::shared_ptr<Worker> worker)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        if (worker->stop)
            break;
        if (shared->queue.empty() || shared->port == nullptr) {
            shared->progress.notify_all();
            shared->wake.wait(lock);
            continue;
        }
        IMidiOutputPort* port = shared->port;
        const auto now = Clock::now();
        if (port->WireBytesPerSecond() != 0 && now < shared->nextSend) {
            shared->wake.wait_until(lock, shared->nextSend);
            continue;
        }
        worker->inFlight = std::move(shared->queue.front());
        shared->queue.pop_front();
        const size_t size = worker->inFlight.size();
        worker->sending = port;
        worker->busy = true;
        lock.unlock();
        const MidiResult result = port->SendLong(worker->inFlight.data(), size);
        lock.lock();
        worker->sending = nullptr;
        worker->busy = false;
        std::vector<uint8_t> frame = std::move(worker->inFlight);
        worker->inFlight.clear();
        if (worker->stop)
            break;
        if (result == MIDI_ERR_BUSY && shared->port == port) {
            // The port's queue is full; its MIDI stack empties it at its own
            // pace (each JACK cycle). The frame goes back to the head and is
            // tried again, so a burst larger than the queue still arrives
            // whole and in order. A port that takes nothing for
            // kSendTimeout gets the failure reported instead.
            if (!worker->refused) {
                worker->refused = true;
                worker->refusedSince = now;
            }
            if (Clock::now() - worker->refusedSince < kSendTimeout) {
                shared->queue.push_front(std::move(frame));
                shared->wake.wait_for(lock, kBusyRetry);
                continue;
            }
        }
        // A frame refused as busy by a port that has been unbound meanwhile
        // was sent nowhere: it is reported with the failures.
        worker->refused = false;
        if (result != MIDI_OK) {
            shared->failures.push_back(result);
            shared->failed.push_back(std::move(frame));
            if (shared->failed.size() > kKeptFailures)
                shared->failed.pop_front();
        } else {
            ++shared->sent;
            if (shared->port == port) {
                shared->handed.push_back(std::move(frame));
                shared->TrimHanded();
            }
        }
        if (const uint32_t rate = port->WireBytesPerSecond(); rate != 0 && shared->port == port) {
            const auto start = std::max(now, shared->nextSend);
            shared->nextSend = start + std::chrono::microseconds(size * 1000000ull / rate);
        }
        shared->progress.notify_all();
    }
    worker->exited = true;
    shared->progress.notify_all();
}

void CSysExTransmitter::SendSysEx(int32_t count, const uint8_t* bytes)
{
    ReportFailures();
    if (count < 0 || bytes == nullptr) {
        m_log.AppendLine(std::string(kLongMsgLabel) + MidiResultText(MIDI_ERR_INVALPARAM));
        return;
    }
    const size_t size = static_cast<size_t>(count) + 2;
    {
        std::lock_guard lock(m_shared->mutex);
        IMidiOutputPort* port = m_shared->port;
        if (port == nullptr)
            return;
        if (size <= port->MaxLongMessage()) {
            m_shared->queue.emplace_back(bytes, bytes + size);
            m_shared->wake.notify_all();
            return;
        }
    }
    m_log.AppendLine(std::string(kLongMsgLabel) + MidiResultText(MIDI_ERR_TOOLONG));
}

bool CSysExTransmitter::SetOutput(IMidiOutputPort* port)
{
    size_t dropped = 0;
    bool settled = true;
    {
        std::unique_lock lock(m_shared->mutex);
        IMidiOutputPort* previous = m_shared->port;
        if (previous == port)
            return true;
        dropped = m_shared->queue.size();
        m_shared->queue.clear();
        m_shared->handed.clear();  // the old port's own close lets them out
        m_worker->refused = false;  // the refused frame was among those
        m_shared->port = port;
        m_shared->nextSend = Clock::now();
        m_shared->wake.notify_all();
        if (previous != nullptr) {
            settled = m_shared->progress.wait_for(lock, kSendTimeout,
                                                  [&] { return m_worker->sending != previous; });
            if (!settled) {
                // Leave the stuck thread to its port and carry on with a new one.
                m_worker->stop = true;
                m_worker->thread.detach();
                StartWorker();
            }
        }
    }
    if (dropped != 0)
        m_log.AppendLine(std::to_string(dropped) + " SysEx frame(s) not sent: the output port was closed");
    return settled;
}

void CSysExTransmitter::ReportFailures()
{
    std::vector<MidiResult> failures;
    {
        std::lock_guard lock(m_shared->mutex);
        failures.swap(m_shared->failures);
    }
    for (MidiResult result : failures)
        m_log.AppendLine(std::string(kLongMsgLabel) + MidiResultText(result));
}

bool CSysExTransmitter::WaitUntilSent(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->progress.wait_for(lock, timeout, [&] {
        return (m_shared->queue.empty() || m_shared->port == nullptr) && !m_worker->busy;
    });
}

bool CSysExTransmitter::Flush(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    IMidiOutputPort* port = nullptr;
    {
        std::unique_lock lock(m_shared->mutex);
        if (!m_shared->progress.wait_until(lock, deadline, [&] {
                return (m_shared->queue.empty() || m_shared->port == nullptr) && !m_worker->busy;
            }))
            return false;
        port = m_shared->port;
    }
    // Only this thread unbinds the port, so it stays valid while we wait.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return port == nullptr || port->WaitUntilOut(std::max(left, std::chrono::milliseconds(0)));
}

std::vector<std::vector<uint8_t>> CSysExTransmitter::NotSent() const
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->TrimHanded();
    std::vector<std::vector<uint8_t>> frames(m_shared->failed.begin(), m_shared->failed.end());
    frames.insert(frames.end(), m_shared->handed.begin(), m_shared->handed.end());
    if (m_worker->busy)
        frames.push_back(m_worker->inFlight);
    frames.insert(frames.end(), m_shared->queue.begin(), m_shared->queue.end());
    return frames;
}

uint64_t CSysExTransmitter::FramesSent() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->sent;
}

bool CSysExTransmitter::Shutdown()
{
    std::unique_lock lock(m_shared->mutex);
    IMidiOutputPort* previous = m_shared->port;
    m_shared->queue.clear();
    m_shared->handed.clear();
    m_worker->refused = false;
    m_shared->port = nullptr;
    m_shared->wake.notify_all();
    if (previous == nullptr
        || m_shared->progress.wait_for(lock, kSendTimeout, [&] { return m_worker->sending != previous; }))
        return true;
    m_worker->stop = true;
    m_worker->thread.detach();
    StartWorker();
    return false;
}
