#include "Zm_configDlgAutoProxy.h"

#include "AutomationModule.h"

#include "ui/Zm_configDlg.h"

CZm_configDlgAutoProxy::CZm_configDlgAutoProxy(CAutomationModule& module, QObject* parent)
    : QObject(parent), m_module(module)
{
    m_module.LockApp();
    m_pDialog = m_module.MainWindow();
    if (m_pDialog)
        m_pDialog->m_pAutoProxy = this;
}

CZm_configDlgAutoProxy::~CZm_configDlgAutoProxy()
{
    if (m_pDialog && m_pDialog->m_pAutoProxy == this)
        m_pDialog->m_pAutoProxy = nullptr;
    m_module.UnlockApp();
}
