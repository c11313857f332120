#pragma once

#include "platform/match/RegexSearch.h"

#include <QString>

namespace match {

struct TranslatedPattern {
    QString regex;
    StartChars start;
};

// Translates Word's wildcard grammar (? * @ < > [ ] [!] {n} {n,} {n,m} ( ) \1-\9 \x and the
// ^ codes valid there) into an ICU regular expression with the same meaning: * lazy, @ and
// counts greedy, always case-sensitive. Throws 5560 for an invalid pattern.
TranslatedPattern translateWildcards(const QString& pattern);

// The regex fragment for one literal code point.
QString regexLiteral(char32_t c);

} // namespace match
