#pragma once

#include "platform/docx/Story.h"
#include "platform/match/PreparedText.h"
#include "platform/match/Query.h"

#include <memory>
#include <optional>
#include <string>
#include <QHash>
#include <vector>

namespace match {

class RegexSearch;

// One compiled Find request. Build it when the search runs (that is where an invalid pattern
// raises), prepare each story once with prepare() or a PreparedCache keyed by foldKey(), then ask
// for hits as often as needed. Not thread-safe (regex state and word memos are kept inside).
class Matcher {
public:
    // Throws 5560 for an invalid wildcard pattern or an unknown or refused ^ code.
    explicit Matcher(const Query& query);
    ~Matcher();
    Matcher(const Matcher&) = delete;
    Matcher& operator=(const Matcher&) = delete;

    // How story text must be prepared for this request.
    const FoldKey& foldKey() const { return m_key; }
    std::shared_ptr<const PreparedText> prepare(const docx::Story& story) const;

    // The first hit lying inside story positions [from, to), or none. The prepared text must have
    // been made with foldKey(). Throws 4198 when a pattern needs more work than allowed.
    std::optional<Hit> findForward(const PreparedText& text, int32_t from, int32_t to);
    // The last hit lying inside [from, to), or none.
    std::optional<Hit> findBackward(const PreparedText& text, int32_t from, int32_t to);

private:
    enum class Kind { Nothing, FormatOnly, Literal, Regex, Words };

    std::optional<Hit> accept(const PreparedText& text, int32_t j1, int32_t j2) const;
    std::optional<Hit> literalForward(const PreparedText& text, int32_t jf, int32_t jt) const;
    std::optional<Hit> literalBackward(const PreparedText& text, int32_t jf, int32_t jt) const;
    std::optional<Hit> regexForward(const PreparedText& text, int32_t jf, int32_t jt, int32_t start);
    std::optional<Hit> wordsAt(const PreparedText& text, size_t w, int32_t to);
    bool wordMatches(size_t queryWord, const QString& docWord);

    Kind m_kind = Kind::Nothing;
    FoldKey m_key;
    FormatCriteria m_format;
    bool m_wholeWord = false;
    std::u16string m_literal;
    std::unique_ptr<RegexSearch> m_regex;
    bool m_soundsLike = false;
    std::vector<QString> m_queryWords;
    std::vector<std::vector<QString>> m_queryKeys; // per query word: its lemmas, or its two phonetic keys
    std::vector<QHash<QString, bool>> m_wordMemo;
};

} // namespace match
