// A MIDI platform for tests: named devices, opens that fail on demand,
// inputs the test feeds from a thread of its choice, and outputs that record
// what they were sent (and can be made to fail, refuse to close, or block).
// Devices can be unplugged (`gone`: their ports report DeviceGone, opens
// fail) and the listing changed at the next Rescan (`nextListing`).
#pragma once

#include "midi/MidiInputPortBase.h"
#include "midi/MidiPlatform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

class CFakeMidiPlatform;

class CFakeInputPort : public CMidiInputPortBase {
public:
    CFakeInputPort(CFakeMidiPlatform& platform, IMidiInputHandler& handler, int device);
    ~CFakeInputPort() override;

    MidiResult Start() override;
    MidiResult Stop() override;
    MidiResult Reset() override;
    MidiResult Close() override;

    void Feed(const std::vector<uint8_t>& message) { DeliverMessage(message.data(), message.size()); }
    void Opened() { NotifyOpened(); }
    bool DeviceGone() noexcept override;

protected:
    void CloseDevice() noexcept override;

private:
    CFakeMidiPlatform& m_platform;
    int m_device;
    std::string m_name;
};

class CFakeOutputPort : public IMidiOutputPort {
public:
    CFakeOutputPort(CFakeMidiPlatform& platform, int device);
    ~CFakeOutputPort() override;

    MidiResult SendShort(uint32_t packed) noexcept override;
    MidiResult SendLong(const uint8_t* bytes, size_t count) noexcept override;
    size_t MaxLongMessage() const noexcept override { return maxLong; }
    uint32_t WireBytesPerSecond() const noexcept override { return wireRate; }
    MidiResult Close() override;
    bool DeviceGone() noexcept override;
    size_t MessagesHeld() const noexcept override
    {
        std::lock_guard lock(m_mutex);
        return std::min(holding.load(), m_sent.size());
    }
    bool WaitUntilOut(std::chrono::milliseconds timeout) noexcept override
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (MessagesHeld() != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return MessagesHeld() == 0;
    }

    std::vector<std::vector<uint8_t>> Sent() const
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }
    std::vector<std::chrono::steady_clock::time_point> SendTimes() const
    {
        std::lock_guard lock(m_mutex);
        return m_times;
    }

    size_t maxLong = 4096;
    uint32_t wireRate = 0;
    MidiResult sendResult = MIDI_OK;
    MidiResult closeResult = MIDI_OK;
    std::atomic<bool> block{false};          //!< SendLong waits while set
    std::atomic<int> busyFor{0};             //!< SendLong answers MIDI_ERR_BUSY this many times
    std::atomic<size_t> holding{0};          //!< the last this many messages sent have not left yet
    std::atomic<int> sendsAfterClose{0};     //!< sends that reached a closed port

private:
    CFakeMidiPlatform& m_platform;
    int m_device;
    std::string m_name;
    mutable std::mutex m_mutex;
    std::vector<std::vector<uint8_t>> m_sent;
    std::vector<std::chrono::steady_clock::time_point> m_times;
    std::atomic<bool> m_closed{false};
};

class CFakeMidiPlatform : public IMidiPlatform {
public:
    CFakeMidiPlatform(std::vector<std::string> inputs, std::vector<std::string> outputs)
        : inputNames(std::move(inputs))
        , outputNames(std::move(outputs))
    {
    }

    void Rescan() override
    {
        Note("rescan");
        if (nextListing) {
            inputNames = nextListing->first;
            outputNames = nextListing->second;
        }
    }
    int InputDeviceCount() const override { return static_cast<int>(inputNames.size()); }
    int OutputDeviceCount() const override { return static_cast<int>(outputNames.size()); }
    std::string InputDeviceName(int device) const override
    {
        return device >= 0 && device < InputDeviceCount() ? inputNames[static_cast<size_t>(device)] : "";
    }
    std::string OutputDeviceName(int device) const override
    {
        return device >= 0 && device < OutputDeviceCount() ? outputNames[static_cast<size_t>(device)] : "";
    }

    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override
    {
        port.reset();
        Note("open in" + std::to_string(device));
        if (device < 0 || device >= InputDeviceCount())
            return MIDI_ERR_BADDEVICEID;
        if (auto it = failOpen.find("in" + std::to_string(device)); it != failOpen.end())
            return it->second;
        if (gone.count(InputDeviceName(device)))
            return MIDI_ERR_DEVICEGONE;
        auto input = std::make_unique<CFakeInputPort>(*this, handler, device);
        liveInput = input.get();
        input->Opened();
        port = std::move(input);
        return MIDI_OK;
    }

    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override
    {
        port.reset();
        Note("open out" + std::to_string(device));
        if (device < 0 || device >= OutputDeviceCount())
            return MIDI_ERR_BADDEVICEID;
        if (auto it = failOpen.find("out" + std::to_string(device)); it != failOpen.end())
            return it->second;
        if (gone.count(OutputDeviceName(device)))
            return MIDI_ERR_DEVICEGONE;
        auto output = std::make_unique<CFakeOutputPort>(*this, device);
        liveOutputs[device] = output.get();
        allOutputs.push_back(output.get());
        port = std::move(output);
        return MIDI_OK;
    }

    void Note(const std::string& call)
    {
        std::lock_guard lock(mutex);
        calls.push_back(call);
    }
    std::vector<std::string> Calls()
    {
        std::lock_guard lock(mutex);
        return calls;
    }

    std::vector<std::string> inputNames;
    std::vector<std::string> outputNames;
    std::map<std::string, MidiResult> failOpen;  //!< "in2" / "out1" → result
    std::set<std::string> gone;                  //!< names of unplugged devices
    std::optional<std::pair<std::vector<std::string>, std::vector<std::string>>> nextListing;  //!< inputs, outputs
    CFakeInputPort* liveInput = nullptr;
    std::map<int, CFakeOutputPort*> liveOutputs;
    std::vector<CFakeOutputPort*> allOutputs;  //!< every output ever opened (may dangle once closed)
    std::mutex mutex;
    std::vector<std::string> calls;
};

inline CFakeInputPort::CFakeInputPort(CFakeMidiPlatform& platform, IMidiInputHandler& handler, int device)
    : CMidiInputPortBase(handler)
    , m_platform(platform)
    , m_device(device)
    , m_name(platform.InputDeviceName(device))
{
}

inline bool CFakeInputPort::DeviceGone() noexcept
{
    return m_platform.gone.count(m_name) != 0;
}

inline CFakeInputPort::~CFakeInputPort()
{
    ForceClose();
    if (m_platform.liveInput == this)
        m_platform.liveInput = nullptr;
}

inline MidiResult CFakeInputPort::Start()
{
    m_platform.Note("start in" + std::to_string(m_device));
    return CMidiInputPortBase::Start();
}

inline MidiResult CFakeInputPort::Stop()
{
    m_platform.Note("stop in" + std::to_string(m_device));
    return CMidiInputPortBase::Stop();
}

inline MidiResult CFakeInputPort::Reset()
{
    m_platform.Note("reset in" + std::to_string(m_device));
    return CMidiInputPortBase::Reset();
}

inline MidiResult CFakeInputPort::Close()
{
    m_platform.Note("close in" + std::to_string(m_device));
    return CMidiInputPortBase::Close();
}

inline void CFakeInputPort::CloseDevice() noexcept
{
}

inline CFakeOutputPort::CFakeOutputPort(CFakeMidiPlatform& platform, int device)
    : m_platform(platform)
    , m_device(device)
    , m_name(platform.OutputDeviceName(device))
{
}

inline bool CFakeOutputPort::DeviceGone() noexcept
{
    return m_platform.gone.count(m_name) != 0;
}

inline CFakeOutputPort::~CFakeOutputPort()
{
    if (m_platform.liveOutputs[m_device] == this)
        m_platform.liveOutputs.erase(m_device);
    std::erase(m_platform.allOutputs, this);
}

inline MidiResult CFakeOutputPort::SendShort(uint32_t packed) noexcept
{
    if (m_closed.load())
        ++sendsAfterClose;
    const size_t count = ShortMessageLength(static_cast<uint8_t>(packed));
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<uint8_t>(packed >> (8 * i)));
    std::lock_guard lock(m_mutex);
    m_sent.push_back(bytes);
    m_times.push_back(std::chrono::steady_clock::now());
    return MIDI_OK;
}

inline MidiResult CFakeOutputPort::SendLong(const uint8_t* bytes, size_t count) noexcept
{
    while (block.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_closed.load())
        ++sendsAfterClose;
    if (busyFor.load() > 0) {
        --busyFor;
        return MIDI_ERR_BUSY;
    }
    std::lock_guard lock(m_mutex);
    m_times.push_back(std::chrono::steady_clock::now());
    if (sendResult == MIDI_OK)
        m_sent.emplace_back(bytes, bytes + count);
    return sendResult;
}

inline MidiResult CFakeOutputPort::Close()
{
    m_platform.Note("close out" + std::to_string(m_device));
    if (closeResult != MIDI_OK)
        return closeResult;
    m_closed.store(true);
    return MIDI_OK;
}
