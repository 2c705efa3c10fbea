#include "ui/KeyboardConfigDlg.h"

#include "res/resource.h"

CKeyboardConfigDlg::CKeyboardConfigDlg(CMainEditors& editors, QWidget* owner)
    : CTemplateDialog(owner), m_configurator(editors.OpenKeyboardConfigurator(*this))
{
    BuildFromTemplate(IDD_KEYBOARD_CONFIG);
    m_configurator.Initialise();
}

void CKeyboardConfigDlg::OnCommand(int id)
{
    if (!m_configurator.OnCommand(id))
        CTemplateDialog::OnCommand(id);
}

void CKeyboardConfigDlg::OnListSelChange(int id, int index)
{
    m_configurator.OnListSelChange(id, index);
}

void CKeyboardConfigDlg::OnOK()
{
    Destroy();
}

void CKeyboardConfigDlg::OnCancel()
{
    Destroy();
}

void CKeyboardConfigDlg::Destroy()
{
    // The handler that asks for this runs inside the window's own event
    // handling, so the object goes at the next turn of the event loop.
    hide();
    deleteLater();
}
