#pragma once

#include "platform/docx/Look.h"
#include "platform/docx/LookReader.h"
#include "platform/docx/Theme.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace docx {

class XmlReader;

// The run properties Find can test, as one level (defaults, a style, direct formatting) sets them.
struct RunProps {
    std::optional<int32_t> color;
    std::optional<bool> highlight;
    std::optional<bool> strike, doubleStrike, hidden;   // toggle properties
    // Fills what this level leaves unset from the level it is based on.
    void inheritFrom(const RunProps& base);
    bool operator==(const RunProps&) const = default;
};

// The values after resolution through every level.
struct ResolvedRun {
    int32_t color;
    bool highlight, strike, doubleStrike, hidden;
};

// styles.xml: document defaults and the styles with their basedOn chains flattened, and the
// resolution of a run's formatting through table, paragraph and character style levels.
class Styles {
public:
    static constexpr int kNone = -1;

    // Reads styles.xml, the reader on its root.
    void read(XmlReader& x);
    void setTheme(Theme theme) { m_theme = std::move(theme); }
    const Theme& theme() const { return m_theme; }

    // Whether the styles' looks are read and walks collect looks; set before read().
    void setLooks(bool on) { m_looks = on; }
    bool looks() const { return m_looks; }
    void setNumbering(std::shared_ptr<const Numbering> numbering) { m_numbering = std::move(numbering); }
    const Numbering* numbering() const { return m_numbering.get(); }

    // Direct formatting of the w:rPr the reader stands on, read to its end. When asked,
    // *charStyle receives its w:rStyle as a character style index and *markDeleted whether it
    // marks a paragraph mark as deleted (w:del, w:moveFrom).
    // With look, the run's looks go there too.
    RunProps readRunProps(XmlReader& x, int* charStyle, bool* markDeleted, RunLookProps* look = nullptr) const;

    // Style indexes by id; kNone when absent. Paragraphs and tables without a known style get
    // the default style of their kind.
    int paragraphStyle(std::string_view id) const;
    int tableStyle(std::string_view id) const;
    int characterStyle(std::string_view id) const;

    // Memoised: runs repeat a handful of style and direct formatting combinations.
    ResolvedRun resolve(int table, int paragraph, int character, const RunProps& direct) const;

    // Looks through the same levels; a list paragraph takes its level's indents under its own.
    RunLook resolveLook(int table, int paragraph, int character, const RunLookProps& direct) const;
    ParaLook resolvePara(int paragraph, ParaLookProps direct) const;
    bool tableBorders(int table) const;
    CellMargins cellMargins(int table) const;

private:
    struct StyleLook {
        RunLookProps run;
        ParaLookProps para;
        std::optional<bool> borders;
        std::optional<CellMargins> margins;
    };
    void readStyleLook(XmlReader& x, StyleLook& into) const;

    struct Resolved {
        int table = kNone - 1, paragraph = 0, character = 0;   // no style index is kNone - 1: empty
        RunProps direct;
        ResolvedRun run{};
    };
    ResolvedRun compute(int table, int paragraph, int character, const RunProps& direct) const;

    enum Kind { Paragraph, Character, Table, KindCount };
    void flatten();
    static int lookup(const std::unordered_map<std::string, int>& ids, std::string_view id);

    Theme m_theme;
    RunProps m_defaults;
    std::vector<RunProps> m_own;          // a style's own w:rPr
    std::vector<int> m_basedOn;           // index or kNone
    std::vector<RunProps> m_flat;         // own values, then the basedOn chain's
    std::unordered_map<std::string, int> m_ids[KindCount];
    int m_default[KindCount] = {kNone, kNone, kNone};
    mutable std::array<Resolved, 64> m_resolved;   // direct-mapped by a hash of the inputs
    bool m_looks = false;
    StyleLook m_lookDefaults;
    std::vector<StyleLook> m_lookFlat;     // like m_flat
    std::shared_ptr<const Numbering> m_numbering;
};

} // namespace docx
