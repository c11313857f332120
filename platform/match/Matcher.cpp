#include "platform/match/Matcher.h"

#include "platform/match/FormatMatch.h"
#include "platform/match/Fuzzy.h"
#include "platform/match/RegexSearch.h"
#include "platform/match/SoundsLike.h"
#include "platform/match/SpecialCodes.h"
#include "platform/match/Wildcards.h"
#include "platform/match/WordForms.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>

namespace match {

namespace {

bool isWordChar(UChar32 c) { return c == u'_' || u_isalnum(c) || u_hasBinaryProperty(c, UCHAR_ALPHABETIC); }

// A word boundary at unit j of t: a change between word characters and anything else.
bool boundaryAt(const std::u16string& t, int32_t j)
{
    const int32_t n = static_cast<int32_t>(t.size());
    if (j <= 0 || j >= n)
        return true;
    UChar32 before, after;
    int32_t i = j;
    U16_PREV(t.data(), 0, i, before);
    U16_GET(t.data(), 0, j, n, after);
    return isWordChar(before) != isWordChar(after);
}

std::u16string foldQuery(std::u16string_view s, const FoldKey& key)
{
    FoldBuffer out;
    if (key.mode == FoldKey::Mode::Fuzzy)
        foldFuzzy(s, key.fuzzy, out);
    else
        foldPlain(s, key.caseFold, key.widthFold, out);
    return out.text();
}

// The English words of a find text, lower case.
std::vector<QString> queryWords(const QString& text)
{
    std::vector<QString> words;
    QString current;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool letter = i < text.size() && (text[i].isLetter()
            || ((text[i] == u'\'' || text[i] == u'\u2019') && !current.isEmpty() && i + 1 < text.size() && text[i + 1].isLetter()));
        if (letter) {
            current += text[i];
        } else if (!current.isEmpty()) {
            words.push_back(current.toLower());
            current.clear();
        }
    }
    return words;
}

// Phonetic keys of an English word; none for words with other letters.
std::vector<QString> phoneticKeys(const QString& word)
{
    std::string ascii;
    for (QChar c : word) {
        if (c.unicode() >= 0x80)
            return {};
        if (c.isLetter())
            ascii += static_cast<char>(c.unicode());
    }
    const PhoneticKeys k = doubleMetaphone(ascii);
    return {QString::fromStdString(k.primary), QString::fromStdString(k.secondary)};
}

std::vector<QString> lemmasOrSelf(const QString& word)
{
    std::vector<QString> l = lemmas(word);
    if (l.empty())
        l.push_back(word);
    return l;
}

bool shareKey(const std::vector<QString>& a, const std::vector<QString>& b)
{
    for (const QString& x : a)
        if (!x.isEmpty() && std::find(b.begin(), b.end(), x) != b.end())
            return true;
    return false;
}

} // namespace

Matcher::Matcher(const Query& query) : m_format(query.format)
{
    if (query.text.isEmpty()) {
        m_key.mode = FoldKey::Mode::None;
        m_kind = m_format.active() ? Kind::FormatOnly : Kind::Nothing;
        return;
    }
    if (query.matchWildcards && !query.matchFuzzy) {
        m_key.mode = FoldKey::Mode::Exact;
        const TranslatedPattern t = translateWildcards(query.text);
        m_regex = std::make_unique<RegexSearch>(t.regex, t.start);
        m_kind = Kind::Regex;
        return;
    }
    if ((query.matchSoundsLike || query.matchAllWordForms) && !query.matchFuzzy) {
        m_key.mode = FoldKey::Mode::Words;
        m_soundsLike = query.matchSoundsLike;
        m_queryWords = queryWords(query.text);
        for (const QString& w : m_queryWords)
            m_queryKeys.push_back(m_soundsLike ? phoneticKeys(w) : lemmasOrSelf(w));
        m_wordMemo.resize(m_queryWords.size());
        m_kind = m_queryWords.empty() ? Kind::Nothing : Kind::Words;
        return;
    }
    if (query.matchFuzzy) {
        m_key.mode = FoldKey::Mode::Fuzzy;
        m_key.fuzzy = query.fuzzy;
    } else {
        m_key.mode = FoldKey::Mode::Plain;
        m_key.caseFold = !query.matchCase;
        m_key.widthFold = !query.matchByte;
        m_wholeWord = query.matchWholeWord;
    }
    const std::vector<PlainElement> elements = parsePlainText(query.text);
    if (elements.size() == 1 && elements[0].kind == SpecialCode::Kind::Char) {
        m_literal = foldQuery(elements[0].literal, m_key);
        m_kind = m_literal.empty() ? Kind::Nothing : Kind::Literal;
        return;
    }
    QString pattern;
    for (const PlainElement& e : elements) {
        if (e.kind != SpecialCode::Kind::Char) {
            pattern += classRegex(e.kind);
            continue;
        }
        const std::u16string folded = foldQuery(e.literal, m_key);
        for (int32_t i = 0; i < static_cast<int32_t>(folded.size());) {
            UChar32 c;
            U16_NEXT(folded.data(), i, static_cast<int32_t>(folded.size()), c);
            pattern += regexLiteral(static_cast<char32_t>(c));
        }
    }
    m_regex = std::make_unique<RegexSearch>(pattern);
    m_kind = Kind::Regex;
}

Matcher::~Matcher() = default;

std::shared_ptr<const PreparedText> Matcher::prepare(const docx::Story& story) const
{
    return std::make_shared<const PreparedText>(story, m_key);
}

// The hit that folded units [j1, j2) stand for, when it is one.
std::optional<Hit> Matcher::accept(const PreparedText& text, int32_t j1, int32_t j2) const
{
    if (j2 <= j1 || text.holdsCut(j1, j2))
        return std::nullopt;
    const std::optional<Hit> h = text.alignedSpan(j1, j2);
    if (!h || (m_wholeWord && !(boundaryAt(text.text(), j1) && boundaryAt(text.text(), j2))))
        return std::nullopt;
    if (m_format.active() && !allSatisfy(text.story(), m_format, h->start, h->end))
        return std::nullopt;
    return h;
}

std::optional<Hit> Matcher::literalForward(const PreparedText& text, int32_t jf, int32_t jt) const
{
    const std::u16string_view hay(text.text().data(), jt);
    const int32_t len = static_cast<int32_t>(m_literal.size());
    for (size_t k = hay.find(m_literal, jf); k != std::u16string_view::npos; k = hay.find(m_literal, k + 1)) {
        if (auto h = accept(text, static_cast<int32_t>(k), static_cast<int32_t>(k) + len))
            return h;
    }
    return std::nullopt;
}

std::optional<Hit> Matcher::literalBackward(const PreparedText& text, int32_t jf, int32_t jt) const
{
    const std::u16string_view hay(text.text().data(), jt);
    const int32_t len = static_cast<int32_t>(m_literal.size());
    if (jt - jf < len)
        return std::nullopt;
    for (size_t k = hay.rfind(m_literal, jt - len); k != std::u16string_view::npos && static_cast<int32_t>(k) >= jf;
         k = k == 0 ? std::u16string_view::npos : hay.rfind(m_literal, k - 1)) {
        if (auto h = accept(text, static_cast<int32_t>(k), static_cast<int32_t>(k) + len))
            return h;
    }
    return std::nullopt;
}

// Each stretch between cuts is searched on its own, so a pattern never runs across a deletion.
std::optional<Hit> Matcher::regexForward(const PreparedText& text, int32_t jf, int32_t jt, int32_t start)
{
    while (start < jt) {
        const int32_t cut = text.nextCut(start);
        if (cut == start) {
            ++start;
            continue;
        }
        const int32_t end = std::min(cut, jt);
        const auto m = m_regex->find(text.text(), jf, end, start);
        if (!m) {
            start = end;
            continue;
        }
        if (auto h = accept(text, m->first, m->second))
            return h;
        start = m->first + 1;
    }
    return std::nullopt;
}

bool Matcher::wordMatches(size_t queryWord, const QString& docWord)
{
    auto& memo = m_wordMemo[queryWord];
    const auto it = memo.constFind(docWord);
    if (it != memo.constEnd())
        return it.value();
    const bool same = docWord == m_queryWords[queryWord]
        || shareKey(m_queryKeys[queryWord], m_soundsLike ? phoneticKeys(docWord) : lemmasOrSelf(docWord));
    memo.insert(docWord, same);
    return same;
}

std::optional<Hit> Matcher::wordsAt(const PreparedText& text, size_t w, int32_t to)
{
    const auto& words = text.words();
    const size_t k = m_queryWords.size();
    if (w + k > words.size() || words[w + k - 1].end > to)
        return std::nullopt;
    for (size_t i = 0; i < k; ++i)
        if (!wordMatches(i, words[w + i].text))
            return std::nullopt;
    const Hit h{words[w].start, words[w + k - 1].end};
    if (!allSatisfy(text.story(), m_format, h.start, h.end))
        return std::nullopt;
    return h;
}

std::optional<Hit> Matcher::findForward(const PreparedText& text, int32_t from, int32_t to)
{
    switch (m_kind) {
    case Kind::Nothing:
        return std::nullopt;
    case Kind::FormatOnly:
        return firstStretch(text.story(), m_format, from, to);
    case Kind::Words: {
        const auto& words = text.words();
        auto it = std::lower_bound(words.begin(), words.end(), from,
                                   [](const StoryWord& w, int32_t p) { return w.start < p; });
        for (size_t w = it - words.begin(); w < words.size() && words[w].start < to; ++w)
            if (auto h = wordsAt(text, w, to))
                return h;
        return std::nullopt;
    }
    case Kind::Literal:
    case Kind::Regex: {
        const int32_t jf = text.firstUnitFrom(from), jt = text.unitsEndingBy(to);
        if (jf >= jt)
            return std::nullopt;
        return m_kind == Kind::Literal ? literalForward(text, jf, jt) : regexForward(text, jf, jt, jf);
    }
    }
    return std::nullopt;
}

std::optional<Hit> Matcher::findBackward(const PreparedText& text, int32_t from, int32_t to)
{
    switch (m_kind) {
    case Kind::Nothing:
        return std::nullopt;
    case Kind::FormatOnly:
        return lastStretch(text.story(), m_format, from, to);
    case Kind::Words: {
        const auto& words = text.words();
        for (size_t w = words.size(); w-- > 0;) {
            if (words[w].start < from)
                break;
            if (auto h = wordsAt(text, w, to))
                return h;
        }
        return std::nullopt;
    }
    case Kind::Literal:
    case Kind::Regex: {
        const int32_t jf = text.firstUnitFrom(from), jt = text.unitsEndingBy(to);
        if (jf >= jt)
            return std::nullopt;
        if (m_kind == Kind::Literal)
            return literalBackward(text, jf, jt);
        // Regex engines run forwards: keep the last accepted hit.
        std::optional<Hit> last;
        int32_t start = jf;
        while (const std::optional<Hit> h = regexForward(text, jf, jt, start)) {
            last = h;
            start = text.firstUnitFrom(h->start) + 1;
        }
        return last;
    }
    }
    return std::nullopt;
}

} // namespace match
