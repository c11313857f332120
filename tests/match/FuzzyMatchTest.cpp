#include "MatchTestSupport.h"

#include <gtest/gtest.h>

using namespace matchtest;
using match::FuzzyOptions;
using match::Hit;
using match::Query;
using Hits = std::vector<Hit>;

namespace {

Query fuzzy(const QString& text, const FuzzyOptions& options = {})
{
    Query q = query(text);
    q.matchFuzzy = true;
    q.fuzzy = options;
    return q;
}

struct FuzzyCase {
    const char* name;
    bool FuzzyOptions::*option;
    QString text;
    QString find;
    Hits whenOn;
};

class FuzzyRule : public testing::TestWithParam<FuzzyCase> {};

// Each rule makes the pair equal when switched on and keeps them apart when switched off.
TEST_P(FuzzyRule, EqualOnlyWhenSwitchedOn)
{
    const FuzzyCase& c = GetParam();
    FuzzyOptions on;
    on.*c.option = true;
    FuzzyOptions off;
    off.*c.option = false;
    EXPECT_EQ(allHits(fuzzy(c.find, on), story(c.text)), c.whenOn);
    EXPECT_EQ(allHits(fuzzy(c.find, off), story(c.text)), Hits{});
}

INSTANTIATE_TEST_SUITE_P(Options, FuzzyRule, testing::Values(
    FuzzyCase{"Case", &FuzzyOptions::matchFuzzyCase, "ABC", "abc", {{0, 3}}},
    FuzzyCase{"Byte", &FuzzyOptions::matchFuzzyByte, QStringLiteral("ｶﾀｶﾅ"), QStringLiteral("カタカナ"), {{0, 4}}},
    FuzzyCase{"ByteVoiced", &FuzzyOptions::matchFuzzyByte, QStringLiteral("xｶﾞｲﾄﾞ"), QStringLiteral("ガイド"), {{1, 6}}},
    FuzzyCase{"Hiragana", &FuzzyOptions::matchFuzzyHiragana, QStringLiteral("ひらがな"), QStringLiteral("ヒラガナ"), {{0, 4}}},
    FuzzyCase{"SmallKana", &FuzzyOptions::matchFuzzySmallKana, QStringLiteral("ちょっと"), QStringLiteral("ちよつと"), {{0, 4}}},
    FuzzyCase{"Dash", &FuzzyOptions::matchFuzzyDash, "A-B", QStringLiteral("A―B"), {{0, 3}}},
    FuzzyCase{"IterationMark", &FuzzyOptions::matchFuzzyIterationMark, QStringLiteral("時々"), QStringLiteral("時時"), {{0, 2}}},
    FuzzyCase{"IterationMarkKinds", &FuzzyOptions::matchFuzzyIterationMark, QStringLiteral("こゝろ"), QStringLiteral("こころ"), {{0, 3}}},
    FuzzyCase{"VoicedIterationMark", &FuzzyOptions::matchFuzzyIterationMark, QStringLiteral("いすゞ"), QStringLiteral("いすず"), {{0, 3}}},
    FuzzyCase{"Kanji", &FuzzyOptions::matchFuzzyKanji, QStringLiteral("國學院"), QStringLiteral("国学院"), {{0, 3}}},
    FuzzyCase{"OldKana", &FuzzyOptions::matchFuzzyOldKana, QStringLiteral("ゐる"), QStringLiteral("いる"), {{0, 2}}},
    FuzzyCase{"ProlongedSoundMark", &FuzzyOptions::matchFuzzyProlongedSoundMark, QStringLiteral("コンピュータ"), QStringLiteral("コンピューター"), {{0, 6}}},
    FuzzyCase{"DZ", &FuzzyOptions::matchFuzzyDZ, QStringLiteral("ちぢむ"), QStringLiteral("ちじむ"), {{0, 3}}},
    FuzzyCase{"BVa", &FuzzyOptions::matchFuzzyBV, QStringLiteral("ヴァイオリン"), QStringLiteral("バイオリン"), {{0, 6}}},
    FuzzyCase{"BHa", &FuzzyOptions::matchFuzzyBV, QStringLiteral("ファン"), QStringLiteral("ハン"), {{0, 3}}},
    FuzzyCase{"TC", &FuzzyOptions::matchFuzzyTC, QStringLiteral("ティケット"), QStringLiteral("チケット"), {{0, 5}}},
    FuzzyCase{"TCdi", &FuzzyOptions::matchFuzzyTC, QStringLiteral("ディレクター"), QStringLiteral("ジレクター"), {{0, 6}}},
    FuzzyCase{"HF", &FuzzyOptions::matchFuzzyHF, QStringLiteral("フュージョン"), QStringLiteral("ヒュージョン"), {{0, 6}}},
    FuzzyCase{"ZJ", &FuzzyOptions::matchFuzzyZJ, QStringLiteral("ジェット"), QStringLiteral("ゼット"), {{0, 4}}},
    FuzzyCase{"AY", &FuzzyOptions::matchFuzzyAY, QStringLiteral("ピヤノ"), QStringLiteral("ピアノ"), {{0, 3}}},
    FuzzyCase{"KiKu", &FuzzyOptions::matchFuzzyKiKu, QStringLiteral("エキス"), QStringLiteral("エクス"), {{0, 3}}},
    FuzzyCase{"Punctuation", &FuzzyOptions::matchFuzzyPunctuation, QStringLiteral("東京、大阪"), QStringLiteral("東京大阪"), {{0, 5}}},
    FuzzyCase{"Space", &FuzzyOptions::matchFuzzySpace, QStringLiteral("日本\u3000語"), QStringLiteral("日本語"), {{0, 4}}}
), [](const auto& info) { return std::string(info.param.name); });

TEST(FuzzyDefaults, FollowTheOptionsTable)
{
    const FuzzyOptions d;
    EXPECT_TRUE(d.matchFuzzyCase && d.matchFuzzyByte && d.matchFuzzyHiragana && d.matchFuzzySmallKana
                && d.matchFuzzyDash && d.matchFuzzyIterationMark && d.matchFuzzyKanji && d.matchFuzzyOldKana
                && d.matchFuzzyProlongedSoundMark && d.matchFuzzyDZ && d.matchFuzzyBV && d.matchFuzzyTC
                && d.matchFuzzyHF && d.matchFuzzyZJ && d.matchFuzzyAY && d.matchFuzzyKiKu);
    EXPECT_FALSE(d.matchFuzzyPunctuation || d.matchFuzzySpace);
}

TEST(FuzzySpans, MapBackToOriginalPositions)
{
    // Hits cover the source characters: composed half-width kana, merged syllables, skipped marks.
    EXPECT_EQ(allHits(fuzzy(QStringLiteral("がいど")), story(QStringLiteral("あいうｶﾞｲﾄﾞ"))), (Hits{{3, 8}}));
    EXPECT_EQ(allHits(fuzzy(QStringLiteral("バ")), story(QStringLiteral("xヴァx"))), (Hits{{1, 3}}));
    EXPECT_EQ(allHits(fuzzy(QStringLiteral("ヴ")), story(QStringLiteral("ヴァ"))), Hits{});
    FuzzyOptions skip;
    skip.matchFuzzyPunctuation = true;
    EXPECT_EQ(allHits(fuzzy(QStringLiteral("、大阪"), skip), story(QStringLiteral("東京、大阪"))), (Hits{{3, 5}}));
}

struct SpanCase {
    const char* name;
    QString text;
    QString find;
    Hits hits;
};

class FuzzySpanEdge : public testing::TestWithParam<SpanCase> {};

// Characters that fold alone and characters folded with their neighbours meet: the neighbour
// rules still see across that edge and the hit still covers every source unit it stands for.
TEST_P(FuzzySpanEdge, HitsCoverTheirSourceCharacters)
{
    const SpanCase& c = GetParam();
    FuzzyOptions o;
    o.matchFuzzyPunctuation = true;
    EXPECT_EQ(allHits(fuzzy(c.find, o), story(c.text)), c.hits);
}

INSTANTIATE_TEST_SUITE_P(Edges, FuzzySpanEdge, testing::Values(
    SpanCase{"MarkAfterPlainKana", QStringLiteral("xカーx"), QStringLiteral("カ"), {{1, 3}}},
    SpanCase{"MarksAfterMergedPair", QStringLiteral("ファーー"), QStringLiteral("ハ"), {{0, 4}}},
    SpanCase{"MarkAfterSkippedPunctuation", QStringLiteral("カ、ーキ"), QStringLiteral("カキ"), {{0, 4}}},
    SpanCase{"RunAfterSkippedPunctuation", QStringLiteral("東京、大阪。名古屋"), QStringLiteral("阪名"), {{4, 7}}},
    SpanCase{"PairKanaBeforeOtherKana", QStringLiteral("キカ"), QStringLiteral("キカ"), {{0, 2}}},
    SpanCase{"PairKanaBeforeOtherKanaStaysApart", QStringLiteral("キカ"), QStringLiteral("クカ"), {}},
    SpanCase{"PairKanaAtTheEnd", QStringLiteral("あフ"), QStringLiteral("フ"), {{1, 2}}},
    SpanCase{"PairWithHalfwidthSmallKana", QStringLiteral("フｧン"), QStringLiteral("ハン"), {{0, 3}}},
    SpanCase{"IterationMarkAfterPlainRun", QStringLiteral("東京人々"), QStringLiteral("人人"), {{2, 4}}},
    SpanCase{"AYAfterPlainRun", QStringLiteral("日本のピヤノ"), QStringLiteral("ピアノ"), {{3, 6}}},
    SpanCase{"LongRunThenPair", QString(1500, QChar(u'あ')) + QStringLiteral("ヴァ"), QStringLiteral("あバ"),
             {{1499, 1502}}},
    SpanCase{"LongRunThenMark", QString(1024, QChar(u'x')) + QStringLiteral("カー"), QStringLiteral("xカ"),
             {{1023, 1026}}}
), [](const auto& info) { return std::string(info.param.name); });

TEST(FuzzyCombinations, WithFormattingAndCodes)
{
    docx::CharFormat marked;
    marked.highlight = true;
    const docx::Story s = story(QStringLiteral("ひらがな ヒラガナ"), {{0, {}}, {5, marked}});
    Query q = fuzzy(QStringLiteral("ひらがな"));
    q.format.highlight = -1;
    EXPECT_EQ(allHits(q, s), (Hits{{5, 9}}));
    EXPECT_EQ(allHits(fuzzy(QStringLiteral("ひら^?な")), s), (Hits{{0, 4}, {5, 9}}));
}

TEST(FuzzyCombinations, HiddenTextInsideAHit)
{
    docx::CharFormat hidden;
    hidden.cls = docx::CpClass::Hidden;
    const docx::Story s = story(QStringLiteral("ひらXがな"), {{0, {}}, {2, hidden}, {3, {}}});
    EXPECT_EQ(allHits(fuzzy(QStringLiteral("ヒラガナ")), s), (Hits{{0, 5}}));
}

} // namespace
