#include "platform/addin/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <dlfcn.h>

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

// A library beside its store is recorded by name, so an installed tree keeps working wherever it
// is unpacked; any other by its full path.
QString storedLibraryPath(const QString& store, const QString& library)
{
    const QFileInfo file(QDir::cleanPath(library));
    return file.absolutePath() == QFileInfo(store).absolutePath() ? file.fileName() : file.absoluteFilePath();
}

std::optional<AddinRecord> readRecord(const QString& store, const QString& progId)
{
    QSettings settings(store, QSettings::IniFormat);
    settings.beginGroup(addinKey(progId));
    if (settings.childKeys().isEmpty())
        return std::nullopt;
    AddinRecord record;
    record.progId = progId;
    record.friendlyName = settings.value(QStringLiteral("FriendlyName")).toString();
    record.description = settings.value(QStringLiteral("Description")).toString();
    record.loadBehavior = settings.value(QStringLiteral("LoadBehavior")).toInt();
    settings.endGroup();
    const QString library = settings.value(serverKey(progId)).toString();
    if (!library.isEmpty())
        record.libraryPath = QFileInfo(store).absoluteDir().absoluteFilePath(library);
    return record;
}

QStringList progIds(const QString& store)
{
    QSettings settings(store, QSettings::IniFormat);
    settings.beginGroup(kAddinsKey);
    return settings.childGroups();
}

} // namespace

Registry::Registry(const QString& file, const QString& systemFile)
    : m_file(file.isEmpty() ? defaultPath() : file), m_systemFile(systemFile.isEmpty() ? systemPath() : systemFile)
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

QString Registry::systemPath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&readRecord), &info) || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteDir().absoluteFilePath(
        QStringLiteral("addins/registry.ini"));
}

bool Registry::write(const AddinRecord& record) const
{
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginGroup(addinKey(record.progId));
    settings.setValue(QStringLiteral("FriendlyName"), record.friendlyName);
    settings.setValue(QStringLiteral("Description"), record.description);
    settings.setValue(QStringLiteral("LoadBehavior"), record.loadBehavior);
    settings.endGroup();
    settings.setValue(serverKey(record.progId), storedLibraryPath(m_file, record.libraryPath));
    return commit(settings);
}

bool Registry::remove(const QString& progId) const
{
    if (auto system = readRecord(m_systemFile, progId)) {
        system->loadBehavior = 0;
        return write(*system);
    }
    QSettings settings(m_file, QSettings::IniFormat);
    settings.remove(addinKey(progId));
    settings.remove(kClassesKey + u'/' + progId);
    return commit(settings);
}

std::optional<AddinRecord> Registry::record(const QString& progId) const
{
    if (auto own = readRecord(m_file, progId))
        return own;
    return readRecord(m_systemFile, progId);
}

std::vector<AddinRecord> Registry::records() const
{
    QStringList all = progIds(m_systemFile) + progIds(m_file);
    all.sort();
    all.removeDuplicates();
    std::vector<AddinRecord> found;
    for (const QString& progId : all)
        if (auto r = record(progId))
            found.push_back(std::move(*r));
    return found;
}

} // namespace addin
