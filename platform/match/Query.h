#pragma once

#include <QString>

#include <cstdint>

// What one Find request asks for, as Word's Find object carries it.
namespace match {

// Word's "no criterion" value for formatting properties (wdUndefined).
constexpr int32_t kUndefined = 9999999;

// The application-wide Japanese fuzzy rules (Options.MatchFuzzy*); each true treats the pair as equal.
struct FuzzyOptions {
    bool matchFuzzyCase = true;
    bool matchFuzzyByte = true;
    bool matchFuzzyHiragana = true;
    bool matchFuzzySmallKana = true;
    bool matchFuzzyDash = true;
    bool matchFuzzyIterationMark = true;
    bool matchFuzzyKanji = true;
    bool matchFuzzyOldKana = true;
    bool matchFuzzyProlongedSoundMark = true;
    bool matchFuzzyDZ = true;
    bool matchFuzzyBV = true;
    bool matchFuzzyTC = true;
    bool matchFuzzyHF = true;
    bool matchFuzzyZJ = true;
    bool matchFuzzyAY = true;
    bool matchFuzzyKiKu = true;
    bool matchFuzzyPunctuation = false;   // punctuation is skipped when true
    bool matchFuzzySpace = false;         // spaces are skipped when true
    bool operator==(const FuzzyOptions&) const = default;
};

// Formatting criteria: kUndefined = no criterion. Booleans are Word's (0 False, nonzero True).
struct FormatCriteria {
    int32_t highlight = kUndefined;
    int32_t color = kUndefined;
    int32_t strikeThrough = kUndefined;
    int32_t doubleStrikeThrough = kUndefined;
    bool active() const
    {
        return highlight != kUndefined || color != kUndefined || strikeThrough != kUndefined
            || doubleStrikeThrough != kUndefined;
    }
    bool operator==(const FormatCriteria&) const = default;
};

// Find.Text with the seven Match* options. Contradictory options are allowed; precedence is
// fuzzy > wildcards > sounds like > all word forms > plain, and matchCase, matchWholeWord and
// matchByte act only in plain mode.
struct Query {
    QString text;
    bool matchCase = false;
    bool matchWholeWord = false;
    bool matchWildcards = false;
    bool matchSoundsLike = false;
    bool matchAllWordForms = false;
    bool matchByte = false;
    bool matchFuzzy = false;
    FormatCriteria format;
    FuzzyOptions fuzzy;
    bool operator==(const Query&) const = default;
};

// A hit: story positions [start, end), never empty.
struct Hit {
    int32_t start = 0;
    int32_t end = 0;
    bool operator==(const Hit&) const = default;
};

} // namespace match
