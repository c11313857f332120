#pragma once

#include "platform/word/Forward.h"

#include <QString>

// The story a hit lies in, as a result row names it and cuts the hit's text from it. The range
// over the story is taken once and kept for the hits after it while they lie in the same story.
class clsQLFHitStory {
public:
    // The story of the given type that is index-th in its chain (reached from StoryRanges by
    // NextStoryRange), over its whole length; raises 91 when the chain is shorter.
    static word::RangePtr chainedStory(const word::DocumentPtr& doc, int storyType, int index);

    // Moves to the story objRange lies in, the chainIndex-th of its type. Raises 9 for a story
    // type without a name.
    void moveTo(const word::Range& objRange, int chainIndex);
    void clear();

    int storyType() const { return m_storyType; }
    const QString& typeName() const { return m_typeName; }
    // The story's text at objRange's positions, exactly as Word returns it.
    QString textAt(const word::Range& objRange);

private:
    word::DocumentPtr m_doc;
    int m_storyType = 0;
    int m_chainIndex = 0;
    QString m_typeName;
    word::RangePtr m_story;
};
