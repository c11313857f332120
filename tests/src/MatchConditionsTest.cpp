#include "platform/forms/PropertyBag.h"
#include "platform/forms/StoredDesign.h"
#include "src/search/ctlQLFFindMatchConditions.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using forms::PropertyBag;

// Checked and enabled state of the seven boxes, in tab order.
struct Boxes {
    QString checked;   // one letter per box: x checked, . unchecked
    QString enabled;   // e enabled, - disabled
    bool operator==(const Boxes&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Boxes& b)
{
    return os << b.checked.toStdString() << " " << b.enabled.toStdString();
}

const char* const kNames[] = {"chkMatchCase", "chkMatchWholeWord", "chkMatchWildcards", "chkMatchSoundsLike",
                              "chkMatchAllWordForms", "chkMatchByte", "chkMatchFuzzy"};

class MatchConditions : public ::testing::Test {
protected:
    void load(const PropertyBag& bag = {}) { ctl.initialize(bag); }
    QCheckBox* box(const char* name) { return ctl.findChild<QCheckBox*>(QLatin1String(name)); }
    void click(const char* name) { QTest::mouseClick(box(name), Qt::LeftButton); }
    Boxes state()
    {
        Boxes b;
        for (const char* name : kNames) {
            b.checked += box(name)->isChecked() ? u'x' : u'.';
            b.enabled += box(name)->isEnabled() ? u'e' : u'-';
        }
        return b;
    }

    ctlQLFFindMatchConditions ctl;
    QSignalSpy changes{&ctl, &ctlQLFFindMatchConditions::changeState};
};

PropertyBag bagOf(std::initializer_list<const char*> trueNames)
{
    PropertyBag bag;
    for (const char* name : trueNames)
        bag.WriteProperty(QLatin1String(name), true, false);
    return bag;
}

} // namespace

TEST_F(MatchConditions, CaptionsAndDefaults)
{
    load();
    const QStringList captions{"大文字と小文字を区別する", "完全に一致する単語だけを検索する",
                               "ワイルドカードを使用する", "英語あいまい検索", "英単語の異なる活用形も検索する",
                               "半角と全角を区別する", "日本語あいまい検索"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(box(kNames[i])->text(), captions[i]);
    EXPECT_EQ(state(), (Boxes{".......", "eeeeeee"}));
    EXPECT_TRUE(ctl.matchWholeWordEnabled());
    EXPECT_EQ(changes.count(), 0);
}

// One user click after a starting state: the boxes afterwards and how many changeState events.
TEST_F(MatchConditions, ClickReactions)
{
    struct Case {
        const char* title;
        std::vector<const char*> before;   // clicked first, events not counted
        const char* clicked;
        Boxes after;
        int events;
    };
    const Case cases[] = {
        {"fuzzy with nothing checked", {}, "chkMatchFuzzy", {"......x", "--eee-e"}, 1},
        {"fuzzy clears checked plain boxes", {"chkMatchCase", "chkMatchWholeWord", "chkMatchByte"},
         "chkMatchFuzzy", {"......x", "--eee-e"}, 1},
        {"wildcards replaces fuzzy", {"chkMatchFuzzy"}, "chkMatchWildcards", {"..x....", "--eee-e"}, 2},
        {"sounds like replaces word forms", {"chkMatchAllWordForms"}, "chkMatchSoundsLike", {"...x...", "--eee-e"}, 2},
        {"word forms replaces wildcards", {"chkMatchWildcards"}, "chkMatchAllWordForms", {"....x..", "--eee-e"}, 2},
        {"unchecking the only exclusive box", {"chkMatchSoundsLike"}, "chkMatchSoundsLike", {".......", "eeeeeee"}, 1},
        {"plain boxes raise nothing", {}, "chkMatchByte", {".....x.", "eeeeeee"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ctlQLFFindMatchConditions fresh;
        fresh.initialize({});
        const auto boxOf = [&](const char* n) { return fresh.findChild<QCheckBox*>(QLatin1String(n)); };
        for (const char* name : c.before)
            QTest::mouseClick(boxOf(name), Qt::LeftButton);
        QSignalSpy spy(&fresh, &ctlQLFFindMatchConditions::changeState);
        QTest::mouseClick(boxOf(c.clicked), Qt::LeftButton);
        Boxes b;
        for (const char* name : kNames) {
            b.checked += boxOf(name)->isChecked() ? u'x' : u'.';
            b.enabled += boxOf(name)->isEnabled() ? u'e' : u'-';
        }
        EXPECT_EQ(b, c.after);
        EXPECT_EQ(spy.count(), c.events);
    }
}

TEST_F(MatchConditions, UncheckingRestoresEnablingButNotValues)
{
    load();
    click("chkMatchCase");
    click("chkMatchByte");
    click("chkMatchWildcards");
    click("chkMatchWildcards");
    EXPECT_EQ(state(), (Boxes{".......", "eeeeeee"}));
    ctl.setMatchWholeWordEnabled(false);
    click("chkMatchFuzzy");
    click("chkMatchFuzzy");
    EXPECT_EQ(state(), (Boxes{".......", "e-eeeee"}));
}

TEST_F(MatchConditions, WholeWordEnabling)
{
    load();
    click("chkMatchWholeWord");
    ctl.setMatchWholeWordEnabled(false);
    EXPECT_EQ(state(), (Boxes{".......", "e-eeeee"}));
    ctl.setMatchWholeWordEnabled(true);
    EXPECT_EQ(state(), (Boxes{".......", "eeeeeee"}));   // enabled again, still unchecked

    click("chkMatchFuzzy");
    ctl.setMatchWholeWordEnabled(true);
    EXPECT_FALSE(box("chkMatchWholeWord")->isEnabled());
    click("chkMatchFuzzy");
    EXPECT_TRUE(box("chkMatchWholeWord")->isEnabled());
    EXPECT_EQ(changes.count(), 2);   // the property itself raises nothing
}

TEST_F(MatchConditions, PropertySetsWriteDisabledBoxesAndRunReactionsOnlyOnChange)
{
    load();
    ctl.setMatchFuzzy(true);
    EXPECT_EQ(changes.count(), 1);
    ctl.setMatchFuzzy(true);   // the same value again runs nothing
    EXPECT_EQ(changes.count(), 1);
    ctl.setMatchCase(true);    // disabled, but written
    EXPECT_TRUE(ctl.matchCase());
    EXPECT_FALSE(box("chkMatchCase")->isEnabled());
    ctl.setMatchSoundsLike(true);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_FALSE(ctl.matchFuzzy());
    EXPECT_FALSE(ctl.matchCase());
    EXPECT_TRUE(ctl.matchSoundsLike());
}

TEST_F(MatchConditions, StoredPropertiesApplyInOrder)
{
    struct Case {
        std::initializer_list<const char*> stored;
        Boxes after;
    };
    const Case cases[] = {
        {{"matchwildcards", "matchfuzzy"}, {"......x", "--eee-e"}},
        {{"matchByte", "matchWildcards"}, {"..x..x.", "--eee-e"}},
        {{"matchByte", "matchSoundsLike"}, {"...x.x.", "--eee-e"}},
        {{"matchByte", "matchAllWordForms"}, {"....xx.", "--eee-e"}},
        {{"matchByte", "matchFuzzy"}, {"......x", "--eee-e"}},
        {{"matchCase", "matchWholeWord"}, {"xx.....", "eeeeeee"}},
        {{"MATCHCASE", "matchSoundsLike"}, {"...x...", "--eee-e"}},
    };
    for (const Case& c : cases) {
        ctlQLFFindMatchConditions fresh;
        fresh.initialize(bagOf(c.stored));
        Boxes b;
        for (const char* name : kNames) {
            b.checked += fresh.findChild<QCheckBox*>(QLatin1String(name))->isChecked() ? u'x' : u'.';
            b.enabled += fresh.findChild<QCheckBox*>(QLatin1String(name))->isEnabled() ? u'e' : u'-';
        }
        EXPECT_EQ(b, c.after) << *c.stored.begin();
    }
    PropertyBag noWholeWord;
    noWholeWord.WriteProperty(QStringLiteral("matchwholewordenabled"), false, true);
    load(noWholeWord);
    EXPECT_FALSE(ctl.matchWholeWordEnabled());
    EXPECT_FALSE(box("chkMatchWholeWord")->isEnabled());
}

TEST_F(MatchConditions, WritesOnlyValuesThatDifferFromTheirDefaults)
{
    load();
    EXPECT_TRUE(ctl.storedProperties().isEmpty());
    ctl.setMatchFuzzy(true);
    EXPECT_EQ(ctl.storedProperties().names(), QStringList{"matchFuzzy"});
    ctl.setMatchWholeWordEnabled(false);
    ctl.setMatchFuzzy(false);
    ctl.setMatchCase(true);
    ctl.setMatchByte(true);
    EXPECT_EQ(ctl.storedProperties().names(), (QStringList{"matchCase", "matchWholeWordEnabled", "matchByte"}));

    ctlQLFFindMatchConditions copy;
    copy.initialize(ctl.storedProperties());
    EXPECT_TRUE(copy.matchCase() && copy.matchByte());
    EXPECT_FALSE(copy.matchWholeWordEnabled());
}
