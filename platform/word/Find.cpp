#include "platform/word/Find.h"

#include "platform/core/Error.h"
#include "platform/match/Matcher.h"
#include "platform/match/Replacement.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"
#include "platform/word/StoryEdit.h"
#include "platform/word/WordError.h"

#include <algorithm>

namespace word {

Find::Find(std::weak_ptr<Range> range)
    : m_range(std::move(range)), m_font(Font::create()), m_replacement(std::make_shared<word::Replacement>())
{
}

void Replacement::ClearFormatting()
{
    m_highlight = wdUndefined;
    m_font->reset();
}

bool Replacement::setsFormatting() const
{
    return m_highlight != wdUndefined || m_font->Color() != wdUndefined || m_font->StrikeThrough() != wdUndefined
           || m_font->DoubleStrikeThrough() != wdUndefined;
}

void Find::copySettings(const Find& o)
{
    m_text = o.m_text;
    m_matchCase = o.m_matchCase;
    m_matchWholeWord = o.m_matchWholeWord;
    m_matchWildcards = o.m_matchWildcards;
    m_matchSoundsLike = o.m_matchSoundsLike;
    m_matchAllWordForms = o.m_matchAllWordForms;
    m_matchByte = o.m_matchByte;
    m_matchFuzzy = o.m_matchFuzzy;
    m_highlight = o.m_highlight;
    *m_font = *o.m_font;
    m_format = o.m_format;
    m_forward = o.m_forward;
    m_wrap = o.m_wrap;
    m_replacement->setText(o.m_replacement->Text());
    m_replacement->setHighlight(o.m_replacement->Highlight());
    *m_replacement->Font() = *o.m_replacement->Font();
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

QString Find::replacementFor(const DocumentPtr& doc, int story, const match::Hit& hit, const match::Replacement& r) const
{
    const QString found = Range(doc, story, hit.start, hit.end).Text();
    return r.expand(found, r.usesGroups() ? match::wildcardGroups(m_text, found) : std::vector<QString>(),
                    !m_matchCase && !m_matchWildcards);
}

bool Find::Execute(int replace)
{
    if (replace == wdReplaceNone)
        return Execute();
    RangePtr range = m_range.lock();
    if (!range)
        throw core::runtimeError(core::ObjectNotSet, QStringLiteral("Tarvelin"));
    const match::Replacement r(m_replacement->Text(), m_matchWildcards);
    DocumentPtr doc = range->Document();
    const int story = range->storyIndex();
    const FormatChange change = m_replacement->formatChange();
    std::vector<TextSpan> spans;
    const int32_t start = range->Start(), end = range->End();
    if (replace == wdReplaceOne) {
        if (!Execute())
            return false;
        spans.push_back({range->Start(), range->End(), formatOnly() ? QString() : replacementFor(doc, story, *m_lastHit, r)});
    } else {
        spans = plannedReplacements();
        m_found = !spans.empty();
    }
    Document::EditGroup group(*doc);
    // Formatting alone keeps the text; otherwise the new text takes the formatting.
    std::vector<std::pair<int32_t, int32_t>> formatted;
    if (formatOnly()) {
        for (const TextSpan& t : spans)
            formatted.push_back({t.start, t.end});
    } else {
        int32_t shift = 0;
        for (const TextSpan& t : spans) {
            formatted.push_back({t.start + shift, t.start + shift + static_cast<int32_t>(t.text.size())});
            shift += static_cast<int32_t>(t.text.size()) - (t.end - t.start);
        }
        // One hit is edited in place; a batch would rebuild the whole story.
        if (replace == wdReplaceOne)
            doc->replaceText(story, spans.front().start, spans.front().end, spans.front().text);
        else
            doc->replaceSpans(story, spans);
    }
    doc->formatSpans(story, formatted, change);
    if (replace == wdReplaceOne) {
        range->setSpan(formatted.front().first, formatted.front().second);
        m_lastHit = match::Hit{range->Start(), range->End()};
    } else if (start != end) {
        range->setSpan(start, formatOnly() ? end : PositionMap(spans)(end));
    }
    return m_found;
}

bool Find::formatOnly() const
{
    return m_replacement->Text().isEmpty() && m_replacement->setsFormatting();
}

FormatChange Replacement::formatChange() const
{
    FormatChange c;
    const auto flag = [](int v) { return v == wdUndefined ? std::nullopt : std::optional<bool>(v != 0); };
    c.highlight = flag(m_highlight);
    c.strike = flag(m_font->StrikeThrough());
    c.doubleStrike = flag(m_font->DoubleStrikeThrough());
    if (m_font->Color() != wdUndefined)
        c.color = m_font->Color();
    return c;
}

std::vector<TextSpan> Find::plannedReplacements()
{
    RangePtr range = m_range.lock();
    if (!range)
        throw core::runtimeError(core::ObjectNotSet, QStringLiteral("Tarvelin"));
    const match::Replacement r(m_replacement->Text(), m_matchWildcards);
    match::Matcher& m = matcher();
    DocumentPtr doc = range->Document();
    const int story = range->storyIndex();
    const docx::Story& s = doc->story(story);
    const auto text = doc->preparedTexts().get(s, m.foldKey());
    const int32_t start = range->Start(), end = range->End();
    const bool collapsed = start == end;
    std::vector<TextSpan> spans;
    m_replaced = m_skipped = 0;
    const auto collect = [&](int32_t from, int32_t to) {
        for (int32_t pos = from; pos <= to;) {
            const std::optional<match::Hit> hit = m.findForward(*text, pos, to);
            if (!hit)
                break;
            const QString with = formatOnly() ? QString() : replacementFor(doc, story, *hit, r);
            if (formatOnly() || canReplace(s, hit->start, hit->end, with))
                spans.push_back({hit->start, hit->end, with});
            else
                ++m_skipped;
            pos = hit->end > hit->start ? hit->end : hit->end + 1;
        }
    };
    collect(start, collapsed ? s.length() : end);
    if (collapsed && m_wrap == wdFindContinue)
        collect(0, start);
    std::sort(spans.begin(), spans.end(), [](const TextSpan& a, const TextSpan& b) { return a.start < b.start; });
    m_replaced = static_cast<int>(spans.size());
    return spans;
}

QString skippedMessage(int count)
{
    // The edits the model refuses: marks and breaks the file cannot lose or split, paragraph
    // marks that cannot be joined, and paragraphs that cannot be split where the hit is.
    return QStringLiteral("%1 個の箇所は、注やコメントの参照記号、フィールド、図、表の区切り、セクション区切り、"
                          "表の前や文書の末尾の段落記号、スタイルの異なる段落の間の段落記号をまたぐか、"
                          "段落を分けられない位置 (ハイパーリンク、フィールド、コンテンツ コントロール、変更履歴の中など) "
                          "にあるため置換しませんでした。")
        .arg(count);
}

std::vector<int> replaceInEveryStory(const DocumentPtr& doc, const Find& settings, int* skipped)
{
    std::vector<int> counts(doc->model().stories.size(), 0);
    Document::EditGroup group(*doc);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        auto range = std::make_shared<Range>(doc, static_cast<int>(i), 0, doc->story(static_cast<int>(i)).length());
        FindPtr find = range->Find();
        find->copySettings(settings);
        find->Execute(wdReplaceAll);
        counts[i] = find->replacedCount();
        if (skipped)
            *skipped += find->skippedCount();
    }
    return counts;
}

} // namespace word
