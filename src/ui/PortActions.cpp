#include "ui/PortActions.h"

#include "midi/MessageSink.h"
#include "ui/TemplateDialog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// A few device names; anything far larger is not a file of ours.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

const QString kReopenKey = QStringLiteral("ports/reopen");
const QString kInputKey = QStringLiteral("ports/input");
const QString kOutputKey = QStringLiteral("ports/output");
const QString kThruKey = QStringLiteral("ports/thru");

std::string Name(const QSettings& settings, const QString& key)
{
    return settings.value(key).toString().toLatin1().toStdString();
}

} // namespace

QString DefaultSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zm_config/zm_config.conf");
}

std::unique_ptr<QSettings> OpenSettingsToRead(const QString& file)
{
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > kMaxSettingsBytes)
        return nullptr;
    auto settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError)
        return nullptr;
    return settings;
}

std::unique_ptr<QSettings> OpenSettingsToWrite(const QString& file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        return nullptr;
    QDir().mkpath(info.absolutePath());
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

bool WriteSettings(const QString& file, std::initializer_list<std::pair<QString, QVariant>> values)
{
    const std::unique_ptr<QSettings> settings = OpenSettingsToWrite(file);
    if (!settings)
        return false;
    for (const auto& [key, value] : values)
        settings->setValue(key, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

RememberedPorts LoadRememberedPorts(const QString& file)
{
    const std::unique_ptr<QSettings> settings = OpenSettingsToRead(file);
    if (!settings)
        return {};
    RememberedPorts remembered;
    remembered.reopen = settings->value(kReopenKey, false).toBool();
    remembered.ports = {Name(*settings, kInputKey), Name(*settings, kOutputKey), Name(*settings, kThruKey)};
    return remembered;
}

bool SaveRememberedPorts(const QString& file, const RememberedPorts& remembered)
{
    return WriteSettings(file, {{kReopenKey, remembered.reopen},
                                {kInputKey, FromLatin1(remembered.ports.input)},
                                {kOutputKey, FromLatin1(remembered.ports.output)},
                                {kThruKey, FromLatin1(remembered.ports.thru)}});
}

CPortActions::CPortActions(CPortLists& lists, IMessageSink& log, QString settingsFile, QObject* parent)
    : QObject(parent)
    , m_lists(lists)
    , m_log(log)
    , m_settingsFile(std::move(settingsFile))
    , m_loaded(LoadRememberedPorts(m_settingsFile))
    , m_pRescan(new QAction(QString::fromLatin1(kRescanText), this))
    , m_pReopen(new QAction(QString::fromLatin1(kReopenText), this))
{
    m_pReopen->setCheckable(true);
    m_pReopen->setChecked(m_loaded.reopen);
    connect(m_pRescan, &QAction::triggered, this, [this] { m_lists.Rescan(); });
    m_lists.SetChoiceChanged([this] { PortsChanged(); });
    // The user's toggle only: the state set above is no change of mind.
    connect(m_pReopen, &QAction::triggered, this, [this](bool on) { Save(on); });
}

void CPortActions::ReopenRemembered()
{
    if (m_pReopen->isChecked())
        m_lists.ReopenPorts(m_loaded.ports);
}

void CPortActions::PortsChanged()
{
    if (m_pReopen->isChecked())
        Save(true);
}

void CPortActions::Save(bool reopen)
{
    // Turned off, the names are forgotten too: nothing is kept that the
    // user did not ask to keep.
    const RememberedPorts remembered{reopen, reopen ? m_lists.Chosen() : ChosenPorts{}};
    if (!SaveRememberedPorts(m_settingsFile, remembered))
        m_log.AppendLine(std::string(kReopenText) + ": cannot write " + m_settingsFile.toLocal8Bit().toStdString());
}
