#include "MatchTestSupport.h"

#include "platform/match/FormatMatch.h"

#include <gtest/gtest.h>

using namespace matchtest;
using match::FormatCriteria;
using match::Hit;
using match::Query;
using match::kUndefined;
using Hits = std::vector<Hit>;

namespace {

docx::CharFormat fmt(int32_t color, bool highlight = false, bool strike = false, bool dstrike = false)
{
    docx::CharFormat f;
    f.color = color;
    f.highlight = highlight;
    f.strike = strike;
    f.doubleStrike = dstrike;
    return f;
}

struct CriteriaCase {
    const char* name;
    FormatCriteria criteria;
    docx::CharFormat format;
    bool satisfied;
};

class Criteria : public testing::TestWithParam<CriteriaCase> {};

TEST_P(Criteria, OneCharacter)
{
    EXPECT_EQ(match::satisfies(GetParam().criteria, GetParam().format), GetParam().satisfied);
}

INSTANTIATE_TEST_SUITE_P(Values, Criteria, testing::Values(
    CriteriaCase{"NoneSet", {}, fmt(255, true, true, true), true},
    CriteriaCase{"HighlightTrue", {-1, kUndefined, kUndefined, kUndefined}, fmt(0, true), true},
    CriteriaCase{"HighlightTrueMissing", {-1, kUndefined, kUndefined, kUndefined}, fmt(0, false), false},
    CriteriaCase{"HighlightFalse", {0, kUndefined, kUndefined, kUndefined}, fmt(0, false), true},
    CriteriaCase{"HighlightFalseMissing", {0, kUndefined, kUndefined, kUndefined}, fmt(0, true), false},
    CriteriaCase{"ColorExact", {kUndefined, 255, kUndefined, kUndefined}, fmt(255), true},
    CriteriaCase{"AutomaticIsNotBlack", {kUndefined, 0, kUndefined, kUndefined}, fmt(docx::kColorAutomatic), false},
    CriteriaCase{"StrikeTrue", {kUndefined, kUndefined, -1, kUndefined}, fmt(0, false, true), true},
    CriteriaCase{"StrikeIgnoresDouble", {kUndefined, kUndefined, -1, kUndefined}, fmt(0, false, false, true), false},
    CriteriaCase{"DoubleStrikeFalse", {kUndefined, kUndefined, kUndefined, 0}, fmt(0, false, true, false), true},
    CriteriaCase{"AllTogether", {-1, 255, 0, -1}, fmt(255, true, false, true), true},
    CriteriaCase{"AllTogetherOneWrong", {-1, 255, 0, -1}, fmt(255, true, true, true), false}
), [](const auto& info) { return std::string(info.param.name); });

Query formatOnly(const FormatCriteria& c)
{
    Query q;
    q.format = c;
    return q;
}

TEST(FormatOnlySearch, MaximalStretches)
{
    const docx::Story s = story("red blue red", {{0, fmt(255)}, {4, fmt(docx::kColorAutomatic)}, {9, fmt(255)}});
    FormatCriteria red;
    red.color = 255;
    EXPECT_EQ(allHits(formatOnly(red), s), (Hits{{0, 4}, {9, 12}}));
    FormatCriteria automatic;
    automatic.color = docx::kColorAutomatic;
    EXPECT_EQ(allHits(formatOnly(automatic), s), (Hits{{4, 9}}));
}

TEST(FormatOnlySearch, CrossesParagraphsStopsAtCellsAndUnseenText)
{
    docx::CharFormat hidden = fmt(0, true);
    hidden.cls = docx::CpClass::Hidden;
    const docx::Story s = story(QStringLiteral("ab\rcd\x07" "efXgh"), {{0, fmt(0, true)}, {8, hidden}, {9, fmt(0, true)}});
    FormatCriteria marked;
    marked.highlight = -1;
    EXPECT_EQ(allHits(formatOnly(marked), s), (Hits{{0, 5}, {6, 8}, {9, 11}}));

    match::Matcher m(formatOnly(marked));
    const auto p = m.prepare(s);
    EXPECT_EQ(m.findBackward(*p, 0, s.length()), (Hit{9, 11}));
    EXPECT_EQ(m.findBackward(*p, 0, 8), (Hit{6, 8}));
    EXPECT_EQ(m.findBackward(*p, 0, 4), (Hit{0, 4}));
    EXPECT_EQ(m.findForward(*p, 3, 4), (Hit{3, 4}));
}

TEST(FormatOnlySearch, NoQualifyingText)
{
    FormatCriteria struck;
    struck.strikeThrough = -1;
    EXPECT_EQ(allHits(formatOnly(struck), story("plain")), Hits{});
    EXPECT_EQ(allHits(formatOnly(struck), story("")), Hits{});
}

TEST(FormatWithText, EveryMatchedCharacterQualifies)
{
    const docx::Story s = story("red red red", {{0, fmt(0)}, {4, fmt(0, true)}, {9, fmt(0)}});
    Query q = query("red");
    q.format.highlight = -1;
    EXPECT_EQ(allHits(q, s), (Hits{{4, 7}}));
    q.format.highlight = 0;
    EXPECT_EQ(allHits(q, s), (Hits{{0, 3}}));
}

TEST(FormatWithText, CaseAndWholeWordTogether)
{
    const docx::Story s = story("Red red reds Red", {{0, fmt(255)}, {13, fmt(0)}});
    Query q = query("Red");
    q.matchCase = true;
    q.matchWholeWord = true;
    q.format.color = 255;
    EXPECT_EQ(allHits(q, s), (Hits{{0, 3}}));
}

} // namespace
