#include "tests/src/AddinSupport.h"
#include "tests/src/LogCapture.h"

#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/office/WordMenuBar.h"
#include "src/addin/Connect.h"
#include "src/addin/clsQLFMenuButton.h"
#include "src/addin/mdlQLFConst.h"
#include "src/log/mdlCOMLog.h"
#include "src/search/frmQLFFind.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace mdlQLFGlobal;

namespace {

const QString kSearchTag = QLatin1String(clsQLFMenuButton::kTagPrefix) + QStringLiteral(".qlf searchButton");
const QString kResultTag = QLatin1String(clsQLFMenuButton::kTagPrefix) + QStringLiteral(".qlf resultButton");
const QString kEditMenu = QStringLiteral("編集(&E)");
const QString kViewMenu = QStringLiteral("表示(&V)");

// A host application that is not Word.
class OtherHost : public core::Object {};

std::shared_ptr<office::CommandBarControls> menu(const word::ApplicationPtr& app, const QString& caption)
{
    const auto bar = app->CommandBars()->Item(office::kMenuBarName);
    return std::dynamic_pointer_cast<office::CommandBarPopup>(bar->Controls()->Item(caption))->CommandBar()->Controls();
}

std::shared_ptr<office::CommandBarButton> byTag(const word::ApplicationPtr& app, const QString& tag)
{
    return std::dynamic_pointer_cast<office::CommandBarButton>(app->CommandBars()->FindControl({}, {}, tag));
}

int tagged(const word::ApplicationPtr& app, const QString& tag)
{
    int count = 0;
    for (const auto& bar : {menu(app, kEditMenu), menu(app, kViewMenu), menu(app, QStringLiteral("ツール(&T)"))})
        for (const auto& control : bar->items())
            count += control->Tag() == tag;
    return count;
}

QString runtimeDescription(int number)
{
    return core::runtimeError(number, {}).description();
}

// The add-in's own lines: those of the components this part of the add-in traces.
QStringList connectLines(const LogCapture& log)
{
    QStringList out;
    for (const QString& line : log.lines())
        if (line.section(QLatin1Char(' '), 1).startsWith(QStringLiteral("Connect.")))
            out << line;
    return out;
}

class Connection : public ::testing::Test {
protected:
    void TearDown() override
    {
        // A test that failed half-way leaves nothing for the next one.
        g_frmFind.reset();
        g_frmResult.reset();
        g_objApplication.reset();
    }
    void connect(const std::shared_ptr<core::Object>& host)
    {
        connection.AddinInstance_Initialize();
        connection.AddinInstance_OnConnection(host, addin::ext_cm_Startup, nullptr, custom);
    }
    void disconnect() { connection.AddinInstance_OnDisconnection(addin::ext_dm_HostShutdown, custom); }

    forms::MessageRecorder messages;
    LogCapture log;
    word::ApplicationPtr app = word::Application::create();
    Connect connection;
    std::vector<QVariant> custom;
};

} // namespace

TEST_F(Connection, ConnectsAndDisconnectsInOrderWithItsLogLines)
{
    connect(app);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(g_objApplication, app);
    ASSERT_TRUE(g_frmFind && g_frmResult);
    EXPECT_TRUE(g_frmFind->isLoaded());
    EXPECT_TRUE(g_frmResult->isLoaded());
    EXPECT_FALSE(g_frmFind->isVisible());
    EXPECT_FALSE(g_frmResult->isVisible());
    EXPECT_EQ(menu(app, kEditMenu)->Item(1)->Caption(), QStringLiteral("検索して一覧表示する"));
    EXPECT_EQ(menu(app, kEditMenu)->Item(1)->Tag(), kSearchTag);
    EXPECT_EQ(menu(app, kViewMenu)->Item(1)->Caption(), QStringLiteral("検索結果画面を表示する"));
    EXPECT_EQ(menu(app, kViewMenu)->Item(1)->Tag(), kResultTag);
    EXPECT_TRUE(menu(app, kViewMenu)->Item(1)->Temporary());
    EXPECT_TRUE(mdlCOMLog::logFilePath().endsWith(QStringLiteral("\\log.log")));

    disconnect();
    EXPECT_FALSE(g_objApplication || g_frmFind || g_frmResult);
    EXPECT_FALSE(byTag(app, kSearchTag));
    EXPECT_FALSE(byTag(app, kResultTag));
    EXPECT_EQ(connectLines(log), (QStringList{
        "3 Connect.AddinInstance_Initialize IN", "3 Connect.AddinInstance_Initialize OUT",
        "3 Connect.AddinInstance_OnConnection IN", "3 Connect.AddinInstance_OnConnection OUT",
        "3 Connect.AddinInstance_OnDisconnection IN", "3 Connect.AddinInstance_OnDisconnection OUT"}));
    // The windows trace their loading between the connection's lines.
    const QStringList all = log.lines();
    EXPECT_LT(all.indexOf("3 frmQLFFind.Form_Load OUT"), all.indexOf("3 frmQLFResult.Form_Load IN"));
    EXPECT_LT(all.indexOf("3 frmQLFResult.Form_Load OUT"), all.indexOf("3 Connect.AddinInstance_OnConnection OUT"));
}

TEST_F(Connection, AHostThatIsNotWordGetsTheFailureBoxAndDisconnectionLogsEachMissingPiece)
{
    connect(std::make_shared<OtherHost>());
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0],
              (forms::MessageRecorder::Message{QStringLiteral("アドインの追加に失敗しました\r\nエラー詳細：")
                                                   + runtimeDescription(core::TypeMismatch),
                                               4144, QStringLiteral("警告")}));
    EXPECT_FALSE(g_objApplication || g_frmFind || g_frmResult);
    EXPECT_EQ(connectLines(log),
              (QStringList{"3 Connect.AddinInstance_Initialize IN", "3 Connect.AddinInstance_Initialize OUT",
                           "3 Connect.AddinInstance_OnConnection IN"}));

    disconnect();
    const QString missing = "0 Connect.AddinInstance_OnDisconnection " + runtimeDescription(core::ObjectNotSet);
    EXPECT_EQ(connectLines(log).mid(3), (QStringList{"3 Connect.AddinInstance_OnDisconnection IN", missing, missing,
                                                     missing, missing, "3 Connect.AddinInstance_OnDisconnection OUT"}));
    EXPECT_EQ(messages.messages().size(), 1);
}

// Not only Word's errors: a standard exception (here from the host drawing its menus) gets the
// failure box with its text, and in a disconnection step is logged, the other steps still running.
TEST_F(Connection, AnyExceptionGetsTheFailureBoxOrIsLoggedByItsDisconnectionStep)
{
    bool failing = true;
    QObject::connect(app->CommandBars().get(), &office::CommandBars::changed, [&failing] {
        if (failing)
            throw std::runtime_error("menus cannot be drawn");
    });
    connect(app);
    EXPECT_EQ(messages.messages().value(0).prompt, QStringLiteral("アドインの追加に失敗しました\r\nエラー詳細：menus cannot be drawn"));
    failing = false;
    disconnect();
    connect(app);
    failing = true;
    disconnect();
    EXPECT_FALSE(g_objApplication || g_frmFind || g_frmResult);
    const QString logged = QStringLiteral("0 Connect.AddinInstance_OnDisconnection menus cannot be drawn");
    EXPECT_EQ(connectLines(log).mid(connectLines(log).size() - 4),
              (QStringList{"3 Connect.AddinInstance_OnDisconnection IN", logged, logged,
                           "3 Connect.AddinInstance_OnDisconnection OUT"}));
}

TEST_F(Connection, AMissingViewMenuStopsBeforeTheSearchItem)
{
    app->CommandBars()->Item(office::kMenuBarName)->Controls()->Item(kViewMenu)->Delete();
    QString description;
    try {
        app->CommandBars()->Item(office::kMenuBarName)->Controls()->Item(kViewMenu);
    } catch (const core::Error& e) {
        description = e.description();
    }
    connect(app);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].prompt, QStringLiteral("アドインの追加に失敗しました\r\nエラー詳細：") + description);
    EXPECT_TRUE(g_frmResult && g_frmResult->isLoaded());
    EXPECT_FALSE(byTag(app, kSearchTag));

    // The result owner exists without an item, the search owner not at all: one logged failure.
    disconnect();
    EXPECT_EQ(connectLines(log).filter(QRegularExpression("^0 ")).size(), 1);
    EXPECT_FALSE(g_frmResult);
}

TEST_F(Connection, AnItemLeftFromAnEarlierRunIsAdoptedAndEveryCopyIsRemoved)
{
    // A hidden copy of the search item in another menu, and two of the result item.
    const auto tools = menu(app, QStringLiteral("ツール(&T)"));
    const auto left = std::dynamic_pointer_cast<office::CommandBarButton>(tools->Add(office::msoControlButton));
    left->setTag(kSearchTag);
    left->setCaption(QStringLiteral("前回の項目"));
    left->setVisible(false);
    for (int i = 0; i < 2; ++i)
        menu(app, i == 0 ? kViewMenu : QStringLiteral("ツール(&T)"))->Add(office::msoControlButton)->setTag(kResultTag);
    const int editItems = menu(app, kEditMenu)->Count();

    connect(app);
    EXPECT_EQ(menu(app, kEditMenu)->Count(), editItems);
    EXPECT_EQ(left->Caption(), QStringLiteral("前回の項目"));
    EXPECT_EQ(tagged(app, kResultTag), 2);
    left->Execute();
    EXPECT_TRUE(g_frmFind->isVisible());

    disconnect();
    EXPECT_EQ(tagged(app, kSearchTag), 0);
    EXPECT_EQ(tagged(app, kResultTag), 0);
}

TEST_F(Connection, ClickingTheItemsShowsTheWindowsModeless)
{
    connect(app);
    byTag(app, kResultTag)->Execute();
    EXPECT_TRUE(g_frmResult->isVisible());
    EXPECT_FALSE(g_frmResult->isModal());
    EXPECT_EQ(g_frmResult->grdResult()->Rows(), 1);
    byTag(app, kSearchTag)->Execute();
    EXPECT_TRUE(g_frmFind->isVisible());
    EXPECT_FALSE(g_frmFind->isModal());
    // Clicking again while it shows keeps the one dialog.
    byTag(app, kSearchTag)->Execute();
    EXPECT_TRUE(g_frmFind->isVisible());
    disconnect();
}

TEST(AddinConstants, NameVersionAndOneCreatorRecord)
{
    EXPECT_EQ(mdlQLFConst::getAddinName(), QStringLiteral("Tarvelin"));
    EXPECT_EQ(mdlQLFConst::getAddinVersion(), QStringLiteral("0.1.0"));
    const auto creator = mdlQLFConst::getCreator();
    EXPECT_EQ(creator, mdlQLFConst::getCreator());
    EXPECT_EQ(creator->HPAddress(), QStringLiteral("https://tarvelin.example.org/"));
    EXPECT_EQ(creator->EmailAddress(), QStringLiteral("contact@tarvelin.example.org"));
}
