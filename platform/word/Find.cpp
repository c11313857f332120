#include "platform/word/Find.h"

#include "platform/core/Error.h"
#include "platform/match/Matcher.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"

namespace word {

Find::Find(std::weak_ptr<Range> range) : m_range(std::move(range)), m_font(Font::create())
{
}

Find::~Find() = default;

void Find::ClearFormatting()
{
    m_highlight = wdUndefined;
    m_font->reset();
    m_format = false;
}

match::Query Find::query() const
{
    match::Query q;
    q.text = m_text;
    q.matchCase = m_matchCase;
    q.matchWholeWord = m_matchWholeWord;
    q.matchWildcards = m_matchWildcards;
    q.matchSoundsLike = m_matchSoundsLike;
    q.matchAllWordForms = m_matchAllWordForms;
    q.matchByte = m_matchByte;
    q.matchFuzzy = m_matchFuzzy;
    // A criterion other than wdUndefined applies whether or not Format is set.
    q.format.highlight = m_highlight;
    q.format.color = m_font->Color();
    q.format.strikeThrough = m_font->StrikeThrough();
    q.format.doubleStrikeThrough = m_font->DoubleStrikeThrough();
    if (RangePtr range = m_range.lock())
        q.fuzzy = range->Document()->application()->fuzzyOptions();
    return q;
}

match::Matcher& Find::matcher()
{
    match::Query q = query();
    if (!m_matcher || q != m_matcherQuery) {
        m_matcher.reset();
        m_matcher = std::make_unique<match::Matcher>(q);
        m_matcherQuery = std::move(q);
    }
    return *m_matcher;
}

// Word's rules: a range that is the previous hit, or is collapsed, searches on from its end; any
// other range is searched first. With wdFindContinue the search then goes on to the story's end
// and comes round from its start up to where it began, so after the last hit the first one comes
// back; wdFindStop (and wdFindAsk, which has no one to ask here) stops at the story's end.
bool Find::Execute()
{
    RangePtr range = m_range.lock();
    if (!range)
        throw core::runtimeError(core::ObjectNotSet, QStringLiteral("Tarvelin"));
    match::Matcher& m = matcher();
    DocumentPtr doc = range->Document();
    const docx::Story& story = doc->story(range->storyIndex());
    const auto text = doc->preparedTexts().get(story, m.foldKey());
    const int32_t s = range->Start();
    const int32_t e = range->End();
    const int32_t length = story.length();
    const bool wrap = m_wrap == wdFindContinue;

    bool searchOn = s == e || (m_lastHit && m_lastHit->start == s && m_lastHit->end == e);
    std::optional<match::Hit> hit;
    if (!searchOn) {
        hit = m_forward ? m.findForward(*text, s, e) : m.findBackward(*text, s, e);
        // A range that is exactly a hit does not find itself.
        if (hit && hit->start == s && hit->end == e) {
            hit.reset();
            searchOn = true;
        }
    }
    if (!hit && m_forward) {
        hit = m.findForward(*text, e, length);
        if (!hit && wrap)
            hit = m.findForward(*text, 0, searchOn ? e : s);
    } else if (!hit) {
        hit = m.findBackward(*text, 0, s);
        if (!hit && wrap)
            hit = m.findBackward(*text, searchOn ? s : e, length);
    }

    m_found = hit.has_value();
    if (hit) {
        range->setSpan(hit->start, hit->end);
        m_lastHit = hit;
    }
    return m_found;
}

} // namespace word
