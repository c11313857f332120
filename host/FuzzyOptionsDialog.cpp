#include "host/FuzzyOptionsDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace host {

namespace {

struct Rule {
    bool match::FuzzyOptions::*member;
    const char* label;
};

// In the order of Word's Options.MatchFuzzy* properties: 16 pairs treated as equal, then the two
// kinds of characters skipped.
const Rule kRules[FuzzyOptionsDialog::kOptionCount] = {
    {&match::FuzzyOptions::matchFuzzyCase, "大文字と小文字"},
    {&match::FuzzyOptions::matchFuzzyByte, "全角と半角"},
    {&match::FuzzyOptions::matchFuzzyHiragana, "ひらがなとカタカナ"},
    {&match::FuzzyOptions::matchFuzzySmallKana, "小書き文字"},
    {&match::FuzzyOptions::matchFuzzyDash, "ダッシュと長音記号"},
    {&match::FuzzyOptions::matchFuzzyIterationMark, "繰り返し記号"},
    {&match::FuzzyOptions::matchFuzzyKanji, "旧字体と新字体"},
    {&match::FuzzyOptions::matchFuzzyOldKana, "旧仮名遣い"},
    {&match::FuzzyOptions::matchFuzzyProlongedSoundMark, "長音の有無"},
    {&match::FuzzyOptions::matchFuzzyDZ, "ヂ/ジ・ヅ/ズ"},
    {&match::FuzzyOptions::matchFuzzyBV, "バ/ヴァ・ハ/ファ"},
    {&match::FuzzyOptions::matchFuzzyTC, "ツィ/ティ/チ・ディ/ジ"},
    {&match::FuzzyOptions::matchFuzzyHF, "ヒュ/フュ・ビュ/ヴュ"},
    {&match::FuzzyOptions::matchFuzzyZJ, "セ/シェ・ゼ/ジェ"},
    {&match::FuzzyOptions::matchFuzzyAY, "イ段・エ段＋ア/ヤ"},
    {&match::FuzzyOptions::matchFuzzyKiKu, "サ行の前のキ/ク"},
    {&match::FuzzyOptions::matchFuzzyPunctuation, "句読点を無視する"},
    {&match::FuzzyOptions::matchFuzzySpace, "空白文字を無視する"},
};
constexpr int kPairCount = 16;

} // namespace

FuzzyOptionsDialog::FuzzyOptionsDialog(match::FuzzyOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    setWindowTitle(QStringLiteral("あいまい検索のオプション"));

    auto* pairs = new QGroupBox(QStringLiteral("同一視する項目"));
    auto* pairGrid = new QGridLayout(pairs);
    auto* ignored = new QGroupBox(QStringLiteral("無視する文字"));
    auto* ignoredBox = new QVBoxLayout(ignored);
    for (int i = 0; i < kOptionCount; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromUtf8(kRules[i].label));
        m_boxes[i]->setChecked(m_options.*kRules[i].member);
        if (i < kPairCount)
            pairGrid->addWidget(m_boxes[i], i / 2, i % 2);
        else
            ignoredBox->addWidget(m_boxes[i]);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        for (int i = 0; i < kOptionCount; ++i)
            m_options.*kRules[i].member = m_boxes[i]->isChecked();
        m_result = -1;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &FuzzyOptionsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pairs);
    layout->addWidget(ignored);
    layout->addWidget(buttons);
}

// Cancel and Esc.
void FuzzyOptionsDialog::reject()
{
    m_result = 0;
    QDialog::reject();
}

void FuzzyOptionsDialog::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    m_result = -2;
}

int FuzzyOptionsDialog::Show()
{
    m_result = -2;
    for (int i = 0; i < kOptionCount; ++i)
        m_boxes[i]->setChecked(m_options.*kRules[i].member);
    exec();
    return m_result;
}

} // namespace host
