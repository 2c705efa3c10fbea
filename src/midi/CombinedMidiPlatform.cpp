#include "midi/CombinedMidiPlatform.h"

void CCombinedMidiPlatform::Add(std::unique_ptr<IMidiPlatform> platform)
{
    m_platforms.push_back(std::move(platform));
}

void CCombinedMidiPlatform::Rescan()
{
    for (const auto& platform : m_platforms)
        platform->Rescan();
}

void CCombinedMidiPlatform::ListingDone()
{
    for (const auto& platform : m_platforms)
        platform->ListingDone();
}

bool CCombinedMidiPlatform::ListingPending() const
{
    for (const auto& platform : m_platforms)
        if (platform->ListingPending())
            return true;
    return false;
}

bool CCombinedMidiPlatform::TakeListing(bool wait)
{
    // Waiting takes in every part's; otherwise each part that is done.
    bool taken = false;
    for (const auto& platform : m_platforms)
        taken = platform->TakeListing(wait) || taken;
    return taken;
}

int CCombinedMidiPlatform::InputDeviceCount() const
{
    int count = 0;
    for (const auto& platform : m_platforms)
        count += platform->InputDeviceCount();
    return count;
}

int CCombinedMidiPlatform::OutputDeviceCount() const
{
    int count = 0;
    for (const auto& platform : m_platforms)
        count += platform->OutputDeviceCount();
    return count;
}

IMidiPlatform* CCombinedMidiPlatform::Locate(int device, bool input, int& local) const
{
    if (device < 0)
        return nullptr;
    for (const auto& platform : m_platforms) {
        const int count = input ? platform->InputDeviceCount() : platform->OutputDeviceCount();
        if (device < count) {
            local = device;
            return platform.get();
        }
        device -= count;
    }
    return nullptr;
}

std::string CCombinedMidiPlatform::InputDeviceName(int device) const
{
    int local = 0;
    IMidiPlatform* platform = Locate(device, true, local);
    return platform ? platform->InputDeviceName(local) : std::string();
}

std::string CCombinedMidiPlatform::OutputDeviceName(int device) const
{
    int local = 0;
    IMidiPlatform* platform = Locate(device, false, local);
    return platform ? platform->OutputDeviceName(local) : std::string();
}

MidiResult CCombinedMidiPlatform::OpenInput(int device, IMidiInputHandler& handler,
                                            std::unique_ptr<IMidiInputPort>& port)
{
    port.reset();
    int local = 0;
    IMidiPlatform* platform = Locate(device, true, local);
    return platform ? platform->OpenInput(local, handler, port) : MIDI_ERR_BADDEVICEID;
}

MidiResult CCombinedMidiPlatform::OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port)
{
    port.reset();
    int local = 0;
    IMidiPlatform* platform = Locate(device, false, local);
    return platform ? platform->OpenOutput(local, port) : MIDI_ERR_BADDEVICEID;
}
