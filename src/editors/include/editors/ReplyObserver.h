// A second listener to the box's replies, beside the controls: a window that
// shows the same news in its own way (the keyboard view). The reply
// presenter calls every observer after it has updated the controls.
// Window thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

class IReplyObserver {
public:
    virtual ~IReplyObserver() = default;

    //! A zone record or the mute bits changed in the mirror.
    virtual void ZonesChanged() {}
    //! Zone `zone` (0-3) came in a GetZone reply; ZonesChanged() follows.
    virtual void ZoneRead(int /*zone*/) {}
    //! A smart dump report was printed; the dump reports' image holds it.
    virtual void SmartDumpReported() {}
    //! A Scan Dump was printed; the dump reports' scan store holds it.
    virtual void ScanDumpReported() {}
    //! The box reported parameter `number` (any number the decoder took).
    virtual void ParameterReported(int32_t /*number*/, int32_t /*value*/) {}
    //! A text from the box went to the identification box.
    virtual void IdentificationText(std::string_view /*text*/) {}
    //! A short message arrived on the input (the box's note stream).
    virtual void ShortMessage(uint32_t /*packed*/, std::chrono::steady_clock::time_point /*arrival*/) {}
    //! A decoder pass is over.
    virtual void PassEnded() {}
};
