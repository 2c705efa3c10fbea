#include "ui/SetupActions.h"

#include "ui/PortActions.h"
#include "ui/ProgressWindow.h"
#include "ui/SetupCompareDlg.h"
#include "ui/TemplateDialog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

namespace {

const QString kFolderKey = QStringLiteral("setups/lastFolder");
const QString kFilter = QStringLiteral("Setups (*.syx);;All files (*)");

std::string Encoded(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

//! The path as the message window shows text (8-bit).
std::string Shown(const QString& path)
{
    return path.toLatin1().toStdString();
}

} // namespace

QString LoadSetupFolder(const QString& file)
{
    const std::unique_ptr<QSettings> settings = OpenSettingsToRead(file);
    return settings ? settings->value(kFolderKey).toString() : QString();
}

bool SaveSetupFolder(const QString& file, const QString& folder)
{
    return WriteSettings(file, {{kFolderKey, folder}});
}

CSetupActions::CSetupActions(CMainEditors& editors, QString settingsFile, QWidget* window)
    : QObject(window)
    , m_editors(editors)
    , m_settingsFile(std::move(settingsFile))
    , m_pWindow(window)
    , m_pSave(new QAction(QString::fromUtf8(kSaveText), this))
    , m_pLoad(new QAction(QString::fromUtf8(kLoadText), this))
    , m_pCompareAction(new QAction(QString::fromUtf8(kCompareText), this))
    , m_pStepTimer(new QTimer(this))
    , m_pProgressDelay(new QTimer(this))
{
    m_pSave->setToolTip(QStringLiteral("Read the box's zones and parameters and save them as a setup file"));
    m_pLoad->setToolTip(QStringLiteral("Write a setup file into the box and read it back"));
    m_pCompareAction->setToolTip(QStringLiteral("Show where the box differs from a setup file"));
    connect(m_pSave, &QAction::triggered, this, [this] {
        const QString path = Choose(true, QStringLiteral("Save setup"), QStringLiteral("zm1-setup.syx"));
        if (!path.isEmpty() && !SaveTo(path))
            Warn(QStringLiteral("Save setup"), path);
    });
    connect(m_pLoad, &QAction::triggered, this, [this] {
        const QString path = Choose(false, QStringLiteral("Load setup"), {});
        if (!path.isEmpty() && !LoadFrom(path))
            Warn(QStringLiteral("Load setup"), path);
    });
    connect(m_pCompareAction, &QAction::triggered, this, [this] {
        const QString path = Choose(false, QStringLiteral("Compare with box"), {});
        if (!path.isEmpty() && !CompareWith(path))
            Warn(QStringLiteral("Compare with box"), path);
    });

    m_pStepTimer->setInterval(kStepMilliseconds);
    connect(m_pStepTimer, &QTimer::timeout, this, [this] { Step(); });
    m_pProgressDelay->setSingleShot(true);
    m_pProgressDelay->setInterval(kProgressDelayMilliseconds);
    connect(m_pProgressDelay, &QTimer::timeout, this, [this] { ShowProgress(); });
}

QList<QAction*> CSetupActions::Actions() const
{
    return {m_pSave, m_pLoad, m_pCompareAction};
}

void CSetupActions::UpdateEnabled(bool finding)
{
    for (QAction* action : Actions())
        action->setEnabled(!finding && !Running());
}

bool CSetupActions::Running() const
{
    return m_editors.Setups().Running();
}

QString CSetupActions::Choose(bool saving, const QString& title, const QString& suggested)
{
    QString folder = LoadSetupFolder(m_settingsFile);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    // A suggestion with a folder of its own (the compared file) keeps it.
    const QString start = QFileInfo(suggested).isAbsolute() ? suggested : QDir(folder).filePath(suggested);
    QFileDialog dialog(m_pWindow, title, suggested.isEmpty() ? folder : QFileInfo(start).absolutePath(), kFilter);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // "organ" saves as organ.syx beside organ.json.
    dialog.setDefaultSuffix(QStringLiteral("syx"));
    if (!suggested.isEmpty())
        dialog.selectFile(QFileInfo(start).fileName());
    QString path;
    if (m_chooser)
        path = m_chooser(dialog);
    else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        path = dialog.selectedFiles().constFirst();
    if (path.isEmpty())
        return {};
    SaveSetupFolder(m_settingsFile, QFileInfo(path).absolutePath());
    return path;
}

void CSetupActions::Warn(const QString& title, const QString& path)
{
    // The file the user has just chosen is refused: said where it cannot
    // be missed, as well as in the message window.
    const std::string& why = m_editors.Setups().Refusal();
    if (!why.empty())
        QMessageBox::warning(m_pWindow, title, QStringLiteral("%1\n\n%2").arg(path, FromLatin1(why)));
}

bool CSetupActions::SaveTo(const QString& path)
{
    return Started(m_editors.Setups().Save(Encoded(path), Shown(path)), path);
}

bool CSetupActions::LoadFrom(const QString& path)
{
    return Started(m_editors.Setups().Load(Encoded(path), Shown(path)), path);
}

bool CSetupActions::CompareWith(const QString& path)
{
    return Started(m_editors.Setups().Compare(Encoded(path), Shown(path)), path);
}

bool CSetupActions::Started(bool started, const QString& path)
{
    if (!started)
        return false;
    m_path = path;
    m_pStepTimer->start();
    m_pProgressDelay->start();
    Step();
    return true;
}

void CSetupActions::Step()
{
    if (m_asking)
        return;
    const bool running = m_editors.StepSetups();
    if (m_editors.Setups().KeyCountQuestion()) {
        Ask();
        return;
    }
    if (!running) {
        Ended();
        return;
    }
    if (m_pProgress)
        m_pProgress->setLabelText(FromLatin1(m_editors.Setups().Progress()));
}

void CSetupActions::Ask()
{
    const CBoxSetups::KeyCounts counts = *m_editors.Setups().KeyCountQuestion();
    const QString question = QStringLiteral("%1 is a setup for a box with %2 keys; this box has %3 keys.\n\n"
                                            "Load it anyway?")
                                 .arg(QFileInfo(m_path).fileName())
                                 .arg(counts.setup)
                                 .arg(counts.box);
    m_asking = true;
    CloseProgressWindow(m_pProgress, this);
    m_pProgressDelay->stop();
    bool load = false;
    if (m_asker) {
        load = m_asker(question);
    } else {
        load = QMessageBox::question(m_pWindow, QStringLiteral("Load setup"), question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }
    m_asking = false;
    m_editors.Setups().AnswerKeyCount(load);
    if (m_editors.Setups().Running())
        m_pProgressDelay->start();
}

void CSetupActions::Ended()
{
    m_pStepTimer->stop();
    m_pProgressDelay->stop();
    CloseProgressWindow(m_pProgress, this);
    const CBoxSetups::Outcome& outcome = m_editors.Setups().LastOutcome();
    if (outcome.task != CBoxSetups::Task::Compare || !outcome.completed)
        return;
    if (!m_pCompareWindow) {
        m_pCompareWindow = new CSetupCompareDlg(m_pWindow);
        connect(m_pCompareWindow, &CSetupCompareDlg::LoadRequested, this, [this](const QString& path) {
            if (!LoadFrom(path))
                Warn(QStringLiteral("Load setup"), path);
        });
        connect(m_pCompareWindow, &CSetupCompareDlg::SaveRequested, this, [this](const QString& path) {
            const QString target = Choose(true, QStringLiteral("Save setup"), path);
            if (!target.isEmpty() && !SaveTo(target))
                Warn(QStringLiteral("Save setup"), target);
        });
    }
    m_pCompareWindow->Show(m_path, outcome.differences);
}

void CSetupActions::ShowProgress()
{
    if (!Running() || m_asking)
        return;
    static constexpr const char* kTitles[] = {"", "Save setup", "Load setup", "Compare with box"};
    const QString title = QString::fromLatin1(kTitles[static_cast<int>(m_editors.Setups().Current())]);
    m_pProgress = OpenProgressWindow(m_pWindow, this, title, [this] {
        m_editors.Setups().Stop();
        Step();
    });
    m_pProgress->setRange(0, 0);
    m_pProgress->setLabelText(FromLatin1(m_editors.Setups().Progress()));
    m_pProgress->show();
}
