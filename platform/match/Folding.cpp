#include "platform/match/Folding.h"

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <array>
#include <memory>

namespace match {

void FoldBuffer::materialize()
{
    const int32_t n = static_cast<int32_t>(m_text.size());
    m_begin.resize(n);
    m_end.resize(n);
    for (int32_t j = 0; j < n; ++j) {
        m_begin[j] = j;
        m_end[j] = j + 1;
    }
    m_mapped = true;
}

void FoldBuffer::putCodePoint(char32_t c, int32_t begin, int32_t end)
{
    if (c <= 0xFFFF) {
        put(static_cast<char16_t>(c), begin, end);
    } else {
        put(U16_LEAD(c), begin, end);
        put(U16_TRAIL(c), begin, end);
    }
}

namespace {

// Width tables for U+FF00..U+FFEF, built once from ICU's own width transliterators so the
// per-character fold is a table look-up.
struct WidthTables {
    std::array<char16_t, 0xF0> narrow{};        // 0 = unchanged
    std::array<char16_t, 0xF0> voiced{};        // half-width kana + U+FF9E composed
    std::array<char16_t, 0xF0> semiVoiced{};    // half-width kana + U+FF9F composed

    WidthTables()
    {
        UErrorCode st = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> toNarrow(icu::Transliterator::createInstance(
            "[\\uFF01-\\uFF5E\\uFFE0-\\uFFE6] Fullwidth-Halfwidth", UTRANS_FORWARD, st));
        UErrorCode st2 = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> toWide(icu::Transliterator::createInstance(
            "[\\uFF61-\\uFF9F] Halfwidth-Fullwidth", UTRANS_FORWARD, st2));
        if (U_FAILURE(st) || U_FAILURE(st2))
            return;
        for (char16_t c = 0xFF00; c < 0xFFF0; ++c) {
            const size_t k = c - 0xFF00;
            icu::UnicodeString one(c);
            if (c >= 0xFF61 && c <= 0xFF9F) {
                toWide->transliterate(one);
                for (char16_t mark : {u'\uFF9E', u'\uFF9F'}) {
                    icu::UnicodeString pair(c);
                    pair.append(mark);
                    toWide->transliterate(pair);
                    if (pair.length() == 1)
                        (mark == u'\uFF9E' ? voiced : semiVoiced)[k] = pair.charAt(0);
                }
            } else {
                toNarrow->transliterate(one);
            }
            if (one.length() == 1 && one.charAt(0) != c)
                narrow[k] = one.charAt(0);
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

int foldCase(char32_t c, char16_t out[3])
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

void foldPlain(std::u16string_view s, bool caseFold, bool widthFold, FoldBuffer& out)
{
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const char16_t u = s[i];
        if (u < 0x80) { // the common case: one unit in, one unit out
            out.put(caseFold && u >= 'A' && u <= 'Z' ? u + 32 : u, static_cast<int32_t>(i),
                    static_cast<int32_t>(i) + 1);
            ++i;
            continue;
        }
        char32_t c;
        int used;
        if (widthFold) {
            used = foldWidthAt(s, i, c);
        } else if (U16_IS_LEAD(u) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(u, s[i + 1]);
            used = 2;
        } else {
            c = u;
            used = 1;
        }
        const int32_t b = static_cast<int32_t>(i), e = static_cast<int32_t>(i + used);
        if (caseFold) {
            char16_t buf[3];
            const int n = foldCase(c, buf);
            for (int k = 0; k < n; ++k)
                out.put(buf[k], b, e);
        } else {
            out.putCodePoint(c, b, e);
        }
        i += used;
    }
}

} // namespace match
