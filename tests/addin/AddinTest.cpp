#include "platform/addin/AddinManager.h"
#include "platform/addin/Registry.h"
#include "platform/core/Error.h"
#include "tests/addin/FixtureHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> g_calls;
}

extern "C" void fixtureRecord(const char* call)
{
    g_calls.emplace_back(call);
}

FixtureWordApplication::~FixtureWordApplication() = default;
FixtureOtherApplication::~FixtureOtherApplication() = default;

namespace {

using Calls = std::vector<std::string>;

const QString kPlugin = QFileInfo(QStringLiteral(FIXTURE_ADDIN_PATH)).absoluteFilePath();
const QString kProgId = QStringLiteral("Fixture.Connect");

bool isMapped(const QString& path)
{
    void* handle = dlopen(path.toLocal8Bit().constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

int errorNumber(const std::function<void()>& call, QString* description = nullptr)
{
    try {
        call();
    } catch (const core::Error& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

class AddinTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }

    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("registry.ini"));
};

TEST_F(AddinTest, RegisterWritesTheRecordUnderTheRegistryKeysAndUnregisterRemovesIt)
{
    addin::registerLibrary(kPlugin, store);
    EXPECT_FALSE(isMapped(kPlugin));
    EXPECT_EQ(g_calls, Calls{"unloaded"});

    QSettings raw(store, QSettings::IniFormat);
    const QString key = QStringLiteral("HKEY_CURRENT_USER/Software/Microsoft/Office/Word/Addins/Fixture.Connect/");
    EXPECT_EQ(raw.value(key + "FriendlyName").toString(), "Fixture");
    EXPECT_EQ(raw.value(key + "Description").toString(), "テスト用のアドインです");
    EXPECT_EQ(raw.value(key + "LoadBehavior").toInt(), 3);
    EXPECT_EQ(raw.value("HKEY_CURRENT_USER/Software/Classes/Fixture.Connect/InprocServer32").toString(), kPlugin);

    const auto record = addin::Registry(store).record(kProgId);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->libraryPath, kPlugin);
    EXPECT_EQ(record->loadBehavior, addin::kLoadAtStartup);

    addin::unregisterLibrary(kPlugin, store);
    EXPECT_FALSE(addin::Registry(store).record(kProgId));
    raw.sync();
    EXPECT_EQ(raw.allKeys(), QStringList());
    EXPECT_FALSE(isMapped(kPlugin));
}

// An installed add-in is registered in the system's store, beside it; a user's own record of the
// same add-in wins, and a user's unregistering only switches it off for that user.
TEST_F(AddinTest, SystemStoreRegistersTheInstalledAddinAndTheUsersStoreWins)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("system"));
    const QString installed = dir.filePath("system/libinstalled.so");
    const QString systemStore = dir.filePath("system/registry.ini");
    ASSERT_TRUE(QFile::copy(kPlugin, installed));
    addin::registerLibrary(installed, systemStore);

    const auto connectedLibrary = [&]() -> QString {
        addin::AddinManager manager(store, systemStore);
        manager.connectAll(std::make_shared<FixtureWordApplication>());
        const auto records = manager.connectedRecords();
        EXPECT_LE(records.size(), 1u);
        return records.empty() ? QString() : records.front().libraryPath;
    };
    EXPECT_EQ(connectedLibrary(), installed);

    const addin::Registry registry(store, systemStore);
    ASSERT_TRUE(registry.remove(kProgId));
    EXPECT_EQ(registry.record(kProgId)->loadBehavior, 0);
    EXPECT_EQ(addin::Registry(dir.filePath("other.ini"), systemStore).record(kProgId)->loadBehavior, 3);
    EXPECT_EQ(connectedLibrary(), QString());

    ASSERT_TRUE(registry.write({kProgId, "Fixture", "", addin::kLoadAtStartup, kPlugin}));
    ASSERT_TRUE(registry.write({"A.UsersOwn", "", "", 0, kPlugin}));
    EXPECT_EQ(connectedLibrary(), kPlugin);
    QStringList listed;
    for (const auto& record : registry.records())
        listed << record.progId;
    EXPECT_EQ(listed, (QStringList{"A.UsersOwn", kProgId}));
}

TEST_F(AddinTest, RegistrationFailuresNameTheFile)
{
    QFile file(dir.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString unwritableStore = dir.filePath("plain/registry.ini");
    const QString missing = dir.filePath("libmissing.so");
    const QString core = QStringLiteral(CORE_LIBRARY_PATH);
    struct Case { QString library; QString store; int number; QString mentions; };
    for (const Case& c : {Case{missing, store, 53, missing},
                          Case{core, store, 453, "tvDllRegisterServer"},
                          Case{kPlugin, unwritableStore, 48, unwritableStore}}) {
        QString description;
        EXPECT_EQ(errorNumber([&] { addin::registerLibrary(c.library, c.store); }, &description), c.number)
            << c.library.toStdString();
        EXPECT_TRUE(description.contains(c.mentions)) << description.toStdString();
    }
    EXPECT_FALSE(isMapped(kPlugin));
}

TEST_F(AddinTest, ConnectRaisesInitializeThenOnConnectionAndDisconnectUnloads)
{
    addin::registerLibrary(kPlugin, store);
    g_calls.clear();
    const auto application = std::make_shared<FixtureWordApplication>();
    {
        addin::AddinManager manager(store);
        manager.connectAll(application);
        EXPECT_EQ(g_calls, (Calls{"Initialize", "OnConnection 1 FixtureWord Fixture.Connect"}));
        EXPECT_EQ(manager.connected(), QStringList{kProgId});
        EXPECT_TRUE(isMapped(kPlugin));
        EXPECT_EQ(application.use_count(), 2);

        g_calls.clear();
        manager.disconnectAll();
        EXPECT_EQ(g_calls, (Calls{"OnDisconnection 0", "destroyed", "unloaded"}));
        EXPECT_FALSE(isMapped(kPlugin));
        EXPECT_EQ(application.use_count(), 1);
        EXPECT_EQ(manager.connected(), QStringList());
        EXPECT_EQ(manager.errors(), QStringList());
    }

    // The manager's destructor disconnects what is still connected.
    g_calls.clear();
    {
        addin::AddinManager manager(store);
        manager.connectAll(application);
    }
    EXPECT_EQ(g_calls.back(), "unloaded");
    EXPECT_FALSE(isMapped(kPlugin));
}

TEST_F(AddinTest, HostOfAnotherKindFailsTheAddinsConversion)
{
    addin::registerLibrary(kPlugin, store);
    g_calls.clear();
    addin::AddinManager manager(store);
    manager.connectAll(std::make_shared<FixtureOtherApplication>());
    EXPECT_EQ(g_calls, (Calls{"Initialize", "OnConnection failed 13 型が一致しません。"}));
    // The add-in handled its own failure, so for the host it is connected.
    EXPECT_EQ(manager.connected(), QStringList{kProgId});
    EXPECT_EQ(manager.errors(), QStringList());
}

TEST_F(AddinTest, BrokenRecordsAreReportedAndTheOthersStillLoad)
{
    addin::registerLibrary(kPlugin, store);
    const QString garbage = dir.filePath("libgarbage.so");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library");
    file.close();
    const QString missing = dir.filePath("libmissing.so");
    const QString core = QStringLiteral(CORE_LIBRARY_PATH);

    struct Case { QString progId; QString library; int loadBehavior; QStringList mentions; };
    const std::vector<Case> cases{
        {"A.Missing", missing, 3, {missing, "見つかりません"}},
        {"B.Garbage", garbage, 3, {garbage, "読み込めません"}},
        {"C.NoEntry", core, 3, {core, "tvDllGetObject"}},
        {"D.NotServed", kPlugin, 3, {"D.NotServed", "作成できません"}},
        {"Fixture.FailingInit", kPlugin, 3, {"初期化に失敗", "プロシージャの呼び出し"}},
        {"Z.NotAtStartup", missing, 2, {}},
    };
    const addin::Registry registry(store);
    for (const Case& c : cases)
        ASSERT_TRUE(registry.write({c.progId, "Broken " + c.progId, "", c.loadBehavior, c.library}));

    g_calls.clear();
    addin::AddinManager manager(store);
    manager.connectAll(std::make_shared<FixtureWordApplication>());
    EXPECT_EQ(manager.connected(), QStringList{kProgId});
    EXPECT_EQ(manager.errors().size(), 5) << manager.errors().join('\n').toStdString();
    for (const Case& c : cases) {
        if (c.mentions.isEmpty())
            continue;
        const bool reported = std::any_of(manager.errors().begin(), manager.errors().end(), [&](const QString& e) {
            return std::all_of(c.mentions.begin(), c.mentions.end(), [&](const QString& m) { return e.contains(m); });
        });
        EXPECT_TRUE(reported) << c.progId.toStdString();
    }
    // The failed Initialize's object was destroyed and never connected.
    EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "Initialize"), 2);
    EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "destroyed"), 1);

    manager.disconnectAll();
    EXPECT_FALSE(isMapped(kPlugin));
}

TEST_F(AddinTest, StoreLocationIsOverridable)
{
    const QByteArray saved = qgetenv("TARVELIN_REGISTRY");
    qunsetenv("TARVELIN_REGISTRY");
    EXPECT_EQ(addin::Registry().fileName(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/tarvelin/registry.ini"));
    qputenv("TARVELIN_REGISTRY", store.toLocal8Bit());
    EXPECT_EQ(addin::Registry().fileName(), store);
    EXPECT_EQ(addin::Registry(dir.filePath("other.ini")).fileName(), dir.filePath("other.ini"));

    // The library writes to the store the host names through the environment, too.
    addin::registerLibrary(kPlugin);
    EXPECT_TRUE(addin::Registry(store).record(kProgId));
    if (saved.isNull())
        qunsetenv("TARVELIN_REGISTRY");
    else
        qputenv("TARVELIN_REGISTRY", saved);
}

} // namespace
