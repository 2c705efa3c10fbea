// CAboutDlg: the About box, dialog template 100 with bitmap 142. Modal; OK
// closes it.
#pragma once

#include "ui/TemplateDialog.h"

class CAboutDlg : public CTemplateDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
