#include "ui/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : CTemplateDialog(parent)
{
    BuildFromTemplate(IDD_ABOUTBOX);
}
