#include "platform/forms/JapaneseUi.h"
#include "platform/forms/MsgBox.h"
#include "src/addin/mdlQLFConst.h"
#include "src/common/frmQLFAddIn.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Takes the addresses the desktop is asked to open for one scheme, instead of a browser.
class UrlSink : public QObject {
    Q_OBJECT
public:
    explicit UrlSink(const QString& scheme) : m_scheme(scheme) { QDesktopServices::setUrlHandler(scheme, this, "open"); }
    ~UrlSink() override { QDesktopServices::unsetUrlHandler(m_scheme); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }

private:
    QString m_scheme;
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

TEST_F(AboutBox, HomePageClickOpensItAndOtherBoxesOpenNothing)
{
    UrlSink sink(QUrl(mdlQLFConst::getCreator()->HPAddress()).scheme());
    about.Show();
    for (const char* name : {"txtAddinName", "txtAddinVersion", "txtCreatorName", "txtCreatorEmailAddress"})
        click(box(name));
    EXPECT_TRUE(sink.opened.isEmpty());
    click(box("txtCreatorHP"));
    EXPECT_EQ(sink.opened, QList<QUrl>{QUrl(mdlQLFConst::getCreator()->HPAddress())});
    EXPECT_TRUE(about.isVisible());

    box("txtCreatorHP")->setText(QString());   // nothing to open: no message of the add-in's own
    click(box("txtCreatorHP"));
    EXPECT_TRUE(messages.messages().isEmpty());
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

#include "AboutBoxTest.moc"
