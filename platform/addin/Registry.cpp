#include "platform/addin/Registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace addin {

namespace {

const QString kAddinsKey = QStringLiteral("HKEY_CURRENT_USER/Software/Microsoft/Office/Word/Addins");
const QString kClassesKey = QStringLiteral("HKEY_CURRENT_USER/Software/Classes");

QString addinKey(const QString& progId) { return kAddinsKey + u'/' + progId; }
QString serverKey(const QString& progId) { return kClassesKey + u'/' + progId + QStringLiteral("/InprocServer32"); }

bool commit(QSettings& settings)
{
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

Registry::Registry(const QString& file)
    : m_file(file.isEmpty() ? defaultPath() : file)
{
}

QString Registry::defaultPath()
{
    const QString env = qEnvironmentVariable("TARVELIN_REGISTRY");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/tarvelin/registry.ini");
}

bool Registry::write(const AddinRecord& record) const
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginGroup(addinKey(record.progId));
    settings.setValue(QStringLiteral("FriendlyName"), record.friendlyName);
    settings.setValue(QStringLiteral("Description"), record.description);
    settings.setValue(QStringLiteral("LoadBehavior"), record.loadBehavior);
    settings.endGroup();
    settings.setValue(serverKey(record.progId), QDir::cleanPath(record.libraryPath));
    return commit(settings);
}

bool Registry::remove(const QString& progId) const
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.remove(addinKey(progId));
    settings.remove(kClassesKey + u'/' + progId);
    return commit(settings);
}

std::optional<AddinRecord> Registry::record(const QString& progId) const
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginGroup(addinKey(progId));
    if (settings.childKeys().isEmpty())
        return std::nullopt;
    AddinRecord record;
    record.progId = progId;
    record.friendlyName = settings.value(QStringLiteral("FriendlyName")).toString();
    record.description = settings.value(QStringLiteral("Description")).toString();
    record.loadBehavior = settings.value(QStringLiteral("LoadBehavior")).toInt();
    settings.endGroup();
    record.libraryPath = settings.value(serverKey(progId)).toString();
    return record;
}

std::vector<AddinRecord> Registry::records() const
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginGroup(kAddinsKey);
    const QStringList progIds = settings.childGroups();
    std::vector<AddinRecord> all;
    for (const QString& progId : progIds)
        if (auto r = record(progId))
            all.push_back(std::move(*r));
    return all;
}

} // namespace addin
