#pragma once

#include "platform/core/Object.h"
#include "platform/docx/Story.h"
#include "platform/match/PreparedText.h"
#include "platform/word/Forward.h"

#include <QString>

namespace word {

// One open (or closed but still referenced) document over its document model.
class Document : public core::Object {
public:
    Document(Application* app, docx::Document model);

    QString FullName() const { return m_model.path; }
    QString Name() const;
    StoryRangesPtr StoryRanges();
    WindowPtr ActiveWindow();
    CommentsPtr Comments();
    void Activate();
    // Closes the document: it leaves Documents, and the handles still held stay usable.
    void Close();

    bool isOpen() const { return m_open; }
    Application* application() const { return m_app; }
    const docx::Document& model() const { return m_model; }
    const docx::Story& story(int index) const { return m_model.stories.at(index); }

    // Replaces [start, end) of a story with text, as typing over a selection does: the new text
    // takes the formatting of the first replaced character (or the one before an insertion
    // point), and every position after the edit in that story moves with it.
    void replaceText(int story, int32_t start, int32_t end, const QString& text);

    // Story texts prepared for matching, shared by every Find of the document, so one search
    // folds each story once.
    match::PreparedCache& preparedTexts() { return m_prepared; }

private:
    DocumentPtr self() { return std::static_pointer_cast<Document>(shared_from_this()); }

    Application* m_app;
    docx::Document m_model;
    bool m_open = true;
    WindowPtr m_window;
    match::PreparedCache m_prepared;
};

// The stories of a document: enumeration gives the first story of each type, in ascending type.
class StoryRanges : public core::Object {
public:
    explicit StoryRanges(DocumentPtr doc) : m_doc(std::move(doc)) {}

    int Count() const;
    // A new range over the whole first story of the type; raises 5941 when there is none.
    RangePtr Item(int storyType) const;
    std::vector<RangePtr> items() const;

private:
    DocumentPtr m_doc;
};

} // namespace word
