#pragma once

#include "platform/core/Object.h"
#include "platform/word/Forward.h"

#include "platform/match/Query.h"

#include <QString>

#include <memory>
#include <optional>

namespace match { class Matcher; }

namespace word {

// A range's Find object. A new one starts from Word's defaults; its settings persist across
// executions and never leak into another Find object.
class Find : public core::Object {
public:
    explicit Find(std::weak_ptr<Range> range);
    ~Find() override;

    // Highlight and every font property back to "no criterion", Format off.
    void ClearFormatting();

    QString Text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    bool MatchCase() const { return m_matchCase; }
    void setMatchCase(bool on) { m_matchCase = on; }
    bool MatchWholeWord() const { return m_matchWholeWord; }
    void setMatchWholeWord(bool on) { m_matchWholeWord = on; }
    bool MatchWildcards() const { return m_matchWildcards; }
    void setMatchWildcards(bool on) { m_matchWildcards = on; }
    bool MatchSoundsLike() const { return m_matchSoundsLike; }
    void setMatchSoundsLike(bool on) { m_matchSoundsLike = on; }
    bool MatchAllWordForms() const { return m_matchAllWordForms; }
    void setMatchAllWordForms(bool on) { m_matchAllWordForms = on; }
    bool MatchByte() const { return m_matchByte; }
    void setMatchByte(bool on) { m_matchByte = on; }
    bool MatchFuzzy() const { return m_matchFuzzy; }
    void setMatchFuzzy(bool on) { m_matchFuzzy = on; }
    // 0 not highlighted, -1 highlighted, wdUndefined no criterion.
    int Highlight() const { return m_highlight; }
    void setHighlight(int value) { m_highlight = value; }
    FontPtr Font() const { return m_font; }
    bool Format() const { return m_format; }
    void setFormat(bool on) { m_format = on; }
    bool Forward() const { return m_forward; }
    void setForward(bool on) { m_forward = on; }
    int Wrap() const { return m_wrap; }
    void setWrap(int wrap) { m_wrap = wrap; }

    // Searches with the current settings. On a hit the range becomes the hit and the result is
    // True; otherwise the range is left as it was. Raises 5560 for an invalid wildcard pattern.
    bool Execute();
    bool Found() const { return m_found; }

private:
    match::Query query() const;
    match::Matcher& matcher();

    std::weak_ptr<Range> m_range;
    QString m_text;
    bool m_matchCase = false;
    bool m_matchWholeWord = false;
    bool m_matchWildcards = false;
    bool m_matchSoundsLike = false;
    bool m_matchAllWordForms = false;
    bool m_matchByte = false;
    bool m_matchFuzzy = false;
    int m_highlight = wdUndefined;
    FontPtr m_font;
    bool m_format = false;
    bool m_forward = true;
    int m_wrap = wdFindStop;
    bool m_found = false;
    // The compiled request, kept while the settings stay the same.
    std::unique_ptr<match::Matcher> m_matcher;
    match::Query m_matcherQuery;
    // The last hit this object returned: executing on it searches on after it.
    std::optional<match::Hit> m_lastHit;
};

} // namespace word
