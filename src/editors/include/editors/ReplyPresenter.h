// Shows what the reply decoder reports: its lines go to the message window,
// the identification text to edit 1025, and the rest to the editor that owns
// the controls concerned (zone columns, Mute and Set Zone buttons, readouts).
// zm_config, zmctl and the tests all see the box's replies through this one
// class. Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "editors/ParameterTable.h"
#include "editors/ZoneEditor.h"
#include "protocol/ReplySink.h"

class CReplyPresenter : public IReplySink {
public:
    //! All four must outlive the presenter.
    CReplyPresenter(IDialogControls& controls, HeldValues& held, CZoneEditor& zones, CParameterTable& parameters);

    void AppendLine(std::string_view line) override { m_controls.AppendLine(line); }
    void ZoneRead(int zone) override { m_zones.ShowZone(zone); }
    void SplitDone(int zone) override { m_zones.ShowSplitDone(zone); }
    void ParameterReported(int32_t number, int32_t value) override;
    void IdentificationText(std::string_view text) override;
    void PassEnded() override { m_controls.ScrollToLast(); }

private:
    IDialogControls& m_controls;
    HeldValues& m_held;
    CZoneEditor& m_zones;
    CParameterTable& m_parameters;
};
