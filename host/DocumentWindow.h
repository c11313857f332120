#pragma once

#include "host/PageObjects.h"
#include "host/StoryView.h"
#include "platform/office/CommandBars.h"
#include "platform/word/Forward.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <vector>

class QFrame;
class QPainter;
class QTextDocument;
class QLabel;
class QScrollArea;
class QSplitter;

namespace host {

// A top-level window of the host with the "Menu Bar" command bar drawn live as its menu bar.
// Alone it is the application window shown while no document is open.
class AppWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit AppWindow(std::shared_ptr<office::CommandBars> bars, QWidget* parent = nullptr);
};

// One document's window, showing its stories the way print layout shows them: the header of
// the current section above the main text, its footer below, the notes under them, the text
// boxes framed at the side, and the comment pane split off at the bottom. What it shows
// follows the window's view (type, seek view, special pane) and its selection.
class DocumentWindow : public AppWindow {
    Q_OBJECT
public:
    DocumentWindow(word::DocumentPtr doc, std::shared_ptr<office::CommandBars> bars, QWidget* parent = nullptr);

    const word::DocumentPtr& document() const { return m_doc; }

    // Shows what the view now asks for (view type, seek view, comment pane).
    void showView();
    // Shows the story that holds the window's selection and selects it there.
    void showSelection();

    // The view drawing a document story (index into the model's stories), or null when the
    // story is not on screen now.
    StoryView* shownView(int storyIndex) const;
    StoryView* mainView() const { return m_main; }
    StoryView* headerView() const { return m_header; }
    StoryView* footerView() const { return m_footer; }
    StoryView* commentsView() const { return m_comments; }
    bool commentPaneShown() const;
    // The 0-based section the selection belongs to.
    int currentSection() const;
    // Zoom, 1 for 100 %; every story is drawn again at the new size.
    void setZoom(double zoom);
    double zoom() const;
    // The zoom at which the widest page fills the width of the main view.
    double pageWidthZoom() const;
    // The header (or footer) story drawn on a page of the main text (0-based), or -1.
    int headerFooterOfPage(int page, bool footer) const;
    // The main text's floating pictures and text boxes as its pages draw them.
    const std::vector<PageObject>& pageObjects() const { return m_pageObjects; }
    // The floating drawings of the header (or footer) drawn on a page, as that page draws them.
    std::vector<PageObject> headerFooterObjects(int page, bool footer);
    // The text box stories a drawing of a story holds (by its Look::pictures index).
    std::vector<int> textBoxStories(int story, size_t picture) const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Block {
        QFrame* frame = nullptr;
        QLabel* caption = nullptr;
        StoryView* view = nullptr;
    };
    Block addBlock(QWidget* parent, const QString& caption);
    // What a story is drawn with: its note and comment labels (made again after an edit), the
    // pictures, the zoom.
    DrawContext drawContext(int storyIndex);
    void drawStory(StoryView* view, int storyIndex);
    // Draws again every shown story edited since it was drawn (through the object model).
    void redrawEdited();
    // Draws one edit of a story ([at, at + removed) became inserted characters) where it can.
    void redrawReplaced(int story, int32_t at, const QString& removed, int32_t inserted);
    // The title names the document and marks unsaved changes.
    void showSaved();
    // With unsaved changes, asks whether to save them (保存 / 保存しない / キャンセル) and saves if
    // told to; whether the window may close.
    bool askToSave();
    // The header (or footer) story to show now, or -1.
    int headerFooterStory(bool footer) const;
    void showHeaderFooter(const Block& block, bool footer);
    void syncUserSelection(StoryView* view);
    void clearOtherSelections(StoryView* keep);
    std::vector<StoryView*> allViews() const;
    void placePage();
    void showPageNumber();
    int sectionOfPosition(int32_t pos) const;
    PageFrame frameOfSection(size_t section) const;
    void fitHeaderFooter(PageFrame& frame, const docx::Section& section);
    // The width a note is drawn at on its page: its section's body's (the last section's for an
    // endnote).
    double noteWidth(const docx::Note& note) const;
    // The notes the main text's pages draw, with their heights at the page body's width.
    std::vector<PageNote> pageNotes();
    const DrawnStory& pageStory(int story, double width);
    void paintPage(QPainter& painter, int page, const QRectF& rect, bool behind);
    void placeObjects();
    void paintObject(QPainter& painter, int story, const PageObject& object);
    void paintTextBoxes(QPainter& painter, const std::vector<int>& stories, const QRectF& rect);
    // Scrolls the main view to the text box on its page holding the selection, if one does.
    void revealSelectedTextBox();
    void paintHeaderFooter(QPainter& painter, const Page& page, int index, const QRectF& rect, bool behind);
    // Where a header (or footer) story's text starts on a page, in document coordinates.
    double headerFooterTop(int story, int page, bool footer);
    void paintNotes(QPainter& painter, const Page& page, const QRectF& rect);
    // Scrolls the main view to where its pages draw the selected note text, if they do.
    void revealSelectedNote();
    void forgetPageStories();

    word::DocumentPtr m_doc;
    std::map<int, MarkLabels> m_labels;
    bool m_labelsStale = false;            // an edit moved the marks since m_labels was made
    Pictures m_pictures;
    double m_zoom = 1.0;
    QLabel* m_pageIndicator = nullptr;
    QLabel* m_zoomIndicator = nullptr;
    std::map<std::pair<int, int>, DrawnStory> m_pageStories;   // headers, footers and notes drawn on pages, by story
    std::vector<PageNote> m_pageNotes;          // the notes the pages draw: footnotes, then endnotes
    std::vector<int> m_pageNoteIndex;           // the model's note of each of them
    std::vector<PageObject> m_pageObjects;
    QSplitter* m_split = nullptr;
    Block m_headerBlock, m_footerBlock, m_commentBlock;
    StoryView* m_main = nullptr;
    StoryView* m_header = nullptr;
    StoryView* m_footer = nullptr;
    StoryView* m_comments = nullptr;
    std::vector<StoryView*> m_fixedViews;  // main, notes, separators, text boxes: always drawn
    std::vector<QScrollArea*> m_areas;     // the notes area and the text-box pane
    bool m_fromUser = false;               // the selection change comes from the user's own selecting
};

} // namespace host
