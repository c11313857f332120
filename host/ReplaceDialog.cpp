#include "host/ReplaceDialog.h"

#include "platform/core/Error.h"
#include "platform/word/Application.h"
#include "platform/word/Dialogs.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace host {

namespace {

// The add-in's own match options, in its order.
const char* const kOptionCaptions[ReplaceDialog::kOptionCount] = {
    "大文字と小文字を区別する(&H)", "完全に一致する単語だけを検索する(&Y)", "ワイルドカードを使用する(&U)",
    "あいまい検索 (英)(&K)", "英単語の異なる活用形も検索する(&W)", "半角と全角を区別する(&M)", "あいまい検索 (日)(&J)"};

} // namespace

ReplaceDialog::ReplaceDialog(word::ApplicationPtr app, QWidget* parent) : QDialog(parent), m_app(std::move(app))
{
    setWindowTitle(QStringLiteral("検索と置換"));
    m_message = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };

    auto* fields = new QGridLayout;
    m_find = new QLineEdit;
    m_replace = new QLineEdit;
    auto* findLabel = new QLabel(QStringLiteral("検索する文字列(&N):"));
    auto* replaceLabel = new QLabel(QStringLiteral("置換後の文字列(&I):"));
    findLabel->setBuddy(m_find);
    replaceLabel->setBuddy(m_replace);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(m_replace, 1, 1);

    auto* options = new QGroupBox(QStringLiteral("検索オプション"));
    auto* optionList = new QGridLayout(options);
    for (int i = 0; i < kOptionCount; ++i) {
        m_options[i] = new QCheckBox(QString::fromUtf8(kOptionCaptions[i]));
        optionList->addWidget(m_options[i], i / 2, i % 2);
    }
    auto* fuzzy = new QPushButton(QStringLiteral("オプション(&S)..."));
    optionList->addWidget(fuzzy, kOptionCount / 2, 1, Qt::AlignRight);
    connect(fuzzy, &QPushButton::clicked, this, [this] { m_app->Dialogs()->Item(word::wdDialogToolsOptionsFuzzy)->Show(); });

    auto* buttons = new QDialogButtonBox;
    m_findNext = buttons->addButton(QStringLiteral("次を検索(&F)"), QDialogButtonBox::ActionRole);
    m_replaceOne = buttons->addButton(QStringLiteral("置換(&R)"), QDialogButtonBox::ActionRole);
    m_replaceAll = buttons->addButton(QStringLiteral("すべて置換(&A)"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    m_findNext->setDefault(true);
    connect(m_findNext, &QPushButton::clicked, this, [this] { findNext(); });
    connect(m_replaceOne, &QPushButton::clicked, this, [this] { replaceOne(); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(options);
    layout->addWidget(buttons);
}

void ReplaceDialog::settings(word::Find& f) const
{
    f.ClearFormatting();
    f.setText(m_find->text());
    f.setMatchCase(m_options[0]->isChecked());
    f.setMatchWholeWord(m_options[1]->isChecked());
    f.setMatchWildcards(m_options[2]->isChecked());
    f.setMatchSoundsLike(m_options[3]->isChecked());
    f.setMatchAllWordForms(m_options[4]->isChecked());
    f.setMatchByte(m_options[5]->isChecked());
    f.setMatchFuzzy(m_options[6]->isChecked());
    f.setWrap(word::wdFindStop);
    f.Replacement()->setText(m_replace->text());
}

bool ReplaceDialog::findNext()
{
    try {
        const word::DocumentPtr doc = m_app->ActiveDocument();
        const word::WindowPtr w = doc->ActiveWindow();
        // From the selection's end on, then each following story from its start, in Word's order.
        const int stories = static_cast<int>(doc->model().stories.size());
        for (int i = w->selectionStory(); i < stories; ++i) {
            const int32_t from = i == w->selectionStory() ? w->selectionEnd() : 0;
            auto range = std::make_shared<word::Range>(doc, i, from, from);
            const word::FindPtr f = range->Find();
            settings(*f);
            if (f->Execute()) {
                range->Select();
                return true;
            }
        }
        m_message(QStringLiteral("文書の最後まで検索しました。検索する項目は見つかりませんでした。"));
    } catch (const core::Error& e) {
        m_message(e.description());
    }
    return false;
}

void ReplaceDialog::replaceOne()
{
    try {
        const word::DocumentPtr doc = m_app->ActiveDocument();
        const word::WindowPtr w = doc->ActiveWindow();
        // The selection is replaced when it is a hit: searching its own span finds exactly it.
        if (w->selectionStart() < w->selectionEnd()) {
            auto range = std::make_shared<word::Range>(doc, w->selectionStory(), w->selectionStart(), w->selectionStart());
            const word::FindPtr f = range->Find();
            settings(*f);
            if (f->Execute() && range->Start() == w->selectionStart() && range->End() == w->selectionEnd()) {
                range->setSpan(w->selectionStart(), w->selectionStart());
                f->Execute(word::wdReplaceOne);
                w->select(range->storyIndex(), range->End(), range->End());
            }
        }
        findNext();
    } catch (const core::Error& e) {
        m_message(e.description());
    }
}

void ReplaceDialog::replaceAll()
{
    try {
        const word::DocumentPtr doc = m_app->ActiveDocument();
        auto range = std::make_shared<word::Range>(doc, 0, 0, 0);
        const word::FindPtr f = range->Find();
        settings(*f);
        int skipped = 0, total = 0;
        for (int n : word::replaceInEveryStory(doc, *f, &skipped))
            total += n;
        QString text = QStringLiteral("%1 個の項目を置換しました。").arg(total);
        if (skipped > 0)
            text += u'\n' + word::skippedMessage(skipped);
        m_message(text);
    } catch (const core::Error& e) {
        m_message(e.description());
    }
}

} // namespace host
