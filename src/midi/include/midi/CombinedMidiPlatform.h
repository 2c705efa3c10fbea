// Several platforms shown as one: their devices follow each other in the
// order the platforms were added, so a device number is a line of the
// combined lists.
#pragma once

#include "midi/MidiPlatform.h"

#include <memory>
#include <string>
#include <vector>

class CCombinedMidiPlatform : public IMidiPlatform {
public:
    //! Adds `platform`'s devices after those already listed.
    void Add(std::unique_ptr<IMidiPlatform> platform);

    void Rescan() override;
    void ListingDone() override;
    bool ListingPending() const override;
    bool TakeListing(bool wait) override;
    int InputDeviceCount() const override;
    int OutputDeviceCount() const override;
    std::string InputDeviceName(int device) const override;
    std::string OutputDeviceName(int device) const override;
    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override;
    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override;

    //! The platforms joined, in the order they were added (to tell which
    //! one a device belongs to after a rescan has moved the numbers).
    size_t PartCount() const noexcept { return m_platforms.size(); }
    const IMidiPlatform& Part(size_t index) const { return *m_platforms[index]; }

private:
    //! The platform holding combined device `device`, and its own number there.
    IMidiPlatform* Locate(int device, bool input, int& local) const;

    std::vector<std::unique_ptr<IMidiPlatform>> m_platforms;
};
