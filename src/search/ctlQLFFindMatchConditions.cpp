#include "src/search/ctlQLFFindMatchConditions.h"

#include "platform/forms/StoredDesign.h"

#include <QCheckBox>

#include <algorithm>

namespace {

const QString kMatchCase = QStringLiteral("matchCase");
const QString kMatchWholeWord = QStringLiteral("matchWholeWord");
const QString kMatchWholeWordEnabled = QStringLiteral("matchWholeWordEnabled");
const QString kMatchWildcards = QStringLiteral("matchWildcards");
const QString kMatchSoundsLike = QStringLiteral("matchSoundsLike");
const QString kMatchAllWordForms = QStringLiteral("matchAllWordForms");
const QString kMatchByte = QStringLiteral("matchByte");
const QString kMatchFuzzy = QStringLiteral("matchFuzzy");

void uncheckAndDisable(QCheckBox* box)
{
    box->setChecked(false);
    box->setEnabled(false);
}

} // namespace

static void initDesign()
{
    Q_INIT_RESOURCE(ctlQLFFindMatchConditions);
}

ctlQLFFindMatchConditions::ctlQLFFindMatchConditions(QWidget* parent) : forms::UserControl(parent)
{
    createControls();
}

void ctlQLFFindMatchConditions::createControls()
{
    static const bool designReady = (initDesign(), true);
    Q_UNUSED(designReady);
    const forms::StoredDesign design =
        forms::StoredDesign::load(QStringLiteral(":/designs/ctlQLFFindMatchConditions.json"));
    // Created in tab order.
    const auto box = [&](const char* name) {
        auto* b = new QCheckBox(this);
        b->setObjectName(QLatin1String(name));
        const forms::PropertyBag& stored = design.control(b->objectName());
        forms::placeFromDesign(b, stored);
        b->setText(stored.ReadProperty(QStringLiteral("caption")).toString());
        return b;
    };
    chkMatchCase = box("chkMatchCase");
    chkMatchWholeWord = box("chkMatchWholeWord");
    chkMatchWildcards = box("chkMatchWildcards");
    chkMatchSoundsLike = box("chkMatchSoundsLike");
    chkMatchAllWordForms = box("chkMatchAllWordForms");
    chkMatchByte = box("chkMatchByte");
    chkMatchFuzzy = box("chkMatchFuzzy");
    connect(chkMatchWildcards, &QCheckBox::toggled, this, &ctlQLFFindMatchConditions::chkMatchWildcards_Click);
    connect(chkMatchSoundsLike, &QCheckBox::toggled, this, &ctlQLFFindMatchConditions::chkMatchSoundsLike_Click);
    connect(chkMatchAllWordForms, &QCheckBox::toggled, this, &ctlQLFFindMatchConditions::chkMatchAllWordForms_Click);
    connect(chkMatchFuzzy, &QCheckBox::toggled, this, &ctlQLFFindMatchConditions::chkMatchFuzzy_Click);
}

void ctlQLFFindMatchConditions::setCaptions()
{
    chkMatchCase->setText(QStringLiteral("大文字と小文字を区別する"));
    chkMatchWholeWord->setText(QStringLiteral("完全に一致する単語だけを検索する"));
    chkMatchWildcards->setText(QStringLiteral("ワイルドカードを使用する"));
    chkMatchSoundsLike->setText(QStringLiteral("英語あいまい検索"));
    chkMatchAllWordForms->setText(QStringLiteral("英単語の異なる活用形も検索する"));
    chkMatchByte->setText(QStringLiteral("半角と全角を区別する"));
    chkMatchFuzzy->setText(QStringLiteral("日本語あいまい検索"));
}

bool ctlQLFFindMatchConditions::matchCase() const { return chkMatchCase->isChecked(); }
void ctlQLFFindMatchConditions::setMatchCase(bool value) { chkMatchCase->setChecked(value); }
bool ctlQLFFindMatchConditions::matchWholeWord() const { return chkMatchWholeWord->isChecked(); }
void ctlQLFFindMatchConditions::setMatchWholeWord(bool value) { chkMatchWholeWord->setChecked(value); }
bool ctlQLFFindMatchConditions::matchWildcards() const { return chkMatchWildcards->isChecked(); }
void ctlQLFFindMatchConditions::setMatchWildcards(bool value) { chkMatchWildcards->setChecked(value); }
bool ctlQLFFindMatchConditions::matchSoundsLike() const { return chkMatchSoundsLike->isChecked(); }
void ctlQLFFindMatchConditions::setMatchSoundsLike(bool value) { chkMatchSoundsLike->setChecked(value); }
bool ctlQLFFindMatchConditions::matchAllWordForms() const { return chkMatchAllWordForms->isChecked(); }
void ctlQLFFindMatchConditions::setMatchAllWordForms(bool value) { chkMatchAllWordForms->setChecked(value); }
bool ctlQLFFindMatchConditions::matchByte() const { return chkMatchByte->isChecked(); }
void ctlQLFFindMatchConditions::setMatchByte(bool value) { chkMatchByte->setChecked(value); }
bool ctlQLFFindMatchConditions::matchFuzzy() const { return chkMatchFuzzy->isChecked(); }
void ctlQLFFindMatchConditions::setMatchFuzzy(bool value) { chkMatchFuzzy->setChecked(value); }

void ctlQLFFindMatchConditions::setMatchWholeWordEnabled(bool value)
{
    m_matchWholeWordEnabled = value;
    if (!value) {
        uncheckAndDisable(chkMatchWholeWord);
        return;
    }
    if (!matchWildcards() && !matchSoundsLike() && !matchAllWordForms() && !matchFuzzy())
        chkMatchWholeWord->setEnabled(true);
}

void ctlQLFFindMatchConditions::chkMatchWildcards_Click()
{
    exclusiveClick(chkMatchWildcards, {chkMatchAllWordForms, chkMatchSoundsLike, chkMatchFuzzy});
}

void ctlQLFFindMatchConditions::chkMatchSoundsLike_Click()
{
    exclusiveClick(chkMatchSoundsLike, {chkMatchAllWordForms, chkMatchWildcards, chkMatchFuzzy});
}

void ctlQLFFindMatchConditions::chkMatchAllWordForms_Click()
{
    exclusiveClick(chkMatchAllWordForms, {chkMatchSoundsLike, chkMatchWildcards, chkMatchFuzzy});
}

void ctlQLFFindMatchConditions::chkMatchFuzzy_Click()
{
    exclusiveClick(chkMatchFuzzy, {chkMatchAllWordForms, chkMatchSoundsLike, chkMatchWildcards});
}

void ctlQLFFindMatchConditions::exclusiveClick(QCheckBox* changed, std::initializer_list<QCheckBox*> others)
{
    if (changed->isChecked()) {
        uncheckAndDisable(chkMatchCase);
        uncheckAndDisable(chkMatchWholeWord);
        uncheckAndDisable(chkMatchByte);
        // Each box that goes off here runs its own reaction, nested.
        for (QCheckBox* other : others)
            other->setChecked(false);
    } else if (std::none_of(others.begin(), others.end(), [](QCheckBox* b) { return b->isChecked(); })) {
        chkMatchCase->setEnabled(true);
        chkMatchWholeWord->setEnabled(m_matchWholeWordEnabled);
        chkMatchByte->setEnabled(true);
    }
    emit changeState();
}

void ctlQLFFindMatchConditions::UserControl_Initialize()
{
    setCaptions();
}

void ctlQLFFindMatchConditions::UserControl_ReadProperties(const forms::PropertyBag& bag)
{
    setMatchCase(bag.ReadProperty(kMatchCase, false).toBool());
    setMatchWholeWord(bag.ReadProperty(kMatchWholeWord, false).toBool());
    setMatchWholeWordEnabled(bag.ReadProperty(kMatchWholeWordEnabled, true).toBool());
    setMatchWildcards(bag.ReadProperty(kMatchWildcards, false).toBool());
    setMatchSoundsLike(bag.ReadProperty(kMatchSoundsLike, false).toBool());
    setMatchAllWordForms(bag.ReadProperty(kMatchAllWordForms, false).toBool());
    setMatchByte(bag.ReadProperty(kMatchByte, false).toBool());
    setMatchFuzzy(bag.ReadProperty(kMatchFuzzy, false).toBool());
}

void ctlQLFFindMatchConditions::UserControl_WriteProperties(forms::PropertyBag& bag)
{
    bag.WriteProperty(kMatchCase, matchCase(), false);
    bag.WriteProperty(kMatchWholeWord, matchWholeWord(), false);
    bag.WriteProperty(kMatchWholeWordEnabled, matchWholeWordEnabled(), true);
    bag.WriteProperty(kMatchWildcards, matchWildcards(), false);
    bag.WriteProperty(kMatchSoundsLike, matchSoundsLike(), false);
    bag.WriteProperty(kMatchAllWordForms, matchAllWordForms(), false);
    bag.WriteProperty(kMatchByte, matchByte(), false);
    bag.WriteProperty(kMatchFuzzy, matchFuzzy(), false);
}
