#include "ui/MessageWindowActions.h"

#include "editors/ReplacingFile.h"
#include "ui/MessageWindowModel.h"

#include <QAction>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QWidget>

CMessageWindowActions::CMessageWindowActions(CMessageWindowModel& model, QWidget* window)
    : QObject(window), m_model(model), m_pWindow(window)
{
    m_pSave = new QAction(QString::fromLatin1(kSaveText), this);
    m_pPause = new QAction(QString::fromLatin1(kPauseText), this);
    m_pPause->setCheckable(true);
    m_pFilter = new QAction(QString::fromLatin1(kFilterText), this);
    m_pFilter->setCheckable(true);
    m_pFilter->setToolTip(QStringLiteral("Leave the note stream's lines out of the message window"));

    connect(m_pSave, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            m_pWindow, QStringLiteral("Save message window"),
            QStringLiteral("message-window_%1.txt").arg(QDate::currentDate().toString(Qt::ISODate)),
            QStringLiteral("Text (*.txt);;All files (*)"));
        if (!path.isEmpty())
            SaveTo(path);
    });
    connect(m_pPause, &QAction::toggled, this, [this](bool on) { m_model.SetPaused(on); });
    connect(m_pFilter, &QAction::toggled, this, [this](bool on) { m_model.SetHideShortMessages(on); });
}

bool CMessageWindowActions::SaveTo(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    CReplacingFile file(name.toStdString());
    const size_t lines = m_model.Lines().ShownCount();
    const bool ok = file.Open()
        && m_model.Lines().WriteSaveText([&file](std::string_view piece) { return file.Write(piece); })
        && file.Commit();
    const std::string shown = path.toLatin1().toStdString();   // as the window shows text
    m_model.Append(ok ? "Message window saved to " + shown + " (" + std::to_string(lines) + " lines)"
                      : "Message window not saved to " + shown + ": " + file.Error());
    return ok;
}
