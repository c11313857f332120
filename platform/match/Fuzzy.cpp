#include "platform/match/Fuzzy.h"

#include "platform/match/FuzzyTables.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <memory>
#include <mutex>
#include <vector>

namespace match {

namespace {

using namespace fuzzy;

constexpr char32_t kLongVowel = 0x30FC;

struct Decoded {
    char32_t c;
    int used; // source units
};

// Per-character rules: width, script, old kana, old kanji, dashes.
Decoded decodeAt(std::u16string_view s, size_t i, const FuzzyOptions& o)
{
    char32_t c;
    const int used = codePointAt(s, i, o.matchFuzzyByte, c);
    if (c >= 0x3000) {
        if (o.matchFuzzyOldKana)
            c = modernKana(c);
        if (o.matchFuzzyHiragana)
            c = toKatakana(c);
        if (o.matchFuzzyKanji)
            c = newKanji(c);
    }
    if (o.matchFuzzyDash && isDash(c))
        c = kLongVowel;
    return {c, used};
}

bool isKana(char32_t c) { return isKatakana(c) || isHiragana(c); }

// The katakana a kana is compared as: full size when small kana and full-size kana are equal,
// so every rule that names a kana also holds for its small or full-size form.
char32_t kanaView(char32_t c, const FuzzyOptions& o)
{
    const char32_t k = toKatakana(c);
    return o.matchFuzzySmallKana ? largeKana(k) : k;
}

// How a small kana that a syllable rule names appears in the kana view.
char32_t seen(char32_t small, const FuzzyOptions& o) { return o.matchFuzzySmallKana ? largeKana(small) : small; }

struct PairRule {
    bool FuzzyOptions::*option;
    char32_t first, small, merged;
};

// Two kana read as one: ヴァ → バ, ファ → ハ, ツィ/ティ → チ, ディ → ジ, シェ → セ, ジェ → ゼ.
constexpr PairRule kPairRules[] = {
    {&FuzzyOptions::matchFuzzyBV, U'ヴ', U'ァ', U'バ'}, {&FuzzyOptions::matchFuzzyBV, U'ヴ', U'ィ', U'ビ'},
    {&FuzzyOptions::matchFuzzyBV, U'ヴ', U'ェ', U'ベ'}, {&FuzzyOptions::matchFuzzyBV, U'ヴ', U'ォ', U'ボ'},
    {&FuzzyOptions::matchFuzzyBV, U'フ', U'ァ', U'ハ'}, {&FuzzyOptions::matchFuzzyBV, U'フ', U'ィ', U'ヒ'},
    {&FuzzyOptions::matchFuzzyBV, U'フ', U'ェ', U'ヘ'}, {&FuzzyOptions::matchFuzzyBV, U'フ', U'ォ', U'ホ'},
    {&FuzzyOptions::matchFuzzyTC, U'ツ', U'ィ', U'チ'}, {&FuzzyOptions::matchFuzzyTC, U'テ', U'ィ', U'チ'},
    {&FuzzyOptions::matchFuzzyTC, U'デ', U'ィ', U'ジ'}, {&FuzzyOptions::matchFuzzyZJ, U'シ', U'ェ', U'セ'},
    {&FuzzyOptions::matchFuzzyZJ, U'ジ', U'ェ', U'ゼ'},
};

// The two-kana syllable rules: the pair k0 k1 (kana view) becomes one kana, or 0.
char32_t pairRule(char32_t k0, char32_t k1, const FuzzyOptions& o)
{
    for (const PairRule& r : kPairRules)
        if (o.*r.option && k0 == r.first && k1 == seen(r.small, o))
            return r.merged;
    return 0;
}

// The one-kana rules, with the katakana view of the neighbours.
char32_t singleRule(char32_t k, char32_t prev, char32_t next, const FuzzyOptions& o)
{
    if (o.matchFuzzyHF && next == seen(U'ュ', o)) {
        if (k == U'フ')
            return U'ヒ';
        if (k == U'ヴ')
            return U'ビ';
    }
    if (o.matchFuzzyBV && k == U'ヴ')
        return U'ブ';
    if (o.matchFuzzyDZ) {
        if (k == U'ヂ')
            return U'ジ';
        if (k == U'ヅ')
            return U'ズ';
    }
    if (o.matchFuzzyKiKu && k == U'キ' && isSaRow(next))
        return U'ク';
    if (o.matchFuzzyAY && k == U'ヤ' && isIRowOrERow(prev))
        return U'ア';
    return k;
}

// Gives back the script of the source character when hiragana and katakana stay distinct.
char32_t inScriptOf(char32_t katakana, char32_t source)
{
    return isHiragana(source) ? toHiragana(katakana) : katakana;
}

bool skipped(char32_t c, const FuzzyOptions& o)
{
    if (o.matchFuzzySpace && (c == 0x20 || c == 0xA0 || c == 0x3000 || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR))
        return true;
    return o.matchFuzzyPunctuation && u_ispunct(static_cast<UChar32>(c));
}

// The last per-character rules, small kana and case; returns the units written (1-3).
int finalUnits(char32_t c, const FuzzyOptions& o, char16_t out[3])
{
    if (o.matchFuzzySmallKana)
        c = largeKana(c);
    if (o.matchFuzzyCase)
        return foldCase(c, out);
    int32_t n = 0;
    U16_APPEND_UNSAFE(out, n, c);
    return n;
}

// Kana whose fold can depend on the next character (syllable pairs, フュ, キ before the sa-row).
bool pairsWithNext(char32_t k)
{
    switch (k) {
    case U'ヴ': case U'フ': case U'ツ': case U'テ': case U'デ': case U'シ': case U'ジ': case U'キ':
        return true;
    default:
        return false;
    }
}

// Kana (kana view) that can be that next character.
bool completesPair(char32_t k, const FuzzyOptions& o)
{
    for (const char32_t small : {U'ァ', U'ィ', U'ェ', U'ォ', U'ュ'})
        if (k == seen(small, o))
            return true;
    return isSaRow(k);
}

// A decoded character's fold when the next one completes no pair and it is not ヤ.
char32_t foldAlone(char32_t c, const FuzzyOptions& o)
{
    return isKana(c) ? inScriptOf(singleRule(kanaView(c, o), 0, 0, o), c) : c;
}

bool isHalfwidthKana(char32_t c) { return c >= 0xFF61 && c <= 0xFF9F; }

// Per BMP unit under one set of options: its folded unit when that needs no neighbour, and
// whether it can change the fold of the unit before it.
struct UnitTable {
    enum : uint8_t {
        kSlow = 1,       // fold with its neighbours (marks, composition, skips, length changes)
        kPairs = 2,      // fold with its neighbours when the next unit has kCompletes
        kCompletes = 4,
        kDecodesWithNext = 8, // a lead surrogate, or half-width kana that can compose
    };
    FuzzyOptions options;
    std::vector<char16_t> unit;
    std::vector<char16_t> decoded; // decodeAt of the unit alone
    std::vector<uint8_t> flags;

    explicit UnitTable(const FuzzyOptions& o) : options(o), unit(0x10000), decoded(0x10000), flags(0x10000)
    {
        for (char32_t u = 0; u < 0x10000; ++u) {
            const char16_t one = static_cast<char16_t>(u);
            const char32_t c = decodeAt(std::u16string_view(&one, 1), 0, o).c;
            decoded[u] = static_cast<char16_t>(c);
            if (U16_IS_LEAD(u) || (o.matchFuzzyByte && isHalfwidthKana(u)))
                flags[u] |= kDecodesWithNext;
            const char32_t k = isKana(c) ? kanaView(c, o) : 0;
            if (isHalfwidthKana(u) || completesPair(k, o))
                flags[u] |= kCompletes;
            if (U16_IS_SURROGATE(u) || (o.matchFuzzyByte && isHalfwidthKana(u)) || isIterationMark(c)
                || isVoicedIterationMark(c) || c == kLongVowel || skipped(c, o) || k == U'ヤ') { // ヤ: AY looks back
                flags[u] |= kSlow;
                continue;
            }
            if (pairsWithNext(k))
                flags[u] |= kPairs;
            char16_t buf[3];
            if (finalUnits(foldAlone(c, o), o, buf) != 1)
                flags[u] |= kSlow;
            else
                unit[u] = buf[0];
        }
    }

    Decoded decode(std::u16string_view s, size_t i) const
    {
        return flags[s[i]] & kDecodesWithNext ? decodeAt(s, i, options) : Decoded{decoded[s[i]], 1};
    }
};

std::shared_ptr<const UnitTable> unitTable(const FuzzyOptions& o)
{
    static std::mutex mutex;
    static std::vector<std::shared_ptr<const UnitTable>> recent;
    const std::lock_guard lock(mutex);
    for (const auto& t : recent)
        if (t->options == o)
            return t;
    if (recent.size() == 4)
        recent.erase(recent.begin());
    recent.push_back(std::make_shared<const UnitTable>(o));
    return recent.back();
}

// The last character written, which iteration marks repeat and a long-vowel mark joins.
struct Previous {
    bool any = false;
    char32_t c = 0;     // before small-kana and case folding
    int32_t begin = 0;  // its first source unit
    int32_t units = 0;  // folded units written for it
};

void put(char32_t c, int32_t begin, int32_t end, const FuzzyOptions& o, FoldBuffer& out, Previous& prev)
{
    char16_t buf[3];
    const int n = finalUnits(c, o, buf);
    out.putGroup(buf, n, begin, end);
    prev = {true, c, begin, n};
}

// The character at i with its neighbours; returns the source index after what it used.
size_t foldWithContext(std::u16string_view s, size_t i, const UnitTable& t, FoldBuffer& out, Previous& prev)
{
    const FuzzyOptions& o = t.options;
    const Decoded d = t.decode(s, i);
    char32_t c = d.c;
    const int32_t begin = static_cast<int32_t>(i);
    const size_t end = i + d.used;
    if (o.matchFuzzyIterationMark && prev.any) {
        if (isIterationMark(c))
            c = prev.c;
        else if (isVoicedIterationMark(c))
            c = voicedKana(prev.c);
    }
    if (isKana(c)) {
        const Decoded nd = end < s.size() ? t.decode(s, end) : Decoded{0, 0};
        const char32_t k = kanaView(c, o), next = nd.c ? kanaView(nd.c, o) : 0;
        if (const char32_t merged = next ? pairRule(k, next, o) : 0) {
            put(inScriptOf(merged, c), begin, static_cast<int32_t>(end + nd.used), o, out, prev);
            return end + nd.used;
        }
        c = inScriptOf(singleRule(k, prev.any ? kanaView(prev.c, o) : 0, next, o), c);
    } else if (c == kLongVowel && o.matchFuzzyProlongedSoundMark && prev.any && isKana(prev.c)) {
        out.extendLast(prev.units, prev.begin, static_cast<int32_t>(end)); // the mark joins its vowel
        return end;
    }
    if (!skipped(c, o))
        put(c, begin, static_cast<int32_t>(end), o, out, prev);
    return end;
}

} // namespace

void foldFuzzy(std::u16string_view s, const FuzzyOptions& o, FoldBuffer& out)
{
    const std::shared_ptr<const UnitTable> table = unitTable(o);
    const char16_t* unit = table->unit.data();
    const uint8_t* flags = table->flags.data();
    const size_t n = s.size();
    out.reserve(n);
    Previous prev;
    char16_t chunk[1024];
    size_t i = 0;
    while (i < n) {
        // Characters that fold alone go straight through the table.
        const size_t runBegin = i;
        size_t m = 0;
        for (; i < n && m < std::size(chunk); ++i) {
            const uint8_t f = flags[s[i]];
            if ((f & UnitTable::kSlow)
                || ((f & UnitTable::kPairs) && i + 1 < n && (flags[s[i + 1]] & UnitTable::kCompletes)))
                break;
            chunk[m++] = unit[s[i]];
        }
        if (m > 0) {
            // The first unit may follow skipped source units, which putGroup records.
            out.putGroup(chunk, 1, static_cast<int32_t>(runBegin), static_cast<int32_t>(runBegin + 1));
            out.putSame(chunk + 1, m - 1);
            prev = {true, foldAlone(table->decoded[s[i - 1]], o), static_cast<int32_t>(i - 1), 1};
        }
        if (i < n && m < std::size(chunk))
            i = foldWithContext(s, i, *table, out, prev);
    }
}

} // namespace match
