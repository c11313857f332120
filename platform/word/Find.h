#pragma once

#include "platform/core/Object.h"
#include "platform/word/Font.h"
#include "platform/word/Forward.h"
#include "platform/word/StoryEdit.h"

#include "platform/match/Query.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace match { class Matcher; class Replacement; }

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
    // With wdReplaceOne, replaces the hit found (the range becomes the new text); with
    // wdReplaceAll, every hit in the range (a collapsed range: from it to the story's end, and
    // round from the start with wdFindContinue), as one undo step. Raises 5625 for a code the
    // replacement text does not accept, before anything is changed. A hit whose replacement
    // could not be saved exactly (it crosses a note mark, a field, a cell end...) is left.
    bool Execute(int replace);
    bool Found() const { return m_found; }
    ReplacementPtr Replacement() const { return m_replacement; }

    // Not Word's: what the last wdReplaceAll replaced, and the hits it had to leave.
    int replacedCount() const { return m_replaced; }
    int skippedCount() const { return m_skipped; }
    // Not Word's: the same settings (replacement included) as other.
    void copySettings(const Find& other);
    // Not Word's: what wdReplaceAll would replace, each hit with its new text (empty when only
    // formatting changes), changing nothing.
    std::vector<TextSpan> plannedReplacements();

private:
    match::Query query() const;
    match::Matcher& matcher();
    // The replacement has formatting and no text: it changes formatting and keeps the text.
    bool formatOnly() const;
    QString replacementFor(const DocumentPtr& doc, int story, const match::Hit& hit, const match::Replacement& r) const;

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
    ReplacementPtr m_replacement;
    int m_replaced = 0, m_skipped = 0;
};

// Not Word's: Replace All with settings's search and replacement in every story of doc, in Word's
// order, as one undo step; the count per story (index into the model's stories). Hits that could
// not be replaced are added to skipped.
std::vector<int> replaceInEveryStory(const DocumentPtr& doc, const Find& settings, int* skipped = nullptr);
// Not Word's: what to tell the user about count hits Replace All had to leave, in Japanese.
QString skippedMessage(int count);

// The text and formatting that Find.Execute with a Replace puts in place of each hit.
class Replacement : public core::Object {
public:
    Replacement() : m_font(Font::create()) {}

    QString Text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    // Highlight and every font property back to "leave as it is".
    void ClearFormatting();
    // 0 remove the highlight, -1 highlight, wdUndefined leave it.
    int Highlight() const { return m_highlight; }
    void setHighlight(int value) { m_highlight = value; }
    FontPtr Font() const { return m_font; }

    bool setsFormatting() const;
    FormatChange formatChange() const;

private:
    QString m_text;
    int m_highlight = wdUndefined;
    FontPtr m_font;
};

} // namespace word
