// CZm_configDlg: the main window, dialog template 102.
//
// Built from its template by CDialogBuilder; implements IDialogControls on
// its widgets for the decoder, the port logic and the editors. It owns the
// message window (list box 1005), the values the box last reported
// (HeldValues) and the 100 ms timer that drives the reply decoder.
//
// Clicks and list selections that the shell does not handle itself are
// reported by ControlClicked(id) and ListSelChange(id, index): that is where
// the editors connect. The MIDI layer and the decoder plug into the protected
// seams below, each of which says where it runs.
//
// Closing: the close box, "OK" and "Cancel" run the same teardown (input
// port, output port, thru/out port), then ask CanExit(): while an automation
// client holds the proxy the window only hides. Otherwise "OK" and "Cancel"
// end the modal run with their result, and the close box turns into
// "Cancel", so the teardown runs a second time.
//
// Threading: everything here runs on the window thread. The MIDI driver's
// callback never touches this object; it only fills the capture rings,
// which the decoder pass drains on the timer.
#pragma once

#include "midi/CaptureRings.h"
#include "midi/MidiPlatform.h"
#include "protocol/HeldValues.h"
#include "ui/BoundTexts.h"
#include "ui/DialogControls.h"

#include <QDialog>
#include <QHash>
#include <QIcon>

#include <memory>

class CMessageWindowModel;
class CMessageWindowView;
class CMidiPorts;
class CReplyDecoder;
class CZm_configDlgAutoProxy;
class QAction;
class QEventLoop;

class CZm_configDlg : public QDialog, public IDialogControls {
    Q_OBJECT
public:
    //! Builds every control of template 102 and seeds the MIDI port state;
    //! nothing is filled yet. Without `platform` the dialog works on the
    //! system's MIDI devices (ALSA, a running JACK server) and the built-in
    //! simulated ones.
    explicit CZm_configDlg(QWidget* parent = nullptr, std::unique_ptr<IMidiPlatform> platform = {});
    ~CZm_configDlg() override;

    //! Initialises the dialog (once), shows it application-modal and runs
    //! until OK, Cancel or the close box ends it, or DestroyWindow(). Hiding
    //! the dialog does not end the run. Returns IDOK, IDCANCEL, or -1 when
    //! the window was destroyed.
    int DoModal();

    //! The init-dialog step: fills the lists, the help lines and the bound
    //! texts, starts the timer. DoModal() runs it; it runs only once.
    bool OnInitDialog();

    //! True when no automation client holds the proxy; otherwise hides the
    //! dialog and returns false.
    bool CanExit();

    //! System command `nID`: the About box for IDM_ABOUTBOX (low four bits
    //! ignored); the window manager handles the others.
    void OnSysCommand(int nID);

    void OnOK();
    void OnCancel();
    //! The window's close request (close box).
    void OnClose();

    //! Ends the modal run without OK or Cancel: the automation layer's way of
    //! ending an automation-started program when its last client lets go.
    void DestroyWindow();

    //! False while another modal window (the About box) blocks this one.
    bool IsWindowEnabled() const;

    // IDialogControls. Text is 8-bit and shown as Latin-1. List box 1005 is
    // the message window: it takes lines only at its end, so InsertListLine
    // on it appends whatever the index.
    void AppendLine(std::string_view line) override;
    void ScrollToLast() override;
    void SetControlText(int id, std::string_view text) override;
    void SelectListLine(int id, int index) override;
    void InsertListLine(int id, int index, std::string_view text) override;
    void SetCheck(int id, bool checked) override;
    std::string ControlText(int id) const override;

    //! Writes the bound text members into their edits (also after the MIDI
    //! receive buffer could not be prepared or queued).
    void TransferBoundTexts();

    //! The control with dialog identifier `id`, or nullptr.
    QWidget* Control(int id) const { return m_controls.value(id); }

    CMessageWindowModel& MessageWindow() { return *m_pMessages; }
    CMessageWindowView& MessageWindowView() { return *m_pMessageView; }
    HeldValues& Held() { return m_held; }
    //! The three MIDI ports and the transmitter behind every request.
    CMidiPorts& Ports() { return *m_pPorts; }
    CaptureRings& Rings() { return *m_pRings; }
    CBoundTexts& BoundTexts() { return m_bound; }

    CZm_configDlgAutoProxy* m_pAutoProxy = nullptr;   //!< set and cleared by the proxy
    QIcon m_hIcon;                                    //!< icon 128
    int m_nTimer = 0;                                 //!< window timer 1 (100 ms)

signals:
    //! A button the shell does not handle itself was clicked.
    void ControlClicked(int id);
    //! The user selected line `index` of list `id` (any list but the three port lists).
    void ListSelChange(int id, int index);

protected:
    // The MIDI layer (CMidiPorts). Everything runs on the window thread.

    //! Counts the MIDI devices and seeds the port state. Runs in the
    //! constructor, so it is deliberately not virtual.
    void SeedMidiPorts();
    //! Lists the MIDI devices in lists 1003, 1004 and 1007 (initialisation step 7).
    virtual void EnumerateMidiPorts();
    //! The user selected line `index` of the input (1003), output (1004) or
    //! thru/out (1007) list; also when it was already selected.
    virtual void OnSelchangeMidiIn(int index);
    virtual void OnSelchangeMidiOut(int index);
    virtual void OnSelchangeMidiThru(int index);
    //! Teardown steps 1-3: if the input is marked open, reset, stop and close
    //! it; close the output port; close the thru/out port.
    virtual void TeardownInputPort();
    virtual void TeardownOutputPort();
    virtual void TeardownThruPort();

    //! One pass of the reply decoder over the capture rings, on every tick,
    //! after the transmitter's send failures have been written out.
    virtual void RunDecoderPass();

    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void accept() override;
    void reject() override;

private:
    void ConnectControls();
    void OnCommand(int id);
    void OnListSelChange(int id, int index);
    void OnClearMessages();
    void OnCopyMessages();
    void FillZoneLists();
    void FillParameterList();
    void Teardown();
    void EndDialog(int result);
    void EndModalLoop(int result);

    QHash<int, QWidget*> m_controls;
    CMessageWindowModel* m_pMessages = nullptr;
    CMessageWindowView* m_pMessageView = nullptr;
    QAction* m_pAboutAction = nullptr;
    HeldValues m_held;
    CBoundTexts m_bound;

    // Declared in this order so that the ports (and with them the driver's
    // callback) go before the rings they fill.
    std::unique_ptr<IMidiPlatform> m_pPlatform;
    std::unique_ptr<CaptureRings> m_pRings;
    std::unique_ptr<CMidiPorts> m_pPorts;
    std::unique_ptr<CReplyDecoder> m_pDecoder;

    bool m_bInitialised = false;
    bool m_bTransferring = false;   //!< the bound texts are being written out
    QEventLoop* m_pModalLoop = nullptr;
    bool m_bModalEnded = false;
    int m_nModalResult = -1;
};
