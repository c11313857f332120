#include "host/FuzzyRules.h"

namespace host {

const FuzzyRule kFuzzyRules[kFuzzyRuleCount] = {
    {&match::FuzzyOptions::matchFuzzyCase, "MatchFuzzyCase", "大文字と小文字"},
    {&match::FuzzyOptions::matchFuzzyByte, "MatchFuzzyByte", "全角と半角"},
    {&match::FuzzyOptions::matchFuzzyHiragana, "MatchFuzzyHiragana", "ひらがなとカタカナ"},
    {&match::FuzzyOptions::matchFuzzySmallKana, "MatchFuzzySmallKana", "小書き文字"},
    {&match::FuzzyOptions::matchFuzzyDash, "MatchFuzzyDash", "ダッシュと長音記号"},
    {&match::FuzzyOptions::matchFuzzyIterationMark, "MatchFuzzyIterationMark", "繰り返し記号"},
    {&match::FuzzyOptions::matchFuzzyKanji, "MatchFuzzyKanji", "旧字体と新字体"},
    {&match::FuzzyOptions::matchFuzzyOldKana, "MatchFuzzyOldKana", "旧仮名遣い"},
    {&match::FuzzyOptions::matchFuzzyProlongedSoundMark, "MatchFuzzyProlongedSoundMark", "長音の有無"},
    {&match::FuzzyOptions::matchFuzzyDZ, "MatchFuzzyDZ", "ヂ/ジ・ヅ/ズ"},
    {&match::FuzzyOptions::matchFuzzyBV, "MatchFuzzyBV", "バ/ヴァ・ハ/ファ"},
    {&match::FuzzyOptions::matchFuzzyTC, "MatchFuzzyTC", "ツィ/ティ/チ・ディ/ジ"},
    {&match::FuzzyOptions::matchFuzzyHF, "MatchFuzzyHF", "ヒュ/フュ・ビュ/ヴュ"},
    {&match::FuzzyOptions::matchFuzzyZJ, "MatchFuzzyZJ", "セ/シェ・ゼ/ジェ"},
    {&match::FuzzyOptions::matchFuzzyAY, "MatchFuzzyAY", "イ段・エ段＋ア/ヤ"},
    {&match::FuzzyOptions::matchFuzzyKiKu, "MatchFuzzyKiKu", "サ行の前のキ/ク"},
    {&match::FuzzyOptions::matchFuzzyPunctuation, "MatchFuzzyPunctuation", "句読点を無視する"},
    {&match::FuzzyOptions::matchFuzzySpace, "MatchFuzzySpace", "空白文字を無視する"},
};

} // namespace host
