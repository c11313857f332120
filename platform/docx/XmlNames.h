#pragma once

#include <cstdint>
#include <string_view>

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
    // looks, read only when a document is shown
    B, I, U, Sz, RFonts, VertAlign, Caps, SmallCaps, Spacing, Jc, Ind, NumPr, NumId, Ilvl,
    PPrDefault, TblGrid, GridCol, TcPr, GridSpan, VMerge, Shd, TblBorders, PgSz, PgMar,
    Numbering, AbstractNum, AbstractNumId, Num, Lvl, Start, NumFmt, LvlText,
    FootnotePr, EndnotePr, NumStart, NumRestart, KeepNext, KeepLines, WidowControl, PageBreakBefore,
    SectType, PgNumType, TrPr, TblHeader, CantSplit, Tabs, Bidi, SnapToGrid, DocGrid, TblCellMar, BidiVisual, TblInd, DefaultTabStop, VAlign, ContextualSpacing, TrHeight,
    RubyPr, RubyAlign, Hps, HpsRaise,
    // markup compatibility
    AlternateContent, Choice, Fallback,
    // drawing
    Anchor, OleObject, Extent, DocPr, Blip, ImageData, Shape,
    PositionH, PositionV, PosOffset, PosAlign, WrapSquare, WrapTight, WrapThrough, WrapTopAndBottom, VmlWrap,
    // math
    MathText,
    // content imported from a part of another format
    AltChunk,
};

// The namespace a URI names; Ns::Other for any the reader does not know.
Ns nsOfUri(std::string_view uri);
// The element a namespace and local name make; Tok::Other for any the reader does not act on.
Tok tokOf(Ns ns, std::string_view local);

} // namespace docx
