#include "platform/docx/XmlNames.h"

namespace docx {

namespace {

struct NsUri { const char* uri; Ns ns; };
const NsUri kNamespaces[] = {
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", Ns::W},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", Ns::W},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", Ns::R},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", Ns::R},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", Ns::MC},
    {"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing", Ns::WP},
    {"http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing", Ns::WP},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingShape", Ns::WPS},
    {"urn:schemas-microsoft-com:vml", Ns::V},
    {"urn:schemas-microsoft-com:office:office", Ns::O},
    {"http://schemas.openxmlformats.org/officeDocument/2006/math", Ns::M},
    {"http://purl.oclc.org/ooxml/officeDocument/math", Ns::M},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", Ns::A},
    {"http://purl.oclc.org/ooxml/drawingml/main", Ns::A},
    // Further namespaces a Choice may require that the walk reads like the ones above.
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2010/wordml", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2012/wordml", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing", Ns::Understood},
    {"http://schemas.microsoft.com/office/drawing/2010/main", Ns::Understood},
    {"urn:schemas-microsoft-com:office:word", Ns::Understood},
};

struct Element { Ns ns; const char* local; Tok tok; };
const Element kElements[] = {
    {Ns::W, "document", Tok::Document}, {Ns::W, "body", Tok::Body}, {Ns::W, "hdr", Tok::Hdr},
    {Ns::W, "ftr", Tok::Ftr}, {Ns::W, "footnotes", Tok::Footnotes}, {Ns::W, "endnotes", Tok::Endnotes},
    {Ns::W, "footnote", Tok::Footnote}, {Ns::W, "endnote", Tok::Endnote},
    {Ns::W, "comments", Tok::Comments}, {Ns::W, "comment", Tok::Comment},
    {Ns::W, "p", Tok::P}, {Ns::W, "pPr", Tok::PPr}, {Ns::W, "rPr", Tok::RPr}, {Ns::W, "r", Tok::R},
    {Ns::W, "t", Tok::T}, {Ns::W, "delText", Tok::DelText}, {Ns::W, "instrText", Tok::InstrText},
    {Ns::W, "delInstrText", Tok::DelInstrText}, {Ns::W, "tab", Tok::Tab}, {Ns::W, "ptab", Tok::PTab},
    {Ns::W, "br", Tok::Br}, {Ns::W, "cr", Tok::Cr}, {Ns::W, "noBreakHyphen", Tok::NoBreakHyphen},
    {Ns::W, "softHyphen", Tok::SoftHyphen}, {Ns::W, "sym", Tok::Sym},
    {Ns::W, "footnoteReference", Tok::FootnoteReference},
    {Ns::W, "endnoteReference", Tok::EndnoteReference}, {Ns::W, "footnoteRef", Tok::FootnoteRef},
    {Ns::W, "endnoteRef", Tok::EndnoteRef}, {Ns::W, "commentReference", Tok::CommentReference},
    {Ns::W, "annotationRef", Tok::AnnotationRef}, {Ns::W, "commentRangeStart", Tok::CommentRangeStart},
    {Ns::W, "commentRangeEnd", Tok::CommentRangeEnd}, {Ns::W, "separator", Tok::Separator},
    {Ns::W, "continuationSeparator", Tok::ContinuationSeparator}, {Ns::W, "fldChar", Tok::FldChar},
    {Ns::W, "fldSimple", Tok::FldSimple}, {Ns::W, "hyperlink", Tok::Hyperlink},
    {Ns::W, "tbl", Tok::Tbl}, {Ns::W, "tr", Tok::Tr}, {Ns::W, "tc", Tok::Tc},
    {Ns::W, "tblPr", Tok::TblPr}, {Ns::W, "tblStyle", Tok::TblStyle}, {Ns::W, "sdt", Tok::Sdt},
    {Ns::W, "sdtContent", Tok::SdtContent}, {Ns::W, "customXml", Tok::CustomXml},
    {Ns::W, "smartTag", Tok::SmartTag}, {Ns::W, "ins", Tok::Ins}, {Ns::W, "del", Tok::Del},
    {Ns::W, "moveFrom", Tok::MoveFrom}, {Ns::W, "moveTo", Tok::MoveTo},
    {Ns::W, "drawing", Tok::Drawing}, {Ns::W, "pict", Tok::Pict}, {Ns::W, "object", Tok::Object},
    {Ns::W, "ruby", Tok::Ruby}, {Ns::W, "rt", Tok::Rt}, {Ns::W, "rubyBase", Tok::RubyBase},
    {Ns::W, "rubyPr", Tok::RubyPr}, {Ns::W, "rubyAlign", Tok::RubyAlign}, {Ns::W, "hps", Tok::Hps},
    {Ns::W, "hpsRaise", Tok::HpsRaise},
    {Ns::W, "sectPr", Tok::SectPr}, {Ns::W, "headerReference", Tok::HeaderReference},
    {Ns::W, "footerReference", Tok::FooterReference}, {Ns::W, "titlePg", Tok::TitlePg},
    {Ns::W, "pStyle", Tok::PStyle}, {Ns::W, "rStyle", Tok::RStyle}, {Ns::W, "color", Tok::Color},
    {Ns::W, "highlight", Tok::Highlight}, {Ns::W, "strike", Tok::Strike},
    {Ns::W, "dstrike", Tok::DStrike}, {Ns::W, "vanish", Tok::Vanish},
    {Ns::W, "specVanish", Tok::SpecVanish}, {Ns::W, "txbxContent", Tok::TxbxContent},
    {Ns::W, "pgNum", Tok::PgNum}, {Ns::W, "dayShort", Tok::DateBlock},
    {Ns::W, "dayLong", Tok::DateBlock}, {Ns::W, "monthShort", Tok::DateBlock},
    {Ns::W, "monthLong", Tok::DateBlock}, {Ns::W, "yearShort", Tok::DateBlock},
    {Ns::W, "yearLong", Tok::DateBlock}, {Ns::W, "styles", Tok::Styles}, {Ns::W, "style", Tok::Style},
    {Ns::W, "docDefaults", Tok::DocDefaults}, {Ns::W, "rPrDefault", Tok::RPrDefault},
    {Ns::W, "basedOn", Tok::BasedOn}, {Ns::W, "settings", Tok::Settings},
    {Ns::W, "evenAndOddHeaders", Tok::EvenAndOddHeaders},
    {Ns::W, "b", Tok::B}, {Ns::W, "i", Tok::I}, {Ns::W, "u", Tok::U}, {Ns::W, "sz", Tok::Sz},
    {Ns::W, "rFonts", Tok::RFonts}, {Ns::W, "vertAlign", Tok::VertAlign}, {Ns::W, "caps", Tok::Caps},
    {Ns::W, "smallCaps", Tok::SmallCaps}, {Ns::W, "spacing", Tok::Spacing}, {Ns::W, "jc", Tok::Jc},
    {Ns::W, "ind", Tok::Ind}, {Ns::W, "numPr", Tok::NumPr}, {Ns::W, "numId", Tok::NumId},
    {Ns::W, "ilvl", Tok::Ilvl}, {Ns::W, "pPrDefault", Tok::PPrDefault}, {Ns::W, "tblGrid", Tok::TblGrid},
    {Ns::W, "gridCol", Tok::GridCol}, {Ns::W, "tcPr", Tok::TcPr}, {Ns::W, "gridSpan", Tok::GridSpan},
    {Ns::W, "vMerge", Tok::VMerge}, {Ns::W, "shd", Tok::Shd}, {Ns::W, "tblBorders", Tok::TblBorders},
    {Ns::W, "pgSz", Tok::PgSz}, {Ns::W, "pgMar", Tok::PgMar}, {Ns::W, "numbering", Tok::Numbering},
    {Ns::W, "abstractNum", Tok::AbstractNum}, {Ns::W, "abstractNumId", Tok::AbstractNumId},
    {Ns::W, "num", Tok::Num}, {Ns::W, "lvl", Tok::Lvl}, {Ns::W, "start", Tok::Start},
    {Ns::W, "numFmt", Tok::NumFmt}, {Ns::W, "lvlText", Tok::LvlText},
    {Ns::W, "altChunk", Tok::AltChunk},
    {Ns::W, "footnotePr", Tok::FootnotePr},
    {Ns::W, "endnotePr", Tok::EndnotePr}, {Ns::W, "numStart", Tok::NumStart},
    {Ns::W, "numRestart", Tok::NumRestart}, {Ns::W, "keepNext", Tok::KeepNext},
    {Ns::W, "keepLines", Tok::KeepLines}, {Ns::W, "widowControl", Tok::WidowControl},
    {Ns::W, "pageBreakBefore", Tok::PageBreakBefore}, {Ns::W, "type", Tok::SectType},
    {Ns::W, "pgNumType", Tok::PgNumType}, {Ns::W, "trPr", Tok::TrPr}, {Ns::W, "tblHeader", Tok::TblHeader},
    {Ns::W, "cantSplit", Tok::CantSplit}, {Ns::W, "tabs", Tok::Tabs}, {Ns::W, "bidi", Tok::Bidi},
    {Ns::W, "snapToGrid", Tok::SnapToGrid}, {Ns::W, "docGrid", Tok::DocGrid}, {Ns::W, "tblCellMar", Tok::TblCellMar},
    {Ns::W, "bidiVisual", Tok::BidiVisual}, {Ns::W, "tblInd", Tok::TblInd},
    {Ns::W, "defaultTabStop", Tok::DefaultTabStop}, {Ns::W, "vAlign", Tok::VAlign},
    {Ns::W, "contextualSpacing", Tok::ContextualSpacing}, {Ns::W, "trHeight", Tok::TrHeight},
    {Ns::MC, "AlternateContent", Tok::AlternateContent}, {Ns::MC, "Choice", Tok::Choice},
    {Ns::MC, "Fallback", Tok::Fallback}, {Ns::WP, "anchor", Tok::Anchor},
    {Ns::O, "OLEObject", Tok::OleObject}, {Ns::WP, "extent", Tok::Extent}, {Ns::WP, "docPr", Tok::DocPr},
    {Ns::A, "blip", Tok::Blip}, {Ns::V, "imagedata", Tok::ImageData}, {Ns::V, "shape", Tok::Shape}, {Ns::V, "rect", Tok::Shape},
    {Ns::V, "roundrect", Tok::Shape}, {Ns::V, "oval", Tok::Shape}, {Ns::V, "line", Tok::Shape}, {Ns::V, "group", Tok::Shape}, {Ns::WP, "positionH", Tok::PositionH},
    {Ns::WP, "positionV", Tok::PositionV}, {Ns::WP, "posOffset", Tok::PosOffset}, {Ns::WP, "align", Tok::PosAlign},
    {Ns::WP, "wrapSquare", Tok::WrapSquare}, {Ns::WP, "wrapTight", Tok::WrapTight},
    {Ns::WP, "wrapThrough", Tok::WrapThrough}, {Ns::WP, "wrapTopAndBottom", Tok::WrapTopAndBottom},
    {Ns::Understood, "wrap", Tok::VmlWrap}, {Ns::M, "t", Tok::MathText},
};

} // namespace

Ns nsOfUri(std::string_view uri)
{
    for (const auto& n : kNamespaces)
        if (uri == n.uri)
            return n.ns;
    return Ns::Other;
}

Tok tokOf(Ns ns, std::string_view local)
{
    for (const auto& e : kElements)
        if (e.ns == ns && local == e.local)
            return e.tok;
    return Tok::Other;
}

} // namespace docx
