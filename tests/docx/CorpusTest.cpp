#include "tests/docx/Fixture.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"

#include <QDirIterator>

#include <gtest/gtest.h>

namespace {

QString corpus(const QString& name) { return QStringLiteral(TARVELIN_CORPUS_DIR "/") + name; }

const docx::Story* firstOfType(const docx::Document& d, int type)
{
    for (const auto& s : d.stories)
        if (s.type == type)
            return &s;
    return nullptr;
}

// Every real document opens or fails with the load error; nothing else escapes, and every
// loaded story keeps the model's invariants.
TEST(Corpus, EveryFileOpensOrFailsCleanly)
{
    int opened = 0;
    QStringList refused;
    QDirIterator it(QStringLiteral(TARVELIN_CORPUS_DIR), {"*.docx"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        try {
            const docx::Document d = docx::load(path);
            ++opened;
            ASSERT_FALSE(d.stories.empty());
            EXPECT_EQ(d.stories[0].type, docx::wdMainTextStory);
            int previousType = 0;
            for (const auto& s : d.stories) {
                EXPECT_GE(s.type, previousType);
                previousType = s.type;
                EXPECT_EQ(s.runs.empty(), s.text.isEmpty());
                if (!s.runs.empty()) {
                    EXPECT_EQ(s.runs.front().start, 0);
                }
                for (std::size_t i = 1; i < s.runs.size(); ++i)
                    EXPECT_LT(s.runs[i - 1].start, s.runs[i].start);
            }
            for (const auto& sec : d.sections)
                EXPECT_LT(sec.endPos, d.stories[0].length());
        } catch (const core::Error& e) {
            refused << QFileInfo(path).fileName();
            EXPECT_TRUE(e.number() == docx::kErrFileCorrupt || e.number() == docx::kErrFileNotFound);
            EXPECT_TRUE(e.description().contains(QFileInfo(path).fileName())) << e.what();
        }
    }
    EXPECT_GT(opened, 200);
    // Two password-protected documents and an encrypted package (OLE containers), a truncated
    // zip, a package without a main document, one whose main part declares a DTD and one naming its
    // main part twice; every other real document opens.
    refused.sort();
    EXPECT_EQ(refused, (QStringList{"document__ExternalEntityInText.docx", "document__bug53475-password-is-pass.docx",
                                    "document__bug53475-password-is-solrcell.docx",
                                    "document__truncated62886.docx", "document__unicode-path.docx",
                                    "integration__stress025.docx", "poifs__protected_agile.docx"}));
}

TEST(Corpus, FootnotesInReferenceOrder)
{
    const docx::Document d = docx::load(corpus("mammoth/test__test-data__footnotes.docx"));
    const docx::Story* notes = firstOfType(d, docx::wdFootnotesStory);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(visible(notes->text), QStringLiteral("² A tachyon walks into a bar.¶² Fin.¶"));
    ASSERT_EQ(d.notes.size(), 2u);
    EXPECT_EQ(d.stories[0].text.at(d.notes[1].refPos), QChar(docx::cp::NoteMark));
    EXPECT_NE(firstOfType(d, docx::wdFootnoteSeparatorStory), nullptr);
}

TEST(Corpus, OddEvenHeaders)
{
    const docx::Document d = docx::load(corpus("python-docx/features__steps__test_files__doc-odd-even-hdrs.docx"));
    ASSERT_NE(firstOfType(d, docx::wdEvenPagesHeaderStory), nullptr);
    EXPECT_EQ(firstOfType(d, docx::wdEvenPagesHeaderStory)->text, QStringLiteral("Even page header.\r"));
    EXPECT_EQ(firstOfType(d, docx::wdPrimaryHeaderStory)->text, QStringLiteral("Odd page header.\r"));
}

TEST(Corpus, TextBoxAndComments)
{
    const docx::Document box = docx::load(corpus("mammoth/test__test-data__text-box.docx"));
    ASSERT_EQ(box.textBoxes.size(), 1u);
    EXPECT_EQ(box.stories[box.textBoxes[0].story].text, QStringLiteral("Datum plane\r"));

    const docx::Document comments = docx::load(corpus("mammoth/test__test-data__comments.docx"));
    ASSERT_EQ(comments.comments.size(), 2u);
    EXPECT_EQ(visible(firstOfType(comments, docx::wdCommentsStory)->text),
              QStringLiteral("⁵A tachyon walks into a bar.¶⁵Fin.¶"));
}

// Refused as damaged, naming the part: a DTD in the main part, and a main part named by two
// entries (one by its raw name, the other through an Info-ZIP Unicode Path field).
TEST(Corpus, StrictFormatDtdAndTwiceNamedPart)
{
    EXPECT_EQ(docx::load(corpus("mammoth/test__test-data__strict-format.docx")).stories[0].text, QStringLiteral("Test\r"));
    const std::pair<const char*, const char16_t*> refused[] = {
        {"poi/document__ExternalEntityInText.docx", u"部品 /word/document.xml に DTD が含まれています"},
        {"poi/document__unicode-path.docx", u"部品 /word/document.xml が重複しています"}};
    for (const auto& [file, phrase] : refused) {
        try {
            docx::load(corpus(file));
            ADD_FAILURE() << "loaded " << file;
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
            EXPECT_TRUE(e.description().contains(QString::fromUtf16(phrase))) << e.what();
        }
    }
}

// An HTML chunk Word imports when it opens the file: its text, paragraphs and tables are the
// document's.
TEST(Corpus, ImportedHtmlChunkIsMainText)
{
    const docx::Document d = docx::load(corpus("poi/integration__stress012.docx"));
    const QString text = d.stories[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("\rBilaga\u00A0X\rMiljöbilaga Terminalglasögon\r"))) << text.left(80).toStdString();
    EXPECT_TRUE(visible(text).contains(QStringLiteral("Webbadress:¤¤EMAS¤")));
    EXPECT_EQ(d.stories[0].rowEnds.size(), 12u);   // two tables, of five rows and seven
    EXPECT_TRUE(text.endsWith(QStringLiteral("kan ha miljömål som ni bör ställa krav utifrån.\r")));
    EXPECT_TRUE(d.notices.empty());
}

TEST(Corpus, PasswordProtectedIsRefused)
{
    try {
        docx::load(corpus("poi/document__bug53475-password-is-pass.docx"));
        FAIL() << "loaded";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
        EXPECT_TRUE(e.description().contains(QStringLiteral("暗号化")));
    }
}

} // namespace
