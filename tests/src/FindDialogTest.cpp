#include "LogCapture.h"

#include "platform/core/Error.h"
#include "platform/forms/FlexGrid.h"
#include "platform/forms/JapaneseUi.h"
#include "platform/forms/MsgBox.h"
#include "platform/word/Application.h"
#include "platform/word/Dialogs.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/common/ctlCOMAttentionText.h"
#include "src/results/frmQLFResult.h"
#include "src/search/clsQLFFind.h"
#include "src/search/ctlQLFFindMatchConditions.h"
#include "src/search/frmQLFFind.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/DoEventsSlice.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <new>

using namespace mdlQLFGlobal;

namespace {

// "Word word WORD" and a highlighted "marked" before " plain words"; then a red "赤い語", a
// struck-through "消した語" and a red struck-through "赤い取消".
const char* const kBody =
    "<w:p><w:r><w:t xml:space=\"preserve\">Word word WORD</w:t></w:r></w:p>"
    "<w:p><w:r><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr><w:t>marked</w:t></w:r>"
    "<w:r><w:t xml:space=\"preserve\"> plain words</w:t></w:r></w:p>"
    "<w:p><w:r><w:rPr><w:color w:val=\"FF0000\"/></w:rPr><w:t>赤い語</w:t></w:r><w:r><w:t>と</w:t></w:r>"
    "<w:r><w:rPr><w:strike/></w:rPr><w:t>消した語</w:t></w:r><w:r><w:t>と</w:t></w:r>"
    "<w:r><w:rPr><w:color w:val=\"FF0000\"/><w:strike/></w:rPr><w:t>赤い取消</w:t></w:r></w:p>";

constexpr int kInformationStyle = 4160;

class FindDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        forms::installJapaneseUi(*qApp);
        g_objApplication = word::Application::create();
        g_frmResult = std::make_shared<frmQLFResult>();
        g_frmResult->Load();
        dialog.Load();
    }
    void TearDown() override
    {
        dialog.Unload();
        g_frmResult->Unload();
        g_frmResult.reset();
        g_objApplication.reset();
    }

    word::DocumentPtr openDocument()
    {
        const QString path = dir.filePath(QStringLiteral("find.docx"));
        DocxBuilder().body(QString::fromUtf8(kBody)).save(path);
        return g_objApplication->Documents()->Open(path);
    }
    template<class W = QWidget>
    W* child(const char* name) { return dialog.findChild<W*>(QLatin1String(name)); }
    QLineEdit* txtText() { return child<QLineEdit>("txtText"); }
    QCheckBox* chkHighlight() { return child<QCheckBox>("chkHighlight"); }
    ctlQLFFindMatchConditions* options() { return child<ctlQLFFindMatchConditions>("ctlFindMatchConditions"); }
    void execute() { QTest::mouseClick(child<QPushButton>("btnExecute"), Qt::LeftButton); }
    QStringList hits()
    {
        QStringList texts;
        forms::FlexGrid* grid = g_frmResult->grdResult();
        for (int row = 1; row < grid->Rows(); ++row)
            texts.append(grid->TextMatrix(row, frmQLFResult::colText));
        return texts;
    }

    QTemporaryDir dir;
    forms::MessageRecorder messages;
    frmQLFFind dialog;
};

} // namespace

TEST_F(FindDialog, LoadsWithCaptionsFuzzyOnAndTheNoteNamed)
{
    frmQLFFind fresh;
    LogCapture log;
    fresh.Load();
    // The note file is not beside the test program: its control logs that, and the load goes on.
    EXPECT_EQ(log.lines().filter(QStringLiteral("frmQLFFind")),
              (QStringList{"3 frmQLFFind.Form_Load IN", "3 frmQLFFind.Form_Load OUT"}));
    EXPECT_FALSE(fresh.isVisible());
    EXPECT_EQ(fresh.windowTitle(), QStringLiteral("検索"));
    const std::pair<const char*, const char*> texts[] = {
        {"lblText", "検索する文字列:"}, {"btnOption", "オプション..."}, {"chkHighlight", "蛍光ペン"},
        {"btnAbout", "アドインについて"}, {"btnExecute", "検索を実行"}, {"btnCancel", "キャンセル"}};
    for (const auto& [name, text] : texts) {
        QWidget* w = fresh.findChild<QWidget*>(QLatin1String(name));
        const QString shown = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                       : qobject_cast<QAbstractButton*>(w)->text();
        EXPECT_EQ(shown, QString::fromUtf8(text)) << name;
    }
    auto* opts = fresh.findChild<ctlQLFFindMatchConditions*>(QStringLiteral("ctlFindMatchConditions"));
    EXPECT_TRUE(opts->matchFuzzy());
    EXPECT_FALSE(opts->matchCase() || opts->matchWholeWord() || opts->matchByte());
    EXPECT_TRUE(fresh.findChild<QPushButton*>(QStringLiteral("btnOption"))->isEnabled());
    EXPECT_EQ(fresh.findChild<QCheckBox*>(QStringLiteral("chkHighlight"))->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(fresh.findChild<ctlCOMAttentionText*>(QStringLiteral("txtAttentionText"))->textFilePath(),
              QStringLiteral("FindAttention.txt"));
}

TEST_F(FindDialog, SearchesWithTheOptionsAndHighlightItWasGiven)
{
    struct Case {
        const char* title;
        QString text;
        std::function<void(ctlQLFFindMatchConditions*)> options;
        Qt::CheckState highlight;
        QStringList expected;
    };
    const auto plain = [](ctlQLFFindMatchConditions* o) { o->setMatchFuzzy(false); };
    const Case cases[] = {
        {"no options", "word", plain, Qt::PartiallyChecked, {"Word", "word", "WORD", "word"}},
        {"case", "word", [&](auto* o) { plain(o); o->setMatchCase(true); }, Qt::PartiallyChecked, {"word", "word"}},
        {"whole word", "word", [&](auto* o) { plain(o); o->setMatchWholeWord(true); }, Qt::PartiallyChecked,
         {"Word", "word", "WORD"}},
        {"case and whole word", "word",
         [&](auto* o) { plain(o); o->setMatchCase(true); o->setMatchWholeWord(true); }, Qt::PartiallyChecked, {"word"}},
        {"wildcards", "w?rd", [](auto* o) { o->setMatchWildcards(true); }, Qt::PartiallyChecked, {"word", "word"}},
        {"highlight alone", "", plain, Qt::Checked, {"marked"}},
        {"not highlighted", "ma", plain, Qt::Unchecked, {}},
        {"a blank is a text", " ", plain, Qt::PartiallyChecked, {" ", " ", " ", " "}},
    };
    openDocument();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        dialog.Show();
        txtText()->setText(c.text);
        c.options(options());
        chkHighlight()->setCheckState(c.highlight);
        execute();
        EXPECT_TRUE(messages.messages().isEmpty());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(g_frmResult->isVisible());
        EXPECT_EQ(hits(), c.expected);
        // Back to the dialog's own starting options.
        options()->setMatchWildcards(false);
        options()->setMatchFuzzy(true);
    }
}

// The font criterion chosen through the format control reaches Find: by colour alone, and by
// strike-through together with a text.
TEST_F(FindDialog, SearchesByTheFontChosenInTheFormatControl)
{
    openDocument();
    dialog.Show();
    options()->setMatchFuzzy(false);
    QTest::mouseClick(child<QCheckBox>("chkFont"), Qt::LeftButton);

    ModalSteps red({{"frmQLFFontSetting", [](QWidget* w) { ModalSteps::click(w, "btnFontColor"); }},
                    {"frmQLFColorSelect", [](QWidget* w) {
                         QTest::mouseClick(w->findChild<QWidget*>(QStringLiteral("btnColor(17)"))
                                               ->findChild<QLabel*>(QStringLiteral("lblColor")),
                                           Qt::LeftButton);
                         ModalSteps::click(w, "btnOK");
                     }},
                    {"frmQLFFontSetting", [](QWidget* w) { ModalSteps::click(w, "btnOK"); }}});
    child<QPushButton>("btnFont")->click();
    ASSERT_TRUE(red.done());
    execute();  // no text, no highlight: the font alone is the criterion
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(hits(), (QStringList{"赤い語", "赤い取消"}));

    ModalSteps struck({{"frmQLFFontSetting", [](QWidget* w) {
                            QTest::mouseClick(w->findChild<QCheckBox*>(QStringLiteral("chkStrikeThrough")), Qt::LeftButton);
                            ModalSteps::click(w, "btnOK");
                        }}});
    dialog.Show();
    child<QPushButton>("btnFont")->click();
    ASSERT_TRUE(struck.done());
    txtText()->setText(QStringLiteral("取消"));
    execute();
    EXPECT_EQ(hits(), (QStringList{"取消"}));  // red and struck through: only the last word's
}

TEST_F(FindDialog, RefusesARequestThatNamesNothing)
{
    openDocument();
    g_frmResult->Show();
    dialog.Show();
    execute();
    EXPECT_EQ(messages.messages(),
              (QList<forms::MessageRecorder::Message>{{"検索条件を設定してください", kInformationStyle, "情報"}}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(g_frmResult->isVisible());
}

TEST_F(FindDialog, RefusesToRunWithoutADocument)
{
    g_frmResult->Show();
    dialog.Show();
    txtText()->setText(QStringLiteral("word"));
    execute();
    EXPECT_EQ(messages.messages(), (QList<forms::MessageRecorder::Message>{
                                       {"ドキュメントが開かれていないため実行できません", kInformationStyle, "情報"}}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(g_frmResult->isVisible());
}

TEST_F(FindDialog, ReportsAFailedSearchAndStaysOpen)
{
    word::DocumentPtr doc = openDocument();
    QString description;
    try {
        word::RangePtr story = doc->StoryRanges()->Item(1);
        word::FindPtr find = story->Find();
        find->setMatchWildcards(true);
        find->setText(QStringLiteral("[a"));
        find->Execute();
    } catch (const core::Error& e) {
        description = e.description();
    }
    ASSERT_FALSE(description.isEmpty());

    g_frmResult->Show();
    dialog.Show();
    txtText()->setText(QStringLiteral("[a"));
    options()->setMatchWildcards(true);
    execute();
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages().at(0).prompt.toStdString(),
              (QStringLiteral("検索に失敗しました。\r\nエラー詳細:") + description).toStdString());
    EXPECT_EQ(messages.messages().at(0).style, kInformationStyle);
    EXPECT_EQ(messages.messages().at(0).title, QStringLiteral("警告"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(g_frmResult->isVisible());
    EXPECT_FALSE(clsQLFFind::isRunning());
}

// Not only Word's errors: whatever the search throws (here the memory running out) is reported
// with its description, and the click returns with the screen back on.
TEST_F(FindDialog, ReportsAnyFailureOfTheSearch)
{
    openDocument();
    QObject::connect(g_objApplication.get(), &word::Application::screenUpdatingChanged, [](bool on) {
        if (!on)
            throw std::bad_alloc();
    });
    dialog.Show();
    txtText()->setText(QStringLiteral("word"));
    execute();
    EXPECT_EQ(messages.messages().value(0).prompt,
              QStringLiteral("検索に失敗しました。\r\nエラー詳細:") + QString::fromLatin1(std::bad_alloc().what()));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(g_objApplication->ScreenUpdating());
}

TEST_F(FindDialog, ASecondStartDuringASearchDoesNothing)
{
    openDocument();
    dialog.Show();
    txtText()->setText(QStringLiteral("word"));
    options()->setMatchFuzzy(false);
    bool nestedDuringSearch = false;
    bool stillSearching = false;
    const DoEventsSliceFor everyHit(std::chrono::microseconds(0));
    // Runs from the search's own message processing, at its first hit.
    QTimer::singleShot(0, &dialog, [&] {
        nestedDuringSearch = clsQLFFind::isRunning();
        execute();
        stillSearching = dialog.isVisible() && !g_frmResult->isVisible();
    });
    execute();
    ASSERT_TRUE(nestedDuringSearch);
    EXPECT_TRUE(stillSearching);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(hits().size(), 4);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(g_frmResult->isVisible());
}

TEST_F(FindDialog, FullWidthTextDisablesWholeWord)
{
    struct Case {
        QString text;
        bool wholeWordPossible;
    };
    const Case cases[] = {
        {"", true},           {"word", true},      {"ｱｲｳｴｵ", true},   // half-width kana: one byte each
        {"a😀", true},        // not in the code page: one "?" byte
        {"abc全", false},     {"ａ", false},       {"①", false},      {"～", false},
    };
    options()->setMatchFuzzy(false);
    auto* wholeWord = dialog.findChild<QCheckBox*>(QStringLiteral("chkMatchWholeWord"));
    for (const Case& c : cases) {
        txtText()->setText(QStringLiteral("x"));
        options()->setMatchWholeWord(true);
        txtText()->setText(c.text);
        EXPECT_EQ(options()->matchWholeWordEnabled(), c.wholeWordPossible) << c.text.toStdString();
        EXPECT_EQ(wholeWord->isEnabled(), c.wholeWordPossible) << c.text.toStdString();
        EXPECT_EQ(wholeWord->isChecked(), c.wholeWordPossible) << c.text.toStdString();
    }

    // Typed and deleted: the box comes back only while no exclusive option is on.
    txtText()->clear();
    QTest::sendKeyEvent(QTest::Click, txtText(), Qt::Key_unknown, QStringLiteral("漢"), Qt::NoModifier);
    EXPECT_EQ(txtText()->text(), QStringLiteral("漢"));
    EXPECT_FALSE(wholeWord->isEnabled());
    options()->setMatchSoundsLike(true);
    QTest::keyClick(txtText(), Qt::Key_Backspace);
    EXPECT_FALSE(wholeWord->isEnabled());
    options()->setMatchSoundsLike(false);
    EXPECT_TRUE(wholeWord->isEnabled());
}

TEST_F(FindDialog, HighlightBoxClicksAndBackspace)
{
    dialog.Show();
    QCheckBox* box = chkHighlight();
    const Qt::CheckState afterClicks[] = {Qt::Checked, Qt::Unchecked, Qt::Checked};
    for (Qt::CheckState expected : afterClicks) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));   // on the indicator
        EXPECT_EQ(box->checkState(), expected);
    }
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(box->checkState(), Qt::Checked);

    txtText()->setText(QStringLiteral("ab"));
    txtText()->setFocus();
    QTest::keyClick(txtText(), Qt::Key_Backspace);
    EXPECT_EQ(txtText()->text(), QStringLiteral("a"));
    EXPECT_EQ(box->checkState(), Qt::Checked);
}

TEST_F(FindDialog, FuzzyBoxDrivesTheOptionButton)
{
    auto* btnOption = child<QPushButton>("btnOption");
    auto* fuzzy = dialog.findChild<QCheckBox*>(QStringLiteral("chkMatchFuzzy"));
    QTest::mouseClick(fuzzy, Qt::LeftButton);
    EXPECT_FALSE(btnOption->isEnabled());
    QTest::mouseClick(fuzzy, Qt::LeftButton);
    EXPECT_TRUE(btnOption->isEnabled());
    QTest::mouseClick(dialog.findChild<QCheckBox*>(QStringLiteral("chkMatchWildcards")), Qt::LeftButton);
    EXPECT_FALSE(btnOption->isEnabled());
}

TEST_F(FindDialog, OptionButtonShowsWordsFuzzyDialog)
{
    auto* btnOption = child<QPushButton>("btnOption");
    LogCapture log;
    QTest::mouseClick(btnOption, Qt::LeftButton);   // no host has installed the dialog
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().at(0).startsWith(QStringLiteral("0 frmQLFFind.btnOption_Click ")));
    EXPECT_TRUE(messages.messages().isEmpty());

    int shown = 0;
    g_objApplication->Dialogs()->install(word::wdDialogToolsOptionsFuzzy, [&] {
        ++shown;
        return 0;
    });
    QTest::mouseClick(btnOption, Qt::LeftButton);
    EXPECT_EQ(shown, 1);
}

TEST_F(FindDialog, CloseBoxHidesAndKeepsEverything)
{
    dialog.Show();
    txtText()->setText(QStringLiteral("残る"));
    options()->setMatchWildcards(true);
    chkHighlight()->setCheckState(Qt::Unchecked);
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.isLoaded());
    dialog.Show();
    EXPECT_EQ(txtText()->text(), QStringLiteral("残る"));
    EXPECT_TRUE(options()->matchWildcards());
    EXPECT_FALSE(options()->matchFuzzy());
    EXPECT_EQ(chkHighlight()->checkState(), Qt::Unchecked);
}

TEST_F(FindDialog, ShowingItPutsTheFocusOnTheTextWithTheTextSelected)
{
    dialog.Show();
    txtText()->setText(QStringLiteral("前の語"));
    child<QPushButton>("btnAbout")->setFocus();
    dialog.Hide();
    dialog.Show();
    EXPECT_EQ(dialog.focusWidget(), txtText());
    EXPECT_EQ(txtText()->selectedText(), QStringLiteral("前の語"));
}

// The overflow is reported as a failure, and the hits found up to it are shown all the same.
TEST_F(FindDialog, AFullListIsReportedThenShownWithEveryHitFound)
{
    const QString path = dir.filePath(QStringLiteral("many.docx"));
    DocxBuilder().body("<w:p><w:r><w:t>" + QString(frmQLFResult::kMaxHits + 1, 'a') + "</w:t></w:r></w:p>").save(path);
    g_objApplication->Documents()->Open(path);
    dialog.Show();
    txtText()->setText(QStringLiteral("a"));
    execute();
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().at(0).prompt.startsWith(QStringLiteral("検索に失敗しました。\r\nエラー詳細:")));
    EXPECT_TRUE(g_frmResult->isVisible());
    EXPECT_EQ(g_frmResult->grdResult()->Rows(), frmQLFResult::kMaxHits + 1);
}

TEST_F(FindDialog, KeyboardEnterExecutesEscapeHidesTabFollowsTheTable)
{
    dialog.Show();
    txtText()->setFocus();
    QTest::keyClick(txtText(), Qt::Key_Return);
    ASSERT_EQ(messages.messages().size(), 1);   // the empty request reached btnExecute
    EXPECT_EQ(messages.messages().at(0).prompt, QStringLiteral("検索条件を設定してください"));

    QStringList order;
    QWidget* w = txtText();
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != txtText());
    EXPECT_EQ(order, (QStringList{"txtText", "chkMatchCase", "chkMatchWholeWord", "chkMatchWildcards",
                                  "chkMatchSoundsLike", "chkMatchAllWordForms", "chkMatchByte", "chkMatchFuzzy",
                                  "btnOption", "chkHighlight", "chkFont", "btnFont", "btnAbout", "btnExecute", "btnCancel", "txtAttention"}));

    QTest::keyClick(txtText(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.isLoaded());
}

TEST_F(FindDialog, AboutButtonShowsANewAboutBoxAndUnloadsIt)
{
    dialog.Show();
    for (int opening = 0; opening < 2; ++opening) {
        QString title;
        QStringList boxes;
        ModalSteps guard({{"QWidget", [&](QWidget* about) {
            title = about->windowTitle();
            for (auto* box : about->findChildren<QLineEdit*>())
                boxes.append(box->text());
            QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
        }}});
        QTest::mouseClick(child<QPushButton>("btnAbout"), Qt::LeftButton);
        EXPECT_TRUE(guard.acted());
        EXPECT_FALSE(guard.expired());
        EXPECT_EQ(title, QStringLiteral("Tarvelinについて"));
        EXPECT_EQ(boxes.size(), 5);
        EXPECT_TRUE(boxes.contains(QStringLiteral("0.1.0")));
        QCoreApplication::processEvents();
        for (QWidget* top : QApplication::topLevelWidgets())
            EXPECT_NE(top->windowTitle(), QStringLiteral("Tarvelinについて"));
    }
}

TEST_F(FindDialog, RendersWithCaptionsWhole)
{
    dialog.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QString folder = QDir::temp().filePath(QStringLiteral("tarvelin-shots"));
    QDir().mkpath(folder);
    EXPECT_TRUE(dialog.grab().save(QDir(folder).filePath(QStringLiteral("frmQLFFind.png"))));
    // Every caption fits its control.
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        const int needed = button->sizeHint().width();
        EXPECT_LE(needed, button->width() + 2) << button->objectName().toStdString();
    }
    for (QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
}
