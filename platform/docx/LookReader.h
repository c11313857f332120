#pragma once

#include "platform/docx/Look.h"

#include <array>
#include <map>
#include <string_view>
#include <vector>

namespace docx {

class Theme;
class XmlReader;

// A number attribute's value; nothing when absent or not a number.
std::optional<int32_t> numberOf(std::optional<std::string_view> value);

// A w:jc value's alignment.
Align alignOf(std::string_view v);
// Reads the element the reader stands on, a child of w:rPr, into p when it sets a look; fonts
// given as theme fonts are the theme's.
void readRunLook(XmlReader& x, RunLookProps& p, const Theme& theme);
// Reads the element the reader stands on, a child of w:pPr, into p when it sets a look.
void readParaLook(XmlReader& x, ParaLookProps& p);
// Reads w:pgSz or w:pgMar, the reader on it, into page.
void readPageLook(XmlReader& x, PageLook& page);
// The line pitch of a w:docGrid, the reader on it; 0 when its lines are not on the grid.
int32_t linePitchOf(XmlReader& x);
// w:tblCellMar, the reader on it: margins with the sides it sets changed.
CellMargins readCellMargins(XmlReader& x, CellMargins margins);
// How a section begins, from w:type's value.
SectionStart sectionStartOf(std::string_view type);
// w:rubyPr, the reader on it, read to its end into ruby.
void readRubyPr(XmlReader& x, RubyLook& ruby);
// The COLORREF of a w:shd fill, -1 for none or auto.
int32_t shadingOf(XmlReader& x);

// numbering.xml: each list's levels, and the labels its paragraphs get as they are met.
class Numbering {
public:
    struct Level {
        QString format = QStringLiteral("decimal");   // w:numFmt
        QString text;                                 // w:lvlText, "%1." and the like
        int start = 1;
        ParaLookProps indent;                         // the level's w:pPr
    };

    // Reads numbering.xml, the reader on its root.
    void read(XmlReader& x);
    // The level of a list, null when there is none.
    const Level* level(int32_t numId, int32_t level) const;
    // Gives a story's list paragraphs their labels again, counted in order as when it was read.
    void relabel(std::vector<ParaLook>& paras) const;

    // Counts paragraphs of the lists of one story, in order.
    class Counter {
    public:
        explicit Counter(const Numbering& numbering) : m_numbering(numbering) {}
        // The label of the next paragraph at this list and level.
        QString next(int32_t numId, int32_t level);

    private:
        const Numbering& m_numbering;
        std::map<int32_t, std::array<int, 9>> m_counts;   // by abstract list
    };

private:
    std::map<int32_t, std::vector<Level>> m_abstract;
    std::map<int32_t, int32_t> m_num;   // w:num id → abstract list id
};

} // namespace docx
