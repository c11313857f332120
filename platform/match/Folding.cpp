#include "platform/match/Folding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <numeric>

namespace match {

void FoldBuffer::putGroup(const char16_t* units, int count, int32_t begin, int32_t end)
{
    const int32_t j = size();
    const int32_t delta = m_groups.empty() ? 0 : m_groups.back().src + m_groups.back().srcLen - m_groups.back().fold - m_groups.back().foldLen;
    if (count == end - begin && begin == j + delta) {
        m_text.append(units, count);
        return;
    }
    m_groups.push_back({j, begin, count, end - begin});
    m_text.append(units, count);
}

void FoldBuffer::putCodePoint(char32_t c, int32_t begin, int32_t end)
{
    char16_t units[2];
    int32_t n = 0;
    U16_APPEND_UNSAFE(units, n, c);
    putGroup(units, n, begin, end);
}

void FoldBuffer::extendLast(int32_t units, int32_t begin, int32_t end)
{
    const int32_t j = size() - units;
    if (!m_groups.empty() && m_groups.back().fold == j && m_groups.back().foldLen == units)
        m_groups.back().srcLen = end - m_groups.back().src;
    else
        m_groups.push_back({j, begin, units, end - begin});
}

const FoldBuffer::Group* FoldBuffer::groupAtOrBefore(int32_t j) const
{
    auto it = std::upper_bound(m_groups.begin(), m_groups.end(), j, [](int32_t v, const Group& g) { return v < g.fold; });
    return it == m_groups.begin() ? nullptr : &*(it - 1);
}

FoldBuffer::Source FoldBuffer::source(int32_t j) const
{
    const Group* g = groupAtOrBefore(j);
    if (inside(g, j))
        return {g->src, g->src + g->srcLen, j == g->fold, j + 1 == g->fold + g->foldLen};
    const int32_t begin = g ? j + g->src + g->srcLen - g->fold - g->foldLen : j;
    return {begin, begin + 1, true, true};
}

int32_t FoldBuffer::firstUnitFrom(int32_t d) const
{
    auto it = std::upper_bound(m_groups.begin(), m_groups.end(), d, [](int32_t v, const Group& g) { return v < g.src; });
    if (it == m_groups.begin())
        return std::clamp(d, 0, size());
    const Group& g = *(it - 1);
    if (d == g.src)
        return g.fold;
    if (d < g.src + g.srcLen)
        return g.fold + g.foldLen;
    return std::min(d - (g.src + g.srcLen - g.fold - g.foldLen), size());
}

int32_t FoldBuffer::unitsEndingBy(int32_t d) const
{
    auto it = std::lower_bound(m_groups.begin(), m_groups.end(), d, [](const Group& g, int32_t v) { return g.src < v; });
    if (it == m_groups.begin())
        return std::clamp(d, 0, size());
    const Group& g = *(it - 1);
    if (d < g.src + g.srcLen)
        return g.fold;
    return std::min(d - (g.src + g.srcLen - g.fold - g.foldLen), size());
}

namespace {

// Width tables for U+FF00..U+FFEF, built once from ICU's own width transliterators so the
// per-character fold is a table look-up.
struct WidthTables {
    std::array<char16_t, 0xF0> narrow{};        // 0 = unchanged
    std::array<char16_t, 0xF0> voiced{};        // half-width kana + U+FF9E composed
    std::array<char16_t, 0xF0> semiVoiced{};    // half-width kana + U+FF9F composed

    // From Unicode's compatibility decompositions (NFKC), for the same ranges the width
    // transliterators cover; building those transliterators cost ~25 ms at every start.
    WidthTables()
    {
        UErrorCode st = U_ZERO_ERROR;
        const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(st);
        if (U_FAILURE(st))
            return;
        for (char16_t c = 0xFF00; c < 0xFFF0; ++c) {
            const bool toNarrow = (c >= 0xFF01 && c <= 0xFF5E) || (c >= 0xFFE0 && c <= 0xFFE6);
            const bool toWide = c >= 0xFF61 && c <= 0xFF9F;
            if (!toNarrow && !toWide)
                continue;
            const size_t k = c - 0xFF00;
            // The character's own width mapping, one level deep (￣ is ¯, not NFKC's space + macron).
            icu::UnicodeString one;
            if (nfkc->getRawDecomposition(c, one) && one.length() == 1)
                narrow[k] = one.charAt(0);
            if (!toWide)
                continue;
            for (char16_t mark : {u'\uFF9E', u'\uFF9F'}) {
                icu::UnicodeString pair(c);
                pair.append(mark);
                const icu::UnicodeString composed = nfkc->normalize(pair, st);
                if (composed.length() == 1)
                    (mark == u'\uFF9E' ? voiced : semiVoiced)[k] = composed.charAt(0);
            }
        }
    }
};

const WidthTables& widthTables()
{
    static const WidthTables tables;
    return tables;
}

} // namespace

int foldWidthAt(std::u16string_view s, size_t i, char32_t& out)
{
    const char16_t c = s[i];
    if (c < 0x3000 || (c > 0x3000 && c < 0xFF00) || c >= 0xFFF0) {
        if (U16_IS_LEAD(c) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
            out = U16_GET_SUPPLEMENTARY(c, s[i + 1]);
            return 2;
        }
        out = c;
        return 1;
    }
    if (c == 0x3000) {
        out = u' ';
        return 1;
    }
    const WidthTables& t = widthTables();
    const size_t k = c - 0xFF00;
    if (i + 1 < s.size() && (s[i + 1] == 0xFF9E || s[i + 1] == 0xFF9F)) {
        const char16_t composed = (s[i + 1] == 0xFF9E ? t.voiced : t.semiVoiced)[k];
        if (composed) {
            out = composed;
            return 2;
        }
    }
    out = t.narrow[k] ? t.narrow[k] : c;
    return 1;
}

namespace {

// The cased characters, as ICU's set: only they fold. Their set is quick to make; the set of the
// characters that change when case-folded, or asking that property of every character, decomposes
// characters and cost milliseconds at each start.
const USet* casedCharacters()
{
    static const USet* const set = [] {
        UErrorCode st = U_ZERO_ERROR;   // fails only without ICU's data, which is linked in
        return u_getBinaryPropertySet(UCHAR_CASED, &st);
    }();
    return set;
}

// Full case folding through ICU, for the table and the characters it cannot hold.
int foldCaseSlow(char32_t c, char16_t out[3])
{
    if (c < 0x80) {
        out[0] = static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return 1;
    }
    if (!u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_CHANGES_WHEN_CASEFOLDED)) {
        int32_t n = 0;
        U16_APPEND_UNSAFE(out, n, c);
        return n;
    }
    UChar src[2];
    int32_t n = 0;
    U16_APPEND_UNSAFE(src, n, c);
    UErrorCode st = U_ZERO_ERROR;
    const int32_t len = u_strFoldCase(reinterpret_cast<UChar*>(out), 3, src, n, U_FOLD_CASE_DEFAULT, &st);
    if (U_FAILURE(st) || len > 3) {
        n = 0;
        U16_APPEND_UNSAFE(out, n, u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
        return n;
    }
    return len;
}

} // namespace

namespace {

constexpr char16_t kSlow = 0xFFFF; // the unit needs the full fold (length change, pairs, composition)

// One folded unit per BMP unit for the folds that keep the length.
std::vector<char16_t> buildPlainTable(bool caseFold, bool widthFold)
{
    std::vector<char16_t> t(0x10000);
    std::iota(t.begin(), t.end(), u'\0');   // what neither fold changes
    const auto fold = [&](char32_t u) {
        char16_t& entry = t[u];
        if (U16_IS_SURROGATE(u) || u == kSlow || (widthFold && u >= 0xFF61 && u <= 0xFF9F)) {
            entry = kSlow;
            return;
        }
        char32_t c = u;
        if (widthFold) {
            const char16_t one = static_cast<char16_t>(u);
            foldWidthAt(std::u16string_view(&one, 1), 0, c);
        }
        char16_t buf[3] = {static_cast<char16_t>(c), 0, 0};
        const int n = caseFold ? foldCaseSlow(c, buf) : 1;
        entry = n == 1 ? buf[0] : kSlow;
    };
    // Only the cased characters, the wide and half-width forms and the units that never stand
    // alone need more than themselves.
    if (caseFold) {
        const USet* changed = casedCharacters();
        for (int32_t i = 0, items = uset_getItemCount(changed); i < items; ++i) {
            UChar32 first = 0, last = -1;
            UErrorCode st = U_ZERO_ERROR;
            uset_getItem(changed, i, &first, &last, nullptr, 0, &st);
            for (UChar32 u = first; u <= std::min<UChar32>(last, 0xFFFF); ++u)
                fold(static_cast<char32_t>(u));
        }
    }
    if (widthFold) {
        fold(0x3000);
        for (char32_t u = 0xFF00; u < 0xFFF0; ++u)
            fold(u);
    }
    for (char32_t u = 0xD800; u <= 0xDFFF; ++u)
        fold(u);
    fold(kSlow);
    return t;
}

// Built on first use of each switch setting: a search needs one or two of the four.
const std::vector<char16_t>& plainTable(bool caseFold, bool widthFold)
{
    static std::array<std::once_flag, 4> built;
    static std::array<std::vector<char16_t>, 4> tables;
    const size_t k = (caseFold ? 1 : 0) | (widthFold ? 2 : 0);
    std::call_once(built[k], [&] { tables[k] = buildPlainTable(caseFold, widthFold); });
    return tables[k];
}

} // namespace

int foldCase(char32_t c, char16_t out[3])
{
    if (c < 0x10000) {
        const char16_t m = plainTable(true, false)[c];
        if (m != kSlow) {
            out[0] = m;
            return 1;
        }
    }
    return foldCaseSlow(c, out);
}

void foldPlain(std::u16string_view s, bool caseFold, bool widthFold, FoldBuffer& out)
{
    if (!caseFold && !widthFold) {
        out.assign(s);
        return;
    }
    const char16_t* table = plainTable(caseFold, widthFold).data();
    out.reserve(s.size() + 8);
    char16_t chunk[1024];
    size_t i = 0;
    while (i < s.size()) {
        size_t n = 0;
        for (char16_t m; i < s.size() && n < std::size(chunk) && (m = table[s[i]]) != kSlow; ++i)
            chunk[n++] = m;
        out.putSame(chunk, n);
        if (i >= s.size() || n == std::size(chunk))
            continue;
        char32_t c;
        const int used = codePointAt(s, i, widthFold, c);
        const int32_t b = static_cast<int32_t>(i), e = static_cast<int32_t>(i + used);
        if (caseFold) {
            char16_t buf[3];
            out.putGroup(buf, foldCase(c, buf), b, e);
        } else {
            out.putCodePoint(c, b, e);
        }
        i += used;
    }
}

int codePointAt(std::u16string_view s, size_t i, bool widthFold, char32_t& out)
{
    if (widthFold)
        return foldWidthAt(s, i, out);
    if (U16_IS_LEAD(s[i]) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
        out = U16_GET_SUPPLEMENTARY(s[i], s[i + 1]);
        return 2;
    }
    out = s[i];
    return 1;
}

} // namespace match
