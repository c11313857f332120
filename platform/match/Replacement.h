#pragma once

#include "platform/core/Error.h"

#include <QString>

#include <vector>

namespace match {

constexpr int kInvalidReplacementError = 5625;   // a code the replacement text does not accept

// The replacement text rejected: an unknown code, one only the find text takes, or a group
// number with wildcards off.
core::Error invalidReplacement();

// Word's replacement text compiled once per Replace: literal text with its ^ codes read (^t, ^l,
// ^p, ^s, ^+, ^=, ^^, ^nnn, ^unnnn), ^& the found text, and with wildcards \1..\9 the found text's
// groups. Codes for other characters that stand for the document's structure (^m, ^n, ^~, ^-) and
// ^c are refused with the reason, since their replacement could not be saved exactly here.
class Replacement {
public:
    // Throws invalidReplacement(), or Word's 4605 with a reason for a refused structure code.
    Replacement(const QString& text, bool wildcards);

    // The text that takes the place of found. groups[i] is group i + 1 of the wildcard match.
    // With adaptCase (Match case off) a replacement typed all in lower case follows found's case:
    // all capitals, or an initial capital.
    QString expand(const QString& found, const std::vector<QString>& groups, bool adaptCase) const;
    bool usesGroups() const { return m_maxGroup > 0; }

private:
    struct Piece {
        int group = -1;          // -1 literal, 0 the found text, 1..9 a group
        QString text;
    };
    std::vector<Piece> m_pieces;
    int m_maxGroup = 0;
    bool m_lowerCase = true;     // the typed text has no capital letter
};

// The groups of a wildcard pattern's match over found (which the pattern matched whole).
std::vector<QString> wildcardGroups(const QString& pattern, const QString& found);

} // namespace match
