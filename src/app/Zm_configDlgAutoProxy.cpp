#include "app/Zm_configDlgAutoProxy.h"

#include "app/AutomationModule.h"

#include "ui/Zm_configDlg.h"

CZm_configDlgAutoProxy::CZm_configDlgAutoProxy(CAutomationModule& module, QObject* parent, bool attachToDialog)
    : QObject(parent), m_module(module)
{
    m_module.LockApp();
    m_pDialog = attachToDialog ? m_module.MainWindow() : nullptr;
    if (m_pDialog) {
        m_pDialog->SetAutoProxy(this);
        // Neither object may be left pointing at the other: the dialog
        // forgets the proxy in the destructor below, the proxy forgets the
        // dialog when it goes.
        connect(m_pDialog, &QObject::destroyed, this, [this] { m_pDialog = nullptr; });
    }
}

CZm_configDlgAutoProxy::~CZm_configDlgAutoProxy()
{
    if (m_pDialog && m_pDialog->AutoProxy() == this)
        m_pDialog->SetAutoProxy(nullptr);
    m_module.UnlockApp();
}
