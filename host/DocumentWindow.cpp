#include "host/DocumentWindow.h"

#include "host/DocumentSaving.h"
#include "host/LiveMenuBar.h"
#include "host/StoryEditor.h"
#include "platform/docx/LookReader.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Location.h"
#include "platform/word/Window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QScrollBar>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <array>
#include <climits>
#include <tuple>

namespace host {

namespace {

using namespace docx;

constexpr int kHeaderFooterHeight = 90;
constexpr int kNoteHeight = 110;
constexpr int kNotesAreaHeight = 240;
constexpr int kTextBoxHeight = 160;
constexpr int kSidePaneWidth = 280;
constexpr double kMinZoom = 0.25, kMaxZoom = 4.0;

int pixels(int32_t twips, double zoom) { return static_cast<int>(twips / 15.0 * zoom); }

bool isHeader(int type) { return type == wdPrimaryHeaderStory || type == wdFirstPageHeaderStory || type == wdEvenPagesHeaderStory; }
bool isFooter(int type) { return type == wdPrimaryFooterStory || type == wdFirstPageFooterStory || type == wdEvenPagesFooterStory; }

// Header and footer kinds as docx::Section numbers them: primary, first page, even pages.
int kindOf(int type)
{
    return std::max(0, word::headerFooterKind(type));
}

QString headerFooterCaption(bool footer, int kind, bool evenAndOdd, int section)
{
    static const std::array<const char*, 3> kinds{"", "先頭ページの", "偶数ページの"};
    const QString kindText = kind == 0 && evenAndOdd ? QStringLiteral("奇数ページの") : QString::fromUtf8(kinds[kind]);
    return QStringLiteral("%1%2 -セクション %3-").arg(kindText, footer ? QStringLiteral("フッター") : QStringLiteral("ヘッダー")).arg(section + 1);
}

QString noteStoryCaption(int type)
{
    switch (type) {
    case wdFootnotesStory: return QStringLiteral("脚注");
    case wdEndnotesStory: return QStringLiteral("文末脚注");
    case wdFootnoteSeparatorStory: return QStringLiteral("脚注の区切り線");
    case wdFootnoteContinuationSeparatorStory: return QStringLiteral("脚注の継続区切り線");
    case wdFootnoteContinuationNoticeStory: return QStringLiteral("脚注の継続通知");
    case wdEndnoteSeparatorStory: return QStringLiteral("文末脚注の区切り線");
    case wdEndnoteContinuationSeparatorStory: return QStringLiteral("文末脚注の継続区切り線");
    default: return QStringLiteral("文末脚注の継続通知");
    }
}

QString viewTypeName(int type)
{
    static const std::array<const char*, 7> names{"下書き", "アウトライン", "印刷レイアウト", "印刷プレビュー",
                                                  "グループ文書", "Web レイアウト", "閲覧モード"};
    return QString::fromUtf8(names.at(static_cast<size_t>(type - 1)));
}

int firstStoryOfType(const docx::Document& model, int type)
{
    for (size_t i = 0; i < model.stories.size(); ++i)
        if (model.stories[i].type == type)
            return static_cast<int>(i);
    return -1;
}

// Note numbers and comment initials, drawn at the marks that stand for them.
std::map<int, MarkLabels> markLabels(const docx::Document& model)
{
    std::map<int, MarkLabels> labels;
    const word::Locator locator(model);
    for (size_t i = 0; i < model.notes.size(); ++i) {
        const Note& n = model.notes[i];
        const QString label = locator.noteNumber(static_cast<int>(i));
        labels[n.refStory][n.refPos] = label;
        labels[firstStoryOfType(model, n.type)][n.start] = label;
    }
    const int commentsStory = firstStoryOfType(model, wdCommentsStory);
    for (size_t k = 0; k < model.comments.size(); ++k) {
        const Comment& c = model.comments[k];
        const QString label = QStringLiteral("[%1%2]").arg(c.initials).arg(k + 1);
        labels[c.anchorStory][c.markPos] = label;
        labels[commentsStory][c.start] = label;
    }
    return labels;
}

// Where a note's paragraphs are drawn in its notes story's drawing.
QRectF noteRect(const DrawnStory& drawn, const Note& note)
{
    const int start = drawn.toDisplay.at(note.start);
    const int last = std::max(start, drawn.toDisplay.at(note.end) - 1);   // end: after its last ¶
    const QAbstractTextDocumentLayout* layout = drawn.doc->documentLayout();
    const QRectF first = layout->blockBoundingRect(drawn.doc->findBlock(start));
    return first.united(layout->blockBoundingRect(drawn.doc->findBlock(last)));
}

// The height of a drawn story's paragraphs, without the empty one after its last mark.
double textHeight(const DrawnStory& drawn)
{
    const int last = drawn.toDisplay.size() > 1 ? drawn.toDisplay.at(static_cast<int32_t>(drawn.toDisplay.size()) - 2) : 0;
    return drawn.doc->documentLayout()->blockBoundingRect(drawn.doc->findBlock(last)).bottom();
}

void setActive(QFrame* frame, bool active)
{
    frame->setStyleSheet(active ? QStringLiteral("QFrame#block { border: 2px dashed #3070c0; }")
                                : QStringLiteral("QFrame#block { border: 1px solid #c0c0c0; }"));
}

} // namespace

AppWindow::AppWindow(std::shared_ptr<office::CommandBars> bars, QWidget* parent)
    : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    new LiveMenuBar(std::move(bars), menuBar());
    setWindowTitle(QStringLiteral("Tarvelin"));
    resize(1000, 760);
}

DocumentWindow::DocumentWindow(word::DocumentPtr doc, std::shared_ptr<office::CommandBars> bars, QWidget* parent)
    : AppWindow(std::move(bars), parent), m_doc(std::move(doc)), m_labels(markLabels(m_doc->model())),
      m_pictures(decodePictures(m_doc->model().media))
{
    showSaved();
    const docx::Document& model = m_doc->model();

    m_split = new QSplitter(Qt::Vertical, this);
    auto* page = new QWidget(m_split);
    auto* pageLayout = new QHBoxLayout(page);
    auto* column = new QVBoxLayout;
    pageLayout->addLayout(column, 1);

    m_headerBlock = addBlock(page, {});
    m_header = m_headerBlock.view;
    m_header->fitToContent(kHeaderFooterHeight);
    column->addWidget(m_headerBlock.frame);

    m_main = new StoryView(page);
    m_main->setMinimumHeight(200);
    placePage();
    drawStory(m_main, firstStoryOfType(model, wdMainTextStory));
    column->addWidget(m_main, 1);
    m_fixedViews.push_back(m_main);

    m_footerBlock = addBlock(page, {});
    m_footer = m_footerBlock.view;
    m_footer->fitToContent(kHeaderFooterHeight);
    column->addWidget(m_footerBlock.frame);

    // Notes and separators under the page, text boxes at its side: each area scrolls as a whole.
    QVBoxLayout* notes = nullptr;
    QVBoxLayout* boxes = nullptr;
    const auto area = [page](int maxHeight, int width) {
        auto* scroll = new QScrollArea(page);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        if (maxHeight > 0)
            scroll->setMaximumHeight(maxHeight);
        if (width > 0)
            scroll->setFixedWidth(width);
        auto* content = new QWidget(scroll);
        auto* layout = new QVBoxLayout(content);
        layout->setContentsMargins(0, 0, 0, 0);
        scroll->setWidget(content);
        return std::pair(scroll, layout);
    };
    int textBoxes = 0;
    for (size_t i = 0; i < model.stories.size(); ++i) {
        const int type = model.stories[i].type;
        if (type == wdMainTextStory || type == wdCommentsStory || isHeader(type) || isFooter(type))
            continue;
        const bool isBox = type == wdTextFrameStory;
        QVBoxLayout*& layout = isBox ? boxes : notes;
        if (!layout) {
            auto [scroll, created] = isBox ? area(0, kSidePaneWidth) : area(kNotesAreaHeight, 0);
            (isBox ? static_cast<QBoxLayout*>(pageLayout) : column)->addWidget(scroll);
            m_areas.push_back(scroll);
            layout = created;
        }
        const Block block = addBlock(layout->parentWidget(),
                                     isBox ? QStringLiteral("テキスト ボックス %1").arg(++textBoxes) : noteStoryCaption(type));
        block.view->fitToContent(isBox ? kTextBoxHeight : kNoteHeight);
        layout->addWidget(block.frame);
        drawStory(block.view, static_cast<int>(i));
        m_fixedViews.push_back(block.view);
    }
    for (QVBoxLayout* layout : {notes, boxes})
        if (layout)
            layout->addStretch(1);

    m_commentBlock = addBlock(m_split, QStringLiteral("コメント"));
    m_comments = m_commentBlock.view;
    drawStory(m_comments, firstStoryOfType(model, wdCommentsStory));
    m_split->setStretchFactor(0, 3);
    m_split->setStretchFactor(1, 1);
    setCentralWidget(m_split);

    for (StoryView* view : allViews()) {
        auto* editor = new StoryEditor(m_doc, view);
        connect(editor, &StoryEditor::refused, this, [this](const QString& reason) { statusBar()->showMessage(reason); });
        connect(view, &StoryView::userSelected, this, [this, view] { syncUserSelection(view); });
        connect(view, &StoryView::zoomRequested, this, [this](int steps) { setZoom(m_zoom * std::pow(1.1, steps)); });
    }
    connect(m_doc->application(), &word::Application::textReplaced, this,
            [this](word::Document* doc, int story, int32_t at, const QString& removed, const QString& inserted) {
                if (doc == m_doc.get())
                    redrawReplaced(story, at, removed, static_cast<int32_t>(inserted.size()));
            });
    m_pageIndicator = new QLabel(this);
    statusBar()->addPermanentWidget(m_pageIndicator);
    m_zoomIndicator = new QLabel(this);
    statusBar()->addPermanentWidget(m_zoomIndicator);
    connect(m_main->verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentWindow::showPageNumber);
    connect(m_main->verticalScrollBar(), &QScrollBar::rangeChanged, this, &DocumentWindow::showPageNumber);
    connect(m_main, &StoryView::paged, this, &DocumentWindow::showPageNumber);
    connect(m_main, &StoryView::paged, this, &DocumentWindow::placeObjects);
    placeObjects();

    // What the document holds that no search sees stays named at the status bar's right: the
    // first item and how many follow, every item in the tooltip.
    if (!model.notices.empty()) {
        const qsizetype more = static_cast<qsizetype>(model.notices.size()) - 1;
        auto* label = new QLabel(model.notices.front() + (more > 0 ? QStringLiteral(" (ほか %1 件)").arg(more) : QString()),
                                 statusBar());
        label->setObjectName(QStringLiteral("notices"));
        label->setToolTip(QStringList(model.notices.begin(), model.notices.end()).join(u'\n'));
        statusBar()->addPermanentWidget(label);
    }
    showView();
    showPageNumber();
    m_main->setFocus();
}

DocumentWindow::Block DocumentWindow::addBlock(QWidget* parent, const QString& caption)
{
    Block b;
    b.frame = new QFrame(parent);
    b.frame->setObjectName(QStringLiteral("block"));
    setActive(b.frame, false);
    auto* layout = new QVBoxLayout(b.frame);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    b.caption = new QLabel(caption, b.frame);
    b.caption->setStyleSheet(QStringLiteral("color: #3070c0;"));
    b.view = new StoryView(b.frame);
    layout->addWidget(b.caption);
    layout->addWidget(b.view);
    return b;
}

DrawContext DocumentWindow::drawContext(int storyIndex)
{
    if (m_labelsStale) {
        m_labels = markLabels(m_doc->model());
        m_labelsStale = false;
    }
    DrawContext context;
    if (storyIndex >= 0 && m_labels.count(storyIndex))
        context.labels = m_labels.at(storyIndex);
    context.pictures = &m_pictures;
    context.zoom = m_zoom;
    // The main text's drawings and those of the headers and footers drawn on its pages.
    const int type = storyIndex >= 0 ? m_doc->model().stories.at(static_cast<size_t>(storyIndex)).type : -1;
    context.placeFloats = type == wdMainTextStory || isHeader(type) || isFooter(type);
    return context;
}

void DocumentWindow::drawStory(StoryView* view, int storyIndex)
{
    static const docx::Story kNone;
    view->setStory(storyIndex >= 0 ? m_doc->story(storyIndex) : kNone, storyIndex, drawContext(storyIndex));
}

std::vector<StoryView*> DocumentWindow::allViews() const
{
    std::vector<StoryView*> views = m_fixedViews;
    views.insert(views.end(), {m_header, m_footer, m_comments});
    return views;
}

PageFrame DocumentWindow::frameOfSection(size_t section) const
{
    const docx::Document& model = m_doc->model();
    const docx::PageLook page = section < model.sections.size() ? model.sections[section].page : docx::PageLook{};
    return {pixels(page.width, m_zoom), pixels(page.height, m_zoom), pixels(page.top, m_zoom), pixels(page.bottom, m_zoom),
            pixels(page.left, m_zoom), pixels(page.right, m_zoom), pixels(page.header, m_zoom), pixels(page.footer, m_zoom),
            page.start, page.numberStart};
}

// The main text is laid out in pages of each section's size and margins, each page with the
// header and footer Word shows on it and the footnotes referred to on it; endnotes follow the text.
void DocumentWindow::placePage()
{
    const docx::Document& model = m_doc->model();
    PageSetup setup;
    for (size_t s = 0; s < std::max<size_t>(1, model.sections.size()); ++s) {
        setup.frames.push_back(frameOfSection(s));
        if (s < model.sections.size())
            fitHeaderFooter(setup.frames.back(), model.sections[s]);
        setup.sectionStarts.push_back(s == 0 ? 0 : model.sections[s - 1].endPos + 1);
    }
    setup.notes = pageNotes();
    const RootFrame root = rootFrame(setup);
    m_main->setPaging(setup, [this](QPainter& painter, int index, const QRectF& rect, bool behind) {
        paintPage(painter, index, rect, behind);
    });
    m_main->setPage(root.width, root.left, root.right);
}

// A header or footer taller than its margin moves the text away from it on its pages, as in Word:
// the section's first page and its even pages may have their own. A header is as tall as its text,
// moved down by the drawings it wraps above and below; drawings the text runs beside or that hang
// below it do not count.
void DocumentWindow::fitHeaderFooter(PageFrame& frame, const docx::Section& section)
{
    const auto fit = [&](int story, int margin, int distance) {
        if (story < 0)
            return margin;
        const QTextDocument* doc = pageStory(story, frame.bodyWidth()).doc;
        const double text = doc->documentLayout()->blockBoundingRect(doc->lastBlock()).bottom();
        return std::max(margin, distance + static_cast<int>(std::ceil(text)));
    };
    const PageFrame margins = frame;
    const auto kind = [&](int k, int& top, int& bottom) {
        top = fit(section.headers[k], margins.top, margins.header);
        bottom = fit(section.footers[k], margins.bottom, margins.footer);
    };
    kind(0, frame.top, frame.bottom);
    if (section.titlePage)
        kind(1, frame.firstTop, frame.firstBottom);
    if (m_doc->model().evenAndOddHeaders)
        kind(2, frame.evenTop, frame.evenBottom);
}

double DocumentWindow::noteWidth(const docx::Note& note) const
{
    const std::vector<docx::Section>& sections = m_doc->model().sections;
    size_t s = sections.empty() ? 0 : sections.size() - 1;
    if (note.type != wdEndnotesStory)
        s = static_cast<size_t>(std::find_if(sections.begin(), sections.end(), [&note](const docx::Section& section) {
                                    return section.endPos >= note.refPos;
                                }) - sections.begin());
    return frameOfSection(std::min(s, std::max<size_t>(sections.size(), 1) - 1)).bodyWidth();
}

std::vector<PageNote> DocumentWindow::pageNotes()
{
    const docx::Document& model = m_doc->model();
    const int mainStory = firstStoryOfType(model, wdMainTextStory);
    m_pageNoteIndex.clear();
    for (size_t n = 0; n < model.notes.size(); ++n)
        if (model.notes[n].refStory == mainStory && mainStory >= 0)
            m_pageNoteIndex.push_back(static_cast<int>(n));
    // Footnotes by their reference, then endnotes by theirs.
    std::stable_sort(m_pageNoteIndex.begin(), m_pageNoteIndex.end(), [&model](int a, int b) {
        const docx::Note& x = model.notes[static_cast<size_t>(a)];
        const docx::Note& y = model.notes[static_cast<size_t>(b)];
        return std::tuple(x.type == wdEndnotesStory, x.refPos) < std::tuple(y.type == wdEndnotesStory, y.refPos);
    });
    m_pageNotes.clear();
    for (int n : m_pageNoteIndex) {
        const docx::Note& note = model.notes[static_cast<size_t>(n)];
        const QRectF rect = noteRect(pageStory(firstStoryOfType(model, note.type), noteWidth(note)), note);
        m_pageNotes.push_back({note.refPos, rect.height(), note.type == wdEndnotesStory});
    }
    return m_pageNotes;
}

const DrawnStory& DocumentWindow::pageStory(int story, double width)
{
    // One drawing per width: a new width would lay the whole story out again.
    DrawnStory& drawn = m_pageStories[{story, static_cast<int>(std::lround(width))}];
    if (!drawn.doc) {
        drawn = drawStoryDocument(m_doc->story(story), drawContext(story), this);
        drawn.doc->setDocumentMargin(0);
        drawn.doc->setTextWidth(width);
    }
    return drawn;
}

int DocumentWindow::headerFooterOfPage(int page, bool footer) const
{
    const docx::Document& model = m_doc->model();
    const std::vector<Page>& pages = m_main->pages();
    if (model.sections.empty() || page < 0 || page >= static_cast<int>(pages.size()))
        return -1;
    const int section = pages[static_cast<size_t>(page)].section;
    const int firstPage = static_cast<int>(std::find_if(pages.begin(), pages.end(), [section](const Page& p) {
                                               return p.section == section;
                                           }) - pages.begin());
    const docx::Section& s = model.sections[static_cast<size_t>(section)];
    const int number = pages[static_cast<size_t>(page)].number;
    const int kind = s.titlePage && page == firstPage ? 1 : model.evenAndOddHeaders && number % 2 == 0 ? 2 : 0;
    return footer ? s.footers[kind] : s.headers[kind];
}

void DocumentWindow::paintPage(QPainter& painter, int index, const QRectF& rect, bool behind)
{
    const Page& page = m_main->pages().at(static_cast<size_t>(index));
    paintHeaderFooter(painter, page, index, rect, behind);
    if (!behind)
        paintNotes(painter, page, rect);
    for (const PageObject& object : m_pageObjects)
        if (object.page == index && object.behind == behind)
            paintObject(painter, m_main->storyIndex(), object);
}

double DocumentWindow::headerFooterTop(int story, int page, bool footer)
{
    const Page& onPage = m_main->pages().at(static_cast<size_t>(page));
    const PageFrame& frame = m_main->frameOf(onPage);
    const QTextDocument* doc = pageStory(story, frame.bodyWidth()).doc;
    return footer ? onPage.top + frame.height - frame.footer - doc->size().height() : onPage.top + frame.header;
}

std::vector<PageObject> DocumentWindow::headerFooterObjects(int page, bool footer)
{
    const int story = headerFooterOfPage(page, footer);
    if (story < 0)
        return {};
    const Page& onPage = m_main->pages().at(static_cast<size_t>(page));
    const PageFrame& frame = m_main->frameOf(onPage);
    return placeRepeatedObjects(pageStory(story, frame.bodyWidth()), m_doc->story(story).look,
                                QPointF(frame.left, headerFooterTop(story, page, footer)), page, onPage.top, frame, m_zoom);
}

void DocumentWindow::placeObjects()
{
    const int story = m_main->storyIndex();
    m_pageObjects = story >= 0 ? placePageObjects(*m_main, m_doc->story(story).look, m_zoom) : std::vector<PageObject>{};
    // A text box fitted to its text is as tall as its text at its width.
    const QMarginsF insets = textBoxInsets(m_zoom);
    for (PageObject& object : m_pageObjects) {
        if (!m_doc->story(story).look.pictures[object.look].fitsText)
            continue;
        double height = insets.top() + insets.bottom();
        for (int box : textBoxStories(story, object.look))
            height += textHeight(pageStory(box, std::max(1.0, object.rect.width() - insets.left() - insets.right())));
        object.rect.setHeight(height);
    }
    m_main->viewport()->update();
}

std::vector<int> DocumentWindow::textBoxStories(int story, size_t picture) const
{
    const docx::Document& model = m_doc->model();
    std::vector<int> stories;
    if (story < 0 || picture >= model.stories[static_cast<size_t>(story)].look.pictures.size())
        return stories;
    const int32_t anchor = model.stories[static_cast<size_t>(story)].look.pictures[picture].pos;
    for (const docx::TextBox& box : model.textBoxes)
        if (box.anchorStory == story && box.anchorPos == anchor)
            stories.push_back(box.story);
    return stories;
}

// A drawing at its size, behind the text drawn as it is, over it opaque; a text box with its
// text, a group's at each member's place.
void DocumentWindow::paintObject(QPainter& painter, int story, const PageObject& object)
{
    const docx::Look& look = m_doc->story(story).look;
    if (object.look >= look.pictures.size())   // placed before an edit: placed again at the next paging
        return;
    const docx::PictureLook& picture = look.pictures[object.look];
    paintDrawing(painter, picture, object.rect, m_zoom, m_pictures, object.behind);
    if (!picture.textBox)
        return;
    const std::vector<int> boxes = textBoxStories(story, object.look);
    if (picture.members.empty()) {
        paintTextBoxes(painter, boxes, object.rect);
        return;
    }
    size_t box = 0;
    for (const docx::GroupMember& m : picture.members)
        if (m.textBox && box < boxes.size())
            paintTextBoxes(painter, {boxes[box++]}, memberRect(m, object.rect));
}

// The text of text boxes framed in rect, the selection highlighted.
void DocumentWindow::paintTextBoxes(QPainter& painter, const std::vector<int>& stories, const QRectF& rect)
{
    const QRectF inner = rect.marginsRemoved(textBoxInsets(m_zoom));
    const word::WindowPtr window = m_doc->ActiveWindow();
    double y = inner.top();
    for (int story : stories) {
        const DrawnStory& drawn = pageStory(story, std::max(1.0, inner.width()));
        const double height = std::min(drawn.doc->size().height(), inner.bottom() - y);
        if (height <= 0)
            break;
        const bool selected = window->selectionStory() == story;
        const int start = selected ? drawn.toDisplay.at(window->selectionStart()) : 0;
        const int end = selected ? drawn.toDisplay.at(window->selectionEnd()) : 0;
        paintDrawnStory(painter, drawn, QPointF(inner.left(), y), QRectF(0, 0, inner.width(), height), start, end,
                        m_main->palette());
        y += height;
    }
}

// A page's header and footer, greyed as Word greys them while the main text is edited; their
// floating drawings behind the main text.
void DocumentWindow::paintHeaderFooter(QPainter& painter, const Page& page, int index, const QRectF& rect, bool behind)
{
    const PageFrame& frame = m_main->frameOf(page);
    for (const bool footer : {false, true}) {
        const int story = headerFooterOfPage(index, footer);
        if (story < 0)
            continue;
        painter.save();
        painter.setOpacity(0.6);
        if (behind) {
            for (const PageObject& object : headerFooterObjects(index, footer))
                paintObject(painter, story, object);
        } else {
            painter.translate(rect.left() + frame.left, headerFooterTop(story, index, footer));
            pageStory(story, frame.bodyWidth()).doc->drawContents(&painter);
        }
        painter.restore();
    }
}

// Each note's own lines of its notes story, where the pages placed it; a short rule above a
// page's footnotes and above the first endnote, as Word's separators draw.
void DocumentWindow::paintNotes(QPainter& painter, const Page& page, const QRectF& rect)
{
    const docx::Document& model = m_doc->model();
    const PageFrame& frame = m_main->frameOf(page);
    const double rule = frame.bodyWidth() / 3;
    const word::WindowPtr window = m_doc->ActiveWindow();
    const QPen pen(QColor(0x40, 0x40, 0x40), 1);
    if (page.footnotesTop >= 0) {
        painter.setPen(pen);
        painter.drawLine(QPointF(rect.left() + frame.left, page.footnotesTop + 6),
                         QPointF(rect.left() + frame.left + rule, page.footnotesTop + 6));
    }
    for (const PlacedNote& placed : page.notes) {
        const PageNote& shown = m_pageNotes.at(static_cast<size_t>(placed.note));
        const docx::Note& note = model.notes.at(static_cast<size_t>(m_pageNoteIndex.at(static_cast<size_t>(placed.note))));
        const int story = firstStoryOfType(model, note.type);
        const bool firstEndnote = shown.atEnd && (placed.note == 0 || !m_pageNotes[static_cast<size_t>(placed.note) - 1].atEnd);
        if (firstEndnote) {
            painter.setPen(pen);
            painter.drawLine(QPointF(rect.left() + frame.left, placed.y - 8),
                             QPointF(rect.left() + frame.left + rule, placed.y - 8));
        }
        const double width = noteWidth(note);
        const DrawnStory& drawn = pageStory(story, width);
        const double top = noteRect(drawn, note).top();
        const bool selected = window->selectionStory() == story && window->selectionEnd() > note.start
                              && window->selectionStart() < note.end;
        const int start = selected ? drawn.toDisplay.at(window->selectionStart()) : 0;
        const int end = selected ? drawn.toDisplay.at(window->selectionEnd()) : 0;
        paintDrawnStory(painter, drawn, QPointF(rect.left() + frame.left, placed.y - top), QRectF(0, top, width, shown.height),
                        start, end, m_main->palette());
    }
}

void DocumentWindow::revealSelectedNote()
{
    const docx::Document& model = m_doc->model();
    const word::WindowPtr window = m_doc->ActiveWindow();
    const int story = window->selectionStory();
    for (int n : m_pageNoteIndex) {   // its page paged first: an endnote's is after all the text
        const docx::Note& note = model.notes.at(static_cast<size_t>(n));
        if (firstStoryOfType(model, note.type) == story && window->selectionStart() >= note.start
            && window->selectionStart() < note.end)
            m_main->pageTo(note.type == wdEndnotesStory ? m_main->storyLength() : note.refPos);
    }
    for (const Page& page : m_main->pages())
        for (const PlacedNote& placed : page.notes) {
            const docx::Note& note = model.notes.at(static_cast<size_t>(m_pageNoteIndex.at(static_cast<size_t>(placed.note))));
            if (firstStoryOfType(model, note.type) != story || window->selectionStart() < note.start
                || window->selectionStart() >= note.end)
                continue;
            m_main->revealY(placed.y);
            m_main->viewport()->update();
            return;
        }
}

void DocumentWindow::revealSelectedTextBox()
{
    const int story = m_doc->ActiveWindow()->selectionStory();
    for (const PageObject& object : m_pageObjects) {
        const std::vector<int> stories = textBoxStories(m_main->storyIndex(), object.look);
        if (std::find(stories.begin(), stories.end(), story) == stories.end())
            continue;
        m_main->revealY(object.rect.top());
        m_main->viewport()->update();
        return;
    }
}

void DocumentWindow::forgetPageStories()
{
    for (auto& [story, drawn] : m_pageStories)
        delete drawn.doc;
    m_pageStories.clear();
}

void DocumentWindow::setZoom(double zoom)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    forgetPageStories();
    placePage();
    for (StoryView* v : allViews())
        if (v->storyIndex() >= 0)
            drawStory(v, v->storyIndex());
    showSelection();
}

double DocumentWindow::zoom() const
{
    return m_zoom;
}

double DocumentWindow::pageWidthZoom() const
{
    const docx::Document& model = m_doc->model();
    int32_t widest = docx::PageLook{}.width;
    for (const docx::Section& s : model.sections)
        widest = std::max(widest, s.page.width);
    const int room = m_main->width() - 2 * m_main->frameWidth() - m_main->verticalScrollBar()->sizeHint().width()
                     - 2 * static_cast<int>(kPageGap);
    return std::clamp(static_cast<double>(room) / pixels(widest, 1.0), kMinZoom, kMaxZoom);
}

// The page the main view shows, of those paged so far.
void DocumentWindow::showPageNumber()
{
    const QScrollBar* bar = m_main->verticalScrollBar();
    const int pages = std::max(1, static_cast<int>(m_main->pages().size()));
    const int at = m_main->pages().empty() ? 1 : m_main->pageAt(bar->value() + bar->pageStep() / 3) + 1;
    m_pageIndicator->setText(QStringLiteral("%1 / %2 ページ").arg(at).arg(pages));
    m_zoomIndicator->setText(QStringLiteral("%1%").arg(qRound(m_zoom * 100)));
}

bool DocumentWindow::commentPaneShown() const
{
    return m_commentBlock.frame->isVisibleTo(const_cast<DocumentWindow*>(this));
}

int DocumentWindow::currentSection() const
{
    const docx::Document& model = m_doc->model();
    const word::WindowPtr window = m_doc->ActiveWindow();
    const int sel = window->selectionStory();
    const int32_t at = window->selectionStart();
    return word::sectionAt(model, sel, at);
}

int DocumentWindow::headerFooterStory(bool footer) const
{
    const docx::Document& model = m_doc->model();
    const int sel = m_doc->ActiveWindow()->selectionStory();
    const int selType = model.stories.at(static_cast<size_t>(sel)).type;
    if (footer ? isFooter(selType) : isHeader(selType))
        return sel;
    const int seek = m_doc->ActiveWindow()->View()->SeekView();
    const int first = footer ? word::wdSeekPrimaryFooter : word::wdSeekPrimaryHeader;
    const int kind = seek >= first && seek < first + 3 ? seek - first : 0;
    const int section = currentSection();
    if (section < 0 || section >= static_cast<int>(model.sections.size()))
        return -1;
    const docx::Section& s = model.sections[static_cast<size_t>(section)];
    return footer ? s.footers[kind] : s.headers[kind];
}

void DocumentWindow::showHeaderFooter(const Block& block, bool footer)
{
    const docx::Document& model = m_doc->model();
    const word::WindowPtr window = m_doc->ActiveWindow();
    const int story = headerFooterStory(footer);
    if (block.view->storyIndex() != story || story < 0)
        drawStory(block.view, story);
    const int kind = story >= 0 ? kindOf(model.stories[static_cast<size_t>(story)].type) : 0;
    const int section = story >= 0 ? model.stories[static_cast<size_t>(story)].section : currentSection();
    block.caption->setText(headerFooterCaption(footer, kind, model.evenAndOddHeaders, section));

    const int seek = window->View()->SeekView();
    const int first = footer ? word::wdSeekPrimaryFooter : word::wdSeekPrimaryHeader;
    const bool selected = story >= 0 && window->selectionStory() == story;
    const bool active = (seek >= first && seek < first + 3) || selected;
    setActive(block.frame, active);
    block.frame->setVisible(window->View()->Type() == word::wdPrintView || selected);
    if (active && isActiveWindow())
        block.view->setFocus();
}

void DocumentWindow::redrawEdited()
{
    const docx::Document& model = m_doc->model();
    const std::vector<StoryView*> views = allViews();
    const auto edited = [&model](const StoryView* v) {
        return v->storyIndex() >= 0 && model.stories[static_cast<size_t>(v->storyIndex())].revision != v->drawnRevision();
    };
    if (std::none_of(views.begin(), views.end(), edited))
        return;
    m_labelsStale = true;  // an edit moves the marks after it
    forgetPageStories();
    // The main text's pages hold its notes: an edit of either pages it again.
    const bool repage = std::any_of(views.begin(), views.end(), [&](const StoryView* v) {
        const int type = v->storyIndex() >= 0 ? model.stories[static_cast<size_t>(v->storyIndex())].type : -1;
        return edited(v) && (v == m_main || type == wdFootnotesStory || type == wdEndnotesStory);
    });
    if (repage)
        placePage();
    for (StoryView* v : views)
        if (edited(v) || (repage && v == m_main))
            drawStory(v, v->storyIndex());
}

// Only the stretch the edit changed is drawn again where the view can; redrawEdited draws the
// rest once the model says the story changed.
void DocumentWindow::redrawReplaced(int story, int32_t at, const QString& removed, int32_t inserted)
{
    m_labelsStale = true;
    for (StoryView* v : allViews())
        if (v->storyIndex() == story)
            v->redrawReplaced(m_doc->story(story), at, removed, inserted);
    const auto first = m_pageStories.lower_bound({story, INT_MIN});
    const auto last = m_pageStories.lower_bound({story + 1, INT_MIN});
    if (first != last) {
        for (auto it = first; it != last; ++it)
            delete it->second.doc;
        m_pageStories.erase(first, last);
        m_main->viewport()->update();
    }
    // The anchors after the edit moved; a text box fitted to its text may have changed height.
    const int type = m_doc->model().stories.at(static_cast<size_t>(story)).type;
    if (story == m_main->storyIndex() || type == wdTextFrameStory)
        placeObjects();
    // A note that changed height changes the room its page keeps for it.
    if (type != wdFootnotesStory && type != wdEndnotesStory)
        return;
    std::vector<double> before;
    for (const PageNote& n : m_pageNotes)
        before.push_back(n.height);
    const std::vector<PageNote> after = pageNotes();
    if (std::equal(before.begin(), before.end(), after.begin(), after.end(),
                   [](double h, const PageNote& n) { return h == n.height; }))
        return;
    placePage();
    drawStory(m_main, m_main->storyIndex());
}

void DocumentWindow::showSaved()
{
    setWindowTitle(m_doc->Name() + QStringLiteral("[*] - Tarvelin"));
    setWindowModified(!m_doc->Saved());
}

void DocumentWindow::showView()
{
    redrawEdited();
    showSaved();
    const word::ViewPtr view = m_doc->ActiveWindow()->View();
    showHeaderFooter(m_headerBlock, false);
    showHeaderFooter(m_footerBlock, true);
    const bool comments = view->SplitSpecial() == word::wdPaneComments && m_comments->storyIndex() >= 0;
    m_commentBlock.frame->setVisible(comments);
    statusBar()->showMessage(QStringLiteral("%1    セクション %2").arg(viewTypeName(view->Type())).arg(currentSection() + 1));
}

StoryView* DocumentWindow::shownView(int storyIndex) const
{
    if (storyIndex < 0)
        return nullptr;
    for (StoryView* view : m_fixedViews)
        if (view->storyIndex() == storyIndex)
            return view;
    const auto visible = [this](StoryView* v) { return v->isVisibleTo(const_cast<DocumentWindow*>(this)); };
    for (StoryView* view : {m_header, m_footer, m_comments})
        if (view->storyIndex() == storyIndex && visible(view))
            return view;
    return nullptr;
}

void DocumentWindow::showSelection()
{
    const word::WindowPtr window = m_doc->ActiveWindow();
    const int story = window->selectionStory();
    if (story == m_comments->storyIndex())
        m_commentBlock.frame->setVisible(true);
    showView();
    StoryView* view = shownView(story);
    if (!view || m_fromUser)
        return;
    view->selectStory(window->selectionStart(), window->selectionEnd());
    revealSelectedNote();
    revealSelectedTextBox();
    clearOtherSelections(view);
    for (QScrollArea* area : m_areas)
        if (area->isAncestorOf(view))
            area->ensureWidgetVisible(view->parentWidget());
}

// A document has one selection: the views other than the one holding it show none.
void DocumentWindow::clearOtherSelections(StoryView* keep)
{
    for (StoryView* v : allViews())
        if (v != keep)
            v->clearSelection();
}

void DocumentWindow::syncUserSelection(StoryView* view)
{
    clearOtherSelections(view);
    m_main->viewport()->update();   // the pages draw the selection in their notes and text boxes
    const QTextCursor c = view->textCursor();
    m_fromUser = true;
    m_doc->ActiveWindow()->select(view->storyIndex(), view->storyPosition(c.selectionStart()),
                                  view->storyPosition(c.selectionEnd()));
    m_fromUser = false;
}

void DocumentWindow::changeEvent(QEvent* event)
{
    AppWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !m_doc->isOpen())
        return;
    // The user brought this window forward: its document becomes Word's active one.
    word::Application* app = m_doc->application();
    if (app->Documents()->Count() == 0 || app->ActiveDocument() != m_doc)
        m_doc->Activate();
}

bool DocumentWindow::askToSave()
{
    if (!m_doc->isOpen() || m_doc->Saved())
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarvelin"),
                    QStringLiteral("'%1' への変更を保存しますか?").arg(m_doc->Name()), QMessageBox::NoButton, this);
    QPushButton* save = box.addButton(QStringLiteral("保存(&S)"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("保存しない(&N)"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == discard)
        return true;
    return box.clickedButton() == save && saveDocument(m_doc, this);
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    if (!askToSave()) {
        event->ignore();
        return;
    }
    if (m_doc->isOpen())
        m_doc->Close();
    event->accept();
}

} // namespace host
