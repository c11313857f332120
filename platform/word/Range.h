#pragma once

#include "platform/core/Object.h"
#include "platform/word/Forward.h"
#include "platform/word/Location.h"

#include <QString>

#include <cstdint>

namespace word {

// A span [Start, End) of character positions in one story of a document.
class Range : public core::Object {
public:
    Range(DocumentPtr doc, int story, int32_t start, int32_t end);

    int32_t Start() const { return m_start; }
    int32_t End() const { return m_end; }
    // Setting a bound outside the story raises 4608; End below Start moves Start down to it and
    // Start above End moves End up to it.
    void setStart(int32_t start);
    void setEnd(int32_t end);
    // The text as Word returns it: field codes and hidden text left out, a cell mark as CR BEL.
    QString Text() const;
    // Replaces the range's text; the range then covers the new text.
    void setText(const QString& text);
    // Deletes the range's text; 1 when something was deleted, else 0. The range collapses.
    int Delete();
    // Adds text at the range's end (start); the range grows to include it.
    void InsertAfter(const QString& text);
    void InsertBefore(const QString& text);
    int StoryType() const;
    DocumentPtr Document() const { return m_doc; }
    // The next story of the same type in Word's chain, or null.
    RangePtr NextStoryRange() const;
    // The comments of the range: those anchored in it, or, in the comments story, the one it lies in.
    CommentsPtr Comments() const;
    // Makes the range the document window's selection.
    void Select();
    // The range's own Find object; its settings persist across executions.
    FindPtr Find();

    // Where the range's start lies: section, header or footer kind, note, comment, text box and
    // table cell.
    Location location() const;
    // Up to chars characters of the range's paragraph on each side of it, as Find reads them.
    Context context(int chars) const;

    // Which story of the document the range lies in (index into the model's stories).
    int storyIndex() const { return m_story; }
    // The story's place in its type's chain: 0 for the first story of the type.
    int chainIndex() const;
    // Moves both bounds at once; used by Find to redefine the range to a hit.
    void setSpan(int32_t start, int32_t end);

private:
    int32_t storyLength() const;

    DocumentPtr m_doc;
    int m_story;
    int32_t m_start;
    int32_t m_end;
    FindPtr m_find;
};

} // namespace word
