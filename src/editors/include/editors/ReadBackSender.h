// "Read back after each change": stands between the editors and the
// transmitter. While off it passes every frame on as it is. While on, each
// frame that changes the box is followed by the read that shows the result:
// a write of zone bytes (Set Zone Split Data) by GetZone for that zone,
// whose answer redraws the zone's column from what the box now holds, and
// a Set parameter by Inquire parameter for that number. Set Split needs no
// read: the box's report of the split done already shows the result. A
// parameter number that an inquiry cannot carry (above 127) is not read,
// since the inquiry would ask for another parameter.
//
// Window thread only, as every sender of the editors.
#pragma once

#include "midi/SysExSender.h"

class CReadBackSender : public ISysExSender {
public:
    //! `target` (the transmitter) must outlive this object.
    explicit CReadBackSender(ISysExSender& target) : m_target(target) {}

    void SetEnabled(bool on) noexcept { m_enabled = on; }
    bool Enabled() const noexcept { return m_enabled; }

    void SendSysEx(int32_t count, const uint8_t* bytes) override;

private:
    ISysExSender& m_target;
    bool m_enabled = false;
};
