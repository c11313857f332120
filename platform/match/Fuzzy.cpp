#include "platform/match/Fuzzy.h"

#include "platform/match/FuzzyTables.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <vector>

namespace match {

namespace {

using namespace fuzzy;

struct Sym {
    char32_t c;
    int32_t begin, end;
};

constexpr char32_t kLongVowel = 0x30FC;

// Per-character rules: width, script, old kana, old kanji, dashes.
std::vector<Sym> decode(std::u16string_view s, const FuzzyOptions& o)
{
    std::vector<Sym> syms;
    syms.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        int used;
        if (o.matchFuzzyByte) {
            used = foldWidthAt(s, i, c);
        } else if (U16_IS_LEAD(s[i]) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(s[i], s[i + 1]);
            used = 2;
        } else {
            c = s[i];
            used = 1;
        }
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
        syms.push_back({c, static_cast<int32_t>(i), static_cast<int32_t>(i + used)});
        i += used;
    }
    return syms;
}

bool isKana(char32_t c) { return isKatakana(c) || isHiragana(c); }
bool isSmallVowel(char32_t k, char32_t vowel) { return k == vowel; }

// The two-kana syllable rules: the pair at k0 k1 (katakana view) becomes one kana, or 0.
char32_t pairRule(char32_t k0, char32_t k1, const FuzzyOptions& o)
{
    if (o.matchFuzzyBV && k0 == U'ヴ') {
        switch (k1) {
        case U'ァ': return U'バ';
        case U'ィ': return U'ビ';
        case U'ェ': return U'ベ';
        case U'ォ': return U'ボ';
        default: break;
        }
    }
    if (o.matchFuzzyBV && k0 == U'フ') {
        switch (k1) {
        case U'ァ': return U'ハ';
        case U'ィ': return U'ヒ';
        case U'ェ': return U'ヘ';
        case U'ォ': return U'ホ';
        default: break;
        }
    }
    if (o.matchFuzzyTC && isSmallVowel(k1, U'ィ')) {
        if (k0 == U'ツ' || k0 == U'テ')
            return U'チ';
        if (k0 == U'デ')
            return U'ジ';
    }
    if (o.matchFuzzyZJ && isSmallVowel(k1, U'ェ')) {
        if (k0 == U'シ')
            return U'セ';
        if (k0 == U'ジ')
            return U'ゼ';
    }
    return 0;
}

// The one-kana rules, with the katakana view of the neighbours.
char32_t singleRule(char32_t k, char32_t prev, char32_t next, const FuzzyOptions& o)
{
    if (o.matchFuzzyHF && (next == U'ュ' || (o.matchFuzzySmallKana && next == U'ユ'))) {
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

} // namespace

void foldFuzzy(std::u16string_view s, const FuzzyOptions& o, FoldBuffer& out)
{
    const std::vector<Sym> syms = decode(s, o);
    out.reserve(syms.size());
    std::vector<Sym> res;
    res.reserve(syms.size());
    for (size_t i = 0; i < syms.size(); ++i) {
        Sym sym = syms[i];
        if (o.matchFuzzyIterationMark && !res.empty()) {
            if (isIterationMark(sym.c))
                sym.c = res.back().c;
            else if (isVoicedIterationMark(sym.c))
                sym.c = voicedKana(res.back().c);
        }
        if (isKana(sym.c)) {
            const char32_t k = toKatakana(sym.c);
            const char32_t next = i + 1 < syms.size() ? toKatakana(syms[i + 1].c) : 0;
            const char32_t prev = res.empty() ? 0 : toKatakana(res.back().c);
            if (const char32_t merged = next ? pairRule(k, next, o) : 0) {
                res.push_back({inScriptOf(merged, sym.c), sym.begin, syms[i + 1].end});
                ++i;
                continue;
            }
            sym.c = inScriptOf(singleRule(k, prev, next, o), sym.c);
        } else if (sym.c == kLongVowel && o.matchFuzzyProlongedSoundMark && !res.empty()
                   && isKana(res.back().c)) {
            res.back().end = sym.end; // the mark joins its vowel, so a hit covers it
            continue;
        }
        if (skipped(sym.c, o))
            continue;
        res.push_back(sym);
    }
    for (const Sym& sym : res) {
        const char32_t c = o.matchFuzzySmallKana ? largeKana(sym.c) : sym.c;
        if (o.matchFuzzyCase) {
            char16_t buf[3];
            out.putGroup(buf, foldCase(c, buf), sym.begin, sym.end);
        } else {
            out.putCodePoint(c, sym.begin, sym.end);
        }
    }
}

} // namespace match
