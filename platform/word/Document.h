#pragma once

#include "platform/core/Object.h"
#include "platform/docx/Story.h"
#include "platform/match/PreparedText.h"
#include "platform/word/Forward.h"
#include "platform/word/Location.h"
#include "platform/word/StoryEdit.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace word {

// One open (or closed but still referenced) document over its document model.
class Document : public core::Object {
public:
    // A model loaded without text sources is read-only: every edit is refused.
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
    // point), and every position after the edit in that story moves with it. An edit the document
    // could not be saved with exactly raises 4605 with the reason and changes nothing. Each call
    // is one undo step unless an EditGroup is open.
    void replaceText(int story, int32_t start, int32_t end, const QString& text);

    // Replaces spans of one story (sorted, not overlapping) at once, each as replaceText would;
    // one undo step unless an EditGroup is open. All or nothing: a refused span changes nothing.
    void replaceSpans(int story, const std::vector<TextSpan>& spans);

    // Gives the w:t text in each span (sorted, not overlapping) the formatting change; one undo
    // step unless an EditGroup is open.
    void formatSpans(int story, const std::vector<std::pair<int32_t, int32_t>>& spans, const FormatChange& change);

    // Undoes (redoes) up to times steps; whether any was.
    bool Undo(int times = 1);
    bool Redo(int times = 1);
    // Whether Undo (Redo) has a step to take.
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // No change since the document was opened or last saved.
    bool Saved() const { return topStep() == m_savedStep; }
    // Saves over the file it was opened from, or as path (which it then is); raises 5153 with a
    // Japanese reason naming the file when it cannot. A document opened read-only is not saved.
    void Save();
    void SaveAs2(const QString& path);
    // The file was changed by someone else since it was opened or saved here.
    bool changedOnDisk() const;

    // Edits made while one is alive are one undo step (a Replace All).
    class EditGroup {
    public:
        explicit EditGroup(Document& doc) : m_doc(doc) { ++m_doc.m_groupDepth; }
        ~EditGroup()
        {
            if (--m_doc.m_groupDepth == 0)
                m_doc.m_groupStarted = false;
        }
        EditGroup(const EditGroup&) = delete;
        EditGroup& operator=(const EditGroup&) = delete;
    private:
        Document& m_doc;
    };

    // Story texts prepared for matching, shared by every Find of the document, so one search
    // folds each story once.
    match::PreparedCache& preparedTexts() { return m_prepared; }

    // Locates positions of the document as it is now: made on first use, and again after an edit.
    const Locator& locator();

private:
    // The positions kept outside the stories, swapped whole by a batch.
    struct Marks {
        std::vector<docx::Note> notes;
        std::vector<docx::Comment> comments;
        std::vector<docx::TextBox> textBoxes;
        std::vector<docx::Section> sections;
    };
    struct Batch {
        int story;
        StoryState state;
        Marks marks;
    };
    struct Step {
        uint64_t id;
        std::vector<std::variant<StoryEdit, Batch>> edits;
    };
    void apply(const StoryEdit& edit, bool forward);
    void apply(Batch& batch);
    void relabel(docx::Story& story) const;
    void apply(std::variant<StoryEdit, Batch>& edit, bool forward);
    void record(std::variant<StoryEdit, Batch> edit);
    void selectChange(const std::variant<StoryEdit, Batch>& edit, bool forward);
    uint64_t topStep() const { return m_undo.empty() ? 0 : m_undo.back().id; }
    void stampFile();
    void refuseReadOnly() const;

    DocumentPtr self() { return std::static_pointer_cast<Document>(shared_from_this()); }

    Application* m_app;
    docx::Document m_model;
    bool m_open = true;
    WindowPtr m_window;
    match::PreparedCache m_prepared;
    std::optional<Locator> m_locator;
    std::vector<Step> m_undo, m_redo;
    uint64_t m_nextStep = 1, m_savedStep = 0;
    int m_groupDepth = 0;
    bool m_groupStarted = false;   // the open group has its step on m_undo
    QDateTime m_fileModified;
    qint64 m_fileSize = -1;
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
