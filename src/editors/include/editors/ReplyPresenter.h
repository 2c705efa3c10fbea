// The main dialog's sink of the reply pipeline: the decoder's lines go to the
// message window, the identification text to edit 1025, and the rest to the
// editor that owns the controls concerned (zone columns, Mute and Set Zone
// buttons, readouts), then to the observers (the Keyboard View's feed).
// zmctl decode --controls shows replies through it as well; zmctl's other
// commands hear the pipeline in their client. Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "editors/ParameterTable.h"
#include "editors/ReplyObserver.h"
#include "editors/ZoneEditor.h"
#include "protocol/ReplySink.h"

#include <vector>

class CReplyPresenter : public IReplySink {
public:
    //! All four must outlive the presenter.
    CReplyPresenter(IDialogControls& controls, HeldValues& held, CZoneEditor& zones, CParameterTable& parameters);

    //! Adds `observer` (not owned) to those told after the controls.
    void AddObserver(IReplyObserver& observer);
    //! Takes `observer` off the list (a window that closes before the presenter).
    void RemoveObserver(IReplyObserver& observer);

    void AppendLine(std::string_view line) override;
    void ZoneRead(int zone) override;
    void SplitDone(int zone) override;
    void ParameterReported(int32_t number, int32_t value) override;
    void IdentificationText(std::string_view text) override;
    void PassEnded() override;
    void SmartDumpReported() override;
    void ScanDumpReported() override;
    void ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point arrival) override;

private:
    std::vector<IReplyObserver*> m_observers;
    IDialogControls& m_controls;
    HeldValues& m_held;
    CZoneEditor& m_zones;
    CParameterTable& m_parameters;
    //! The decoder writes its line for a note-on right after passing the
    //! message on; that line is the short message's own.
    bool m_shortMessageLineNext = false;
};
