#include "platform/addin/AddinManager.h"
#include "platform/addin/Registry.h"
#include "platform/forms/MsgBox.h"
#include "platform/office/WordMenuBar.h"
#include "platform/word/Application.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

const QString kPlugin = QFileInfo(QStringLiteral(QLF_PLUGIN_PATH)).absoluteFilePath();

bool isMapped(const QString& path)
{
    void* handle = dlopen(path.toLocal8Bit().constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

QString firstItem(const word::ApplicationPtr& app, const QString& menu)
{
    const auto bar = app->CommandBars()->Item(office::kMenuBarName);
    const auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(bar->Controls()->Item(menu));
    return popup->CommandBar()->Controls()->Item(1)->Caption();
}

// Sets TARVELIN_REGISTRY for its lifetime.
class StoreVariable {
public:
    explicit StoreVariable(const QString& store) { qputenv("TARVELIN_REGISTRY", store.toUtf8()); }
    ~StoreVariable() { qunsetenv("TARVELIN_REGISTRY"); }
};

} // namespace

TEST(Plugin, RegistersLoadsConnectsAndUnloads)
{
    QTemporaryDir dir;
    StoreVariable store(dir.filePath(QStringLiteral("registry.ini")));
    addin::registerLibrary(kPlugin);
    const auto record = addin::Registry().record(QStringLiteral("QLF.Connect"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->friendlyName, QStringLiteral("Tarvelin"));
    EXPECT_EQ(record->description, QStringLiteral("ワードドキュメントを検索して一覧表示します"));
    EXPECT_EQ(record->loadBehavior, addin::kLoadAtStartup);
    EXPECT_EQ(record->libraryPath, kPlugin);
    EXPECT_FALSE(isMapped(kPlugin));

    forms::MessageRecorder messages;
    const word::ApplicationPtr app = word::Application::create();
    const QString editFirst = firstItem(app, QStringLiteral("編集(&E)"));
    {
        addin::AddinManager manager;
        manager.connectAll(app);
        EXPECT_TRUE(manager.errors().isEmpty()) << manager.errors().join('\n').toStdString();
        EXPECT_EQ(manager.connected(), QStringList{QStringLiteral("QLF.Connect")});
        EXPECT_TRUE(messages.messages().isEmpty());
        EXPECT_TRUE(isMapped(kPlugin));
        EXPECT_EQ(firstItem(app, QStringLiteral("編集(&E)")), QStringLiteral("検索して一覧表示する"));
        EXPECT_EQ(firstItem(app, QStringLiteral("表示(&V)")), QStringLiteral("検索結果画面を表示する"));

        manager.disconnectAll();
        EXPECT_TRUE(manager.errors().isEmpty()) << manager.errors().join('\n').toStdString();
    }
    EXPECT_EQ(firstItem(app, QStringLiteral("編集(&E)")), editFirst);
    EXPECT_NE(firstItem(app, QStringLiteral("表示(&V)")), QStringLiteral("検索結果画面を表示する"));
    EXPECT_FALSE(isMapped(kPlugin));

    addin::unregisterLibrary(kPlugin);
    EXPECT_FALSE(addin::Registry().record(QStringLiteral("QLF.Connect")));
}
