#include "LogCapture.h"

#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/PropertyBag.h"
#include "platform/forms/Twips.h"
#include "src/common/ctlCOMAttentionText.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

forms::PropertyBag bagNaming(const QString& file)
{
    forms::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("textfilepath"), file, QString());
    return bag;
}

class AttentionText : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ctlCOMAttentionText ctl;
};

} // namespace

TEST_F(AttentionText, ShowsEveryLineFollowedByALineBreak)
{
    struct Case {
        const char* title;
        QByteArray content;
        QString shown;
    };
    const Case cases[] = {
        {"CR LF lines", "a\r\nb\r\nc", "a\nb\nc\n"},
        {"last line ended", "a\r\nb\r\nc\r\n", "a\nb\nc\n"},
        {"CR alone ends a line", "a\rb", "a\nb\n"},
        {"empty file", "", ""},
        {"code page 932", forms::toAnsi(QStringLiteral("注意事項\r\n全角ｶﾅ")), "注意事項\n全角ｶﾅ\n"},
        {"UTF-8 with a byte order mark", QByteArray("\xEF\xBB\xBF") + QStringLiteral("注意\r\n①").toUtf8(),
         "注意\n①\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const QString path = dir.filePath(QStringLiteral("note.txt"));
        writeFile(path, c.content);
        ctl.setTextFilePath(path);
        EXPECT_EQ(ctl.attentionText(), c.shown);
    }
}

TEST_F(AttentionText, LoadsFromTheHostsDesignAndReadsAgainOnEveryAssignment)
{
    const QString path = dir.filePath(QStringLiteral("FindAttention.txt"));
    writeFile(path, "first");
    ctl.initialize(bagNaming(path));
    EXPECT_EQ(ctl.findChild<QLabel*>(QStringLiteral("lblAttention"))->text(), QStringLiteral("注意:"));
    EXPECT_EQ(ctl.textFilePath(), path);
    EXPECT_EQ(ctl.attentionText(), QStringLiteral("first\n"));
    writeFile(path, "second");
    ctl.setTextFilePath(path);   // unchanged name, read again
    EXPECT_EQ(ctl.attentionText(), QStringLiteral("second\n"));
    EXPECT_EQ(ctl.storedProperties().ReadProperty(QStringLiteral("TEXTFILEPATH")).toString(), path);
    ctl.setTextFilePath(QString());
    EXPECT_EQ(ctl.attentionText(), QString());
    EXPECT_TRUE(ctl.storedProperties().isEmpty());
}

TEST_F(AttentionText, FailuresAreLoggedAndSwallowed)
{
    const QString before = QDir::currentPath();
    writeFile(dir.filePath(QStringLiteral("ok.txt")), "kept");
    ctl.setTextFilePath(dir.filePath(QStringLiteral("ok.txt")));
    LogCapture log;
    ctl.setTextFilePath(QString());   // nothing opened, nothing logged
    EXPECT_TRUE(log.lines().isEmpty());
    ctl.setTextFilePath(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_EQ(ctl.attentionText(), QString());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().at(0).startsWith(QStringLiteral("0 ctlCOMAttentionText.readAttentionFile ")));
    EXPECT_GT(log.lines().at(0).size(), QStringLiteral("0 ctlCOMAttentionText.readAttentionFile ").size());
    ctl.setTextFilePath(dir.path());   // a folder cannot be read as a file
    EXPECT_EQ(log.lines().size(), 2);
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(AttentionText, RelativeNamesComeFromTheAddinFolderNotTheCurrentOne)
{
    const QString name = QStringLiteral("note-%1.txt").arg(QUuid::createUuid().toString(QUuid::Id128));
    const QString beside = QDir(addinModuleFolder()).filePath(name);
    writeFile(beside, forms::toAnsi(QStringLiteral("アドインの横")));
    writeFile(dir.filePath(name), "current folder");
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ctl.setTextFilePath(name);
    QDir::setCurrent(before);
    QFile::remove(beside);
    EXPECT_EQ(ctl.attentionText(), QStringLiteral("アドインの横\n"));
}

TEST_F(AttentionText, ResizeKeepsTheTextBoxBelowTheLabel)
{
    ctl.initialize({});
    ctl.show();   // a hidden widget gets its resize events only when shown
    auto* text = ctl.findChild<QPlainTextEdit*>(QStringLiteral("txtAttention"));
    ctl.resize(forms::twipsToPixelsX(5535), forms::twipsToPixelsY(1440));
    EXPECT_EQ(text->geometry(), QRect(0, 16, 369, 96 - 16));
    ctl.resize(forms::twipsToPixelsX(3000), forms::twipsToPixelsY(100));
    EXPECT_EQ(ctl.height(), forms::twipsToPixelsY(240));
    EXPECT_EQ(text->geometry(), QRect(0, 16, 200, 0));
}
