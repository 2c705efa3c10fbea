#include "sim/SimMidiPlatform.h"

#include "sim/LoopbackDevice.h"
#include "midi/MidiInputPortBase.h"
#include "midi/MidiOutputPortBase.h"

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
// thread): messages are stored as a 4-byte length and the bytes, in a fixed
// ring with free-running counters.
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
        uint32_t r = m_read.load(std::memory_order_relaxed);
        const uint32_t w = m_write.load(std::memory_order_acquire);
        while (r != w) {
            uint8_t lengthBytes[4];
            CopyOut(r, lengthBytes, 4);
            uint32_t length;
            std::memcpy(&length, lengthBytes, 4);
            scratch.resize(length);
            CopyOut(r + 4, scratch.data(), length);
            r += 4 + length;
            m_read.store(r, std::memory_order_release);
            take(scratch.data(), scratch.size());
        }
    }

protected:
    MidiResult Put(const uint8_t* bytes, size_t count) noexcept override
    {
        if (m_closed)
            return MIDI_ERR_INVALHANDLE;
        const uint32_t w = m_write.load(std::memory_order_relaxed);
        const uint32_t used = w - m_read.load(std::memory_order_acquire);
        if (4 + count > kOutputRingSize - used)
            return MIDI_ERR_BUSY;
        const uint32_t length = static_cast<uint32_t>(count);
        uint8_t lengthBytes[4];
        std::memcpy(lengthBytes, &length, 4);
        CopyIn(w, lengthBytes, 4);
        CopyIn(w + 4, bytes, count);
        m_write.store(w + 4 + length, std::memory_order_release);
        m_platform.Wake();
        return MIDI_OK;
    }

private:
    void CopyIn(uint32_t at, const uint8_t* bytes, size_t count) noexcept
    {
        const size_t pos = at % kOutputRingSize;
        const size_t first = std::min(count, kOutputRingSize - pos);
        std::memcpy(m_ring + pos, bytes, first);
        std::memcpy(m_ring, bytes + first, count - first);
    }

    void CopyOut(uint32_t at, uint8_t* bytes, size_t count) const noexcept
    {
        const size_t pos = at % kOutputRingSize;
        const size_t first = std::min(count, kOutputRingSize - pos);
        std::memcpy(bytes, m_ring + pos, first);
        std::memcpy(bytes + first, m_ring, count - first);
    }

    static_assert((kOutputRingSize & (kOutputRingSize - 1)) == 0, "counters wrap at a multiple of the size");

    CSimMidiPlatform& m_platform;
    uint8_t m_ring[kOutputRingSize];
    std::atomic<uint32_t> m_write{0};
    std::atomic<uint32_t> m_read{0};
    bool m_closed = false;
};

// ---- platform ----

CSimMidiPlatform::CSimMidiPlatform(std::unique_ptr<ISimDevice> device)
    : m_device(device ? std::move(device) : std::make_unique<CLoopbackDevice>())
{
    m_thread = std::thread(&CSimMidiPlatform::Run, this);
}

CSimMidiPlatform::~CSimMidiPlatform()
{
    m_stop.store(true, std::memory_order_release);
    Wake();
    m_thread.join();
}

std::string CSimMidiPlatform::InputDeviceName(int device) const
{
    return device == 0 ? kDeviceName : "";
}

std::string CSimMidiPlatform::OutputDeviceName(int device) const
{
    return device == 0 ? kDeviceName : "";
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
    for (CInputPort* input : m_inputs)
        input->DeliverMessage(bytes, count);
}

void CSimMidiPlatform::Wake() noexcept
{
    m_pending.fetch_add(1, std::memory_order_release);
    m_pending.notify_one();
}

void CSimMidiPlatform::Run()
{
    std::vector<uint8_t> scratch;
    while (!m_stop.load(std::memory_order_acquire)) {
        if (m_pending.exchange(0, std::memory_order_acquire) == 0) {
            m_pending.wait(0, std::memory_order_acquire);
            continue;
        }
        std::lock_guard lock(m_mutex);
        for (COutputPort* output : m_outputs)
            output->Drain(scratch, [&](const uint8_t* bytes, size_t count) { m_device->OnMessage(bytes, count, *this); });
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
