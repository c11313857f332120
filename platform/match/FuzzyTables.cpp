#include "platform/match/FuzzyTables.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <string_view>
#include <unordered_map>

namespace match::fuzzy {

namespace {

// Pairs of old and standard forms, old first; two characters per pair.
constexpr std::u32string_view kKanjiPairs =
    U"亞亜惡悪壓圧圍囲醫医爲為壹壱隱隠榮栄營営衞衛驛駅圓円鹽塩奧奥應応歐欧毆殴櫻桜"
    U"溫温穩穏假仮價価畫画會会繪絵擴拡覺覚學学嶽岳樂楽關関歡歓觀観氣気龜亀僞偽戲戯"
    U"犧犠舊旧據拠擧挙峽峡狹狭曉暁區区勳勲徑径惠恵經経螢蛍輕軽鷄鶏缺欠劍剣儉倹檢検"
    U"權権獻献縣県險険顯顕驗験效効恆恒廣広黃黄號号國国黑黒濟済碎砕劑剤雜雑參参慘惨"
    U"蠶蚕贊賛殘残絲糸齒歯兒児辭辞濕湿實実寫写釋釈壽寿收収從従澁渋獸獣縱縦肅粛處処"
    U"敍叙將将燒焼稱称證証乘乗淨浄條条狀状疊畳孃嬢讓譲釀醸觸触寢寝眞真愼慎盡尽粹粋"
    U"醉酔隨随髓髄樞枢數数聲声靜静攝摂竊窃專専戰戦淺浅錢銭潛潜纖繊踐践禪禅雙双壯壮"
    U"爭争莊荘搜捜插挿巢巣總総騷騒藏蔵臟臓屬属續続墮堕體体對対帶帯滯滞臺台瀧滝擇択"
    U"澤沢單単擔担膽胆團団彈弾斷断癡痴遲遅晝昼蟲虫鑄鋳廳庁聽聴鎭鎮遞逓鐵鉄轉転傳伝"
    U"點点燈灯當当黨党盜盗稻稲鬪闘德徳獨独讀読屆届貳弐惱悩腦脳霸覇廢廃拜拝賣売麥麦"
    U"發発髮髪拔抜蠻蛮祕秘濱浜甁瓶拂払佛仏竝並變変邊辺邉辺辨弁瓣弁辯弁步歩舖舗寶宝"
    U"豐豊沒没飜翻萬万滿満默黙彌弥譯訳藥薬豫予餘余與与譽誉搖揺樣様謠謡來来亂乱覽覧"
    U"龍竜兩両獵猟壘塁勵励禮礼靈霊齡齢歷歴曆暦戀恋爐炉勞労樓楼祿禄錄録灣湾齋斎齊斉"
    U"髙高﨑崎圖図藝芸廣広晉晋繩縄緖緒穗穂惠恵冨富";

const std::unordered_map<char32_t, char32_t>& kanjiTable()
{
    static const std::unordered_map<char32_t, char32_t> table = [] {
        std::unordered_map<char32_t, char32_t> t;
        for (size_t i = 0; i + 1 < kKanjiPairs.size(); i += 2)
            t.emplace(kKanjiPairs[i], kKanjiPairs[i + 1]);
        return t;
    }();
    return table;
}

// Small kana and their full-size forms, small first.
constexpr std::u32string_view kSmallKana =
    U"ぁあぃいぅうぇえぉおっつゃやゅゆょよゎわゕかゖけ"
    U"ァアィイゥウェエォオッツャヤュユョヨヮワヵカヶケ"
    U"ㇰクㇱシㇲスㇳトㇴヌㇵハㇶヒㇷフㇸヘㇹホㇺムㇻラㇼリㇽルㇾレㇿロ";

// Half-width small kana (U+FF67..U+FF6F, in order) and their full-size forms, for when widths stay apart.
constexpr std::u32string_view kHalfwidthSmall = U"ｧｨｩｪｫｬｭｮｯ";
constexpr std::u32string_view kHalfwidthLarge = U"ｱｲｳｴｵﾔﾕﾖﾂ";

constexpr std::u32string_view kOldKana = U"ゐいゑえヰイヱエ";

// Unvoiced kana and their voiced forms.
constexpr std::u32string_view kVoicing =
    U"かがきぎくぐけげこごさざしじすずせぜそぞただちぢつづてでとどはばひびふぶへべほぼ"
    U"カガキギクグケゲコゴサザシジスズセゼソゾタダチヂツヅテデトドハバヒビフブヘベホボウヴ";

// A pair list as a direct table over the kana blocks (U+3040..U+31FF).
class KanaTable {
public:
    explicit KanaTable(std::u32string_view pairs)
    {
        for (size_t i = 0; i + 1 < pairs.size(); i += 2)
            m_to[pairs[i] - kFirst] = pairs[i + 1];
    }
    char32_t operator()(char32_t c) const
    {
        if (c < kFirst || c >= kFirst + m_to.size())
            return c;
        const char32_t to = m_to[c - kFirst];
        return to ? to : c;
    }

private:
    static constexpr char32_t kFirst = 0x3040;
    std::array<char32_t, 0x1C0> m_to{};
};

} // namespace

char32_t newKanji(char32_t c)
{
    static const std::bitset<0x10000> old = [] {
        std::bitset<0x10000> b;
        for (size_t i = 0; i + 1 < kKanjiPairs.size(); i += 2)
            b.set(kKanjiPairs[i]);
        return b;
    }();
    if (c < 0x4E00 || c > 0xFFFF || !old.test(c))
        return c;
    return kanjiTable().at(c);
}

char32_t largeKana(char32_t c)
{
    static const KanaTable table(kSmallKana);
    if (c >= kHalfwidthSmall.front() && c <= kHalfwidthSmall.back())
        return kHalfwidthLarge[c - kHalfwidthSmall.front()];
    return table(c);
}

char32_t modernKana(char32_t c)
{
    static const KanaTable table(kOldKana);
    return table(c);
}

char32_t voicedKana(char32_t c)
{
    static const KanaTable table(kVoicing);
    return table(c);
}

bool isHiragana(char32_t c) { return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E; }
bool isKatakana(char32_t c) { return (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FD || c == 0x30FE || (c >= 0x31F0 && c <= 0x31FF); }

char32_t toKatakana(char32_t c) { return isHiragana(c) ? c + 0x60 : c; }

char32_t toHiragana(char32_t c)
{
    return ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE) ? c - 0x60 : c;
}

bool isDash(char32_t c)
{
    switch (c) {
    case 0x002D: case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015:
    case 0x2212: case 0x30FC: case 0xFE58: case 0xFE63: case 0xFF0D: case 0xFF70:
        return true;
    default:
        return false;
    }
}

bool isIterationMark(char32_t c) { return c == 0x3005 || c == 0x303B || c == 0x309D || c == 0x30FD; }
bool isVoicedIterationMark(char32_t c) { return c == 0x309E || c == 0x30FE; }

bool isIRowOrERow(char32_t k)
{
    static constexpr std::u32string_view rows = U"イキギシジチヂニヒビピミリヰエケゲセゼテデネヘベペメレヱィェ";
    return rows.find(k) != std::u32string_view::npos;
}

bool isSaRow(char32_t k)
{
    static constexpr std::u32string_view row = U"サシスセソザジズゼゾ";
    return row.find(k) != std::u32string_view::npos;
}

} // namespace match::fuzzy
