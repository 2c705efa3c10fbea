// CAotSetupDlg: the Allen Organ Automatic Stream Controls window, dialog
// template 133.
//
// A thin window over CAotSetup (made by the main dialog's editors, which ask
// the box for the option byte), which keeps the working copy of the option
// byte (`AotOptions`), marks the eight option buttons and decides about the
// delay. The main dialog builds a fresh one on every "AOT setup" click and
// owns it; OK, Enter, Cancel, Escape and the close box only hide it. OK
// stays open, with the reason shown under the delay, while the delay text
// is no number the box can hold. While it exists it hears the box's reports
// through the editors, so that the option marks follow the box. Window
// thread only.
#pragma once

#include "editors/AotSetup.h"
#include "editors/MainEditors.h"
#include "editors/ReplyObserver.h"
#include "ui/TemplateDialog.h"

class CAotSetupDlg : public CTemplateDialog, private IReplyObserver {
    Q_OBJECT
public:
    //! Builds template 133 as a window of `owner` over the presenter that
    //! `editors` makes; Open() fills it. `editors` must outlive the window.
    CAotSetupDlg(CMainEditors& editors, QWidget* owner);
    ~CAotSetupDlg() override;

    //! Loads `AotOptions` from the held option byte, sets the marks and
    //! shows the held delay.
    void Open() { m_setup.Open(); }

    //! The working copy of the option byte.
    uint8_t AotOptions() const { return m_setup.AotOptions; }

protected:
    void OnCommand(int id) override;
    void OnOK() override;

private:
    void ParameterReported(int32_t number, int32_t value) override { m_setup.ParameterReported(number, value); }

    CMainEditors& m_editors;
    CAotSetup m_setup;
};
