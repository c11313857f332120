// tarvelin replace, run as a user runs it; what it saves is read back by tarvelin find and by a
// real peer, LibreOffice.
#include "tests/host/CommandRun.h"
#include "tests/support/DocxBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using Outcome = CommandOutcome;

Outcome run(const QString& command, const QStringList& arguments) { return runTarvelin(command, arguments); }

QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kSample = QStringLiteral(TARVELIN_SAMPLE);

} // namespace

TEST(ReplaceCommand, DryRunListsAndOutputSavesEveryStory)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("s.docx"), out = dir.filePath("out.docx");
    ASSERT_TRUE(QFile::copy(kSample, copy));
    const int hits = run("find", {"--text", "資料", copy}).lines().size() - 1;
    ASSERT_GT(hits, 20);

    const Outcome dry = run("replace", {"--text", "資料", "--replace-with", "史料", "--dry-run", copy});
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.lines().size() - 1, hits);
    EXPECT_TRUE(dry.lines().value(1).endsWith(QStringLiteral("\t資料\t史料")));
    EXPECT_EQ(bytes(copy), bytes(kSample));
    EXPECT_FALSE(QFile::exists(out));

    const Outcome saved = run("replace", {"--text", "資料", "--replace-with", "史料", "--output", out, copy});
    EXPECT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    int total = 0;
    for (const QString& line : saved.lines().mid(1))
        total += line.section(u'\t', 3, 3).toInt();
    EXPECT_EQ(total, hits);
    EXPECT_EQ(bytes(copy), bytes(kSample));
    EXPECT_EQ(run("find", {"--text", "史料", out}).lines().size() - 1, hits);
    EXPECT_EQ(run("find", {"--text", "資料", out}).exitCode, 1);
}

TEST(ReplaceCommand, ExitStatusAndErrorsNameTheirFile)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("s.docx");
    ASSERT_TRUE(QFile::copy(kSample, copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);

    EXPECT_EQ(run("replace", {"--text", "見当たらない語", "--replace-with", "x", "--in-place", copy}).exitCode, 1);
    EXPECT_EQ(bytes(copy), bytes(kSample));

    const Outcome code = run("replace", {"--text", "資料", "--replace-with", "^?", "--in-place", copy});
    EXPECT_EQ(code.exitCode, 2);
    EXPECT_TRUE(code.err.contains(QStringLiteral("置換後の文字列"))) << code.err.toStdString();

    // A missing file is named; the other file is still replaced in place.
    const QString missing = dir.filePath("missing.docx");
    const Outcome mixed = run("replace", {"--text", "資料", "--replace-with", "史料", "--in-place", missing, copy});
    EXPECT_EQ(mixed.exitCode, 2);
    EXPECT_TRUE(mixed.err.contains(missing)) << mixed.err.toStdString();
    EXPECT_EQ(run("find", {"--text", "資料", copy}).exitCode, 1);

    EXPECT_EQ(run("replace", {"--text", "a", "--replace-with", "b", copy}).exitCode, 2);   // neither --output nor --in-place
    EXPECT_EQ(run("replace", {"--help"}).exitCode, 0);
}

// LibreOffice reads what we wrote: its text of each saved file is its text of the original with
// exactly the replacement made; paragraphs split and joined are its lines split and joined. A
// missing soffice fails the test.
TEST(ReplaceCommand, LibreOfficeReadsTheSavedFiles)
{
    QTemporaryDir dir;
    struct Case { QString file, find, with; QStringList more; };
    const Case cases[] = {
        {kSample, "資料", "史料", {}},
        {kSample, "資料", "", {"--set-strike", "yes", "--set-color", "255"}},   // formatting alone: runs split
        {TARVELIN_CORPUS_DIR "/mammoth/test__test-data__tables.docx", "e", "ë", {}},
        {TARVELIN_CORPUS_DIR "/mammoth/test__test-data__simple-list.docx", "e", "ë", {}},
        {TARVELIN_CORPUS_DIR "/python-docx/features__steps__test_files__doc-odd-even-hdrs.docx", "a", "ä", {}},
        {kSample, "。", "。^p", {}},   // a paragraph ends after each sentence
        {kSample, "^p", "／", {}},     // paragraphs joined
    };
    QStringList originals, saved;
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const QString original = dir.filePath(QStringLiteral("o%1.docx").arg(i)), out = dir.filePath(QStringLiteral("r%1.docx").arg(i));
        ASSERT_TRUE(QFile::copy(cases[i].file, original)) << cases[i].file.toStdString();
        const Outcome r = run("replace", QStringList{"--text", cases[i].find, "--replace-with", cases[i].with, "--match-case",
                                                     "--output", out, original} + cases[i].more);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        originals << original;
        saved << out;
    }

    // Its own profile; the first start of a new profile may stop early (81) and is run again.
    const QString profile = QUrl::fromLocalFile(dir.filePath("profile")).toString();
    int status = -1;
    for (int attempt = 0; attempt < 3 && status != 0; ++attempt) {
        QProcess soffice;
        soffice.start(QStringLiteral("soffice"), QStringList{"--headless", "--norestore", "-env:UserInstallation=" + profile,
                                                             "--convert-to", "txt:Text", "--outdir", dir.filePath("txt")}
                                                     + originals + saved);
        ASSERT_TRUE(soffice.waitForStarted(10000)) << "soffice is not installed";
        ASSERT_TRUE(soffice.waitForFinished(180000));
        status = soffice.exitCode();
    }
    ASSERT_EQ(status, 0);
    for (int i = 0; i < originals.size(); ++i) {
        const QString was = QString::fromUtf8(bytes(dir.filePath(QStringLiteral("txt/o%1.txt").arg(i))));
        const QString now = QString::fromUtf8(bytes(dir.filePath(QStringLiteral("txt/r%1.txt").arg(i))));
        if (cases[i].find == "^p") {   // its lines joined where the replacement stands
            EXPECT_EQ(QString(now).replace(cases[i].with, "\n"), was);
            EXPECT_TRUE(now.contains(cases[i].with));
            continue;
        }
        if (cases[i].with.endsWith("^p")) {   // the same text in more lines
            EXPECT_EQ(QString(now).remove(u'\n'), QString(was).remove(u'\n'));
            EXPECT_GT(now.count(u'\n'), was.count(u'\n'));
            continue;
        }
        ASSERT_TRUE(was.contains(cases[i].find)) << i;
        EXPECT_EQ(now, QString(was).replace(cases[i].find, cases[i].with.isEmpty() ? cases[i].find : cases[i].with)) << i;
    }
}

// The Japanese fuzzy options by the Application's property names, as tarvelin find takes them:
// both commands find the same places under the same options.
TEST(ReplaceCommand, FuzzyOptionsByPropertyNameAsFindTakesThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kana.docx");
    DocxBuilder().body("<w:p><w:r><w:t>ﾃｽﾄ、テスト、てすと</w:t></w:r></w:p>").save(path);
    const QList<std::pair<QStringList, int>> cases = {
        {{}, 3},
        {{"--fuzzy-option", "MatchFuzzyByte=off"}, 2},
        {{"--fuzzy-option", "matchfuzzybyte=off", "--fuzzy-option", "MATCHFUZZYHIRAGANA=off"}, 1},
        {{"--fuzzy-option", "MatchFuzzyByte=off", "--fuzzy-option", "MatchFuzzyByte=on"}, 3},
    };
    for (const auto& [options, places] : cases) {
        const QStringList search = QStringList{"--text", "テスト", "--fuzzy"} + options;
        const Outcome dry = run("replace", search + QStringList{"--replace-with", "試験", "--dry-run", path});
        EXPECT_EQ(dry.exitCode, 0) << options.join(' ').toStdString() << dry.err.toStdString();
        EXPECT_EQ(dry.lines().size() - 1, places) << options.join(' ').toStdString();
        EXPECT_EQ(run("find", search + QStringList{"-c", path}).lines(), QStringList{QString::number(places)});
    }

    const QString copy = dir.filePath("saved.docx");
    const Outcome saved = run("replace", {"--text", "テスト", "--fuzzy", "--fuzzy-option", "MatchFuzzyHiragana=off",
                                          "--replace-with", "試験", "--output", copy, path});
    EXPECT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(run("find", {"--text", "試験", "-c", copy}).lines(), QStringList{"2"});
    EXPECT_EQ(run("find", {"--text", "てすと", "-c", copy}).lines(), QStringList{"1"});

    for (const QString& wrong : {QStringLiteral("MatchFuzzyByte=maybe"), QStringLiteral("MatchFuzzyNothing=on"),
                                 QStringLiteral("MatchFuzzyByte")}) {
        const Outcome refused = run("replace", {"--text", "テスト", "--fuzzy", "--fuzzy-option", wrong,
                                                "--replace-with", "試験", "--dry-run", path});
        EXPECT_EQ(refused.exitCode, 2) << wrong.toStdString();
        EXPECT_TRUE(refused.err.contains(wrong)) << refused.err.toStdString();
    }
    const Outcome help = run("replace", {"--help"});
    for (const char* name : {"MatchFuzzyCase", "MatchFuzzyKiKu", "MatchFuzzySpace"})
        EXPECT_TRUE(help.out.contains(QLatin1String(name))) << name;
}
