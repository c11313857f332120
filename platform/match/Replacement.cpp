#include "platform/match/Replacement.h"

#include "platform/match/Wildcards.h"

#include <unicode/regex.h>

namespace match {

core::Error invalidReplacement()
{
    return core::Error(kInvalidReplacementError, QStringLiteral("Tarvelin"),
                       QStringLiteral("[置換後の文字列] に無効な特殊文字が含まれています。"));
}

namespace {

core::Error refusedCode(const QString& code)
{
    return core::Error(4605, QStringLiteral("Tarvelin"),
                       QStringLiteral("[置換後の文字列] の %1 は、この文書に正確に保存できないため使用できません。").arg(code));
}

// The character ^ followed by digits stands for (^nnn, ^unnnn); i is on the first digit.
char32_t number(const QString& text, qsizetype& i)
{
    qsizetype j = i;
    uint32_t value = 0;
    while (j < text.size() && j - i < 5 && text[j].isDigit())
        value = value * 10 + static_cast<uint32_t>(text[j++].digitValue());
    if (j == i || value == 0 || value > 0xFFFF)
        throw invalidReplacement();
    i = j;
    return value;
}

} // namespace

Replacement::Replacement(const QString& text, bool wildcards)
{
    const auto literal = [this](const QString& s) {
        if (m_pieces.empty() || m_pieces.back().group >= 0)
            m_pieces.push_back({-1, {}});
        m_pieces.back().text += s;
    };
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i++];
        if (wildcards && c == u'\\' && i < text.size()) {
            const QChar d = text[i++];
            if (d >= u'1' && d <= u'9') {
                m_pieces.push_back({d.digitValue(), {}});
                m_maxGroup = std::max(m_maxGroup, d.digitValue());
            } else {
                literal(QString(d));   // \x: the character itself
            }
            continue;
        }
        if (c != u'^') {
            m_lowerCase = m_lowerCase && !c.isUpper();
            literal(QString(c));
            continue;
        }
        if (i >= text.size())
            throw invalidReplacement();
        const QChar code = text[i++];
        switch (code.unicode()) {
        case u'&': m_pieces.push_back({0, {}}); break;
        case u'^': literal(QStringLiteral("^")); break;
        case u't': literal(QStringLiteral("\t")); break;
        case u'l': literal(QString(QChar(11))); break;
        case u's': literal(QString(QChar(0x00A0))); break;
        case u'+': literal(QString(QChar(0x2014))); break;
        case u'=': literal(QString(QChar(0x2013))); break;
        case u'p': literal(QString(QChar(13))); break;
        case u'm': case u'n': case u'~': case u'-': case u'c':
            throw refusedCode(QStringLiteral("^") + code);
        case u'u': {
            const char32_t v = number(text, i);
            literal(QString::fromUcs4(&v, 1));
            break;
        }
        default:
            if (!code.isDigit())
                throw invalidReplacement();
            --i;
            const char32_t v = number(text, i);
            if (v < 0x20 && v != 9 && v != 11 && v != 13)
                throw refusedCode(QStringLiteral("^%1").arg(v));
            literal(QString::fromUcs4(&v, 1));
        }
    }
}

QString Replacement::expand(const QString& found, const std::vector<QString>& groups, bool adaptCase) const
{
    QString out;
    for (const Piece& p : m_pieces)
        out += p.group < 0 ? p.text : p.group == 0 ? found : p.group <= static_cast<int>(groups.size()) ? groups[p.group - 1] : QString();
    if (!adaptCase || !m_lowerCase || out.isEmpty())
        return out;
    bool anyLetter = false, allUpper = true;
    for (QChar c : found)
        if (c.isLetter() && c.isUpper() != c.isLower()) {
            anyLetter = true;
            allUpper = allUpper && c.isUpper();
        }
    if (!anyLetter)
        return out;
    // One capital letter is an initial capital, not all capitals.
    const QChar first = *std::find_if(found.begin(), found.end(), [](QChar c) { return c.isLetter(); });
    const bool severalLetters = std::count_if(found.begin(), found.end(), [](QChar c) { return c.isUpper(); }) > 1;
    if (allUpper && severalLetters)
        return out.toUpper();
    if (first.isUpper())
        out[0] = out[0].toUpper();
    return out;
}

std::vector<QString> wildcardGroups(const QString& pattern, const QString& found)
{
    UErrorCode status = U_ZERO_ERROR;
    const QString regex = translateWildcards(pattern).regex;
    icu::RegexMatcher m(icu::UnicodeString(reinterpret_cast<const UChar*>(regex.utf16()), static_cast<int32_t>(regex.size())),
                        0, status);
    const icu::UnicodeString input(reinterpret_cast<const UChar*>(found.utf16()), static_cast<int32_t>(found.size()));
    std::vector<QString> out;
    if (U_FAILURE(status))
        return out;
    m.reset(input);
    if (!m.matches(status) || U_FAILURE(status))
        return out;
    for (int32_t g = 1; g <= m.groupCount() && g <= 9; ++g) {
        const icu::UnicodeString s = m.group(g, status);
        out.push_back(QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length()));
    }
    return out;
}

} // namespace match
