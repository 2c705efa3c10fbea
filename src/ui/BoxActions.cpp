#include "ui/BoxActions.h"

#include "midi/MessageSink.h"
#include "ui/PortActions.h"
#include "ui/ProgressWindow.h"
#include "ui/SetupActions.h"
#include "ui/TemplateDialog.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace {

const QString kReadBackKey = QStringLiteral("box/readBackAfterEachChange");

} // namespace

bool LoadReadBack(const QString& file)
{
    const std::unique_ptr<QSettings> settings = OpenSettingsToRead(file);
    return settings && settings->value(kReadBackKey, false).toBool();
}

bool SaveReadBack(const QString& file, bool on)
{
    return WriteSettings(file, {{kReadBackKey, on}});
}

CBoxActions::CBoxActions(CMainEditors& editors, IMessageSink& log, QString settingsFile, QWidget* window)
    : QObject(window)
    , m_editors(editors)
    , m_log(log)
    , m_settingsFile(std::move(settingsFile))
    , m_pWindow(window)
    , m_pFind(new QAction(QString::fromLatin1(kFindText), this))
    , m_pFindWithThru(new QAction(QString::fromLatin1(kFindWithThruText), this))
    , m_pReadBack(new QAction(QString::fromLatin1(kReadBackText), this))
    , m_pSetups(new CSetupActions(editors, m_settingsFile, window))
    , m_pStepTimer(new QTimer(this))
    , m_pProgressDelay(new QTimer(this))
{
    connect(m_pFind, &QAction::triggered, this, [this] { StartFind(false); });
    connect(m_pFindWithThru, &QAction::triggered, this, [this] { StartFind(true); });

    m_pReadBack->setCheckable(true);
    m_pReadBack->setChecked(LoadReadBack(m_settingsFile));
    m_editors.ReadBack().SetEnabled(m_pReadBack->isChecked());
    // The user's toggle only: the state set above is no change of mind.
    connect(m_pReadBack, &QAction::triggered, this, [this](bool on) { SetReadBack(on); });

    m_pStepTimer->setInterval(kStepMilliseconds);
    connect(m_pStepTimer, &QTimer::timeout, this, [this] { StepFind(); });
    m_pProgressDelay->setSingleShot(true);
    m_pProgressDelay->setInterval(kProgressDelayMilliseconds);
    connect(m_pProgressDelay, &QTimer::timeout, this, [this] {
        if (!Finding())
            return;
        m_pProgress = OpenProgressWindow(m_pWindow, this, QString::fromLatin1(kFindText), [this] {
            m_editors.FindBox().Stop();
            StepFind();
        });
        StepFind();
        m_pProgress->show();
    });
}

bool CBoxActions::Finding() const
{
    return m_editors.FindBox().Running();
}

void CBoxActions::AddTo(QMenu& menu)
{
    const bool finding = Finding();
    const bool idle = !finding && !m_pSetups->Running();
    m_pFind->setEnabled(idle);
    m_pFindWithThru->setEnabled(idle);
    menu.addAction(m_pFind);
    if (m_editors.Ports().Port(PortKind::Thru).Status() == PortStatus::Open)
        menu.addAction(m_pFindWithThru);
    menu.addAction(m_pReadBack);
    menu.addSeparator();
    m_pSetups->UpdateEnabled(finding);
    menu.addActions(m_pSetups->Actions());
}

void CBoxActions::StartFind(bool includeThru)
{
    if (!m_editors.FindBox().Start(includeThru))
        return;
    m_pStepTimer->start();
    m_pProgressDelay->start();
    StepFind();
}

void CBoxActions::StepFind()
{
    CFindBox& find = m_editors.FindBox();
    find.Step();
    if (!find.Running()) {
        m_pStepTimer->stop();
        m_pProgressDelay->stop();
        CloseProgressWindow(m_pProgress, this);
        return;
    }
    if (m_pProgress) {
        m_pProgress->setMaximum(std::max(find.OutputsToTry(), 1));
        m_pProgress->setValue(std::max(find.OutputsTried() - 1, 0));
        m_pProgress->setLabelText(FromLatin1(find.Progress()));
    }
}

void CBoxActions::SetReadBack(bool on)
{
    m_editors.ReadBack().SetEnabled(on);
    if (!SaveReadBack(m_settingsFile, on))
        m_log.AppendLine(std::string(kReadBackText) + ": cannot write " + m_settingsFile.toLocal8Bit().toStdString());
}
