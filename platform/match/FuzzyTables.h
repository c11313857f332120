#pragma once

// Character tables behind the Japanese fuzzy rules. Each function returns its argument when
// the table has no entry for it.
namespace match::fuzzy {

// Old (traditional) kanji form to the standard one: 國 → 国.
char32_t newKanji(char32_t c);
// Small kana to full size, hiragana and katakana of both widths: ゃ → や, ッ → ツ, ㇰ → ク, ｬ → ﾔ.
char32_t largeKana(char32_t c);
// Old kana usage to the modern kana: ゐ → い, ヱ → エ.
char32_t modernKana(char32_t c);
// The voiced kana of a kana (カ → ガ, ウ → ヴ), for the voiced iteration marks ゞ ヾ.
char32_t voicedKana(char32_t c);
// Hiragana to katakana (ゝゞ included); other characters unchanged.
char32_t toKatakana(char32_t c);
// Katakana back to hiragana where a hiragana exists.
char32_t toHiragana(char32_t c);
bool isHiragana(char32_t c);
bool isKatakana(char32_t c);
// Dashes, minus signs and the long-vowel mark, which the dash rule treats as one character.
bool isDash(char32_t c);
// Iteration marks: 々 〻 ゝ ヽ repeat the previous character, ゞ ヾ its voiced form.
bool isIterationMark(char32_t c);
bool isVoicedIterationMark(char32_t c);
// Katakana of the i-row and e-row (for ア/ヤ) and of the sa-row (for キ/ク).
bool isIRowOrERow(char32_t katakana);
bool isSaRow(char32_t katakana);

} // namespace match::fuzzy
