#include "platform/docx/PackageWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <libdeflate.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace docx {

namespace {

const QString kSource = QStringLiteral("Tarvelin");

core::Error saveError(const QString& text, const QString& path)
{
    return core::Error(kErrCannotSave, kSource, text.arg(QDir::toNativeSeparators(path)));
}

uint16_t u16(const QByteArray& b, qsizetype at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t u32(const QByteArray& b, qsizetype at)
{
    return u16(b, at) | static_cast<uint32_t>(u16(b, at + 2)) << 16;
}
void put16(QByteArray& b, qsizetype at, uint16_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
void put32(QByteArray& b, qsizetype at, uint32_t v)
{
    put16(b, at, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// One entry as the central directory lists it.
struct Entry {
    qsizetype central = 0;     // offset of its central header
    qsizetype centralLen = 0;
    uint32_t local = 0;        // offset of its local header
    QByteArray name;
};

// The central directory of a zip file, read by hand: the writer copies entries by their byte
// ranges, which no zip library exposes together with the headers as they stand.
struct Directory {
    std::vector<Entry> entries;   // in central directory order
    qsizetype cdStart = 0, eocd = 0;
};

Directory readDirectory(const QByteArray& zip, const QString& path)
{
    const auto broken = [&] { return saveError(QStringLiteral("元の文書 %1 の形式を読み取れないため保存できません。"), path); };
    Directory d;
    const qsizetype lowest = std::max<qsizetype>(0, zip.size() - 22 - 0xFFFF);
    d.eocd = -1;
    for (qsizetype i = zip.size() - 22; i >= lowest; --i)
        if (u32(zip, i) == 0x06054b50) {
            d.eocd = i;
            break;
        }
    if (d.eocd < 0)
        throw broken();
    const uint16_t count = u16(zip, d.eocd + 10);
    const uint32_t cdSize = u32(zip, d.eocd + 12), cdStart = u32(zip, d.eocd + 16);
    // Zip64 and multi-disk archives are not what a word processor writes.
    if (count == 0xFFFF || cdStart == 0xFFFFFFFF || u16(zip, d.eocd + 4) != 0 || qsizetype(cdStart) + cdSize > d.eocd)
        throw broken();
    d.cdStart = cdStart;
    qsizetype at = cdStart;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + 46 > d.eocd || u32(zip, at) != 0x02014b50)
            throw broken();
        Entry e;
        e.central = at;
        const uint16_t n = u16(zip, at + 28), m = u16(zip, at + 30), k = u16(zip, at + 32);
        e.centralLen = 46 + n + m + k;
        e.local = u32(zip, at + 42);
        e.name = zip.mid(at + 46, n);
        if (e.local == 0xFFFFFFFF || u32(zip, at + 20) == 0xFFFFFFFF || qsizetype(e.local) + 30 > cdStart
            || u32(zip, e.local) != 0x04034b50)
            throw broken();
        d.entries.push_back(e);
        at += e.centralLen;
    }
    return d;
}

void appendEscaped(QByteArray& out, const QString& text)
{
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
}

bool needsPreserve(const QString& text)
{
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace() || text.contains(u"  "));
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The qualified name of the tag whose '<' is at lt.
QByteArray tagName(const QByteArray& bytes, qsizetype lt)
{
    qsizetype end = lt + 1;
    while (end < bytes.size() && !QByteArrayView(" \t\r\n/>").contains(bytes[end]))
        ++end;
    return bytes.mid(lt + 1, end - lt - 1);
}

// Where the element whose start tag's '<' is at lt ends (just after it), -1 if it does not.
qsizetype elementEnd(const QByteArray& bytes, qsizetype lt)
{
    int depth = 0;
    for (qsizetype at = lt; at < bytes.size();) {
        const qsizetype open = bytes.indexOf('<', at), gt = open < 0 ? -1 : bytes.indexOf('>', open);
        if (open < 0 || gt < 0)
            return -1;
        depth += bytes[open + 1] == '/' ? -1 : bytes[gt - 1] == '/' ? 0 : 1;
        if (depth == 0)
            return gt + 1;
        at = gt + 1;
    }
    return -1;
}

// Just after the start tag at lt and, if one follows, the w:pPr element: where a paragraph's
// content starts.
qsizetype paragraphContent(const QByteArray& bytes, qsizetype lt, const QByteArray& prefix)
{
    const qsizetype gt = bytes.indexOf('>', lt);
    qsizetype at = gt + 1;
    while (at < bytes.size() && isSpace(bytes[at]))
        ++at;
    return at < bytes.size() && tagName(bytes, at) == prefix + "pPr" ? elementEnd(bytes, at) : gt + 1;
}

// The '<' of the end tag named name that only white space separates from lt, -1 if none.
qsizetype endTagBefore(const QByteArray& bytes, qsizetype lt, const QByteArray& name)
{
    qsizetype before = lt;
    while (before > 0 && isSpace(bytes[before - 1]))
        --before;
    const QByteArray endTag = "</" + name + ">";
    return before >= endTag.size() && bytes.mid(before - endTag.size(), endTag.size()) == endTag ? before - endTag.size() : -1;
}

// Where the schema puts each run property that formatting writes, among its siblings.
constexpr const char* kRunPropOrder[] = {
    "rStyle", "rFonts", "b", "bCs", "i", "iCs", "caps", "smallCaps", "strike", "dstrike", "outline", "shadow",
    "emboss", "imprint", "noProof", "snapToGrid", "vanish", "webHidden", "color", "spacing", "w", "kern",
    "position", "sz", "szCs", "highlight", "u", "effect", "bdr", "shd", "fitText", "vertAlign", "rtl", "cs", "em",
    "lang", "eastAsianLayout", "specVanish", "oMath", "rPrChange"};

int runPropRank(QByteArrayView local)
{
    for (int i = 0; i < static_cast<int>(std::size(kRunPropOrder)); ++i)
        if (local == QByteArrayView(kRunPropOrder[i]))
            return i;
    return static_cast<int>(std::size(kRunPropOrder));
}

// The run properties of the original run (at rPrAt, or none) with the properties in which want
// differs from loaded set directly, each where the schema orders it; nothing when there are none.
// A paragraph mark's properties serve too: what marks the mark itself as a tracked change is left out.
QByteArray runProps(const QByteArray& bytes, uint32_t rPrAt, const QByteArray& prefix, const CharFormat& want,
                    const CharFormat& loaded)
{
    struct Child {
        QByteArray local, xml;
    };
    std::vector<Child> children;
    if (rPrAt != kNoRunProps) {
        qsizetype at = bytes.indexOf('>', rPrAt) + 1;
        if (bytes[at - 2] != '/') {
            while (at < bytes.size()) {
                while (at < bytes.size() && isSpace(bytes[at]))
                    ++at;
                if (at + 1 >= bytes.size() || bytes[at] != '<' || bytes[at + 1] == '/')
                    break;   // the w:rPr's own end
                const qsizetype end = elementEnd(bytes, at);
                if (end < 0)
                    break;
                const QByteArray name = tagName(bytes, at);
                const QByteArray local = name.mid(name.indexOf(':') + 1);
                if (local != "ins" && local != "del" && local != "moveFrom" && local != "moveTo")
                    children.push_back({local, bytes.mid(at, end - at)});
                at = end;
            }
        }
    }
    const auto set = [&](const char* local, const QByteArray& attrs) {
        children.erase(std::remove_if(children.begin(), children.end(), [&](const Child& c) { return c.local == local; }),
                       children.end());
        const int rank = runPropRank(local);
        auto it = std::find_if(children.begin(), children.end(), [&](const Child& c) { return runPropRank(c.local) > rank; });
        children.insert(it, {local, "<" + prefix + local + attrs + "/>"});
    };
    const QByteArray off = " " + prefix + "val=\"0\"";
    if (want.strike != loaded.strike)
        set("strike", want.strike ? QByteArray() : off);
    if (want.doubleStrike != loaded.doubleStrike)
        set("dstrike", want.doubleStrike ? QByteArray() : off);
    if (want.color != loaded.color) {
        const uint32_t c = static_cast<uint32_t>(want.color);
        const QByteArray rgb = want.color == kColorAutomatic
            ? QByteArray("auto")
            : QByteArray::number((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF), 16).rightJustified(6, '0').toUpper();
        set("color", " " + prefix + "val=\"" + rgb + "\"");
    }
    if (want.highlight != loaded.highlight)
        set("highlight", " " + prefix + "val=\"" + (want.highlight ? "yellow" : "none") + "\"");
    if (children.empty())
        return {};
    QByteArray out = "<" + prefix + "rPr>";
    for (const Child& c : children)
        out += c.xml;
    return out + "</" + prefix + "rPr>";
}

// One source group's new text: one piece, or several where part of it changed formatting.
struct Piece {
    QString text;
    CharFormat format;
};
struct Group {
    SourceKind kind = SourceKind::Text;
    uint32_t tagAt = 0, rPrAt = kNoRunProps, pPrAt = kNoRunProps;
    CharFormat loaded;
    std::vector<Piece> pieces;
};

// What the writer does to a part: [from, to) becomes bytes.
struct Splice {
    qsizetype from = 0, to = 0;
    QByteArray bytes;
};

// Writes text into an open w:t element of a run with properties rPr: tabs and line breaks become
// elements of their own between two w:t elements of the run, a paragraph mark ends the run and
// the paragraph and opens a paragraph with a copy of pPr and a run with rPr.
void appendContent(QByteArray& out, const QString& text, const QByteArray& prefix, const QByteArray& pPr,
                   const QByteArray& rPr)
{
    const QByteArray openText = "<" + prefix + "t xml:space=\"preserve\">";
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const QChar c = i < text.size() ? text[i] : QChar();
        if (i < text.size() && c != QChar(cp::Tab) && c != QChar(cp::LineBreak) && c != QChar(cp::ParagraphMark))
            continue;
        appendEscaped(out, text.mid(from, i - from));
        if (c == QChar(cp::ParagraphMark))
            out += "</" + prefix + "t></" + prefix + "r></" + prefix + "p><" + prefix + "p>" + pPr + "<" + prefix + "r>"
                   + rPr + openText;
        else if (i < text.size())
            out += "</" + prefix + "t><" + prefix + (c == QChar(cp::Tab) ? "tab/>" : "br/>") + openText;
        from = i + 1;
    }
}

core::Error mismatch(const QString& path)
{
    return saveError(QStringLiteral("文書 %1 は開いた後にファイルが変更されたか、この位置の変更を保存できない形式のため、保存できません。"), path);
}

// The splice that writes one changed group of sources into bytes, a part's content.
Splice splice(const QByteArray& bytes, const Group& g, const QString& path)
{
    const qsizetype lt = g.tagAt;
    const qsizetype gt = lt < bytes.size() && bytes[lt] == '<' ? bytes.indexOf('>', lt) : -1;
    if (gt < 0)
        throw mismatch(path);
    const QByteArray name = tagName(bytes, lt);
    const QByteArray local = name.mid(name.indexOf(':') + 1), prefix = name.left(name.size() - local.size());
    const qsizetype pPrEnd = g.pPrAt == kNoRunProps ? -1 : elementEnd(bytes, g.pPrAt);
    const QByteArray pPr = pPrEnd < 0 ? QByteArray() : bytes.mid(g.pPrAt, pPrEnd - g.pPrAt);
    QString text;
    for (const Piece& p : g.pieces)
        text += p.text;

    switch (g.kind) {
    case SourceKind::Element: {
        // Only ever emptied: the element goes.
        const qsizetype end = elementEnd(bytes, lt);
        if (!text.isEmpty() || end < 0)
            throw mismatch(path);
        return {lt, end, {}};
    }
    case SourceKind::Join: {
        // From the end tag of the paragraph before to where this one's content starts.
        const qsizetype before = endTagBefore(bytes, lt, name);
        if (!text.isEmpty() || local != "p" || before < 0 || bytes[gt - 1] == '/')
            throw mismatch(path);
        return {before, paragraphContent(bytes, lt, prefix), {}};
    }
    case SourceKind::NewRun: {
        if (local != "p" || g.pieces.size() != 1 || bytes[gt - 1] == '/')
            throw mismatch(path);
        const QByteArray rPr = runProps(bytes, g.rPrAt, prefix, g.pieces[0].format, g.loaded);
        QByteArray run = "<" + prefix + "r>" + rPr + "<" + prefix + "t xml:space=\"preserve\">";
        appendContent(run, text, prefix, pPr, rPr);
        run += "</" + prefix + "t></" + prefix + "r>";
        const qsizetype content = paragraphContent(bytes, lt, prefix);
        return {content, content, run};
    }
    case SourceKind::Text: break;
    }

    const qsizetype end = bytes.indexOf('<', gt);
    if (bytes[gt - 1] == '/' || end < 0 || end + 1 >= bytes.size() || bytes[end + 1] != '/' || local != "t")
        throw mismatch(path);
    QByteArray tag = bytes.mid(lt, gt - lt + 1);
    const QString& first = g.pieces.front().text;
    const bool firstAsRead = g.pieces.front().format == g.loaded;
    if ((g.pieces.size() > 1 || !firstAsRead || needsPreserve(first) || text.contains(QChar(cp::ParagraphMark)))
        && !tag.contains("xml:space"))
        tag.insert(tag.size() - 1, " xml:space=\"preserve\"");
    // Text that looks as it was read stays in the element; the rest goes into runs of its own.
    const QByteArray reopen = "</" + prefix + "t></" + prefix + "r><" + prefix + "r>";
    const QByteArray openText = "<" + prefix + "t xml:space=\"preserve\">";
    const auto props = [&](const CharFormat& f) { return runProps(bytes, g.rPrAt, prefix, f, g.loaded); };
    QByteArray out = tag;
    std::size_t k = 0;
    if (firstAsRead)
        appendContent(out, g.pieces[k++].text, prefix, pPr, props(g.loaded));
    for (; k < g.pieces.size(); ++k) {
        const QByteArray rPr = props(g.pieces[k].format);
        out += reopen + rPr + openText;
        appendContent(out, g.pieces[k].text, prefix, pPr, rPr);
    }
    if (g.pieces.back().format != g.loaded)
        out += reopen + props(g.loaded) + openText;
    return {lt, end, out};
}

// The part's bytes with the changed sources rewritten: the content of changed w:t elements (and
// where formatting changed, runs of their own after the element's, each with the run's
// properties so changed; the rest of the original run keeps its own properties), removed
// elements and joined paragraphs gone, new runs in empty paragraphs; everything else as it was.
QByteArray rewritePart(const QByteArray& original, std::vector<Group> groups, const QString& path)
{
    // A paragraph written as an empty element that is typed into or joined is first given an end
    // tag, so that what goes into it and what joins it are splices of its content.
    std::vector<qsizetype> closings;   // the "/>" of each
    for (const Group& g : groups) {
        if (g.kind != SourceKind::NewRun && g.kind != SourceKind::Join)
            continue;
        const qsizetype gt = original.indexOf('>', g.tagAt);
        if (gt > 0 && original[gt - 1] == '/')
            closings.push_back(gt - 1);
        qsizetype before = g.tagAt;
        while (g.kind == SourceKind::Join && before > 2 && isSpace(original[before - 1]))
            --before;
        if (g.kind == SourceKind::Join && before > 2 && original[before - 1] == '>' && original[before - 2] == '/'
            && tagName(original, original.lastIndexOf('<', before - 1)) == tagName(original, g.tagAt))
            closings.push_back(before - 2);
    }
    std::sort(closings.begin(), closings.end());
    closings.erase(std::unique(closings.begin(), closings.end()), closings.end());
    QByteArray bytes;
    std::vector<std::pair<qsizetype, qsizetype>> grown;   // (closing, bytes added up to it)
    qsizetype copied = 0;
    for (const qsizetype at : closings) {
        bytes.append(original.constData() + copied, at - copied);
        bytes += "></" + tagName(original, original.lastIndexOf('<', at)) + ">";
        copied = at + 2;
        grown.push_back({at, bytes.size() - copied});
    }
    bytes.append(original.constData() + copied, original.size() - copied);
    const auto moved = [&](uint32_t offset) {
        if (offset == kNoRunProps)
            return offset;
        const auto it = std::upper_bound(grown.begin(), grown.end(), offset,
                                         [](uint32_t o, const std::pair<qsizetype, qsizetype>& c) { return o < c.first; });
        return it == grown.begin() ? offset : static_cast<uint32_t>(offset + (it - 1)->second);
    };

    std::vector<Splice> splices;
    splices.reserve(groups.size());
    for (Group& g : groups) {
        g.tagAt = moved(g.tagAt);
        g.rPrAt = moved(g.rPrAt);
        g.pPrAt = moved(g.pPrAt);
        splices.push_back(splice(bytes, g, path));
    }
    std::stable_sort(splices.begin(), splices.end(),
                     [](const Splice& a, const Splice& b) { return a.from != b.from ? a.from < b.from : a.to < b.to; });
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8);
    copied = 0;
    for (std::size_t i = 0; i < splices.size(); ++i) {
        const Splice& s = splices[i];
        // Two stories read from one part (a header two sections use) edited alike write it once.
        const bool again = i > 0 && splices[i - 1].from == s.from && splices[i - 1].to == s.to;
        if (again && splices[i - 1].bytes == s.bytes)
            continue;
        if (again || s.from < copied)
            throw mismatch(path);
        out.append(bytes.constData() + copied, s.from - copied);
        out += s.bytes;
        copied = s.to;
    }
    out.append(bytes.constData() + copied, bytes.size() - copied);
    return out;
}

QByteArray inflated(const QByteArray& zip, uint32_t local, uint16_t method, uint32_t csize, uint32_t usize,
                    const QString& path)
{
    const qsizetype data = local + 30 + u16(zip, local + 26) + u16(zip, local + 28);
    if (data + qsizetype(csize) > zip.size())
        throw saveError(QStringLiteral("元の文書 %1 の形式を読み取れないため保存できません。"), path);
    if (method == 0)
        return zip.mid(data, csize);
    QByteArray out(usize, Qt::Uninitialized);
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> d(libdeflate_alloc_decompressor(),
                                                                                  libdeflate_free_decompressor);
    if (method != 8
        || libdeflate_deflate_decompress(d.get(), zip.constData() + data, csize, out.data(), usize, nullptr)
               != LIBDEFLATE_SUCCESS)
        throw saveError(QStringLiteral("元の文書 %1 の形式を読み取れないため保存できません。"), path);
    return out;
}

QByteArray deflated(const QByteArray& bytes)
{
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(libdeflate_alloc_compressor(6),
                                                                              libdeflate_free_compressor);
    QByteArray out(static_cast<qsizetype>(libdeflate_deflate_compress_bound(c.get(), bytes.size())), Qt::Uninitialized);
    out.resize(static_cast<qsizetype>(
        libdeflate_deflate_compress(c.get(), bytes.constData(), bytes.size(), out.data(), out.size())));
    return out;
}

// The changed sources of every story, grouped by the place in the part they stand for, by the zip entry of their part (names matched without
// regard to case, as the reader matches them).
std::map<QByteArray, std::vector<Group>> changesByPart(const Document& doc)
{
    std::map<QByteArray, std::vector<Group>> out;
    for (const Story& s : doc.stories) {
        const auto& src = s.sources;
        for (std::size_t i = 0; i < src.size();) {
            std::size_t j = i;
            bool changed = false;
            int32_t len = 0;
            for (; j < src.size() && src[j].tagAt == src[i].tagAt && src[j].kind == src[i].kind; ++j) {
                changed = changed || src[j].changed;
                len += src[j].len;
            }
            // An element or a paragraph mark is written only when it went, a new run only with text.
            if (src[i].kind == SourceKind::Element || src[i].kind == SourceKind::Join)
                changed = len == 0;
            else if (src[i].kind == SourceKind::NewRun)
                changed = len > 0;
            if (changed) {
                Group g{src[i].kind, src[i].tagAt, src[i].rPrAt, src[i].pPrAt, src[i].loaded, {}};
                for (std::size_t k = i; k < j; ++k)
                    g.pieces.push_back({s.text.mid(src[k].pos, src[k].len), src[k].format});
                out[s.part.mid(1).toUtf8().toLower()].push_back(std::move(g));
            }
            i = j;
        }
    }
    return out;
}

} // namespace

QByteArray writePackage(const Document& doc)
{
    QFile file(doc.path);
    if (!file.open(QIODevice::ReadOnly))
        throw saveError(QStringLiteral("元の文書 %1 が見つからないか読み取れないため、保存できません。"), doc.path);
    const QByteArray zip = file.readAll();
    const Directory dir = readDirectory(zip, doc.path);
    auto changes = changesByPart(doc);

    std::vector<std::size_t> byOffset(dir.entries.size());
    for (std::size_t i = 0; i < byOffset.size(); ++i)
        byOffset[i] = i;
    std::sort(byOffset.begin(), byOffset.end(), [&](std::size_t a, std::size_t b) { return dir.entries[a].local < dir.entries[b].local; });

    QByteArray out;
    out.reserve(zip.size() + zip.size() / 4);
    // Anything before the first entry is kept as it is.
    out.append(zip.constData(), byOffset.empty() ? dir.cdStart : dir.entries[byOffset.front()].local);
    std::vector<uint32_t> newLocal(dir.entries.size());
    std::vector<QByteArray> newCentral(dir.entries.size());
    for (std::size_t k = 0; k < byOffset.size(); ++k) {
        const std::size_t i = byOffset[k];
        const Entry& e = dir.entries[i];
        const qsizetype end = k + 1 < byOffset.size() ? dir.entries[byOffset[k + 1]].local : dir.cdStart;
        newLocal[i] = static_cast<uint32_t>(out.size());
        QByteArray central = zip.mid(e.central, e.centralLen);
        auto it = changes.find(e.name.toLower());
        if (it == changes.end()) {
            out.append(zip.constData() + e.local, end - e.local);
        } else {
            const QByteArray part = rewritePart(
                inflated(zip, e.local, u16(central, 10), u32(central, 20), u32(central, 24), doc.path), it->second, doc.path);
            changes.erase(it);
            const QByteArray data = deflated(part);
            const uint32_t crc = libdeflate_crc32(0, part.constData(), part.size());
            QByteArray local = zip.mid(e.local, 30 + u16(zip, e.local + 26) + u16(zip, e.local + 28));
            const uint16_t flags = u16(local, 6) & ~0x0008;   // sizes are in the header: no data descriptor
            put16(local, 6, flags);
            put16(local, 8, 8);
            put32(local, 14, crc);
            put32(local, 18, static_cast<uint32_t>(data.size()));
            put32(local, 22, static_cast<uint32_t>(part.size()));
            out += local;
            out += data;
            put16(central, 8, flags);
            put16(central, 10, 8);
            put32(central, 16, crc);
            put32(central, 20, static_cast<uint32_t>(data.size()));
            put32(central, 24, static_cast<uint32_t>(part.size()));
        }
        put32(central, 42, newLocal[i]);
        newCentral[i] = central;
    }
    if (!changes.empty())
        throw saveError(QStringLiteral("文書 %1 の変更された部品がファイルにないため、保存できません。"), doc.path);
    const uint32_t cdStart = static_cast<uint32_t>(out.size());
    for (const QByteArray& c : newCentral)
        out += c;
    QByteArray eocd = zip.mid(dir.eocd);
    put32(eocd, 12, static_cast<uint32_t>(out.size()) - cdStart);
    put32(eocd, 16, cdStart);
    out += eocd;
    return out;
}

void savePackage(const Document& doc, const QString& target)
{
    const QByteArray bytes = writePackage(doc);
    const QFileInfo info(target);
    if (!info.absoluteDir().exists())
        throw saveError(QStringLiteral("保存先のフォルダーが見つからないため、%1 を保存できません。"), target);
    // A read-only file of one's own stays read-only for root too, as the owner's bit says.
    if (info.exists()
        && (!info.isWritable() || (info.ownerId() == ::getuid() && !(info.permissions() & QFileDevice::WriteOwner))))
        throw saveError(QStringLiteral("%1 は読み取り専用のため保存できません。別の名前で保存してください。"), target);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        throw saveError(QStringLiteral("%1 を保存できません。保存先に書き込む権限がありません。"), target);
    errno = 0;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const int why = errno;
    if (!written || !file.commit()) {
        const int cause = why ? why : errno;
        file.cancelWriting();
        if (cause == ENOSPC || cause == EFBIG || cause == EDQUOT)
            throw saveError(QStringLiteral("ディスクの空き容量が足りないため、%1 を保存できませんでした。元のファイルは変更されていません。"), target);
        throw saveError(QStringLiteral("%1 を保存できませんでした (%2)。元のファイルは変更されていません。").arg(u"%1", file.errorString()), target);
    }
}

} // namespace docx
