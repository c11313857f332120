#include "MatchTestSupport.h"

#include <gtest/gtest.h>

#include <unicode/translit.h>

#include <algorithm>
#include <memory>

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

using Pair = std::pair<QString, QString>;

// One row of the fuzzy options table: pairs ("a=b", space-separated) its option makes equal.
struct FuzzyRow {
    const char* name;
    bool FuzzyOptions::*option;
    const char16_t* pairs;
};

// The pair, and again in the other kana script and the other width wherever that changes it and
// keeps its sides apart. The long-vowel mark stays: ICU would spell it out as a vowel in hiragana.
std::vector<Pair> forms(const Pair& pair)
{
    std::vector<Pair> out{pair};
    for (const char* id : {"Hiragana-Katakana", "[^ー] Katakana-Hiragana", "Hiragana-Katakana; Fullwidth-Halfwidth",
                           "Halfwidth-Fullwidth"}) {
        UErrorCode st = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, st));
        EXPECT_TRUE(U_SUCCESS(st)) << id;
        auto apply = [&](const QString& s) {
            icu::UnicodeString u(reinterpret_cast<const UChar*>(s.utf16()), static_cast<int32_t>(s.size()));
            t->transliterate(u);
            return QString(reinterpret_cast<const QChar*>(u.getBuffer()), u.length());
        };
        const Pair other = U_SUCCESS(st) ? Pair{apply(pair.first), apply(pair.second)} : pair;
        if (other.first != other.second && std::find(out.begin(), out.end(), other) == out.end())
            out.push_back(other);
    }
    return out;
}

class FuzzyRule : public testing::TestWithParam<FuzzyRow> {};

// With its option on (the others as by default) each side of a pair finds the whole of the
// other, both ways round, in both kana scripts and both widths; with it off neither does.
TEST_P(FuzzyRule, EqualBothWaysOnlyWhenSwitchedOn)
{
    FuzzyOptions on, off;
    on.*GetParam().option = true;
    off.*GetParam().option = false;
    for (const QString& pair : QString::fromUtf16(GetParam().pairs).split(u' ')) {
        for (const auto& [a, b] : forms({pair.section(u'=', 0, 0), pair.section(u'=', 1)})) {
            for (const auto& [text, find] : {Pair{a, b}, Pair{b, a}}) {
                const Hits whole{{0, static_cast<int32_t>(text.size())}};
                EXPECT_EQ(allHits(fuzzy(find, on), story(text)), whole) << (find + " in " + text).toStdString();
                EXPECT_NE(allHits(fuzzy(find, off), story(text)), whole) << (find + " in " + text).toStdString();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Options, FuzzyRule, testing::Values(
    FuzzyRow{"Case", &FuzzyOptions::matchFuzzyCase, u"ABC=abc"},
    FuzzyRow{"Byte", &FuzzyOptions::matchFuzzyByte, u"ｶﾀｶﾅ=カタカナ ｶﾞｲﾄﾞ=ガイド"},
    FuzzyRow{"Hiragana", &FuzzyOptions::matchFuzzyHiragana, u"ひらがな=ヒラガナ"},
    FuzzyRow{"SmallKana", &FuzzyOptions::matchFuzzySmallKana,
             u"ぁぃぅぇぉ=あいうえお ちょっと=ちよつと キャ=キヤ シュ=シユ ファ=フア ヴァ=ヴア ティ=テイ クヮ=クワ ヵ=カ"},
    FuzzyRow{"Dash", &FuzzyOptions::matchFuzzyDash, u"A-B=A―B"},
    FuzzyRow{"IterationMark", &FuzzyOptions::matchFuzzyIterationMark, u"時々=時時 こゝろ=こころ いすゞ=いすず"},
    FuzzyRow{"Kanji", &FuzzyOptions::matchFuzzyKanji, u"國學院=国学院"},
    FuzzyRow{"OldKana", &FuzzyOptions::matchFuzzyOldKana, u"ゐる=いる ゑ=え"},
    FuzzyRow{"ProlongedSoundMark", &FuzzyOptions::matchFuzzyProlongedSoundMark, u"コンピュータ=コンピューター"},
    FuzzyRow{"DZ", &FuzzyOptions::matchFuzzyDZ, u"ちぢむ=ちじむ つづく=つずく"},
    FuzzyRow{"BV", &FuzzyOptions::matchFuzzyBV, u"ヴァイオリン=バイオリン ファン=ハン"},
    FuzzyRow{"TC", &FuzzyOptions::matchFuzzyTC, u"ティケット=チケット ツィ=チ ディレクター=ジレクター"},
    FuzzyRow{"HF", &FuzzyOptions::matchFuzzyHF, u"フュージョン=ヒュージョン ヴュ=ビュ"},
    FuzzyRow{"ZJ", &FuzzyOptions::matchFuzzyZJ, u"シェフ=セフ ジェット=ゼット"},
    FuzzyRow{"AY", &FuzzyOptions::matchFuzzyAY, u"ピヤノ=ピアノ"},
    FuzzyRow{"KiKu", &FuzzyOptions::matchFuzzyKiKu, u"エキス=エクス"},
    FuzzyRow{"Punctuation", &FuzzyOptions::matchFuzzyPunctuation, u"東京、大阪=東京大阪"},
    FuzzyRow{"Space", &FuzzyOptions::matchFuzzySpace, u"日本\u3000語=日本語"}
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
