#pragma once

#include <QString>

#include <string>
#include <vector>

// Word's ^ codes in the find text.
namespace match {

// What one ^ code stands for: one character, or a class of characters.
struct SpecialCode {
    enum class Kind { Char, AnyChar, Digit, Letter, WhiteSpace, Graphic };
    Kind kind = Kind::Char;
    char32_t ch = 0;   // Kind::Char
};

// Reads the code whose caret is at text[i]; on return i is past it. wildcards selects the codes
// valid with MatchWildcards. Throws 5560 for an unknown, refused or incomplete code.
SpecialCode readSpecialCode(const QString& text, qsizetype& i, bool wildcards);

// The ICU regex fragment matching one character class code (not Kind::Char).
QString classRegex(SpecialCode::Kind kind);

// Plain-mode find text cut into literal stretches and class codes.
struct PlainElement {
    std::u16string literal;                       // when code is Kind::Char: the stretch's text
    SpecialCode::Kind kind = SpecialCode::Kind::Char;
};
std::vector<PlainElement> parsePlainText(const QString& text);

} // namespace match
