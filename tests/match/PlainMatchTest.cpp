#include "MatchTestSupport.h"

#include "platform/match/Errors.h"
#include "platform/match/Folding.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <string_view>

using namespace matchtest;
using match::Hit;
using match::Query;
using Hits = std::vector<Hit>;

namespace {

struct PlainCase {
    const char* name;
    QString text;
    QString find;
    bool matchCase, wholeWord, byte;
    Hits expected;
};

class PlainMatch : public testing::TestWithParam<PlainCase> {};

TEST_P(PlainMatch, FindsExpectedSpans)
{
    const PlainCase& c = GetParam();
    Query q = query(c.find);
    q.matchCase = c.matchCase;
    q.matchWholeWord = c.wholeWord;
    q.matchByte = c.byte;
    EXPECT_EQ(allHits(q, story(c.text)), c.expected);
}

const QString kStrasse = QStringLiteral("Straße STRASSE");

INSTANTIATE_TEST_SUITE_P(Options, PlainMatch, testing::Values(
    PlainCase{"CaseInsensitive", "Apple apple APPLE", "apple", false, false, false, {{0, 5}, {6, 11}, {12, 17}}},
    PlainCase{"MatchCase", "Apple apple APPLE", "apple", true, false, false, {{6, 11}}},
    PlainCase{"FullCaseFolding", kStrasse, "strasse", false, false, false, {{0, 6}, {7, 14}}},
    PlainCase{"FoldedQuery", kStrasse, QStringLiteral("STRAẞE"), false, false, false, {{0, 6}, {7, 14}}},
    PlainCase{"NoHitInsideAnExpansion", QStringLiteral("ß"), "s", false, false, false, {}},
    PlainCase{"WidthInsensitive", QStringLiteral("ＡＢＣ abc"), "abc", false, false, false, {{0, 3}, {4, 7}}},
    PlainCase{"MatchByteKeepsWidth", QStringLiteral("ＡＢＣ abc"), "abc", false, false, true, {{4, 7}}},
    PlainCase{"HalfWidthVoicedKana", QStringLiteral("ｶﾞｲﾄﾞ ガイド"), QStringLiteral("ガイド"), false, false, false, {{0, 5}, {6, 9}}},
    PlainCase{"HalfWidthQuery", QStringLiteral("ガイド"), QStringLiteral("ｶﾞｲﾄﾞ"), false, false, false, {{0, 3}}},
    PlainCase{"MatchByteKana", QStringLiteral("ｶﾞｲﾄﾞ ガイド"), QStringLiteral("ガイド"), false, false, true, {{6, 9}}},
    PlainCase{"IdeographicSpace", QStringLiteral("a\u3000b"), "a b", false, false, false, {{0, 3}}},
    PlainCase{"WholeWord", "cat concat cat_s cats cat.", "cat", false, true, false, {{0, 3}, {22, 25}}},
    PlainCase{"WholeWordWithCase", "Cat cat CAT", "cat", true, true, false, {{4, 7}}},
    PlainCase{"WholeWordJapaneseNeighbours", QStringLiteral("東京cat cat"), "cat", false, true, false, {{6, 9}}},
    PlainCase{"NoOverlappingRepeats", "aaaa", "aa", false, false, false, {{0, 2}, {2, 4}}},
    PlainCase{"Japanese", QStringLiteral("東京と京都と東京"), QStringLiteral("東京"), false, false, false, {{0, 2}, {6, 8}}},
    PlainCase{"SurrogatePair", QStringLiteral("a𠮷b𠮷"), QStringLiteral("𠮷"), false, false, false, {{1, 3}, {4, 6}}}
), [](const auto& info) { return std::string(info.param.name); });

struct CodeCase {
    const char* name;
    QString text;
    QString find;
    Hits expected;
};

class SpecialCodeMatch : public testing::TestWithParam<CodeCase> {};

TEST_P(SpecialCodeMatch, FindsExpectedSpans)
{
    EXPECT_EQ(allHits(query(GetParam().find), story(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Codes, SpecialCodeMatch, testing::Values(
    CodeCase{"Tab", "a\tb", "^t", {{1, 2}}},
    CodeCase{"Paragraph", "ab\rcd\r", "b^pc", {{1, 4}}},
    CodeCase{"ParagraphUpperCase", "ab\rcd", "^P", {{2, 3}}},
    CodeCase{"AnyDigit", QStringLiteral("x1 y２"), "^#", {{1, 2}, {4, 5}}},
    CodeCase{"AnyLetter", "1a2", "^$", {{1, 2}}},
    CodeCase{"AnyCharacter", "cat cot", "c^?t", {{0, 3}, {4, 7}}},
    CodeCase{"DigitsAfterText", "x12 x3", "x^#^#", {{0, 3}}},
    CodeCase{"Caret", "a^b", "^^", {{1, 2}}},
    CodeCase{"WhiteSpaceRun", QStringLiteral("a \t\u3000b"), "a^wb", {{0, 5}}},
    CodeCase{"LineBreak", "a\x0b" "b", "^l", {{1, 2}}},
    CodeCase{"PageAndSectionBreak", "a\x0c" "b", "^m", {{1, 2}}},
    CodeCase{"ColumnBreak", "a\x0e" "b", "^n", {{1, 2}}},
    CodeCase{"NonBreakingSpace", QStringLiteral("a\u00a0b"), "^s", {{1, 2}}},
    CodeCase{"NonBreakingHyphen", "a\x1e" "b", "^~", {{1, 2}}},
    CodeCase{"OptionalHyphen", "a\x1f" "b", "^-", {{1, 2}}},
    CodeCase{"EmDash", QStringLiteral("a—b"), "^+", {{1, 2}}},
    CodeCase{"EnDash", QStringLiteral("a–b"), "^=", {{1, 2}}},
    CodeCase{"AnsiCode", QStringLiteral("a—b"), "^0151", {{1, 2}}},
    CodeCase{"DecimalCode", "a\rb", "^13", {{1, 2}}},
    CodeCase{"CellMarkCode", "a\x07" "b", "a^7b", {{0, 3}}},
    CodeCase{"UnicodeCode", QStringLiteral("日本"), "^u26412", {{1, 2}}},
    CodeCase{"Graphic", "a\x01" "b\x08", "^g", {{1, 2}, {3, 4}}},
    CodeCase{"NoteMarks", "a\x02" "b", "^f", {{1, 2}}},
    CodeCase{"CommentMark", "a\x05" "b", "^a", {{1, 2}}},
    CodeCase{"CodeInsideFoldedText", "ABC abc", "a^$c", {{0, 3}, {4, 7}}}
), [](const auto& info) { return std::string(info.param.name); });

TEST(SpecialCodeErrors, UnknownOrIncompleteCodesRaise5560)
{
    for (const char* text : {"^", "a^", "^c", "^&", "^q", "^u", "^uX", "^0", "^999", "^y"}) {
        try {
            match::Matcher m(query(QString::fromLatin1(text)));
            ADD_FAILURE() << text << " was accepted";
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), match::kInvalidPatternError) << text;
            EXPECT_EQ(e.description(), QStringLiteral("[検索する文字列] に無効なパターン一致式が含まれています。"));
        }
    }
}

docx::Story storyWithUnseen()
{
    // "ab" shown, "X" hidden, "c" shown, field begin + code + separator, "link" result, end, " d" deleted
    docx::CharFormat hidden, field, deleted;
    hidden.cls = docx::CpClass::Hidden;
    field.cls = docx::CpClass::Field;
    deleted.cls = docx::CpClass::Deleted;
    return story(QStringLiteral("abXc\x13 HYPERLINK x \x14link\x15 d!"),
                 {{0, {}}, {2, hidden}, {3, {}}, {4, field}, {19, {}}, {23, field}, {24, deleted}, {26, {}}});
}

TEST(UnseenPositions, AreSkippedAndHitsMapBack)
{
    const docx::Story s = storyWithUnseen();
    EXPECT_EQ(allHits(query("abc"), s), (Hits{{0, 4}}));
    EXPECT_EQ(allHits(query("X"), s), Hits{});
    EXPECT_EQ(allHits(query("HYPERLINK"), s), Hits{});
    EXPECT_EQ(allHits(query("link"), s), (Hits{{19, 23}}));
    EXPECT_EQ(allHits(query("d"), s), Hits{});
    EXPECT_EQ(allHits(query("link!"), s), Hits{}); // across the deletion
    EXPECT_EQ(allHits(query("clink"), s), (Hits{{3, 23}}));
}

// Find sees nothing of a tracked deletion and no hit runs across one, in any mode: the text on
// each side is found, anything spanning the deletion never.
TEST(UnseenPositions, NoHitRunsAcrossADeletion)
{
    docx::CharFormat deleted;
    deleted.cls = docx::CpClass::Deleted;
    const auto withDeleted = [&](const QString& text) { return story(text, {{0, {}}, {2, deleted}, {4, {}}}); };
    const docx::Story s = withDeleted(QStringLiteral("abXXcd"));
    EXPECT_EQ(allHits(query("bc"), s), Hits{});
    EXPECT_EQ(allHits(query("b^?"), s), Hits{});
    match::Query wildcards = query("a*d");
    wildcards.matchWildcards = true;
    EXPECT_EQ(allHits(wildcards, s), Hits{});
    wildcards.text = QStringLiteral("[a-d]@"); // a greedy repeat stops at the deletion
    EXPECT_EQ(allHits(wildcards, s), (Hits{{0, 2}, {4, 6}}));
    wildcards.text = QStringLiteral("?");
    match::Matcher any(wildcards);
    EXPECT_EQ(any.findBackward(*any.prepare(s), 0, 6), (Hit{5, 6}));
    EXPECT_EQ(any.findBackward(*any.prepare(s), 0, 4), (Hit{1, 2}));

    match::Query fuzzy = query(QStringLiteral("か"));
    fuzzy.matchFuzzy = true; // the long-vowel mark after the deletion does not join the kana before it
    EXPECT_EQ(allHits(fuzzy, withDeleted(QStringLiteral("xカXXー"))), (Hits{{1, 2}}));
    match::Query soundsLike = query("smith");
    soundsLike.matchSoundsLike = true;
    EXPECT_EQ(allHits(soundsLike, withDeleted(QStringLiteral("smXXith"))), Hits{});
}

TEST(SearchBounds, ForwardAndBackwardStayInsideTheRange)
{
    const docx::Story s = story("ab ab ab");
    match::Matcher m(query("ab"));
    const auto p = m.prepare(s);
    EXPECT_EQ(m.findForward(*p, 1, 8), (Hit{3, 5}));
    EXPECT_EQ(m.findForward(*p, 1, 4), std::nullopt);
    EXPECT_EQ(m.findForward(*p, 7, 8), std::nullopt);
    EXPECT_EQ(m.findBackward(*p, 0, 8), (Hit{6, 8}));
    EXPECT_EQ(m.findBackward(*p, 0, 7), (Hit{3, 5}));
    EXPECT_EQ(m.findBackward(*p, 1, 3), std::nullopt);
}

TEST(SearchBounds, RangesAroundFoldedGroups)
{
    const docx::Story s = story(QStringLiteral("aßbｶﾞc"));
    match::Matcher ss(query("ss"));
    const auto p = ss.prepare(s);
    EXPECT_EQ(ss.findForward(*p, 0, 2), (Hit{1, 2}));
    EXPECT_EQ(ss.findForward(*p, 0, 1), std::nullopt);
    EXPECT_EQ(ss.findForward(*p, 2, 6), std::nullopt);
    match::Matcher kana(query(QStringLiteral("ガc")));
    const auto k = kana.prepare(s);
    EXPECT_EQ(kana.findForward(*k, 3, 6), (Hit{3, 6}));
    EXPECT_EQ(kana.findForward(*k, 4, 6), std::nullopt);
    EXPECT_EQ(kana.findForward(*k, 3, 5), std::nullopt);
    EXPECT_EQ(kana.findBackward(*k, 0, 6), (Hit{3, 6}));
    match::Matcher c(query("c"));
    const auto cp = c.prepare(s);
    EXPECT_EQ(c.findForward(*cp, 4, 6), (Hit{5, 6}));
    EXPECT_EQ(c.findBackward(*cp, 0, 5), std::nullopt);
}

TEST(SearchBounds, BackwardWithCodesAndUnseenPositions)
{
    const docx::Story s = storyWithUnseen();
    match::Matcher m(query("^$"));
    const auto p = m.prepare(s);
    EXPECT_EQ(m.findBackward(*p, 0, s.length()), (Hit{22, 23}));
    EXPECT_EQ(m.findForward(*p, 2, s.length()), (Hit{3, 4}));
}

TEST(PreparedCacheTest, ReusesUntilRevisionOrKeyChanges)
{
    docx::Story s = story("Abc");
    match::PreparedCache cache;
    match::Matcher insensitive(query("abc"));
    const auto first = cache.get(s, insensitive.foldKey());
    EXPECT_EQ(cache.get(s, insensitive.foldKey()), first);
    EXPECT_EQ(insensitive.findForward(*first, 0, 3), (Hit{0, 3}));

    Query sensitive = query("abc");
    sensitive.matchCase = true;
    match::Matcher exact(sensitive);
    const auto second = cache.get(s, exact.foldKey());
    EXPECT_NE(second, first);
    EXPECT_EQ(exact.findForward(*second, 0, 3), std::nullopt);

    s.text = QStringLiteral("abc");
    ++s.revision;
    const auto third = cache.get(s, exact.foldKey());
    EXPECT_NE(third, second);
    EXPECT_EQ(exact.findForward(*third, 0, 3), (Hit{0, 3}));
}

TEST(ContradictoryOptions, NeverCrashAndFollowPrecedence)
{
    Query q = query("a[b");
    q.matchWildcards = true;
    q.matchFuzzy = true; // fuzzy wins: "[" is literal text
    EXPECT_EQ(allHits(q, story("xa[b")), (Hits{{1, 4}}));
    for (int mask = 0; mask < 128; ++mask) {
        Query all = query("Sit");
        all.matchCase = mask & 1;
        all.matchWholeWord = mask & 2;
        all.matchWildcards = mask & 4;
        all.matchSoundsLike = mask & 8;
        all.matchAllWordForms = mask & 16;
        all.matchByte = mask & 32;
        all.matchFuzzy = mask & 64;
        EXPECT_FALSE(allHits(all, story("Sit down. sat, sitting")).empty()) << mask;
    }
}

TEST(EmptyQuery, WithoutCriteriaFindsNothing)
{
    EXPECT_EQ(allHits(query(""), story("abc")), Hits{});
}

} // namespace

// Case folding takes quick look-ups before asking ICU: for every code point it must still give
// ICU's full folding of each character that changes when case-folded, and the character itself
// for every other.
TEST(CaseFolding, EveryCodePointFoldsAsIcuFoldsIt)
{
    int differing = 0, folded = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (U_IS_SURROGATE(c))
            continue;
        UChar src[2], expected[8];
        int32_t n = 0;
        U16_APPEND_UNSAFE(src, n, c);
        int32_t expectedLength = n;
        std::copy(src, src + n, expected);
        if (u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_CHANGES_WHEN_CASEFOLDED)) {
            UErrorCode st = U_ZERO_ERROR;
            expectedLength = u_strFoldCase(expected, 8, src, n, U_FOLD_CASE_DEFAULT, &st);
            ASSERT_TRUE(U_SUCCESS(st));
        }
        char16_t out[3];
        const int length = match::foldCase(c, out);
        folded += std::u16string_view(out, length) != std::u16string_view(reinterpret_cast<const char16_t*>(src), n);
        if (std::u16string_view(out, length) != std::u16string_view(reinterpret_cast<const char16_t*>(expected), expectedLength)
            && ++differing <= 5)
            ADD_FAILURE() << "U+" << std::hex << static_cast<uint32_t>(c);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(folded, 1400);   // the Latin, Greek, Cyrillic, Armenian... capitals and ß, ﬀ and the like
}
