#include "platform/addin/AddinManager.h"

#include "platform/addin/Server.h"
#include "platform/core/Error.h"

#include <QFileInfo>
#include <QLibrary>

namespace addin {

namespace {

const QString kSource = QStringLiteral("Tarvelin");

// The VB runtime's numbers for a missing file, a DLL that does not load, a missing entry
// point, and a component that cannot create the object.
enum LoadError { FileNotFound = 53, DllLoadError = 48, EntryPointNotFound = 453, CannotCreateObject = 429 };

[[noreturn]] void fail(int number, const QString& description)
{
    throw core::Error(number, kSource, description);
}

// Loads the library with no load hints, so that unload() really unmaps it.
std::unique_ptr<QLibrary> openLibrary(const QString& path)
{
    if (!QFileInfo(path).isFile())
        fail(FileNotFound, QStringLiteral("アドイン ライブラリ「%1」が見つかりません。").arg(path));
    auto library = std::make_unique<QLibrary>(path);
    if (!library->load())
        fail(DllLoadError, QStringLiteral("アドイン ライブラリ「%1」を読み込めません: %2").arg(path, library->errorString()));
    return library;
}

template <typename Function>
Function* resolve(QLibrary& library, const char* entry)
{
    auto* function = reinterpret_cast<Function*>(library.resolve(entry));
    if (!function)
        fail(EntryPointNotFound,
             QStringLiteral("アドイン ライブラリ「%1」に入口 %2 がありません。").arg(library.fileName(), QLatin1String(entry)));
    return function;
}

void runServerEntry(const QString& libraryPath, const QString& storeFile, const char* entry, const QString& action)
{
    const QString path = QFileInfo(libraryPath).absoluteFilePath();
    const QString store = Registry(storeFile).fileName();
    auto library = openLibrary(path);
    const int status = resolve<decltype(tvDllRegisterServer)>(*library, entry)(store.toUtf8().constData());
    library->unload();
    switch (status) {
    case RegisterOk:
        return;
    case RegisterStoreNotWritable:
        fail(DllLoadError, QStringLiteral("アドイン ライブラリ「%1」の%2に失敗しました: 登録ファイル「%3」に書き込めません。")
                               .arg(path, action, store));
    default:
        fail(DllLoadError, QStringLiteral("アドイン ライブラリ「%1」の%2に失敗しました (コード %3)。")
                               .arg(path, action).arg(status));
    }
}

QString addinName(const AddinRecord& record)
{
    return QStringLiteral("アドイン「%1」(%2)").arg(record.friendlyName, record.progId);
}

QString errorText(const std::exception& e)
{
    if (const auto* error = dynamic_cast<const core::Error*>(&e))
        return error->description();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

void registerLibrary(const QString& libraryPath, const QString& storeFile)
{
    runServerEntry(libraryPath, storeFile, kRegisterEntry, QStringLiteral("登録"));
}

void unregisterLibrary(const QString& libraryPath, const QString& storeFile)
{
    runServerEntry(libraryPath, storeFile, kUnregisterEntry, QStringLiteral("登録解除"));
}

// One loaded add-in. Members go in reverse order, so the entry object is destroyed before the
// library holding its code can unload.
struct AddinManager::Loaded {
    AddinRecord record;
    std::shared_ptr<QLibrary> library;
    std::unique_ptr<AddinDesigner> object;
    std::shared_ptr<COMAddIn> instance;
};

std::shared_ptr<QLibrary> AddinManager::library(const QString& path)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    if (auto shared = m_libraries[key].lock())
        return shared;
    // Two QLibrary objects on one file do not count each other's loads: the first unload()
    // would unmap code the other's objects still run. So every add-in of a file shares one.
    std::shared_ptr<QLibrary> shared(openLibrary(key).release(), [](QLibrary* library) {
        library->unload();
        delete library;
    });
    m_libraries[key] = shared;
    return shared;
}

AddinManager::AddinManager(const QString& storeFile, const QString& systemStoreFile)
    : m_registry(storeFile, systemStoreFile)
{
}

AddinManager::~AddinManager()
{
    disconnectAll();
}

void AddinManager::connectAll(const std::shared_ptr<core::Object>& application, int connectMode)
{
    for (const AddinRecord& record : m_registry.records())
        if (record.loadBehavior == kLoadAtStartup)
            connect(record, application, connectMode);
}

void AddinManager::connect(const AddinRecord& record, const std::shared_ptr<core::Object>& application, int connectMode)
{
    const QString name = addinName(record);
    auto loaded = std::make_unique<Loaded>();
    loaded->record = record;
    try {
        if (record.libraryPath.isEmpty())
            fail(FileNotFound, QStringLiteral("ライブラリが登録されていません。"));
        loaded->library = library(record.libraryPath);
        const QByteArray progId = record.progId.toUtf8();
        loaded->object.reset(resolve<decltype(tvDllGetObject)>(*loaded->library, kGetObjectEntry)(progId.constData()));
        if (!loaded->object)
            fail(CannotCreateObject, QStringLiteral("アドイン ライブラリ「%1」は %2 のオブジェクトを作成できません。")
                                         .arg(record.libraryPath, record.progId));
    } catch (const core::Error& e) {
        m_errors << QStringLiteral("%1 を読み込めません。%2").arg(name, e.description());
        return;
    }

    std::vector<QVariant> custom;
    loaded->instance = std::make_shared<COMAddIn>(record.progId, record.description);
    try {
        loaded->object->AddinInstance_Initialize();
    } catch (const std::exception& e) {
        m_errors << QStringLiteral("%1 の初期化に失敗しました。%2").arg(name, errorText(e));
        return;
    }
    // Connection failures are the add-in's own to report; one that escapes still stops it.
    try {
        loaded->object->AddinInstance_OnConnection(application, connectMode, loaded->instance, custom);
    } catch (const std::exception& e) {
        m_errors << QStringLiteral("%1 の接続に失敗しました。%2").arg(name, errorText(e));
        return;
    }
    loaded->instance->setConnected(true);
    m_loaded.push_back(std::move(loaded));
}

void AddinManager::disconnectAll(int removeMode)
{
    while (!m_loaded.empty()) {
        const std::unique_ptr<Loaded> loaded = std::move(m_loaded.back());
        m_loaded.pop_back();
        std::vector<QVariant> custom;
        try {
            loaded->object->AddinInstance_OnDisconnection(removeMode, custom);
        } catch (const std::exception& e) {
            m_errors << QStringLiteral("%1 の切断に失敗しました。%2").arg(addinName(loaded->record), errorText(e));
        }
        loaded->instance->setConnected(false);
    }
}

QStringList AddinManager::connected() const
{
    QStringList progIds;
    for (const AddinRecord& record : connectedRecords())
        progIds << record.progId;
    return progIds;
}

std::vector<AddinRecord> AddinManager::connectedRecords() const
{
    std::vector<AddinRecord> records;
    for (const auto& loaded : m_loaded)
        records.push_back(loaded->record);
    return records;
}

} // namespace addin
