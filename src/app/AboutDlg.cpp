#include "AboutDlg.h"

#include "res/resource.h"
#include "ui/DialogBuilder.h"

#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    CDialogBuilder builder;
    const QHash<int, QWidget*> controls = builder.Build(this, *FindDialogTemplate(IDD_ABOUTBOX));
    if (auto* ok = qobject_cast<QPushButton*>(controls.value(IDOK)))
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
