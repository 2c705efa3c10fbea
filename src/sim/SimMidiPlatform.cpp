#include "sim/SimMidiPlatform.h"

#include "sim/SimulatedBox.h"
#include "midi/MidiInputPortBase.h"
#include "midi/MidiMessageQueue.h"
#include "midi/MidiOutputPortBase.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

// ---- simulated input ----

class CSimMidiPlatform::CInputPort : public CMidiInputPortBase {
public:
    CInputPort(CSimMidiPlatform& platform, IMidiInputHandler& handler)
        : CMidiInputPortBase(handler)
        , m_platform(platform)
    {
    }
    ~CInputPort() override { ForceClose(); }

    void Opened() { NotifyOpened(); }

protected:
    void CloseDevice() noexcept override { m_platform.Unregister(this); }

private:
    CSimMidiPlatform& m_platform;
};

// ---- simulated output ----

// Single producer (whoever owns the port), single consumer (the simulator
// thread), through a fixed queue of whole messages.
class CSimMidiPlatform::COutputPort : public CMidiOutputPortBase {
public:
    explicit COutputPort(CSimMidiPlatform& platform)
        : m_platform(platform)
    {
    }
    ~COutputPort() override { Close(); }

    size_t MaxLongMessage() const noexcept override { return kMaxMessage; }
    uint32_t WireBytesPerSecond() const noexcept override { return 0; }

    MidiResult Close() override
    {
        if (m_closed)
            return MIDI_ERR_INVALHANDLE;
        m_closed = true;
        m_platform.Unregister(this);
        return MIDI_OK;
    }

    //! Simulator thread (or the closer, under the platform's mutex): passes
    //! every complete message to `take`.
    template <typename Take>
    void Drain(std::vector<uint8_t>& scratch, Take&& take)
    {
        CMidiMessageQueue::Front front;
        while (m_queue.Peek(front)) {
            scratch.resize(front.size);
            m_queue.CopyFront(scratch.data(), front.size);
            m_queue.Pop(front.size);
            take(scratch.data(), scratch.size());
        }
    }

protected:
    MidiResult Put(const uint8_t* bytes, size_t count) noexcept override
    {
        if (m_closed)
            return MIDI_ERR_INVALHANDLE;
        if (!m_queue.Push(bytes, count, 0))
            return MIDI_ERR_BUSY;
        m_platform.Wake();
        return MIDI_OK;
    }

private:
    static_assert(kMaxMessage <= kOutputRingSize - CMidiMessageQueue::kHeaderSize);

    CSimMidiPlatform& m_platform;
    CMidiMessageQueue m_queue{kOutputRingSize};
    bool m_closed = false;
};

// ---- platform ----

CSimMidiPlatform::CSimMidiPlatform(std::unique_ptr<ISimDevice> device, SimTiming timing, std::string name)
    : m_device(device ? std::move(device) : std::make_unique<CSimulatedBox>())
    , m_timing(timing)
    , m_name(std::move(name))
    , m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    m_thread = std::thread(&CSimMidiPlatform::Run, this);
}

CSimMidiPlatform::~CSimMidiPlatform()
{
    m_stop.store(true, std::memory_order_release);
    m_pending.store(0);
    Wake();
    m_thread.join();
    close(m_wakeFd);
}

std::string CSimMidiPlatform::InputDeviceName(int device) const
{
    return device == 0 ? m_name : "";
}

std::string CSimMidiPlatform::OutputDeviceName(int device) const
{
    return device == 0 ? m_name : "";
}

MidiResult CSimMidiPlatform::OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port)
{
    port.reset();
    if (device != 0)
        return MIDI_ERR_BADDEVICEID;
    auto input = std::make_unique<CInputPort>(*this, handler);
    {
        std::lock_guard lock(m_mutex);
        m_inputs.push_back(input.get());
    }
    input->Opened();
    port = std::move(input);
    return MIDI_OK;
}

MidiResult CSimMidiPlatform::OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port)
{
    port.reset();
    if (device != 0)
        return MIDI_ERR_BADDEVICEID;
    auto output = std::make_unique<COutputPort>(*this);
    {
        std::lock_guard lock(m_mutex);
        m_outputs.push_back(output.get());
    }
    port = std::move(output);
    return MIDI_OK;
}

void CSimMidiPlatform::Reply(const uint8_t* bytes, size_t count)
{
    // Called with m_mutex held, by the simulator thread or by a closing output.
    if (m_timing == SimTiming::Instant) {
        Deliver(bytes, count);
        return;
    }
    if (m_wireBytes + count > kMaxWireBacklog)
        return;  // a real box would be busy this long; the excess is lost
    // Each byte takes 1/3125 s on the cable; a message is delivered once its
    // last byte is in, as a driver hands over whole messages.
    const auto now = Clock::now();
    const auto start = std::max(now, m_wireFreeAt);
    m_wireFreeAt = start + std::chrono::microseconds(count * 1000000 / kMidiWireBytesPerSecond);
    m_wire.push_back({std::vector<uint8_t>(bytes, bytes + count), m_wireFreeAt});
    m_wireBytes += count;
}

void CSimMidiPlatform::Deliver(const uint8_t* bytes, size_t count)
{
    for (CInputPort* input : m_inputs)
        input->DeliverMessage(bytes, count);
}

CSimMidiPlatform::Clock::time_point CSimMidiPlatform::DeliverDue(Clock::time_point now)
{
    while (!m_wire.empty() && m_wire.front().due <= now) {
        const WireMessage& message = m_wire.front();
        Deliver(message.bytes.data(), message.bytes.size());
        m_wireBytes -= message.bytes.size();
        m_wire.pop_front();
    }
    return m_wire.empty() ? Clock::time_point::max() : m_wire.front().due;
}

void CSimMidiPlatform::Wake() noexcept
{
    // One write per batch: a sender finding the flag set knows the thread
    // has yet to look. Writing to an eventfd neither locks nor allocates.
    if (m_pending.exchange(1, std::memory_order_acq_rel) == 0)
        (void)eventfd_write(m_wakeFd, 1);
}

void CSimMidiPlatform::Run()
{
    // How often a device that needs time (the box playing) gets it.
    constexpr auto kTick = std::chrono::milliseconds(5);

    std::vector<uint8_t> scratch;
    auto lastAdvance = Clock::now();
    while (!m_stop.load(std::memory_order_acquire)) {
        const bool sent = m_pending.exchange(0, std::memory_order_acq_rel) != 0;
        Clock::time_point wakeAt;
        {
            std::lock_guard lock(m_mutex);
            const auto now = Clock::now();
            if (m_device->NeedsTime()) {
                const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - lastAdvance);
                m_device->Advance(static_cast<uint64_t>(elapsed.count()), *this);
            }
            lastAdvance = now;
            if (sent)
                for (COutputPort* output : m_outputs)
                    output->Drain(scratch,
                                  [&](const uint8_t* bytes, size_t count) { m_device->OnMessage(bytes, count, *this); });
            wakeAt = DeliverDue(Clock::now());
            if (m_device->NeedsTime())
                wakeAt = std::min(wakeAt, now + kTick);
        }
        // Sleep until something is sent, or until the next timed event.
        int timeout = -1;
        if (wakeAt != Clock::time_point::max()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now());
            timeout = static_cast<int>(std::max<int64_t>(0, wait.count()));
        }
        pollfd fd{m_wakeFd, POLLIN, 0};
        if (poll(&fd, 1, timeout) > 0) {
            eventfd_t ignored;
            (void)eventfd_read(m_wakeFd, &ignored);
        }
    }
}

void CSimMidiPlatform::Unregister(CInputPort* port)
{
    std::lock_guard lock(m_mutex);
    m_inputs.erase(std::remove(m_inputs.begin(), m_inputs.end(), port), m_inputs.end());
}

void CSimMidiPlatform::Unregister(COutputPort* port)
{
    std::lock_guard lock(m_mutex);
    // What the port was sent before it closed still reaches the device.
    std::vector<uint8_t> scratch;
    port->Drain(scratch, [&](const uint8_t* bytes, size_t count) { m_device->OnMessage(bytes, count, *this); });
    m_outputs.erase(std::remove(m_outputs.begin(), m_outputs.end(), port), m_outputs.end());
}
