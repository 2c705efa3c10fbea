#include "app/AutomationModule.h"

#include "ui/Zm_configDlg.h"

#include <QCoreApplication>
#include <QMetaObject>

CAutomationModule::CAutomationModule()
    : m_quit([] { QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection); })
{
}

void CAutomationModule::LockApp()
{
    ++m_nLiveObjects;
}

void CAutomationModule::UnlockApp()
{
    if (--m_nLiveObjects == 0)
        OnReleaseAllObjects();
}

void CAutomationModule::EndUnheldRun()
{
    if (m_nLiveObjects == 0)
        OnReleaseAllObjects();
}

void CAutomationModule::OnReleaseAllObjects()
{
    if (m_bUserControl)
        return;
    m_bUserControl = true;
    if (m_pMainWnd) {
        if (m_pMainWnd->IsWindowEnabled())
            m_pMainWnd->DestroyWindow();
    } else if (m_quit) {
        m_quit();
    }
}
