#include "MatchTestSupport.h"

#include "platform/match/SoundsLike.h"
#include "platform/match/WordForms.h"

#include <gtest/gtest.h>

using namespace matchtest;
using match::Hit;
using match::Query;
using Hits = std::vector<Hit>;

namespace {

Query soundsLike(const QString& text)
{
    Query q = query(text);
    q.matchSoundsLike = true;
    return q;
}

Query wordForms(const QString& text)
{
    Query q = query(text);
    q.matchAllWordForms = true;
    return q;
}

TEST(DoubleMetaphone, KnownKeys)
{
    struct Case { const char* word; const char* primary; const char* secondary; };
    for (const Case& c : {Case{"Smith", "SM0", "XMT"}, Case{"Schmidt", "XMT", "SMT"}, Case{"fun", "FN", "FN"},
                          Case{"funny", "FN", "FN"}, Case{"knight", "NT", "NT"},
                          Case{"Xavier", "SF", "SFR"}, Case{"church", "XRX", "XRK"}, Case{"cough", "KF", "KF"},
                          Case{"", "", ""}}) {
        const match::PhoneticKeys k = match::doubleMetaphone(c.word);
        EXPECT_EQ(k.primary, c.primary) << c.word;
        EXPECT_EQ(k.secondary, c.secondary) << c.word;
    }
}

TEST(SoundsLikeMatch, WholeWordsThatShareAKey)
{
    EXPECT_EQ(allHits(soundsLike("fun"), story("fun, funny. fast fin")), (Hits{{0, 3}, {5, 10}, {17, 20}}));
    EXPECT_EQ(allHits(soundsLike("Smith"), story("Smith Smyth Schmidt Sandy")), (Hits{{0, 5}, {6, 11}, {12, 19}}));
    EXPECT_EQ(allHits(soundsLike(QStringLiteral("東京")), story(QStringLiteral("東京 京都"))), (Hits{{0, 2}}));
    EXPECT_EQ(allHits(soundsLike("..."), story("a b c")), Hits{});
}

TEST(SoundsLikeMatch, SeveralWordsMatchInSequence)
{
    EXPECT_EQ(allHits(soundsLike("John Smith"), story("Jon Smyth met John Smith")), (Hits{{0, 9}, {14, 24}}));
}

TEST(WordFormsLemmas, RegularIrregularAndFalseLemmas)
{
    auto has = [](const QString& word, const char* lemma) {
        const auto l = match::lemmas(word);
        return std::find(l.begin(), l.end(), QString::fromLatin1(lemma)) != l.end();
    };
    EXPECT_TRUE(has("sat", "sit"));
    EXPECT_TRUE(has("sits", "sit"));
    EXPECT_TRUE(has("mice", "mouse"));
    EXPECT_TRUE(has("went", "go"));
    EXPECT_TRUE(has("studies", "study"));
    EXPECT_TRUE(has("was", "be"));
    EXPECT_FALSE(has("was", "wa"));
    EXPECT_FALSE(has("runes", "run"));
}

struct FormsCase {
    const char* find;
    const char* text;
    Hits expected;
};

class AllWordForms : public testing::TestWithParam<FormsCase> {};

TEST_P(AllWordForms, FindsInflectedWholeWords)
{
    EXPECT_EQ(allHits(wordForms(GetParam().find), story(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Words, AllWordForms, testing::Values(
    FormsCase{"sit", "He sits. She sat. Sitting is fine. A site.", {{3, 7}, {13, 16}, {18, 25}}},
    FormsCase{"mouse", "mice and a mouse", {{0, 4}, {11, 16}}},
    FormsCase{"go", "went gone goes going go gore", {{0, 4}, {5, 9}, {10, 14}, {15, 20}, {21, 23}}},
    FormsCase{"went", "to go", {{3, 5}}},
    FormsCase{"run", "runes runs ran", {{6, 10}, {11, 14}}},
    FormsCase{"xyzzy", "xyzzy xyzzies", {{0, 5}}}
));

TEST(WordModesFormat, HitsMustCarryTheFormatting)
{
    docx::CharFormat struck;
    struck.strike = true;
    const docx::Story s = story("sat sat", {{0, {}}, {4, struck}});
    Query q = wordForms("sit");
    q.format.strikeThrough = -1;
    EXPECT_EQ(allHits(q, s), (Hits{{4, 7}}));
}

} // namespace
