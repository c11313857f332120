#include "host/SearchOptions.h"

#include "host/FuzzyRules.h"
#include "platform/forms/Delimited.h"
#include "platform/word/Font.h"
#include "platform/word/Forward.h"
#include "src/search/clsQLFFindCondition.h"

#include <charconv>
#include <cstdio>

namespace host {

namespace {

const char* const kHelp =
    "  --text 文字列          検索する文字列（書式だけで検索するときは \"\"）\n"
    "  --match-case           大文字と小文字を区別する\n"
    "  --whole-word           完全に一致する単語だけを検索する\n"
    "  --wildcards            ワイルドカードを使用する\n"
    "  --sounds-like          あいまい検索（英）\n"
    "  --all-word-forms       英単語の異なる活用形も検索する\n"
    "  --match-byte           半角と全角を区別する\n"
    "  --fuzzy                あいまい検索（日）\n"
    "  --highlight yes|no     蛍光ペンの有無で絞り込む\n"
    "  --color N              フォントの色（COLORREF：赤が下位バイト、自動は -16777216）\n"
    "  --strike yes|no        取り消し線の有無\n"
    "  --double-strike yes|no 二重取り消し線の有無\n"
    "  --fuzzy-option 名前=on|off\n"
    "                         あいまい検索（日）のオプションを設定する（繰り返し指定可）。名前:\n";

// NAME=on|off with NAME one of the fuzzy rules' property names (compared without regard to case,
// as Word's property names are).
QString readFuzzyOption(const QString& value, match::FuzzyOptions& fuzzy)
{
    const QString name = value.section(QLatin1Char('='), 0, 0), state = value.section(QLatin1Char('='), 1);
    for (const FuzzyRule& rule : kFuzzyRules) {
        if (name.compare(QLatin1String(rule.property), Qt::CaseInsensitive) != 0)
            continue;
        if (state != QLatin1String("on") && state != QLatin1String("off"))
            break;
        fuzzy.*rule.member = state == QLatin1String("on");
        return {};
    }
    return QStringLiteral("--fuzzy-option には 名前=on か 名前=off を指定してください（名前は --help を参照）: %1").arg(value);
}

} // namespace

QString SearchOptions::help()
{
    QString out = QString::fromUtf8(kHelp);
    for (const FuzzyRule& rule : kFuzzyRules)
        out += QStringLiteral("                           %1（%2）\n").arg(QString::fromUtf8(rule.property), QString::fromUtf8(rule.label));
    return out;
}

SearchOptions::SearchOptions(QCommandLineParser& p)
{
    p.addOptions({m_text, m_highlight, m_color, m_strike, m_doubleStrike, m_fuzzyOption});
    for (const auto& f : m_flags)
        p.addOption(f);
}

QString SearchOptions::read(const QCommandLineParser& p, clsQLFFindCondition& c, match::FuzzyOptions& fuzzy) const
{
    for (const QString& value : p.values(m_fuzzyOption))
        if (const QString error = readFuzzyOption(value, fuzzy); !error.isEmpty())
            return error;
    c.setText(p.value(m_text));
    c.setMatchCase(p.isSet(m_flags[0]));
    c.setMatchWholeWord(p.isSet(m_flags[1]));
    c.setMatchWildcards(p.isSet(m_flags[2]));
    c.setMatchSoundsLike(p.isSet(m_flags[3]));
    c.setMatchAllWordForms(p.isSet(m_flags[4]));
    c.setMatchByte(p.isSet(m_flags[5]));
    c.setMatchFuzzy(p.isSet(m_flags[6]));
    c.setHighlight(word::wdUndefined);
    if (p.isSet(m_highlight)) {
        const auto v = yesNo(p.value(m_highlight));
        if (!v)
            return QStringLiteral("--highlight には yes か no を指定してください");
        c.setHighlight(*v);
    }
    if (p.isSet(m_color) || p.isSet(m_strike) || p.isSet(m_doubleStrike)) {
        word::FontPtr font = word::Font::create();
        if (p.isSet(m_color)) {
            bool ok = false;
            const int value = p.value(m_color).toInt(&ok);
            if (!ok || !((value >= 0 && value <= 0xFFFFFF) || value == word::wdColorAutomatic))
                return QStringLiteral("--color には 0 から 16777215 の色の値か -16777216（自動）を指定してください");
            font->setColor(value);
        }
        for (const auto& [option, setter] : {std::pair{m_strike, &word::Font::setStrikeThrough},
                                             std::pair{m_doubleStrike, &word::Font::setDoubleStrikeThrough}}) {
            if (!p.isSet(option))
                continue;
            const auto v = yesNo(p.value(option));
            if (!v)
                return QStringLiteral("--%1 には yes か no を指定してください").arg(option.names().first());
            ((*font).*setter)(*v);
        }
        c.setObjFont(font);
    }
    return {};
}

// yes → -1 (True), no → 0 (False), as Word's three-valued flags; anything else is refused.
std::optional<int> yesNo(const QString& value)
{
    if (value == QLatin1String("yes"))
        return -1;
    if (value == QLatin1String("no"))
        return 0;
    return std::nullopt;
}

template <typename Ascii>
void ByteSink::encode(QStringView text, qsizetype maxPerUnit, Ascii ascii)
{
    // A row has several of these: a string of its own for each, converted after, cost more per hit
    // than finding the hit.
    char* const first = room(maxPerUnit * text.size());
    char* o = first;
    const char16_t* const p = text.utf16();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        char16_t c = p[i];
        if (c < 0x80 && ascii(c, o))
            continue;
        if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | (c >> 6));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, p[++i]);
            *o++ = static_cast<char>(0xF0 | (u >> 18));
            *o++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (u & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            *o++ = '?';   // half a pair, as QString::toUtf8 writes it
        } else {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    m_size += o - first;
}

void ByteSink::jsonString(QStringView text)
{
    bytes("\"");
    // A control character becomes six bytes.
    encode(text, 6, [](char16_t c, char*& o) {
        if (c >= 0x20 && c != u'"' && c != u'\\') {
            *o++ = static_cast<char>(c);
            return true;
        }
        *o++ = '\\';
        switch (c) {
        case u'"': *o++ = '"'; break;
        case u'\\': *o++ = '\\'; break;
        case u'\n': *o++ = 'n'; break;
        case u'\r': *o++ = 'r'; break;
        case u'\t': *o++ = 't'; break;
        default:
            static constexpr char kHex[] = "0123456789abcdef";
            *o++ = 'u';
            *o++ = '0';
            *o++ = '0';
            *o++ = kHex[c >> 4];
            *o++ = kHex[c & 0xF];
        }
        return true;
    });
    bytes("\"");
}

void ByteSink::text(QStringView text)
{
    encode(text, 3, [](char16_t c, char*& o) {
        *o++ = static_cast<char>(c);
        return true;
    });
}

void ByteSink::visibleText(QStringView text)
{
    encode(text, 3, [](char16_t& c, char*& o) {
        const char16_t shown = forms::visibleControl(c);
        if (shown != c) {
            c = shown;
            return false;
        }
        *o++ = static_cast<char>(c);
        return true;
    });
}

QString jsonString(const QString& text)
{
    QByteArray out;
    ByteSink(out).jsonString(text);
    return QString::fromUtf8(out);
}

void printErr(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

std::optional<int> argumentsEnd(const char* command, bool help, const QString& usageError, const QString& usage)
{
    if (help) {
        std::fputs(usage.toUtf8().constData(), stdout);
        return 0;
    }
    if (!usageError.isEmpty()) {
        printErr(QStringLiteral("tarvelin %1: %2\n\n").arg(QLatin1String(command), usageError) + usage);
        return 2;
    }
    return std::nullopt;
}

} // namespace host
