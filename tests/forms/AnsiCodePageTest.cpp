#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/FormsError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace forms;

TEST(AnsiCodePage, ByteLengthAsTheRuntimeCountsIt)
{
    const struct {
        QString text;
        int bytes;
    } cases[] = {
        {QStringLiteral("A"), 1},
        {QStringLiteral("あ"), 2},
        {QStringLiteral("ｱ"), 1},                  // half-width katakana
        {QStringLiteral("漢字"), 4},
        {QStringLiteral("～"), 2},                 // U+FF5E maps
        {QStringLiteral("①"), 2},                  // NEC extension
        {QString::fromUtf8("😀"), 1},             // surrogate pair, unmappable: one "?"
        {QStringLiteral("€"), 1},
        {QStringLiteral("〜"), 1},                 // WAVE DASH is not in cp932
        {QStringLiteral("Aあｱ😀"), 5},
        {QString(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ansiByteLength(c.text), c.bytes) << c.text.toStdString();
}

TEST(AnsiCodePage, UnmappableBecomesQuestionMarkAndRoundTrips)
{
    EXPECT_EQ(toAnsi(QString::fromUtf8("a😀€b")), QByteArray("a??b"));
    EXPECT_EQ(toAnsi(QStringLiteral("あ")), QByteArray("\x82\xA0"));
    EXPECT_EQ(toAnsi(QStringLiteral("\\~")), QByteArray("\\~"));
    const QString japanese = QStringLiteral("検索する文字列：ｶﾀｶﾅ①");
    EXPECT_EQ(fromAnsi(toAnsi(japanese)), japanese);

    // Asked for, the characters it could not hold are named, each once.
    QString unmappable;
    EXPECT_EQ(toAnsi(QString::fromUtf8("a😀〜あ😀€"), unmappable), QByteArray("a??\x82\xA0??"));
    EXPECT_EQ(unmappable, QString::fromUtf8("😀〜€"));
    QString none;
    EXPECT_EQ(toAnsi(QStringLiteral("あ"), none), QByteArray("\x82\xA0"));
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(toAnsi(QStringLiteral("〜")), QByteArray("?"));   // and plain conversion is as before
}

TEST(AnsiCodePage, TextFileIsCp932UnlessItStartsWithUtf8Bom)
{
    EXPECT_EQ(decodeTextFile(QByteArray("\x92\x8D\x88\xD3")), QStringLiteral("注意"));
    EXPECT_EQ(decodeTextFile(QByteArray("\xEF\xBB\xBF") + QStringLiteral("注意").toUtf8()), QStringLiteral("注意"));
}

TEST(AnsiCodePage, LinesEndAtCrOrCrLfOnly)
{
    QTemporaryDir dir;
    const struct {
        QByteArray content;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\r\nc\r\n", {"a", "b", "c"}},
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\rb", {"a", "b"}},
        {"a\nb\nc\n", {"a\nb\nc\n"}},        // line feeds alone do not end a line
        {"\r\n\r\n", {"", ""}},
        {"", {}},
        {"\x92\x8D\x88\xD3\r\n", {QStringLiteral("注意")}},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("note.txt"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.content);
        f.close();
        EXPECT_EQ(readTextLines(path), c.lines) << c.content.toStdString();
    }
}

TEST(AnsiCodePage, MissingFileRaisesFileNotFound)
{
    QTemporaryDir dir;
    try {
        readTextLines(dir.filePath(QStringLiteral("absent.txt")));
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), FileNotFound);
        EXPECT_EQ(e.description(), QStringLiteral("ファイルが見つかりません。"));
    }
}
