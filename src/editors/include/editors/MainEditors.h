// The main dialog's editors and the device session behind them, without a
// widget: the MIDI platform, the capture rings, the three ports and the
// transmitter, the reply pipeline (decoder and the box's mirrored state),
// and the presenters that own the controls (port lists, zone editor,
// parameter table), and the presenters of the secondary windows. The main
// dialog runs Initialise() once, forwards its clicks and list selections
// here, runs Tick() on its timer and gets its secondary windows' presenters
// from here: every request to the box leaves from this layer. zmctl decode
// and the tests drive the same object over their own control interface.
//
// Threading contract: window thread only, except that the MIDI driver's
// callback fills the capture rings (see CMidiCapture).
#pragma once

#include "editors/AotSetup.h"
#include "editors/BoxSetups.h"
#include "editors/DialogControls.h"
#include "editors/FindBox.h"
#include "editors/KeyboardConfigurator.h"
#include "editors/KeyboardViewFeed.h"
#include "editors/ParameterTable.h"
#include "editors/PortLists.h"
#include "editors/ReadBackSender.h"
#include "editors/ReplyPresenter.h"
#include "editors/ZoneEditor.h"
#include "midi/CaptureRings.h"
#include "midi/MidiPlatform.h"
#include "midi/PortSession.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"
#include "protocol/ReplyPipeline.h"

#include <functional>
#include <memory>

class CMainEditors {
public:
    //! Counts `platform`'s devices and seeds the port state; fills nothing
    //! yet. `transferBoundTexts` rewrites the dialog's bound texts (after a
    //! receive-buffer failure). `controls` must outlive this object.
    CMainEditors(IDialogControls& controls, std::unique_ptr<IMidiPlatform> platform,
                 std::function<void()> transferBoundTexts = {});
    //! Members go in reverse order of declaration: the keyboard view's feed
    //! and the presenters, a search for the box (closing the ports it
    //! listened and asked on), the port lists, the reply pipeline, then the
    //! ports, which close without a line (no control is written any more),
    //! then the rings that the driver's callback filled, and last the MIDI
    //! platform, once none of its ports is open.
    ~CMainEditors();

    CMainEditors(const CMainEditors&) = delete;
    CMainEditors& operator=(const CMainEditors&) = delete;

    //! The dialog's start-up: fills the zone lists and the parameter list,
    //! lays the smart dump report out for 88 keys, lists the MIDI devices,
    //! sets the report switches and writes the help lines.
    void Initialise();

    //! "Keyboard Config": asks the box for the values the configurator shows
    //! (the answers reach the held values on later ticks) and makes the
    //! presenter of a new configurator window over `window`, which its
    //! Initialise() fills from what is held now.
    CKeyboardConfigurator OpenKeyboardConfigurator(IDialogControls& window);
    //! "AOT setup": asks the box for the option byte and makes the presenter
    //! of a new Automatic Stream Controls window over `window`, which its
    //! Open() loads from what is held now.
    CAotSetup OpenAotSetup(IDialogControls& window);
    //! The Keyboard View's "Identify Box": asks the box who it is (see
    //! SendIdentityRequests); the answers reach the view's feed on later ticks.
    void RequestIdentity() { SendIdentityRequests(Sender(), Held()); }

    //! A button click; false when no editor handles `id`.
    bool OnCommand(int id);
    //! A user selection in list `id`; false when no editor handles it.
    bool OnListSelChange(int id, int index);

    //! Ticks between two looks at whether the open ports' devices are still there.
    static constexpr int kDeviceCheckTicks = 5;

    //! One timer tick: the transmitter's send failures, then one decoder
    //! pass; every kDeviceCheckTicks-th tick, ports whose device has gone
    //! are closed (one line each). A search for the box goes one step on,
    //! and so does a setup being saved, loaded or compared.
    void Tick();
    //! Between ticks, while a setup task runs: a decoder pass, then the
    //! task's next step. False once none runs.
    bool StepSetups();

    //! Teardown steps 1-3: the input (when marked open), the output and the
    //! thru/out port; a search for the box ends first.
    void Teardown()
    {
        m_findBox.Abandon();
        m_setups.Abandon();
        m_ports.Teardown();
    }

    HeldValues& Held() noexcept { return m_pipeline.Held(); }
    ReportOptions& Options() noexcept { return m_pipeline.Options(); }
    CaptureRings& Rings() noexcept { return *m_pRings; }
    CPortSession& Ports() noexcept { return m_ports; }
    //! Where every request of the editors and the window goes: the
    //! transmitter, through "Read back after each change".
    ISysExSender& Sender() noexcept { return m_pipeline.Sender(); }
    CReplyPipeline& Pipeline() noexcept { return m_pipeline; }
    CReadBackSender& ReadBack() noexcept { return m_readBack; }
    //! "Find ZM1 box".
    CFindBox& FindBox() noexcept { return m_findBox; }
    //! "Save setup…", "Load setup…", "Compare with box…".
    CBoxSetups& Setups() noexcept { return m_setups; }
    CPortLists& PortLists() noexcept { return m_portLists; }
    CZoneEditor& Zones() noexcept { return m_zones; }
    CParameterTable& Parameters() noexcept { return m_parameters; }
    CReplyPresenter& Presenter() noexcept { return m_presenter; }
    //! What the keyboard view draws, fed for the whole session.
    CKeyboardViewFeed& KeyboardView() noexcept { return m_keyboardView; }

private:
    // Declared in this order so that the ports (and with them the driver's
    // callback) go before the rings they fill, and the platform after every
    // port opened on it.
    IDialogControls& m_controls;
    std::unique_ptr<IMidiPlatform> m_pPlatform;
    std::unique_ptr<CaptureRings> m_pRings;
    CPortSession m_ports;
    //! Tells m_presenter and sends through m_readBack, both built after it
    //! (neither is used before Tick() or a click).
    CReplyPipeline m_pipeline;
    CPortLists m_portLists;
    CFindBox m_findBox;
    CReadBackSender m_readBack;
    CZoneEditor m_zones;
    CParameterTable m_parameters;
    CReplyPresenter m_presenter;
    CKeyboardViewFeed m_keyboardView;
    CBoxSetups m_setups;
    int m_ticks = 0;
};
