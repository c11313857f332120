#include "platform/docx/HtmlChunk.h"

#include "platform/docx/LoadError.h"
#include "platform/docx/PartName.h"
#include "platform/docx/StoryWriter.h"
#include "platform/docx/TextWalker.h"

#include <QByteArrayView>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <charconv>
#include <memory>
#include <mutex>
#include <optional>

namespace docx {

namespace {

constexpr int kMaxDepth = 256;

enum class Kind { Inline, Skip, Block, Pre, Table, Break, Picture, Link, Strike };

struct ElementKind { std::string_view name; Kind kind; };
// The parser gives element names in lower case.
constexpr ElementKind kKinds[] = {
    {"head", Kind::Skip}, {"script", Kind::Skip}, {"style", Kind::Skip}, {"title", Kind::Skip},
    {"template", Kind::Skip}, {"select", Kind::Skip},
    {"p", Kind::Block}, {"div", Kind::Block}, {"h1", Kind::Block}, {"h2", Kind::Block}, {"h3", Kind::Block},
    {"h4", Kind::Block}, {"h5", Kind::Block}, {"h6", Kind::Block}, {"li", Kind::Block}, {"ul", Kind::Block},
    {"ol", Kind::Block}, {"dl", Kind::Block}, {"dt", Kind::Block}, {"dd", Kind::Block},
    {"blockquote", Kind::Block}, {"address", Kind::Block}, {"center", Kind::Block}, {"section", Kind::Block},
    {"article", Kind::Block}, {"header", Kind::Block}, {"footer", Kind::Block}, {"nav", Kind::Block},
    {"aside", Kind::Block}, {"main", Kind::Block}, {"figure", Kind::Block}, {"figcaption", Kind::Block},
    {"form", Kind::Block}, {"fieldset", Kind::Block}, {"legend", Kind::Block}, {"hr", Kind::Block},
    {"caption", Kind::Block}, {"body", Kind::Block}, {"pre", Kind::Pre}, {"listing", Kind::Pre},
    {"xmp", Kind::Pre}, {"table", Kind::Table}, {"br", Kind::Break}, {"img", Kind::Picture},
    {"a", Kind::Link}, {"s", Kind::Strike}, {"strike", Kind::Strike}, {"del", Kind::Strike},
};

Kind kindOf(std::string_view name)
{
    for (const ElementKind& k : kKinds)
        if (k.name == name)
            return k.kind;
    return Kind::Inline;
}

// HTML's white space.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

int32_t colorValue(unsigned r, unsigned g, unsigned b) { return static_cast<int32_t>(r | (g << 8) | (b << 16)); }

// An HTML or CSS colour as Word's colour value; nullopt for what is not one.
std::optional<int32_t> parseColor(std::string_view text)
{
    const std::string v = asciiLower(trimmed(text));
    if (v.starts_with('#') && (v.size() == 4 || v.size() == 7)) {
        unsigned rgb = 0;
        const auto [end, ec] = std::from_chars(v.data() + 1, v.data() + v.size(), rgb, 16);
        if (ec != std::errc() || end != v.data() + v.size())
            return std::nullopt;
        if (v.size() == 4)   // #rgb: each digit doubled
            return colorValue(((rgb >> 8) & 0xF) * 17, ((rgb >> 4) & 0xF) * 17, (rgb & 0xF) * 17);
        return colorValue(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    if (v.starts_with("rgb(") && v.ends_with(')')) {
        unsigned c[3] = {};
        const char* p = v.data() + 4;
        const char* end = v.data() + v.size() - 1;
        for (unsigned& part : c) {
            while (p < end && (*p == ' ' || *p == ','))
                ++p;
            const auto [next, ec] = std::from_chars(p, end, part);
            if (ec != std::errc() || part > 255)
                return std::nullopt;
            p = next;
        }
        return colorValue(c[0], c[1], c[2]);
    }
    // HTML's sixteen named colours, and the automatic colour as Word writes it.
    struct Named { std::string_view name; int32_t value; };
    static constexpr Named kNamed[] = {
        {"black", 0x000000}, {"silver", 0xC0C0C0}, {"gray", 0x808080}, {"white", 0xFFFFFF},
        {"maroon", 0x000080}, {"red", 0x0000FF}, {"purple", 0x800080}, {"fuchsia", 0xFF00FF},
        {"green", 0x008000}, {"lime", 0x00FF00}, {"olive", 0x008080}, {"yellow", 0x00FFFF},
        {"navy", 0x800000}, {"blue", 0xFF0000}, {"teal", 0x808000}, {"aqua", 0xFFFF00},
        {"windowtext", kColorAutomatic},
    };
    for (const Named& n : kNamed)
        if (n.name == v)
            return n.value;
    return std::nullopt;
}

// The declarations of a style attribute that Find's criteria depend on, applied to f.
void applyStyle(std::string_view style, CharFormat& f)
{
    while (!style.empty()) {
        const std::size_t semi = std::min(style.find(';'), style.size());
        const std::string_view decl = style.substr(0, semi);
        style.remove_prefix(std::min(semi + 1, style.size()));
        const std::size_t colon = decl.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string property = asciiLower(trimmed(decl.substr(0, colon)));
        const std::string value = asciiLower(trimmed(decl.substr(colon + 1)));
        if (property == "color") {
            if (const auto c = parseColor(value))
                f.color = *c;
        } else if (property == "text-decoration" || property == "text-decoration-line") {
            if (value.find("line-through") != std::string::npos)
                f.strike = true;
        } else if (property == "display") {
            if (value == "none")
                f.cls = CpClass::Hidden;
        } else if (property == "mso-highlight") {
            f.highlight = value != "none";
        }
    }
}

std::string_view attribute(xmlNode* n, const char* name)
{
    for (xmlAttr* a = n->properties; a; a = a->next)
        if (a->name && std::string_view(reinterpret_cast<const char*>(a->name)) == name && a->children
            && a->children->content)
            return reinterpret_cast<const char*>(a->children->content);
    return {};
}

class HtmlWalk {
public:
    HtmlWalk(Story& story, const QString& path) : m_story(story), m_w(story), m_path(path) {}

    void children(xmlNode* parent, const CharFormat& f, int depth)
    {
        if (depth > kMaxDepth)
            throw loadError(LoadFailure::TooDeep, m_path, QString::number(kMaxDepth));
        for (xmlNode* n = parent->children; n; n = n->next) {
            if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
                if (n->content)
                    text(reinterpret_cast<const char*>(n->content), f);
            } else if (n->type == XML_ELEMENT_NODE)
                element(n, f, depth);
        }
    }

    // Ends the paragraph the inline content since the last one makes, if any.
    void endParagraph(const CharFormat& f)
    {
        if (m_content)
            m_w.put(cp::ParagraphMark, f);
        m_content = m_space = false;
        m_lineStart = true;
    }

private:
    void element(xmlNode* n, CharFormat f, int depth)
    {
        const std::string_view name(reinterpret_cast<const char*>(n->name));
        if (name == "font")
            if (const auto c = parseColor(attribute(n, "color")))
                f.color = *c;
        applyStyle(attribute(n, "style"), f);
        switch (kindOf(name)) {
        case Kind::Skip: return;
        case Kind::Inline: children(n, f, depth + 1); return;
        case Kind::Strike:
            f.strike = true;
            children(n, f, depth + 1);
            return;
        case Kind::Block:
            endParagraph(f);
            children(n, f, depth + 1);
            endParagraph(f);
            return;
        case Kind::Pre:
            endParagraph(f);
            ++m_pre;
            m_preStart = true;
            children(n, f, depth + 1);
            --m_pre;
            endParagraph(f);
            return;
        case Kind::Table: table(n, f, depth + 1); return;
        case Kind::Break:
            m_w.put(cp::LineBreak, f);
            m_content = m_lineStart = true;
            m_space = false;
            return;
        case Kind::Picture:
            visible();
            m_w.put(cp::Graphic, f);
            return;
        case Kind::Link: link(n, f, depth); return;
        }
    }

    // Before a character that shows: the white space collapsed before it.
    void visible()
    {
        if (m_space)
            m_w.put(u' ', m_spaceFormat);
        m_space = m_lineStart = false;
        m_content = true;
    }

    void text(std::string_view s, const CharFormat& f)
    {
        if (m_pre > 0) {
            preText(s, f);
            return;
        }
        // Runs of white space are one space, none at the start or end of a line.
        std::size_t i = 0;
        while (i < s.size()) {
            if (isSpace(s[i])) {
                while (i < s.size() && isSpace(s[i]))
                    ++i;
                if (!m_lineStart && !m_space) {
                    m_space = true;
                    m_spaceFormat = f;
                }
                continue;
            }
            std::size_t end = i;
            while (end < s.size() && !isSpace(s[end]))
                ++end;
            visible();
            m_w.putUtf8(s.substr(i, end - i), f);
            i = end;
        }
    }

    // Preformatted text keeps its white space; each line is a paragraph.
    void preText(std::string_view s, const CharFormat& f)
    {
        if (m_preStart && !s.empty()) {   // a line break right after the start tag is not content
            s.remove_prefix(s.starts_with("\r\n") ? 2 : s.front() == '\n' || s.front() == '\r' ? 1 : 0);
            m_preStart = false;
        }
        std::size_t i = 0;
        while (i < s.size()) {
            const std::size_t end = std::min(s.find_first_of("\r\n\t", i), s.size());
            if (end > i) {
                visible();
                m_w.putUtf8(s.substr(i, end - i), f);
            }
            if (end == s.size())
                break;
            if (s[end] == '\t') {
                visible();
                m_w.put(cp::Tab, f);
            } else {
                m_w.put(cp::ParagraphMark, f);
                m_content = false;
            }
            i = end + (s.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
    }

    void link(xmlNode* n, CharFormat f, int depth)
    {
        const std::string_view href = attribute(n, "href");
        if (href.empty()) {
            children(n, f, depth + 1);
            return;
        }
        visible();
        CharFormat field = f;
        field.cls = CpClass::Field;
        m_w.put(cp::FieldBegin, field);
        m_w.putText(href.starts_with('#') ? hyperlinkCode({}, href.substr(1)) : hyperlinkCode(href, {}), field);
        m_w.put(cp::FieldSeparator, field);
        children(n, f, depth + 1);
        m_w.put(cp::FieldEnd, field);
    }

    void table(xmlNode* t, const CharFormat& f, int depth)
    {
        endParagraph(f);
        for (xmlNode* n = t->children; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            const std::string_view name(reinterpret_cast<const char*>(n->name));
            if (name == "caption")
                element(n, f, depth);
            else if (name == "tr")
                row(n, f, depth + 1);
            else if (name == "thead" || name == "tbody" || name == "tfoot")
                for (xmlNode* r = n->children; r; r = r->next)
                    if (r->type == XML_ELEMENT_NODE && std::string_view(reinterpret_cast<const char*>(r->name)) == "tr")
                        row(r, f, depth + 2);
        }
    }

    void row(xmlNode* r, const CharFormat& f, int depth)
    {
        bool any = false;
        for (xmlNode* c = r->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE)
                continue;
            const std::string_view name(reinterpret_cast<const char*>(c->name));
            if (name == "td" || name == "th") {
                cell(c, f, depth + 1);
                any = true;
            }
        }
        if (any) {   // a row without cells is no row
            m_w.put(cp::CellMark, f);
            m_w.markRowEnd();
        }
    }

    // A cell's last paragraph mark is its end-of-cell mark, as in the document's own tables.
    void cell(xmlNode* c, CharFormat f, int depth)
    {
        applyStyle(attribute(c, "style"), f);
        const int32_t start = m_w.pos();
        children(c, f, depth + 1);
        if (m_content)
            m_w.put(cp::CellMark, f);
        else if (m_w.pos() > start && m_story.text.back() == QChar(cp::ParagraphMark))
            m_w.replaceLast(cp::CellMark);
        else
            m_w.put(cp::CellMark, f);
        m_content = m_space = false;
        m_lineStart = true;
    }

    Story& m_story;
    StoryWriter m_w;
    const QString& m_path;
    bool m_content = false;    // inline content since the last paragraph ended
    bool m_space = false;      // collapsed white space waiting for the next character that shows
    bool m_lineStart = true;   // nothing shown on this line yet: white space here is dropped
    CharFormat m_spaceFormat;
    int m_pre = 0;             // open preformatted elements
    bool m_preStart = false;   // nothing read yet in the preformatted element
};

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

} // namespace

Story importHtml(std::string_view html, const QString& path)
{
    static std::once_flag init;
    std::call_once(init, [] { xmlInitParser(); });
    // Bytes that are UTF-8 are read as UTF-8; other bytes by what they declare (a byte order mark
    // or a meta charset), as libxml2 finds it.
    if (html.starts_with("\xEF\xBB\xBF"))
        html.remove_prefix(3);
    const char* encoding = QByteArrayView(html.data(), static_cast<qsizetype>(html.size())).isValidUtf8() ? "UTF-8" : nullptr;
    const std::unique_ptr<xmlDoc, DocFree> doc(htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, encoding,
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    Story story;
    if (!doc)
        return story;
    HtmlWalk walk(story, path);
    walk.children(reinterpret_cast<xmlNode*>(doc.get()), CharFormat{}, 0);
    walk.endParagraph(CharFormat{});
    return story;
}

} // namespace docx
