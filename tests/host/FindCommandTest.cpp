// tarvelin find, run as a user runs it: a process, its output and its exit status.
#include "tests/host/CommandRun.h"
#include "tests/support/DocxBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using Outcome = CommandOutcome;

Outcome find(const QStringList& arguments) { return runTarvelin(QStringLiteral("find"), arguments); }

const QString kSample = QStringLiteral(TARVELIN_SAMPLE);

} // namespace

TEST(FindCommand, TableListsEveryStoryWithTheResultWindowsColumns)
{
    const Outcome r = find({"--text", "資料", kSample});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QStringList lines = r.lines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.first(), QStringLiteral("項番\tテキスト\tタイプ\t開始位置\t終了位置\tタイプコード"));
    QSet<int> types;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        ASSERT_EQ(cells.size(), 6) << lines[i].toStdString();
        EXPECT_EQ(cells[0].toInt(), i);
        EXPECT_EQ(cells[1], QStringLiteral("資料"));
        types.insert(cells[5].toInt());
    }
    // Every kind of story that holds text in the sample: main text, notes, comments, text boxes,
    // the six header and footer kinds and the two continuation notices.
    EXPECT_EQ(types, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 17}));
}

// Imported HTML is searched as main text; an imported RTF part is named once on standard error.
TEST(FindCommand, ImportedContentIsSearchedOrNamedOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("imports.docx");
    DocxBuilder()
        .body("<w:p><w:r><w:t>hit</w:t></w:r></w:p><w:altChunk r:id=\"c1\"/><w:altChunk r:id=\"c2\"/><w:altChunk r:id=\"c1\"/>")
        .raw("word/a.rtf", "{\\rtf1 hit}")
        .raw("word/b.htm", "<p>a <b>hit</b></p>")
        .relationship("c1", "aFChunk", "a.rtf")
        .relationship("c2", "aFChunk", "b.htm")
        .save(path);
    const Outcome r = find({"--text", "hit", "--json", path});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QStringLiteral("tarvelin find: %1: 取り込まれた部分 /word/a.rtf は RTF 形式のため検索されません。\n").arg(path));
    const QJsonArray hits = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[1].toObject()["start"].toInt(), 6);   // "hit¶a hit"
}

TEST(FindCommand, JsonGivesEachHitItsStoryInTheChain)
{
    const Outcome r = find({"--text", "第2章", "--json", kSample});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray hits = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(hits.size(), 6);  // the second section's six headers and footers
    for (const QJsonValue& v : hits) {
        const QJsonObject hit = v.toObject();
        EXPECT_EQ(hit["file"].toString(), kSample);
        EXPECT_EQ(hit["text"].toString(), QStringLiteral("第2章"));
        EXPECT_EQ(hit["type"].toString(), QStringLiteral("ヘッダーとフッター"));
        EXPECT_EQ(hit["story"].toInt(), 1);
        EXPECT_GE(hit["code"].toInt(), 6);
        EXPECT_EQ(hit["end"].toInt() - hit["start"].toInt(), 3);
    }
    EXPECT_EQ(hits[0].toObject()["no"].toInt(), 1);
}

// Each hit says where it is: JSON carries the location and the context; the table gains a place
// column at its end only when asked for.
TEST(FindCommand, HitsCarryTheirLocationAndContext)
{
    const Outcome json = find({"--text", "資料", "--json", "--context", "3", kSample});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray hits = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QSet<int> located;
    for (const QJsonValue& v : hits) {
        const QJsonObject hit = v.toObject(), at = hit["location"].toObject(), context = hit["context"].toObject();
        const int code = hit["code"].toInt();
        EXPECT_GE(at["section"].toInt(), 1);
        EXPECT_LE(context["before"].toString().size(), 3);
        EXPECT_LE(context["after"].toString().size(), 3);
        switch (code) {
        case 2:
        case 3: EXPECT_FALSE(at["note"].toString().isEmpty()); break;
        case 4:
            EXPECT_GE(at["comment"].toObject()["number"].toInt(), 1);
            EXPECT_FALSE(at["comment"].toObject()["author"].toString().isEmpty());
            EXPECT_EQ(at["comment"].toObject()["date"].toString(), QStringLiteral("2026-10-01T09:00:00Z"));
            break;
        case 5: EXPECT_GE(at["textBox"].toObject()["number"].toInt(), 1); break;
        case 6:
        case 8: EXPECT_EQ(at["kind"].toString(), QStringLiteral("偶数ページ")); break;
        case 10:
        case 11: EXPECT_EQ(at["kind"].toString(), QStringLiteral("先頭ページ")); break;
        default: break;
        }
        located.insert(code);
    }
    EXPECT_TRUE(located.contains(QSet<int>{2, 3, 4, 5, 6, 8, 10, 11}));

    const QStringList plain = find({"--text", "資料", kSample}).lines();
    const QStringList placed = find({"--text", "資料", "--location", kSample}).lines();
    ASSERT_EQ(placed.size(), plain.size());
    EXPECT_EQ(placed[0], plain[0] + QStringLiteral("\t場所"));
    for (int i = 1; i < placed.size(); ++i)
        EXPECT_TRUE(placed[i].startsWith(plain[i] + QStringLiteral("\tセクション "))) << placed[i].toStdString();
    EXPECT_EQ(find({"--text", "資料", "--context", "-1", kSample}).exitCode, 2);
}

// A folder is searched with -r only: its documents below it in path order, other files passed
// over. -l, -c, --count-by-story and --max-count list per file as grep does.
TEST(FindCommand, FoldersAndPerFileListings)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("a/b"));
    for (const char* name : {"a/one.docx", "a/b/two.docm"})
        ASSERT_TRUE(QFile::copy(kSample, dir.filePath(name)));
    QFile other(dir.filePath("a/notes.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("資料");
    other.close();
    const QString one = dir.filePath("a/one.docx"), two = dir.filePath("a/b/two.docm");

    const Outcome counts = find({"--text", "資料", "-r", "-c", dir.path()});
    EXPECT_EQ(counts.exitCode, 0) << counts.err.toStdString();
    EXPECT_EQ(counts.lines(), (QStringList{two + "\t33", one + "\t33"}));
    EXPECT_EQ(find({"--text", "資料", "--files-with-matches", "--recursive", dir.path()}).lines(), (QStringList{two, one}));
    EXPECT_EQ(find({"--text", "見当たらない語", "-c", one}).lines(), QStringList{"0"});

    const QStringList byStory = find({"--text", "資料", "--count-by-story", one}).lines();
    EXPECT_EQ(byStory.size(), 13);
    EXPECT_TRUE(byStory.contains(QStringLiteral("メイン文書\t1\t7"))) << byStory.join('|').toStdString();

    const QStringList limited = find({"--text", "資料", "--max-count", "2", one, two}).lines();
    ASSERT_EQ(limited.size(), 1 + 2 * 2);
    EXPECT_TRUE(limited[3].startsWith(two + "\t1\t"));

    const Outcome folder = find({"--text", "資料", dir.path()});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_TRUE(folder.err.contains(dir.path() + QStringLiteral(": フォルダーです"))) << folder.err.toStdString();
    for (const QStringList& wrong : {QStringList{"-c", "--json"}, QStringList{"--max-count", "0"}, QStringList{"-j", "0"}})
        EXPECT_EQ(find(QStringList{"--text", "資料"} + wrong + QStringList{one}).exitCode, 2) << wrong.join(' ').toStdString();
}

// Documents searched in parallel come out exactly as searched one by one, errors in their place,
// in every listing: the header once, before the first document that opens, and one JSON array.
TEST(FindCommand, ParallelOutputIsTheSerialOutput)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.docx"), small = dir.filePath("small.docx");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 not really a zip");
    f.close();
    DocxBuilder().body("<w:p><w:r><w:t>資料 資料</w:t></w:r></w:p>").save(small);
    const QStringList files{damaged, kSample, dir.path(), small, kSample, small, kSample};
    const Outcome serial = find(QStringList{"--text", "資料", "--json", "-j", "1"} + files);
    EXPECT_EQ(serial.exitCode, 2);
    EXPECT_EQ(QJsonDocument::fromJson(serial.out.toUtf8()).array().size(), 3 * 33 + 2 * 2);
    for (const QStringList& listing : {QStringList{"--json"}, QStringList{}, QStringList{"--location"}, QStringList{"--csv"},
                                       QStringList{"--csv", "--encoding", "cp932"}, QStringList{"-c"},
                                       QStringList{"--count-by-story"}, QStringList{"-l"}, QStringList{"--max-count", "3"}}) {
        SCOPED_TRACE(listing.join(' ').toStdString());
        const Outcome one = find(QStringList{"--text", "資料", "-j", "1"} + listing + files);
        ASSERT_GT(one.out.size(), 0);
        for (const char* jobs : {"2", "3", "8"}) {
            const Outcome many = find(QStringList{"--text", "資料", "-j", jobs} + listing + files);
            EXPECT_EQ(many.exitCode, one.exitCode) << jobs;
            EXPECT_EQ(many.out, one.out) << jobs;
            EXPECT_EQ(many.err, one.err) << jobs;
        }
    }
    // Nothing opens: no header, an empty array.
    EXPECT_EQ(find({"--text", "資料", "-j", "2", damaged, damaged}).out, QString());
    EXPECT_EQ(find({"--text", "資料", "--json", "-j", "2", damaged, damaged}).out, QStringLiteral("[]\n"));
}

// The Japanese fuzzy options a script sets, by the Application's property names.
TEST(FindCommand, FuzzyOptionsByPropertyName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("width.docx");
    DocxBuilder().body("<w:p><w:r><w:t>ﾃｽﾄ</w:t></w:r></w:p>").save(path);
    EXPECT_EQ(find({"--text", "テスト", "--fuzzy", "-c", path}).lines(), QStringList{"1"});
    EXPECT_EQ(find({"--text", "テスト", "--fuzzy", "--fuzzy-option", "matchfuzzybyte=off", "-c", path}).lines(), QStringList{"0"});
    EXPECT_EQ(find({"--text", "テスト", "--fuzzy", "--fuzzy-option", "MatchFuzzyByte=maybe", path}).exitCode, 2);
}

TEST(FindCommand, FormattingAloneAndControlCharactersShownVisibly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("marks.docx");
    DocxBuilder()
        .body("<w:p><w:r><w:t>say \"end</w:t></w:r></w:p><w:p><w:r><w:t>next</w:t><w:tab/><w:t>col\\</w:t></w:r></w:p>")
        .save(path);
    const Outcome marks = find({"--text", "end^pnext^t", path});
    ASSERT_EQ(marks.exitCode, 0) << marks.err.toStdString();
    EXPECT_EQ(marks.lines().value(1).section(QLatin1Char('\t'), 1, 1), QStringLiteral("end¶next␉"));
    // JSON keeps the text as it is, escaped.
    const Outcome json = find({"--text", "\"end^pnext^tcol\\", "--json", path});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).array().at(0).toObject()["text"].toString(),
              QStringLiteral("\"end\rnext\tcol\\"));

    const Outcome struck = find({"--text", "", "--strike", "yes", kSample});
    ASSERT_EQ(struck.exitCode, 0) << struck.err.toStdString();
    EXPECT_EQ(struck.lines().value(1).section(QLatin1Char('\t'), 1, 1), QStringLiteral("９月３０日"));
}

// JSON rows are written as UTF-8 by hand: characters of two, three and four bytes, and a control
// character as \u escape, read back as they are in the document.
TEST(FindCommand, JsonKeepsEveryCharacter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chars.docx");
    DocxBuilder().body("<w:p><w:r><w:t>前 café</w:t><w:br/><w:t>𠮷野家 後</w:t></w:r></w:p>").save(path);
    const Outcome r = find({"--text", "café^l𠮷", "--json", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"text\": \"café\\u000b𠮷\""))) << r.out.toStdString();
    const QJsonObject row = QJsonDocument::fromJson(r.out.toUtf8()).array().at(0).toObject();
    EXPECT_EQ(row["text"].toString(), QStringLiteral("café\u000B𠮷"));
    EXPECT_EQ(row["context"].toObject()["before"].toString(), QStringLiteral("前 "));
    EXPECT_EQ(row["context"].toObject()["after"].toString(), QStringLiteral("野家 後"));
}

// Table rows are written as UTF-8 by hand too: the file's name and the place as they are, the
// hit's control character as its picture.
TEST(FindCommand, TableRowsKeepEveryCharacter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("資料 é𠮷.docx"));
    DocxBuilder().body("<w:p><w:r><w:t>前 café</w:t><w:br/><w:t>𠮷野家 後</w:t></w:r></w:p>").save(path);
    DocxBuilder().body("<w:p><w:r><w:t>none</w:t></w:r></w:p>").save(dir.filePath("other.docx"));
    const Outcome r = find({"--text", "café^l𠮷", "--location", "-r", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines().value(1), path + QStringLiteral("\t1\tcafé␋𠮷\tメイン文書\t2\t9\t1\tセクション 1"));
}

// The result window stops at 32,767 rows; the command has no window and prints every hit,
// numbered on past the window's ceiling, in each file from 1.
TEST(FindCommand, PrintsEveryHitPastTheResultWindowsCeiling)
{
    QTemporaryDir dir;
    const QString many = dir.filePath("many.docx");
    constexpr int kHits = 32767 + 40;
    DocxBuilder().body("<w:p><w:r><w:t>" + QString(kHits, QLatin1Char('a')) + "</w:t></w:r></w:p>").save(many);
    const Outcome r = find({"--text", "a", many, many});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.lines();
    ASSERT_EQ(lines.size(), 1 + 2 * kHits);
    EXPECT_EQ(lines[kHits], QStringLiteral("%1\t%2\ta\tメイン文書\t%3\t%4\t1").arg(many).arg(kHits).arg(kHits - 1).arg(kHits));
    EXPECT_TRUE(lines[kHits + 1].startsWith(many + QStringLiteral("\t1\ta\t")));
}

TEST(FindCommand, ExitStatusFollowsGrepAndErrorsNameTheirFile)
{
    EXPECT_EQ(find({"--text", "見当たらない語", kSample}).exitCode, 1);

    const Outcome nothing = find({"--text", "", kSample});
    EXPECT_EQ(nothing.exitCode, 2);
    EXPECT_TRUE(nothing.err.contains(QStringLiteral("検索条件を設定してください")));

    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.docx");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 not really a zip");
    f.close();
    const Outcome mixed = find({"--text", "資料", damaged, kSample});
    EXPECT_EQ(mixed.exitCode, 2);
    EXPECT_TRUE(mixed.err.contains(damaged)) << mixed.err.toStdString();
    EXPECT_GT(mixed.lines().size(), 10);  // the good file was still searched
    EXPECT_TRUE(mixed.lines().value(1).startsWith(kSample + QLatin1Char('\t')));

    const Outcome pattern = find({"--text", "[a-", "--wildcards", kSample});
    EXPECT_EQ(pattern.exitCode, 2);
    EXPECT_TRUE(pattern.err.contains(QStringLiteral("無効なパターン"))) << pattern.err.toStdString();

    EXPECT_EQ(find({"--text", "x", "--strike", "maybe", kSample}).exitCode, 2);
    EXPECT_EQ(find({"--help"}).exitCode, 0);
}

// Ctrl-C stops a long run cleanly: what was found so far is printed, then the exit status 130.
TEST(FindCommand, InterruptStopsAndPrintsTheHitsSoFar)
{
    QStringList arguments{"--text", "資料"};
    for (int i = 0; i < 4000; ++i)
        arguments << kSample;
    QProcess p;
    p.start(QStringLiteral(TARVELIN_EXE), QStringList{QStringLiteral("find")} + arguments);
    ASSERT_TRUE(p.waitForStarted());
    // Interrupt once the first file's rows are out.
    while (p.state() == QProcess::Running && !p.canReadLine())
        p.waitForReadyRead(100);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_GT(lines.size(), 33);                // at least the first file's hits
    EXPECT_LT(lines.size(), 1 + 33 * 4000);     // but not every file's
}
