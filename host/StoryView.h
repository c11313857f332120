#pragma once

#include "host/DrawnPositions.h"
#include "host/PageLayout.h"
#include "host/PageObjects.h"
#include "platform/docx/Story.h"

#include <QImage>
#include <QString>
#include <QTextEdit>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QTextCursor;
class QTextFrame;

namespace host {

// What a story shows at some of its marks instead of the mark itself: note numbers, comment
// initials. Keyed by position in the story.
using MarkLabels = std::map<int32_t, QString>;

Pictures decodePictures(const std::map<QString, QByteArray>& media);

// What the view draws with beside the story: note labels, pictures, and the zoom (1 = 100 %).
struct DrawContext {
    MarkLabels labels;
    const Pictures* pictures = nullptr;
    double zoom = 1.0;
    // Anchored drawings are placed on the pages (host/PageObjects), not drawn at their anchor.
    bool placeFloats = false;
};

// A story drawn for drawing it elsewhere (headers, footers and notes on the pages), with the drawn
// position of each story position (story length + 1 entries).
struct DrawnStory {
    QTextDocument* doc = nullptr;
    DrawnPositions toDisplay;
};
DrawnStory drawStoryDocument(const docx::Story& story, const DrawContext& context, QObject* parent);
// Draws what a page shows besides the story (header, footer, floating drawings) into pageRect, in
// document coordinates: once behind the text (behind true), once over it.
using PageDecorator = std::function<void(QPainter& painter, int page, const QRectF& pageRect, bool behind)>;

// One story drawn as Word draws it (read-only to Qt: a StoryEditor edits it through the model): formatting visible, field codes and hidden text
// left out, tracked deletions struck through in red, tables as tables, pictures at their size.
// Keeps the map between the story's character positions and the positions of the drawn text.
class StoryView : public QTextEdit {
    Q_OBJECT
public:
    explicit StoryView(QWidget* parent = nullptr);

    // Draws the story (storyIndex: its index in the document model, kept for the caller).
    void setStory(const docx::Story& story, int storyIndex, const DrawContext& context = {});
    int storyIndex() const { return m_storyIndex; }
    // The story's revision when it was drawn: a later edit leaves the drawing stale.
    uint32_t drawnRevision() const { return m_revision; }

    // Drawn position where story position cp starts; a position that is not drawn maps to the
    // next drawn one. 0 <= cp <= story length.
    int displayPosition(int32_t cp) const { return m_toDisplay.at(cp); }
    int32_t storyLength() const { return static_cast<int32_t>(m_toDisplay.size()) - 1; }
    // The story position whose drawing holds drawn position pos (the first one, for a run of
    // positions that are not drawn).
    int32_t storyPosition(int pos) const;
    // The story position drawn at or last before drawn position pos: the character that drawn
    // character belongs to (a note's number: its mark; a list label: the paragraph mark before it).
    int32_t storyCharacter(int pos) const;

    // Draws one edit of the story without drawing it all again: [at, at + removed.size()) as drawn
    // became [at, at + inserted) of story, one revision later, and pages again from there. False,
    // leaving the drawing stale, when the edit was more than plain text in one paragraph (marks,
    // double strikes, paragraph ends in a table or before a list): the caller then draws the
    // whole story.
    bool redrawReplaced(const docx::Story& story, int32_t at, const QString& removed, int32_t inserted);

    // Selects exactly the drawn characters of [start, end) and scrolls them into view.
    void selectStory(int32_t start, int32_t end);

    // Keeps the view as tall as its text, up to maxHeight pixels (scrolling beyond).
    void fitToContent(int maxHeight);
    // Lays the text out at a page's text width and margins (pixels), drawn as a white page.
    void setPage(int width, int leftMargin, int rightMargin);
    // Removes the selection, leaving the caret where the selection started.
    void clearSelection();

    // Lays the story out in pages (taking effect at the next setStory), with decorate drawing
    // what each page shows besides the story. The setup's section starts and note references are
    // story positions; its breaks are found in the story. The first pages are laid out at once,
    // the rest in steps from the event loop.
    void setPaging(const PageSetup& setup, const PageDecorator& decorate);
    // The pages in document coordinates, as far as paged yet; empty when the story is not paged.
    const std::vector<Page>& pages() const;
    bool pagingDone() const;
    // The drawn position paging has got to: what is before it stands on pages.
    int pagedTo() const;
    // How many of the first pages are paged to their foot.
    int finishedPages() const;
    // Pages on at once until story position cp stands on a finished page.
    void pageTo(int32_t cp);
    // The frame of a page: its section's, with the margins its header and footer need.
    PageFrame frameOf(const Page& page) const
    {
        return m_setup.frames.at(static_cast<size_t>(page.section)).of(page.sectionFirst, page.number);
    }
    // Scrolls document coordinate y into view, a third down the view, unless it is already in it.
    void revealY(double y);
    // The 0-based page holding document coordinate y, or drawn position pos.
    int pageAt(double y) const;
    int pageOfPosition(int pos) const;

signals:
    // The user moved the selection or the caret: the story span it covers.
    void userSelected(int32_t start, int32_t end);
    // The story has been laid out in pages again.
    void paged();
    // Ctrl+wheel: steps of zoom, positive to enlarge.
    void zoomRequested(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Draws the story and lays it out in pages.
    void build(const docx::Story& story, const DrawContext& context);
    void takeDrawingPlaces(const docx::Look& look);
    void takeParagraphs(const docx::Look& look);
    bool keepNextPageRoom();
    // Moves the page breaks from breaksFrom and the double strikes starting from strikesFrom on by delta.
    void shiftDrawnMarks(int breaksFrom, int strikesFrom, int delta);
    void changeRoomAt(int at, int end, double beside, const std::function<void(QTextCursor&, int)>& change);
    void skipDrawingRoom();
    void paintDoubleStrike();
    void paintTabLeaders();
    void paintRubies();
    // Finds where each of the story's rubies has its base drawn.
    void placeRubies(const docx::Look& look);
    void refit();
    void centerPage();
    void framePage(QTextDocument* doc) const;
    void paginate();
    void pageStep();
    void pagesChanged();
    void paintPages();
    void paintPagesBehind();
    void paintRowGoingOn(QPainter& painter, const RowCut& cut, double pageTop, const PageFrame& frame);

    int m_storyIndex = -1;
    uint32_t m_revision = 0;
    double m_zoom = 1.0;
    QTextDocument* m_document = nullptr;               // the drawn story, owned here
    DrawnPositions m_toDisplay;
    std::vector<std::pair<int, int>> m_doubleStrikes;  // drawn spans struck twice
    bool m_hasTabLeaders = false;      // some paragraph's tab stop has a leader
    // Rubies painted over their bases, by their bases' drawn spans.
    struct DrawnRuby {
        int start = 0, end = 0;
        docx::RubyLook look;
    };
    std::vector<DrawnRuby> m_rubies;
    bool m_selecting = false;
    int m_fitMaxHeight = 0;                            // 0: the layout decides the height
    int m_pageWidth = 0;                               // 0: the text fills the view's width
    std::pair<int, int> m_pageMargins;                 // left and right, pixels
    PageSetup m_setup;                                 // positions in the story
    PageDecorator m_decorate;
    std::vector<int> m_pageBreaks;                     // drawn positions a page break puts on a new page
    std::unique_ptr<Paginator> m_paginator;            // none: not paged
    // Wrapped drawings placed against the page, and whether the text keeps their room yet (or
    // needs none); the story positions where the paragraphs they may keep it before start.
    struct RoomDrawing {
        docx::PictureLook look;
        bool kept = false;
        QTextFrame* frame = nullptr;   // its room, if any
    };
    std::vector<RoomDrawing> m_roomDrawings;
    std::vector<int32_t> m_roomParagraphs;
    QTimer m_pagingTimer;                              // the next step of paging
    int m_lastCaret = 0;                               // where the caret stood before it last moved
};

} // namespace host
