#pragma once

#include <QString>

#include <pugixml.hpp>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace docx {

// Namespaces the reader knows, whatever prefix a part binds them to.
enum class Ns : uint8_t { Other, W, R, MC, WP, WPS, V, O, M, A, Understood };

// Elements the text walk and the part readers act on. Everything else is Tok::Other.
enum class Tok : uint8_t {
    Other,
    // WordprocessingML
    Document, Body, Hdr, Ftr, Footnotes, Endnotes, Footnote, Endnote, Comments, Comment,
    P, PPr, RPr, R, T, DelText, InstrText, DelInstrText, Tab, PTab, Br, Cr,
    NoBreakHyphen, SoftHyphen, Sym, FootnoteReference, EndnoteReference, FootnoteRef, EndnoteRef,
    CommentReference, AnnotationRef, CommentRangeStart, CommentRangeEnd, Separator,
    ContinuationSeparator, FldChar, FldSimple, Hyperlink, Tbl, Tr, Tc, TblPr, TblStyle,
    Sdt, SdtContent, CustomXml, SmartTag, Ins, Del, MoveFrom, MoveTo, Drawing, Pict, Object,
    Ruby, Rt, RubyBase, SectPr, HeaderReference, FooterReference, TitlePg, PStyle, RStyle,
    Color, Highlight, Strike, DStrike, Vanish, SpecVanish, TxbxContent, PgNum, DateBlock,
    Styles, Style, DocDefaults, RPrDefault, BasedOn, Settings, EvenAndOddHeaders,
    // markup compatibility
    AlternateContent, Choice, Fallback,
    // drawing
    Anchor, OleObject,
    // math
    MathText,
};

// Part-local name resolution: pugixml sees qualified names, so each part's prefixes are mapped
// to the namespaces above (declarations on inner elements are found when first met).
class Vocabulary {
public:
    explicit Vocabulary(pugi::xml_node root);

    Tok tok(pugi::xml_node n) const;
    Ns ns(pugi::xml_node n) const;
    // The qualified name of a WordprocessingML / relationships attribute in this part ("w:val").
    const char* w(const char* local) const;
    const char* r(const char* local) const;
    pugi::xml_attribute wAttr(pugi::xml_node n, const char* local) const { return n.attribute(w(local)); }
    // The branch of mc:AlternateContent to read: the first Choice whose requirements are all
    // understood, else the Fallback; null when neither applies.
    pugi::xml_node chooseBranch(pugi::xml_node alternateContent) const;

private:
    Ns nsOfPrefix(std::string_view prefix, pugi::xml_node context) const;
    const char* qualified(Ns ns, const char* local) const;

    std::string m_wPrefix, m_rPrefix;
    mutable std::unordered_map<std::string, Ns> m_prefixes;
    mutable std::unordered_map<std::string_view, Tok> m_tokens; // keys point into the DOM
    mutable std::unordered_map<const char*, std::string> m_qualified[2]; // by the literal's address
};

// A parsed part: the inflated bytes, parsed in place, and the DOM over them.
struct XmlPart {
    std::string name;
    std::string bytes;
    pugi::xml_document doc;
};

// Parses bytes (taken over) into part; throws BadXml naming the file and the part. DOCTYPE
// declarations are skipped and entities are never resolved.
void parseXml(XmlPart& part, std::string bytes, const QString& path);

} // namespace docx
