#include "MatchTestSupport.h"

#include "platform/match/Errors.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace matchtest;
using match::Hit;
using match::Query;
using Hits = std::vector<Hit>;

namespace {

Query wildcards(const QString& text)
{
    Query q = query(text);
    q.matchWildcards = true;
    return q;
}

struct WildCase {
    const char* name;
    QString text;
    QString pattern;
    Hits expected;
};

class WildcardMatch : public testing::TestWithParam<WildCase> {};

TEST_P(WildcardMatch, FindsExpectedSpans)
{
    EXPECT_EQ(allHits(wildcards(GetParam().pattern), story(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Grammar, WildcardMatch, testing::Values(
    WildCase{"AnyCharacter", "cat cot ct", "c?t", {{0, 3}, {4, 7}}},
    WildCase{"StarIsLazy", "the tree", "t*e", {{0, 3}, {4, 7}}},
    WildCase{"StarCrossesParagraphs", "ab\rcd", "b*d", {{1, 5}}},
    WildCase{"AtIsOneOrMore", "lot loot lt", "lo@t", {{0, 3}, {4, 8}}},
    WildCase{"AtIsGreedy", "xaaay", "a@", {{1, 4}}},
    WildCase{"AtAfterBracket", "abba cd", "[ab]@", {{0, 4}}},
    WildCase{"AtAfterGroup", "ababx abx", "(ab)@x", {{0, 5}, {6, 9}}},
    WildCase{"CapitalisedWords", "Hello world Foo", "<[A-Z][a-z]@>", {{0, 5}, {12, 15}}},
    WildCase{"WordStart", "inn tin in", "<in", {{0, 2}, {8, 10}}},
    WildCase{"WordEnd", "inn tin in", "in>", {{5, 7}, {8, 10}}},
    WildCase{"NegatedSet", "abc1", "[!a-c]", {{3, 4}}},
    WildCase{"ExactCount", "a aa aaa", "<a{2}>", {{2, 4}}},
    WildCase{"AtLeastCount", "a aa aaa", "a{2,}", {{2, 4}, {5, 8}}},
    WildCase{"CountRange", "aaaaa", "a{1,2}", {{0, 2}, {2, 4}, {4, 5}}},
    WildCase{"BackReference", "the the cat", "(<[a-z]@>) \\1", {{0, 7}}},
    WildCase{"EscapedSpecials", "what? *[x]", "\\?", {{4, 5}}},
    WildCase{"EscapedBracket", "*[x]", "\\[x\\]", {{1, 4}}},
    WildCase{"CaseSensitive", "Apple apple", "apple", {{6, 11}}},
    WildCase{"ParagraphByCode", "a\rb", "a^13b", {{0, 3}}},
    WildCase{"TabCode", "a\tb", "a^tb", {{0, 3}}},
    WildCase{"CodeInSet", "a\tb c", "[^t ]", {{1, 2}, {3, 4}}},
    WildCase{"Japanese", QStringLiteral("東京都と京都府"), QStringLiteral("[東京]@都"), {{0, 3}, {4, 6}}},
    WildCase{"NoEmptyHits", "abc", "x{0,1}", {}}
), [](const auto& info) { return std::string(info.param.name); });

// Patterns whose first character is known are tried only where it stands; these would go wrong
// if that character were taken from an atom that can match nothing or from a look-around.
INSTANTIATE_TEST_SUITE_P(FirstCharacter, WildcardMatch, testing::Values(
    WildCase{"OptionalFirstAtom", "b ab", "[a]{0,1}b", {{0, 1}, {2, 4}}},
    WildCase{"ZeroCountFirstAtom", "ab", "a{0}b", {{1, 2}}},
    WildCase{"StarFirst", "xyb", "*b", {{0, 3}}},
    WildCase{"GroupFirst", "xaby", "(a)b", {{1, 3}}},
    WildCase{"NegatedSetFirst", QStringLiteral("ab𠮷b"), "[!a]b", {{2, 5}}},
    WildCase{"NoStartInsideAPair", QStringLiteral("\U00020BB7b"), QStringLiteral("[!\U00020BB7]b"), {}},
    WildCase{"SupplementaryFirst", QStringLiteral("x𠮷野 𠮷"), QStringLiteral("𠮷野"), {{1, 4}}},
    WildCase{"CodeFirst", "a	b	c", "^tc", {{3, 5}}},
    WildCase{"WordEndFirst", "ab cd", ">?", {{2, 3}}},
    WildCase{"RangeAfterWordStart", QStringLiteral("xY Yz 和Ab"), "<[A-Z][a-z]@>", {{3, 5}}},
    WildCase{"WordStartAfterNonWords", QStringLiteral("Ab。Cd\U0001F600Ef-Gh"), "<[A-Z][a-z]", {{0, 2}, {3, 5}, {7, 9}, {10, 12}}},
    WildCase{"NoWordStartAfterWordChars", QStringLiteral("\U00020BB7Ab _Cd 1Ef e\u0301Gh"), "<[A-Z][a-z]", {}},
    WildCase{"WordEndBeforeKnownCharacter", "ab cd", ">[ ]", {{2, 3}}}
), [](const auto& info) { return std::string(info.param.name); });

TEST(WildcardRegion, LookBehindSeesTextBeforeTheRange)
{
    const docx::Story s = story("abc bc");
    match::Matcher m(wildcards("<bc"));
    const auto p = m.prepare(s);
    EXPECT_EQ(m.findForward(*p, 1, s.length()), (Hit{4, 6}));
    EXPECT_EQ(m.findForward(*p, 1, 3), std::nullopt);
}

TEST(WildcardErrors, EveryInvalidClassRaises5560)
{
    const char* invalid[] = {
        "[abc", "abc]", "(ab", "ab)", "a{", "a{,2}", "a{3,1}", "a{x}", "a}", "[z-a]", "[]", "[!]",
        "@a", "{2}", "<@", "a@@", "\\2(a)", "(a)\\2", "((((((((((a))))))))))", "abc\\",
        "^p", "^?", "^#", "^$", "^b", "^e", "^f", "^a", "^d", "^w", "^u8212", "^c", "^q", "^",
    };
    for (const char* pattern : invalid) {
        try {
            match::Matcher m(wildcards(QString::fromLatin1(pattern)));
            ADD_FAILURE() << pattern << " was accepted";
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), match::kInvalidPatternError) << pattern;
        }
    }
}

TEST(WildcardErrors, ValidEdgePatternsAreAccepted)
{
    for (const char* pattern : {"(a)\\1", "[a-]", "[-a]", "a{0}", "a{2,2}", "()x", "\\!", "!", "^0151", "^^", "^g", "^~"})
        EXPECT_NO_THROW(match::Matcher m(wildcards(QString::fromLatin1(pattern)))) << pattern;
}

TEST(WildcardLimits, PathologicalPatternRaisesInsteadOfHanging)
{
    // The second pattern has a known first character, so it is tried start by start.
    const docx::Story s = story(QString(40, u'a') + u'c');
    for (const char* pattern : {"(a@)@b", "a(a@)@b"}) {
        match::Matcher m(wildcards(pattern));
        const auto p = m.prepare(s);
        const auto begin = std::chrono::steady_clock::now();
        try {
            m.findForward(*p, 0, s.length());
            ADD_FAILURE() << pattern << ": no error";
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), match::kSearchTooComplexError) << pattern;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5)) << pattern;
    }
}

TEST(WildcardMatchers, SamePatternSearchesStayIndependent)
{
    // One pattern, two searches over different stories, interleaved: each keeps its own place.
    const docx::Story a = story("Cat Dog Eel"), b = story("xx Fox");
    match::Matcher ma(wildcards("<[A-Z][a-z]@>")), mb(wildcards("<[A-Z][a-z]@>"));
    const auto pa = ma.prepare(a), pb = mb.prepare(b);
    EXPECT_EQ(ma.findForward(*pa, 0, a.length()), (Hit{0, 3}));
    EXPECT_EQ(mb.findForward(*pb, 0, b.length()), (Hit{3, 6}));
    EXPECT_EQ(ma.findForward(*pa, 3, a.length()), (Hit{4, 7}));
    EXPECT_EQ(mb.findForward(*pb, 6, b.length()), std::nullopt);
    EXPECT_EQ(ma.findForward(*pa, 7, a.length()), (Hit{8, 11}));
}

TEST(WildcardFormat, HitMustCarryTheFormatting)
{
    docx::CharFormat red;
    red.color = 255;
    const docx::Story s = story("Cat Dog", {{0, {}}, {4, red}});
    Query q = wildcards("<[A-Z][a-z]@>");
    q.format.color = 255;
    EXPECT_EQ(allHits(q, s), (Hits{{4, 7}}));
}

} // namespace
