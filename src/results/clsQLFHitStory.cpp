#include "src/results/clsQLFHitStory.h"

#include "platform/core/Error.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "src/results/mdlQLFCode2String.h"

word::RangePtr clsQLFHitStory::chainedStory(const word::DocumentPtr& doc, int storyType, int index)
{
    word::RangePtr story = doc->StoryRanges()->Item(storyType);
    for (; index > 0; --index) {
        story = story->NextStoryRange();
        if (!story)
            throw core::runtimeError(core::ObjectNotSet, QStringLiteral("QLF"));
    }
    return story;
}

void clsQLFHitStory::moveTo(const word::Range& objRange, int chainIndex)
{
    word::DocumentPtr doc = objRange.Document();
    const int storyType = objRange.StoryType();
    if (m_doc && doc == m_doc && storyType == m_storyType && chainIndex == m_chainIndex)
        return;
    m_typeName = mdlQLFCode2String::storyType2String(storyType);
    m_story.reset();
    m_doc = std::move(doc);
    m_storyType = storyType;
    m_chainIndex = chainIndex;
}

void clsQLFHitStory::clear()
{
    *this = {};
}

QString clsQLFHitStory::textAt(const word::Range& objRange)
{
    if (!m_story)
        m_story = chainedStory(m_doc, m_storyType, m_chainIndex);
    // End first: each bound drags the other along, so the order never fails on valid positions.
    m_story->setEnd(objRange.End());
    m_story->setStart(objRange.Start());
    return m_story->Text();
}
