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

// Folded text plus, per unit, the source span [begin, end) it came from. While every unit is its
// own source unit the spans are not stored (mapped() false).
class FoldBuffer {
public:
    void reserve(size_t n) { m_text.reserve(n); }
    // The text unchanged, each unit its own source.
    void assign(std::u16string_view s) { m_text.assign(s); }
    void put(char16_t u, int32_t begin, int32_t end)
    {
        if (!m_mapped) {
            if (begin == static_cast<int32_t>(m_text.size()) && end == begin + 1) {
                m_text.push_back(u);
                return;
            }
            materialize();
        }
        m_text.push_back(u);
        m_begin.push_back(begin);
        m_end.push_back(end);
    }
    void putCodePoint(char32_t c, int32_t begin, int32_t end);

    const std::u16string& text() const { return m_text; }
    bool mapped() const { return m_mapped; }
    int32_t sourceBegin(int32_t j) const { return m_mapped ? m_begin[j] : j; }
    int32_t sourceEnd(int32_t j) const { return m_mapped ? m_end[j] : j + 1; }
    const std::vector<int32_t>& begins() const { return m_begin; }
    const std::vector<int32_t>& ends() const { return m_end; }

private:
    void materialize();
    std::u16string m_text;
    std::vector<int32_t> m_begin, m_end;
    bool m_mapped = false;
};

// Reads one character at s[i] with width folding: full-width ASCII and symbols become narrow,
// U+3000 a space, half-width katakana full-width (a following voiced mark composes: ｶﾞ → ガ).
// Returns the number of source units used.
int foldWidthAt(std::u16string_view s, size_t i, char32_t& out);

// Full Unicode case folding of one code point (Straße → strasse); returns units written (1-3).
int foldCase(char32_t c, char16_t out[3]);

// Plain-mode folding of s into out under the two switches.
void foldPlain(std::u16string_view s, bool caseFold, bool widthFold, FoldBuffer& out);

} // namespace match
