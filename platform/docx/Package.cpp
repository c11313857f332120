#include "platform/docx/Package.h"

#include "platform/docx/AltChunks.h"
#include "platform/docx/Annotations.h"
#include "platform/docx/HeaderFooterPlan.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/LookReader.h"
#include "platform/docx/PartStream.h"
#include "platform/docx/Relationships.h"
#include "platform/docx/SharedWork.h"
#include "platform/docx/Styles.h"
#include "platform/docx/TextWalker.h"
#include "platform/docx/XmlReader.h"
#include "platform/docx/ZipReader.h"

#include <algorithm>
#include <map>
#include <optional>


namespace docx {

namespace {

// A part's bytes and relationships, and the content it imports, read out of the package.
struct ReadPart {
    std::string name, bytes;
    Relationships rels;
    Chunks chunks;
};

// chunks: for a part of text that may import content, null for the others.
ReadPart readPart(ZipReader& zip, const std::string& name, const QString& path, ChunkImporter* chunks = nullptr)
{
    ReadPart part{name, zip.read(name), Relationships::read(zip, name, path), {}};
    if (chunks)
        part.chunks = chunks->read(part.rels);
    return part;
}

// Hands fn a reader standing on the part's root, the part's relationships and imported content,
// then reads the part to its end.
template <typename Fn>
void walkPart(ReadPart part, const QString& path, Fn&& fn)
{
    XmlReader x(std::move(part.bytes), part.name, path);
    if (x.child(0))
        fn(x, part.rels, &part.chunks);
    x.finish();
}

// The part a main-document relationship of this type leads to, "" when absent.
std::string partOfType(const Relationships& rels, ZipReader& zip, const char* type)
{
    const Relationships::Rel* r = rels.firstOfType(type);
    return r && zip.contains(r->target) ? r->target : std::string();
}

std::size_t countBoxes(const Walked& w)
{
    std::size_t n = w.boxes.size();
    for (const Walked& b : w.boxes)
        n += countBoxes(b);
    return n;
}

bool hasCommentMark(const Walked& w, const std::map<long, CommentPart>& comments)
{
    for (const CommentEvent& m : w.commentMarks)
        if (comments.count(m.id))
            return true;
    for (const Walked& b : w.boxes)
        if (hasCommentMark(b, comments))
            return true;
    return false;
}

// A text box story with the story that anchors it.
struct BoxEntry {
    Walked walked;
    int anchorStory;
    int32_t anchorPos;
};

// Text boxes in chain order: each box, then the boxes anchored inside it. firstIndex is the
// document index the first entry in out will get.
void flattenBoxes(Walked& owner, int ownerIndex, int firstIndex, std::vector<BoxEntry>& out)
{
    for (std::size_t i = 0; i < owner.boxes.size(); ++i) {
        const int index = firstIndex + static_cast<int>(out.size());
        out.push_back({std::move(owner.boxes[i]), ownerIndex, owner.boxAnchors[i]});
        Walked& box = out.back().walked;
        std::vector<Walked> inner = std::move(box.boxes);
        box.boxes.clear();
        Walked holder;
        holder.boxes = std::move(inner);
        holder.boxAnchors = std::move(box.boxAnchors);
        flattenBoxes(holder, index, firstIndex, out);
    }
}

void finishStory(Story& s, int type, const std::string& part, int section = -1)
{
    s.type = type;
    s.part = QString::fromStdString("/" + part);
    s.section = section;
}

// Notes, comments, headers and footers: read out of the package by the main part's thread once it
// has read the main part (the zip is its own until then), walked by whichever thread is free,
// notes first (they are the largest as a rule). Each thread walks with styles of its own:
// resolving formatting memoises.
class OtherParts {
public:
    OtherParts(const Relationships& docRels, ZipReader& zip, const QString& path, bool sources, ChunkImporter& chunks)
        : m_path(path), m_sources(sources), m_chunks(chunks)
    {
        noteNames[0] = partOfType(docRels, zip, "footnotes");
        noteNames[1] = partOfType(docRels, zip, "endnotes");
        commentsName = partOfType(docRels, zip, "comments");
        for (int k = 0; k < 2; ++k)
            if (!noteNames[k].empty())
                m_work.add([this, k](const Styles& s) {
                    walkPart(std::move(*m_notes[k]), m_path, [&](XmlReader& x, const Relationships& rels, const Chunks* c) {
                        notes[k] = walkNotesPart(TextWalker::Context{x, s, rels, m_path, m_sources, c});
                    });
                });
        if (!commentsName.empty())
            m_work.add([this](const Styles& s) {
                walkPart(std::move(*m_comments), m_path, [&](XmlReader& x, const Relationships& rels, const Chunks* c) {
                    comments = walkCommentsPart(TextWalker::Context{x, s, rels, m_path, m_sources, c});
                });
            });
        for (const Relationships::Rel& r : docRels.all())
            if (!r.external && (r.type == "header" || r.type == "footer") && !m_headers.count(r.target)
                && zip.contains(r.target))
                m_work.add([this, &bytes = m_headers[r.target], &walked = headers[r.target]](const Styles& s) {
                    walkPart(std::move(bytes), m_path, [&](XmlReader& x, const Relationships& rels, const Chunks* c) {
                        TextWalker(TextWalker::Context{x, s, rels, m_path, m_sources, c}, walked).walkBlocks();
                    });
                });
    }

    // On the main part's thread, once the part is read.
    void readAndWalk(ZipReader& zip, const Styles& styles)
    {
        try {
            for (int k = 0; k < 2; ++k)
                if (!noteNames[k].empty())
                    m_notes[k] = readPart(zip, noteNames[k], m_path, &m_chunks);
            if (!commentsName.empty())
                m_comments = readPart(zip, commentsName, m_path, &m_chunks);
            for (auto& [name, bytes] : m_headers)
                bytes = readPart(zip, name, m_path, &m_chunks);
        } catch (...) {
            m_work.open(true);
            throw;
        }
        m_work.open();
        m_work.work(styles);
    }
    // On the walking thread, once the main story is walked.
    void walk(const Styles& styles) { m_work.work(styles); }

    std::string noteNames[2], commentsName;   // "" when absent
    NotesPart notes[2];
    std::map<long, CommentPart> comments;
    std::map<std::string, Walked> headers;    // every header and footer part, by name

private:
    const QString& m_path;
    bool m_sources;
    ChunkImporter& m_chunks;
    std::optional<ReadPart> m_notes[2], m_comments;
    std::map<std::string, ReadPart> m_headers;
    SharedWork<const Styles&> m_work;
};

// The parts of the pictures the stories show, read out of the package.
void readMedia(Document& doc, ZipReader& zip)
{
    const auto read = [&](const QString& media) {
        if (media.isEmpty() || doc.media.count(media))
            return;
        const std::string name = media.toStdString();
        if (!zip.contains(name))
            return;
        const std::string bytes = zip.read(name);
        doc.media.emplace(media, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    };
    for (const Story& s : doc.stories)
        for (const PictureLook& p : s.look.pictures) {
            read(p.media);
            for (const GroupMember& m : p.members)
                read(m.media);
        }
}

// Reads the package zip holds; nesting as for ChunkImporter.
Document loadPackage(ZipReader& zip, const QString& path, const LoadOptions& options, int nesting)
{
    const Relationships pkgRels = Relationships::read(zip, "", path);
    const std::string mainName = partOfType(pkgRels, zip, "officeDocument");
    if (mainName.empty())
        throw loadError(LoadFailure::NoMainPart, path);
    const Relationships docRels = Relationships::read(zip, mainName, path);

    Document doc;
    doc.path = path;
    doc.textSources = options.textSources;
    doc.looks = options.looks;
    Styles styles;
    styles.setLooks(options.looks);
    if (const std::string name = options.looks ? partOfType(docRels, zip, "numbering") : std::string(); !name.empty())
        walkPart(readPart(zip, name, path), path, [&](XmlReader& x, const Relationships&, const Chunks*) {
            auto numbering = std::make_shared<Numbering>();
            numbering->read(x);
            doc.numbering = numbering;
            styles.setNumbering(std::move(numbering));
        });
    if (const std::string name = partOfType(docRels, zip, "theme"); !name.empty())
        walkPart(readPart(zip, name, path), path, [&](XmlReader& x, const Relationships&, const Chunks*) {
            Theme theme;
            theme.read(x, options.looks);
            styles.setTheme(std::move(theme));
        });
    if (const std::string name = partOfType(docRels, zip, "styles"); !name.empty())
        walkPart(readPart(zip, name, path), path, [&](XmlReader& x, const Relationships&, const Chunks*) { styles.read(x); });
    NotePr documentNotePr[2];
    int32_t defaultTab = Look{}.defaultTab;
    if (const std::string name = partOfType(docRels, zip, "settings"); !name.empty())
        walkPart(readPart(zip, name, path), path, [&](XmlReader& x, const Relationships&, const Chunks*) {
            while (x.child(1))
                if (x.tok() == Tok::EvenAndOddHeaders)
                    doc.evenAndOddHeaders = onOff(x.attr(Ns::W, "val"));
                else if (x.tok() == Tok::DefaultTabStop && options.looks)
                    defaultTab = std::max(numberOf(x.attr(Ns::W, "val")).value_or(defaultTab), 1);
                else if (x.tok() == Tok::FootnotePr || x.tok() == Tok::EndnotePr)
                    documentNotePr[x.tok() == Tok::EndnotePr] = readNotePr(x);
        });

    ChunkImporter chunks(zip, path, nesting);
    const Chunks mainChunks = chunks.read(docRels);
    OtherParts others(docRels, zip, path, options.textSources, chunks);
    Walked main;
    const auto walkMain = [&](XmlReader& x) {
        if (!x.child(0) || x.tok() != Tok::Document)
            throw loadError(LoadFailure::NoMainPart, path);
        const TextWalker::Context context{x, styles, docRels, path, options.textSources, &mainChunks};
        TextWalker walker(context, main);
        while (x.child(1))
            if (x.tok() == Tok::Body)
                walker.walkBlocks();
        x.finish();
    };
    if (options.oneThread) {
        {
            ZipEntry entry(zip, mainName);
            XmlReader x(entry, mainName, path);
            walkMain(x);
        }
        others.readAndWalk(zip, styles);
    } else {
        // The main document's thread has the zip to itself; once it has read the main part it
        // reads the other parts, and both threads walk those when free.
        PartStream stream(zip, mainName, path, [&, otherStyles = styles] { others.readAndWalk(zip, otherStyles); });
        XmlReader x(stream);
        walkMain(x);
        others.walk(styles);
        stream.join();
    }
    finishStory(main.story, wdMainTextStory, mainName);
    if (main.sections.empty() || main.sections.back().endPos < main.story.length() - 1)
        main.sections.push_back(SectionInfo{{}, false, main.story.length() - 1, {}});

    NotesStory notes[2] = {buildNotesStory(wdFootnotesStory, others.notes[0], main.noteRefs),
                           buildNotesStory(wdEndnotesStory, others.notes[1], main.noteRefs)};

    const HeaderFooterPlan plan = planHeadersFooters(main.sections, [&](const std::string& id) {
        const Relationships::Rel* r = docRels.byId(id);
        return r && !r->external && zip.contains(r->target) ? r->target : std::string();
    });
    std::vector<Walked> headers(plan.chain.size());
    for (std::size_t i = 0; i < plan.chain.size(); ++i) {
        const std::string& part = plan.chain[i].part;
        if (const auto it = others.headers.find(part); it != others.headers.end())
            headers[i] = it->second;   // a part two sections refer to makes two stories
        else   // referred to by a relationship of another type
            walkPart(readPart(zip, part, path, &chunks), path, [&](XmlReader& x, const Relationships& rels, const Chunks* c) {
                TextWalker(TextWalker::Context{x, styles, rels, path, options.textSources, c}, headers[i]).walkBlocks();
            });
    }

    // Indexes in Word's order: main, footnotes, endnotes, comments, text boxes, headers/footers, separators.
    bool hasComments = hasCommentMark(main, others.comments);
    for (const NotesStory& n : notes)
        hasComments = hasComments || hasCommentMark(n.walked, others.comments);
    for (const Walked& h : headers)
        hasComments = hasComments || hasCommentMark(h, others.comments);
    int next = 1;
    const int noteIndex[2] = {notes[0].notes.empty() ? -1 : next++, notes[1].notes.empty() ? -1 : next++};
    const int commentsIndex = hasComments ? next++ : -1;
    const int firstBox = next;
    std::size_t boxCount = countBoxes(main) + countBoxes(notes[0].walked) + countBoxes(notes[1].walked);
    for (const Walked& h : headers)
        boxCount += countBoxes(h);
    const int firstHeader = firstBox + static_cast<int>(boxCount);

    std::vector<BoxEntry> boxes;
    boxes.reserve(boxCount);
    flattenBoxes(main, 0, firstBox, boxes);
    for (int k = 0; k < 2; ++k)
        flattenBoxes(notes[k].walked, noteIndex[k], firstBox, boxes);
    for (std::size_t i = 0; i < headers.size(); ++i)
        flattenBoxes(headers[i], firstHeader + static_cast<int>(i), firstBox, boxes);

    std::vector<CommentAnchor> anchors;
    collectCommentAnchors(main, 0, anchors);
    for (int k = 0; k < 2; ++k)
        if (noteIndex[k] >= 0)
            collectCommentAnchors(notes[k].walked, noteIndex[k], anchors);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        collectCommentAnchors(boxes[i].walked, firstBox + static_cast<int>(i), anchors);
    for (std::size_t i = 0; i < headers.size(); ++i)
        collectCommentAnchors(headers[i], firstHeader + static_cast<int>(i), anchors);
    CommentsStory comments = buildCommentsStory(others.comments, anchors);

    // Assemble.
    doc.stories.reserve(static_cast<std::size_t>(firstHeader) + headers.size() + 6);
    doc.stories.push_back(std::move(main.story));
    for (int k = 0; k < 2; ++k) {
        if (noteIndex[k] < 0)
            continue;
        finishStory(notes[k].walked.story, k == 0 ? wdFootnotesStory : wdEndnotesStory, others.noteNames[k]);
        doc.stories.push_back(std::move(notes[k].walked.story));
        for (Note n : notes[k].notes) {
            n.refStory = 0;
            doc.notes.push_back(n);
        }
    }
    if (commentsIndex >= 0) {
        finishStory(comments.walked.story, wdCommentsStory, others.commentsName);
        doc.stories.push_back(std::move(comments.walked.story));
        doc.comments = std::move(comments.comments);
    }
    for (BoxEntry& b : boxes) {
        const int owner = b.anchorStory;
        const QString part = owner < static_cast<int>(doc.stories.size()) ? doc.stories[owner].part
                             : QString::fromStdString("/" + plan.chain[owner - firstHeader].part);
        doc.textBoxes.push_back({static_cast<int>(doc.stories.size()), owner, b.anchorPos});
        b.walked.story.type = wdTextFrameStory;
        b.walked.story.part = part;
        doc.stories.push_back(std::move(b.walked.story));
    }
    for (std::size_t i = 0; i < headers.size(); ++i) {
        finishStory(headers[i].story, plan.chain[i].type, plan.chain[i].part, plan.chain[i].section);
        doc.stories.push_back(std::move(headers[i].story));
    }
    for (int k = 0; k < 2; ++k) {
        if (noteIndex[k] < 0)
            continue;
        for (int s = 0; s < 3; ++s)
            if (others.notes[k].special[s]) {
                Story& story = others.notes[k].special[s]->story;
                finishStory(story, (k == 0 ? wdFootnoteSeparatorStory : wdEndnoteSeparatorStory) + s, others.noteNames[k]);
                doc.stories.push_back(std::move(story));
            }
    }

    for (std::size_t s = 0; s < main.sections.size(); ++s) {
        Section sec;
        sec.titlePage = main.sections[s].titlePage;
        sec.endPos = main.sections[s].endPos;
        sec.page = main.sections[s].page;
        for (int k = 0; k < 2; ++k) {
            NoteNumbering& n = k == 0 ? sec.footnotes : sec.endnotes;
            documentNotePr[k].applyTo(n);
            main.sections[s].notePr[k].applyTo(n);
        }
        for (int kind = 0; kind < 3; ++kind) {
            const int h = plan.bySection[s][SectionInfo::HeaderDefault + kind];
            const int f = plan.bySection[s][SectionInfo::FooterDefault + kind];
            sec.headers[kind] = h < 0 ? -1 : firstHeader + h;
            sec.footers[kind] = f < 0 ? -1 : firstHeader + f;
        }
        doc.sections.push_back(sec);
    }
    if (options.looks) {
        readMedia(doc, zip);
        for (Story& s : doc.stories)
            s.look.defaultTab = defaultTab;
    }
    doc.notices = std::move(chunks.notices);
    return doc;
}

} // namespace

Document load(const QString& path, const LoadOptions& options)
{
    ZipReader zip(path);
    return loadPackage(zip, path, options, 0);
}

Document loadImported(std::string bytes, ZipReader& parent, const QString& path, int nesting)
{
    ZipReader zip(std::move(bytes), path, parent);
    return loadPackage(zip, path, {}, nesting);
}

} // namespace docx
