// CZm_configDlg: the main window, dialog template 102.
//
// Its own features: initialisation (lists, help lines, bound texts, the
// 100 ms timer), the message window (list box 1005) with its Clear and Copy
// buttons, the context menu (the port entries of CPortActions, the box
// entries of CBoxActions, the message window's entries, the Keyboard View
// and the About box), the two modeless secondary windows (Keyboard
// Configurator, Automatic Stream Controls), and the teardown on every way
// out. Everything the box is concerned with (ports, requests, replies, the
// zone columns, the parameter table) belongs to the editors (CMainEditors),
// to which the dialog forwards clicks and list selections, and whose
// decoder pass runs on every tick.
//
// Keys: Enter and Escape end nothing here (no button is the default one);
// Enter in "Xtable Data" sends it as "Send Xtable Data" does, and Ctrl+K
// opens the Keyboard View.
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

#include "editors/BoundTexts.h"
#include "editors/MainEditors.h"
#include "midi/MidiPlatform.h"
#include "ui/TemplateDialog.h"

#include <QIcon>
#include <QPointer>

#include <memory>

class CKeyboardViewWindow;
class CAotSetupDlg;
class CBoxActions;
class CKeyboardConfigDlg;
class CMessageWindowActions;
class CMessageWindowModel;
class CMessageWindowView;
class CPortActions;
class CZm_configDlgAutoProxy;
class QAction;
class QEventLoop;

class CZm_configDlg : public CTemplateDialog {
    Q_OBJECT
public:
    //! Builds every control of template 102 and seeds the MIDI port state
    //! from `platform` (the program passes the system's MIDI devices and the
    //! built-in simulated ones); nothing is filled yet.
    CZm_configDlg(QWidget* parent, std::unique_ptr<IMidiPlatform> platform);
    ~CZm_configDlg() override;

    //! Initialises the dialog (once), shows it application-modal and runs
    //! until OK, Cancel or the close box ends it, or DestroyWindow(). Hiding
    //! the dialog does not end the run. Returns IDOK, IDCANCEL, or -1 when
    //! the window was destroyed.
    int DoModal();

    //! The init-dialog step: fills the lists, the help lines and the bound
    //! texts, starts the timer, then reopens the ports kept from the last
    //! run when the user asked for that. DoModal() runs it; it runs only once.
    bool OnInitDialog();

    //! Where the settings of "Reopen these ports at start" are kept
    //! (DefaultSettingsFile() unless set before OnInitDialog()).
    void SetSettingsFile(const QString& file) { m_settingsFile = file; }

    //! The context menu's port entries (after OnInitDialog()).
    CPortActions* PortActions() const { return m_pPortActions; }
    //! The context menu's message window entries (after OnInitDialog()).
    CMessageWindowActions* MessageActions() const { return m_pMessageActions; }
    //! The context menu's box entries: find the box, read back (after OnInitDialog()).
    CBoxActions* BoxActions() const { return m_pBoxActions; }

    //! True when no automation client holds the proxy; otherwise hides the
    //! dialog and returns false.
    bool CanExit();

    //! System command `nID`: the About box for IDM_ABOUTBOX (low four bits
    //! ignored); the window manager handles the others.
    void OnSysCommand(int nID);

    //! The window's close request (close box).
    void OnClose() override;

    //! Ends the modal run without OK or Cancel: the automation layer's way of
    //! ending an automation-started program when its last client lets go.
    void DestroyWindow();

    //! False while another modal window (the About box) blocks this one.
    bool IsWindowEnabled() const;

    //! Opens the Keyboard View (context menu, Ctrl+K), or brings it forward.
    CKeyboardViewWindow& OpenKeyboardView();

    // IDialogControls: list box 1005 is the message window, which takes
    // lines only at its end, so InsertListLine on it appends whatever the
    // index. Texts written here are remembered for the bound-text transfer.
    void AppendLine(std::string_view line) override;
    void AppendShortMessageLine(std::string_view line) override;
    void ScrollToLast() override;
    void SetControlText(int id, std::string_view text) override;
    void SelectListLine(int id, int index) override;
    void InsertListLine(int id, int index, std::string_view text) override;

    //! Writes the bound text members into their edits (also after the MIDI
    //! receive buffer could not be prepared or queued).
    void TransferBoundTexts();

    CMessageWindowModel& MessageWindow() { return *m_pMessages; }
    CMessageWindowView& MessageWindowView() { return *m_pMessageView; }
    CMainEditors& Editors() { return *m_pEditors; }
    HeldValues& Held() { return m_pEditors->Held(); }
    CBoundTexts& BoundTexts() { return m_bound; }

    //! The automation proxy attached to this dialog, set and cleared by the
    //! proxy itself; while one is set, closing only hides the dialog.
    CZm_configDlgAutoProxy* AutoProxy() const { return m_pAutoProxy; }
    void SetAutoProxy(CZm_configDlgAutoProxy* proxy) { m_pAutoProxy = proxy; }

    //! The modeless secondary windows, owned by this dialog: null until the
    //! first "Keyboard Config" / "AOT setup" click, and again once the
    //! configurator destroyed itself.
    CKeyboardConfigDlg* KeyboardConfigWindow() const;
    CAotSetupDlg* AotSetupWindow() const;

    //! Window timer 1 (100 ms); 0 before OnInitDialog().
    int TimerId() const { return m_nTimer; }

protected:
    void OnCommand(int id) override;
    void OnListSelChange(int id, int index) override;
    void OnOK() override;
    void OnCancel() override;

    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnClearMessages();
    void OnCopyMessages();
    void OnKeyboardConfig();
    void OnAotSetup();
    void Teardown();
    void EndDialog(int result);
    void EndModalLoop(int result);

    CZm_configDlgAutoProxy* m_pAutoProxy = nullptr;
    QPointer<CKeyboardConfigDlg> m_pKeyboardConfigDlg;
    QPointer<CAotSetupDlg> m_pAotSetupDlg;
    QIcon m_hIcon;   //!< icon 128
    int m_nTimer = 0;
    CMessageWindowModel* m_pMessages = nullptr;
    CMessageWindowView* m_pMessageView = nullptr;
    QAction* m_pAboutAction = nullptr;
    QAction* m_pKeyboardViewAction = nullptr;
    std::unique_ptr<CKeyboardViewWindow> m_pKeyboardView;
    CPortActions* m_pPortActions = nullptr;
    CMessageWindowActions* m_pMessageActions = nullptr;
    CBoxActions* m_pBoxActions = nullptr;
    QString m_settingsFile;
    CBoundTexts m_bound;
    std::unique_ptr<CMainEditors> m_pEditors;

    bool m_bInitialised = false;
    bool m_bTransferring = false;   //!< the bound texts are being written out
    QEventLoop* m_pModalLoop = nullptr;
    bool m_bModalEnded = false;
    int m_nModalResult = -1;
};
