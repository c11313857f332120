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

constexpr int kPairCount = 16;

} // namespace

// 16 pairs treated as equal, then the two kinds of characters skipped.
const FuzzyRule kFuzzyRules[FuzzyOptionsDialog::kOptionCount] = {
    {&match::FuzzyOptions::matchFuzzyCase, "MatchFuzzyCase", "大文字と小文字"},
    {&match::FuzzyOptions::matchFuzzyByte, "MatchFuzzyByte", "全角と半角"},
    {&match::FuzzyOptions::matchFuzzyHiragana, "MatchFuzzyHiragana", "ひらがなとカタカナ"},
    {&match::FuzzyOptions::matchFuzzySmallKana, "MatchFuzzySmallKana", "小書き文字"},
    {&match::FuzzyOptions::matchFuzzyDash, "MatchFuzzyDash", "ダッシュと長音記号"},
    {&match::FuzzyOptions::matchFuzzyIterationMark, "MatchFuzzyIterationMark", "繰り返し記号"},
    {&match::FuzzyOptions::matchFuzzyKanji, "MatchFuzzyKanji", "旧字体と新字体"},
    {&match::FuzzyOptions::matchFuzzyOldKana, "MatchFuzzyOldKana", "旧仮名遣い"},
    {&match::FuzzyOptions::matchFuzzyProlongedSoundMark, "MatchFuzzyProlongedSoundMark", "長音の有無"},
    {&match::FuzzyOptions::matchFuzzyDZ, "MatchFuzzyDZ", "ヂ/ジ・ヅ/ズ"},
    {&match::FuzzyOptions::matchFuzzyBV, "MatchFuzzyBV", "バ/ヴァ・ハ/ファ"},
    {&match::FuzzyOptions::matchFuzzyTC, "MatchFuzzyTC", "ツィ/ティ/チ・ディ/ジ"},
    {&match::FuzzyOptions::matchFuzzyHF, "MatchFuzzyHF", "ヒュ/フュ・ビュ/ヴュ"},
    {&match::FuzzyOptions::matchFuzzyZJ, "MatchFuzzyZJ", "セ/シェ・ゼ/ジェ"},
    {&match::FuzzyOptions::matchFuzzyAY, "MatchFuzzyAY", "イ段・エ段＋ア/ヤ"},
    {&match::FuzzyOptions::matchFuzzyKiKu, "MatchFuzzyKiKu", "サ行の前のキ/ク"},
    {&match::FuzzyOptions::matchFuzzyPunctuation, "MatchFuzzyPunctuation", "句読点を無視する"},
    {&match::FuzzyOptions::matchFuzzySpace, "MatchFuzzySpace", "空白文字を無視する"},
};

FuzzyOptionsDialog::FuzzyOptionsDialog(match::FuzzyOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    setWindowTitle(QStringLiteral("あいまい検索のオプション"));

    auto* pairs = new QGroupBox(QStringLiteral("同一視する項目"));
    auto* pairGrid = new QGridLayout(pairs);
    auto* ignored = new QGroupBox(QStringLiteral("無視する文字"));
    auto* ignoredBox = new QVBoxLayout(ignored);
    for (int i = 0; i < kOptionCount; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromUtf8(kFuzzyRules[i].label));
        m_boxes[i]->setChecked(m_options.*kFuzzyRules[i].member);
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
            m_options.*kFuzzyRules[i].member = m_boxes[i]->isChecked();
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
        m_boxes[i]->setChecked(m_options.*kFuzzyRules[i].member);
    exec();
    return m_result;
}

} // namespace host
