#include "platform/match/SpecialCodes.h"

#include "platform/match/Errors.h"

#include <unicode/ucnv.h>

namespace match {

namespace {

// ^0nnn and ^nnn above 127 name a Windows-1252 character, as Word's ANSI codes do.
char32_t ansiChar(int code)
{
    if (code < 0x80 || code > 0xFF)
        return static_cast<char32_t>(code);
    UErrorCode st = U_ZERO_ERROR;
    UConverter* conv = ucnv_open("windows-1252", &st);
    const char byte = static_cast<char>(code);
    UChar out[2];
    const int32_t n = ucnv_toUChars(conv, out, 2, &byte, 1, &st);
    ucnv_close(conv);
    return (U_SUCCESS(st) && n == 1) ? out[0] : static_cast<char32_t>(code);
}

int readDigits(const QString& text, qsizetype& i, int maxDigits)
{
    int value = 0, count = 0;
    while (i < text.size() && count < maxDigits && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
        ++count;
    }
    return count ? value : -1;
}

SpecialCode chr(char32_t c) { return {SpecialCode::Kind::Char, c}; }

} // namespace

SpecialCode readSpecialCode(const QString& text, qsizetype& i, bool wildcards)
{
    ++i; // the caret
    if (i >= text.size())
        throw invalidPattern();
    const QChar q = text[i];
    if (q.isDigit() && q.unicode() < 0x80) {
        const bool ansi = q == u'0';
        const int code = readDigits(text, i, ansi ? 4 : 3);
        if (code <= 0 || code > 255)
            throw invalidPattern();
        return chr(ansi || code > 127 ? ansiChar(code) : static_cast<char32_t>(code));
    }
    ++i;
    using K = SpecialCode::Kind;
    switch (q.toLower().unicode()) {
    case u'^': return chr(u'^');
    case u't': return chr(9);
    case u'l': return chr(11);
    case u'm': return chr(12);
    case u'n': return chr(14);
    case u's': return chr(0xA0);
    case u'~': return chr(30);
    case u'-': return chr(31);
    case u'+': return chr(0x2014);
    case u'=': return chr(0x2013);
    case u'g': return {K::Graphic, 0};
    default: break;
    }
    if (wildcards)
        throw invalidPattern();
    switch (q.toLower().unicode()) {
    case u'p': return chr(13);
    case u'b': return chr(12);
    case u'e':
    case u'f': return chr(2);
    case u'a': return chr(5);
    case u'd': return chr(19);
    case u'%': return chr(0xA7);
    case u'v': return chr(0xB6);
    case u'x': return chr(0x200C);
    case u'z': return chr(0x200D);
    case u'?': return {K::AnyChar, 0};
    case u'#': return {K::Digit, 0};
    case u'$': return {K::Letter, 0};
    case u'w': return {K::WhiteSpace, 0};
    case u'u': {
        const int code = readDigits(text, i, 5);
        if (code <= 0 || code > 0xFFFF)
            throw invalidPattern();
        return chr(static_cast<char32_t>(code));
    }
    default:
        throw invalidPattern();
    }
}

QString classRegex(SpecialCode::Kind kind)
{
    switch (kind) {
    case SpecialCode::Kind::AnyChar: return QStringLiteral("(?s:.)");
    case SpecialCode::Kind::Digit: return QStringLiteral("\\p{Nd}");
    case SpecialCode::Kind::Letter: return QStringLiteral("\\p{L}");
    case SpecialCode::Kind::WhiteSpace: return QStringLiteral("[\\x{20}\\x{09}\\x{A0}\\x{3000}]+");
    case SpecialCode::Kind::Graphic: return QStringLiteral("[\\x{01}\\x{08}]");
    case SpecialCode::Kind::Char: break;
    }
    return {};
}

std::vector<PlainElement> parsePlainText(const QString& text)
{
    std::vector<PlainElement> out;
    auto literal = [&]() -> std::u16string& {
        if (out.empty() || out.back().kind != SpecialCode::Kind::Char)
            out.push_back({});
        return out.back().literal;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] != u'^') {
            literal().push_back(text[i].unicode());
            ++i;
            continue;
        }
        const SpecialCode code = readSpecialCode(text, i, false);
        if (code.kind != SpecialCode::Kind::Char) {
            out.push_back({{}, code.kind});
        } else if (code.ch > 0xFFFF) {
            literal().append(QString::fromUcs4(&code.ch, 1).toStdU16String());
        } else {
            literal().push_back(static_cast<char16_t>(code.ch));
        }
    }
    return out;
}

} // namespace match
