// CKeyboardConfigDlg: the Keyboard Configurator window, dialog template 129.
//
// A thin window over CKeyboardConfigurator, which the main dialog's editors
// make (asking the box for what it shows), which fills it once from the held
// values when it is built and sends every user action at once. The main
// dialog builds a fresh one on every "Keyboard Config" click, owns it (it
// stays above its owner and is deleted with it) and shows it modeless. OK,
// Cancel, Enter, Escape and the close box destroy the window; nothing is
// sent. Window thread only.
#pragma once

#include "editors/KeyboardConfigurator.h"
#include "editors/MainEditors.h"
#include "ui/TemplateDialog.h"

class CKeyboardConfigDlg : public CTemplateDialog {
    Q_OBJECT
public:
    //! Builds template 129 as a window of `owner` over the presenter that
    //! `editors` makes, filled from what they hold now. `editors` must
    //! outlive the window.
    CKeyboardConfigDlg(CMainEditors& editors, QWidget* owner);

protected:
    void OnCommand(int id) override;
    void OnListSelChange(int id, int index) override;
    void OnOK() override;
    void OnCancel() override;

private:
    //! Hides the window now and deletes it once its own event handling is over.
    void Destroy();

    CKeyboardConfigurator m_configurator;
};
