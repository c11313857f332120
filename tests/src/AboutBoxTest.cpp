#include "platform/forms/JapaneseUi.h"
#include "platform/forms/MsgBox.h"
#include "src/addin/mdlQLFConst.h"
#include "platform/forms/Shell.h"
#include "src/common/frmQLFAddIn.h"
#include "tests/support/MouseSteps.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// An opener program that writes down each text it is asked to open, instead of starting a browser.
class RecordingOpener {
public:
    RecordingOpener()
    {
        QFile script(dir.filePath(QStringLiteral("opener")));
        script.open(QIODevice::WriteOnly);
        script.write(QStringLiteral("#!/bin/sh\nprintf '[%s]\\n' \"$@\" >> '%1'\n").arg(dir.filePath("log")).toUtf8());
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        forms::setShellOpener(script.fileName());
    }
    ~RecordingOpener() { forms::setShellOpener(QStringLiteral("xdg-open")); }
    // What was opened, once `count` texts have arrived (the opener runs on its own).
    QStringList opened(int count)
    {
        QStringList lines;
        static_cast<void>(QTest::qWaitFor([&] {
            QFile log(dir.filePath("log"));
            lines = log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
            return lines.size() >= count;
        }));
        return lines;
    }

private:
    QTemporaryDir dir;
};

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        forms::installJapaneseUi(*qApp);
        about.Load();
    }
    QLineEdit* box(const char* name) { return about.findChild<QLineEdit*>(QLatin1String(name)); }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, w->height() / 2)); }

    forms::MessageRecorder messages;
    frmQLFAddIn about;
};

} // namespace

TEST_F(AboutBox, ShowsNameVersionAndCreatorButNotTheHandleName)
{
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Tarvelinについて"));
    const auto creator = mdlQLFConst::getCreator();
    const std::pair<const char*, QString> shown[] = {
        {"txtAddinName", mdlQLFConst::getAddinName()}, {"txtAddinVersion", QStringLiteral("0.1.0")},
        {"txtCreatorName", creator->name()},           {"txtCreatorHP", creator->HPAddress()},
        {"txtCreatorEmailAddress", creator->EmailAddress()}};
    for (const auto& [name, text] : shown) {
        EXPECT_EQ(box(name)->text(), text) << name;
        EXPECT_TRUE(box(name)->isReadOnly()) << name;
    }
    for (QLineEdit* b : about.findChildren<QLineEdit*>())
        EXPECT_NE(b->text(), creator->HN());
    const QStringList labels{"アドイン名：", "バージョン：", "作成者：", "HP：", "連絡先："};
    QStringList texts;
    for (QLabel* l : about.findChildren<QLabel*>())
        texts.append(l->text());
    EXPECT_EQ(texts, labels);
    EXPECT_TRUE(box("txtCreatorHP")->font().underline());
    EXPECT_EQ(box("txtCreatorHP")->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(AboutBox, HomePageClickOpensItOnceAsGivenAndOtherBoxesOpenNothing)
{
    RecordingOpener opener;
    about.Show();
    for (const char* name : {"txtAddinName", "txtAddinVersion", "txtCreatorName", "txtCreatorEmailAddress"})
        click(box(name));
    click(box("txtCreatorHP"));
    EXPECT_EQ(opener.opened(1), QStringList{"[" + mdlQLFConst::getCreator()->HPAddress() + "]"});
    EXPECT_TRUE(about.isVisible());

    // One click a double-click; the text goes as it is, not made into an address first.
    const QString text = QStringLiteral("https://例え.jp/a b?q=検索 ");
    box("txtCreatorHP")->setText(text);
    deliveredDoubleClick(box("txtCreatorHP"), QPoint(4, box("txtCreatorHP")->height() / 2));
    ASSERT_EQ(opener.opened(2).size(), 2);
    box("txtCreatorHP")->setText(QString());   // nothing to open: the opener's business, no message
    click(box("txtCreatorHP"));
    EXPECT_EQ(opener.opened(3), (QStringList{"[" + mdlQLFConst::getCreator()->HPAddress() + "]", "[" + text + "]", "[]"}));
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutBox, AnOpenerThatCannotStartIsReportedAndTheBoxStays)
{
    forms::setShellOpener(QStringLiteral("/nonexistent/opener"));
    about.Show();
    click(box("txtCreatorHP"));
    forms::setShellOpener(QStringLiteral("xdg-open"));
    ASSERT_EQ(messages.messages().size(), 1);
    const auto& m = messages.messages().at(0);
    EXPECT_EQ(m.prompt, QStringLiteral("エラーが発生しました。\r\nエラー詳細：/nonexistent/opener を起動できません。"));
    EXPECT_EQ(std::make_pair(m.style, m.title), std::make_pair(4144, QStringLiteral("警告")));
    EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutBox, CloseButtonAndCloseBoxHideItLoaded)
{
    about.Show();
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    about.Show();
    about.close();
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(about.isLoaded());
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {   // as 閉じる does
        about.Show();
        QTest::keyClick(box("txtAddinName"), key);
        EXPECT_FALSE(about.isVisible()) << key;
    }
    about.Unload();
    EXPECT_FALSE(about.isLoaded());
}

TEST_F(AboutBox, RendersWithEveryTextWhole)
{
    about.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QString folder = QDir::temp().filePath(QStringLiteral("tarvelin-shots"));
    QDir().mkpath(folder);
    EXPECT_TRUE(about.grab().save(QDir(folder).filePath(QStringLiteral("frmQLFAddIn.png"))));
    for (QLabel* label : about.findChildren<QLabel*>())
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
    for (QLineEdit* b : about.findChildren<QLineEdit*>())
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width()) << b->objectName().toStdString();
}

