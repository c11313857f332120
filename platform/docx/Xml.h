#pragma once

#include "platform/core/Error.h"

#include <QString>

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
    // Names seen so far, by FNV-1a hash with linear probing: tok() runs for every element, and
    // owned keys let one vocabulary serve several DOMs of a part (BodySlices).
    struct TokSlot {
        std::string name;   // empty: free
        uint32_t hash = 0;
        Tok tok = Tok::Other;
    };

    // Names of up to sixteen bytes (nearly every element met), packed little-endian and
    // zero-padded into two words: a direct-mapped cache in front of the table above.
    struct ShortSlot {
        uint64_t name[2] = {0, 0};   // 0, 0: free (no element name is empty)
        Tok tok = Tok::Other;
    };

    Tok tokOfName(const char* name, pugi::xml_node n) const;
    Ns nsOfPrefix(std::string_view prefix, pugi::xml_node context) const;
    const char* qualified(Ns ns, const char* local) const;
    Tok lookUp(std::string_view name, pugi::xml_node n) const;
    void remember(TokSlot slot) const;

    std::string m_wPrefix, m_rPrefix;
    mutable std::unordered_map<std::string, Ns> m_prefixes;
    mutable std::vector<TokSlot> m_tokens = std::vector<TokSlot>(256);
    mutable std::size_t m_tokenCount = 0;
    mutable ShortSlot m_short[256] = {};
    mutable std::unordered_map<const char*, std::string> m_qualified[2]; // by the literal's address
};

// A parsed part: the inflated bytes, parsed in place, and the DOM over them.
struct XmlPart {
    std::string name;
    std::string bytes;
    pugi::xml_document doc;
};

// parse_ws_pcdata_single keeps <w:t> </w:t>; parse_doctype is off, so a DTD is skipped unread.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_ws_pcdata_single;

// Parses bytes (taken over) into part; throws BadXml naming the file and the part. DOCTYPE
// declarations are skipped and entities are never resolved.
void parseXml(XmlPart& part, std::string bytes, const QString& path);

// The BadXml load error for a parse of part that failed at offset (a byte offset into the part).
core::Error badXml(const QString& path, const std::string& part, std::ptrdiff_t offset,
                   const pugi::xml_parse_result& result);

} // namespace docx
