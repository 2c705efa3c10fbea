#include "ui/AotSetupDlg.h"

#include "res/resource.h"

CAotSetupDlg::CAotSetupDlg(const HeldValues& held, ISysExSender& sender, QWidget* owner)
    : CTemplateDialog(owner), m_setup(*this, held, sender)
{
    BuildFromTemplate(IDD_AOT_SETUP);
}

void CAotSetupDlg::OnCommand(int id)
{
    if (!m_setup.OnCommand(id))
        CTemplateDialog::OnCommand(id);
}

void CAotSetupDlg::OnOK()
{
    if (m_setup.OnOK())
        CTemplateDialog::OnOK();   // ends the dialog, which hides it
}
