#include "ui/AotSetupDlg.h"

#include "res/resource.h"

CAotSetupDlg::CAotSetupDlg(CMainEditors& editors, QWidget* owner)
    : CTemplateDialog(owner), m_editors(editors), m_setup(editors.OpenAotSetup(*this))
{
    BuildFromTemplate(IDD_AOT_SETUP);
    m_editors.Presenter().AddObserver(*this);
}

CAotSetupDlg::~CAotSetupDlg()
{
    m_editors.Presenter().RemoveObserver(*this);
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
