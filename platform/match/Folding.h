#pragma once

#include "platform/match/Query.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Folding turns text into the form both sides are compared in, keeping where each folded unit
// came from so hits map back to positions.
namespace match {

// Which folding a search needs; with the story's identity and revision it keys a prepared text.
struct FoldKey {
    enum class Mode : uint8_t {
        None,    // formatting only: no text is compared
        Exact,   // wildcards: the displayed text as is
        Plain,   // case and width folding as chosen
        Fuzzy,   // the Japanese fuzzy rules
        Words,   // sounds like and word forms: the displayed text cut into words
    };
    Mode mode = Mode::Exact;
    bool caseFold = false;     // Plain only
    bool widthFold = false;    // Plain only
    FuzzyOptions fuzzy;        // Fuzzy only
    bool operator==(const FoldKey&) const = default;
};

// Folded text plus the way back to the source: units map one-to-one to source units except in
// recorded groups (a fold that changed the length, or skipped characters), so the common case
// costs nothing beyond the text itself.
class FoldBuffer {
public:
    void reserve(size_t n) { m_text.reserve(n); }
    // The text unchanged.
    void assign(std::u16string_view s) { m_text.assign(s); }
    // Appends units standing one-to-one for the next source units.
    void putSame(const char16_t* units, size_t count) { m_text.append(units, count); }
    // Appends the units that source units [begin, end) fold to (none when they are skipped).
    void putGroup(const char16_t* units, int count, int32_t begin, int32_t end);
    void putCodePoint(char32_t c, int32_t begin, int32_t end);
    // Widens the source of the last `units` units, one character from source index begin, to end.
    void extendLast(int32_t units, int32_t begin, int32_t end);

    const std::u16string& text() const { return m_text; }
    int32_t size() const { return static_cast<int32_t>(m_text.size()); }
    // Where unit j came from: the source span [begin, end) of its character, and whether j is
    // the first and the last of the units that character folded to.
    struct Source {
        int32_t begin, end;
        bool first, last;
    };
    Source source(int32_t j) const;
    // The first unit whose source begins at or after source index d.
    int32_t firstUnitFrom(int32_t d) const;
    // The number of leading units whose sources end at or before source index d.
    int32_t unitsEndingBy(int32_t d) const;

private:
    struct Group {
        int32_t fold, src;
        int32_t foldLen, srcLen;
    };
    const Group* groupAtOrBefore(int32_t j) const;
    bool inside(const Group* g, int32_t j) const { return g && j < g->fold + g->foldLen; }

    std::u16string m_text;
    std::vector<Group> m_groups; // sorted by fold position
};

// Reads one character at s[i] with width folding: full-width ASCII and symbols become narrow,
// U+3000 a space, half-width katakana full-width (a following voiced mark composes: ｶﾞ → ガ).
// Returns the number of source units used.
int foldWidthAt(std::u16string_view s, size_t i, char32_t& out);
// The code point at s[i] (width-folded when widthFold, as foldWidthAt does); returns the units used.
int codePointAt(std::u16string_view s, size_t i, bool widthFold, char32_t& out);

// Full Unicode case folding of one code point (Straße → strasse); returns units written (1-3).
int foldCase(char32_t c, char16_t out[3]);

// Plain-mode folding of s into out under the two switches.
void foldPlain(std::u16string_view s, bool caseFold, bool widthFold, FoldBuffer& out);

} // namespace match
