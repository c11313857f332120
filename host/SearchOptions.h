#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <cstring>
#include <optional>
#include <string_view>

class clsQLFFindCondition;
namespace match { struct FuzzyOptions; }

namespace host {

// The search options tarvelin find and tarvelin replace share: the text, Word's seven match
// options and the formatting criteria, read into the add-in's search condition, and the Japanese
// fuzzy rules (--fuzzy-option NAME=on|off), read into the application's options.
class SearchOptions {
public:
    // Adds the options to p.
    explicit SearchOptions(QCommandLineParser& p);
    // Reads them into condition and fuzzy; an error text when a value is not usable.
    QString read(const QCommandLineParser& p, clsQLFFindCondition& condition, match::FuzzyOptions& fuzzy) const;
    bool textGiven(const QCommandLineParser& p) const { return p.isSet(m_text); }

    // Their lines of the usage text.
    static QString help();

private:
    QCommandLineOption m_text{"text", {}, "text"};
    QCommandLineOption m_highlight{"highlight", {}, "yes|no"};
    QCommandLineOption m_color{"color", {}, "N"};
    QCommandLineOption m_strike{"strike", {}, "yes|no"};
    QCommandLineOption m_doubleStrike{"double-strike", {}, "yes|no"};
    QCommandLineOption m_fuzzyOption{"fuzzy-option", {}, "NAME=on|off"};
    QCommandLineOption m_flags[7] = {QCommandLineOption("match-case"),    QCommandLineOption("whole-word"),
                                     QCommandLineOption("wildcards"),     QCommandLineOption("sounds-like"),
                                     QCommandLineOption("all-word-forms"), QCommandLineOption("match-byte"),
                                     QCommandLineOption("fuzzy")};
};

// yes → -1 (True), no → 0 (False), as Word's three-valued flags; anything else is refused.
std::optional<int> yesNo(const QString& value);

// A JSON string literal. Written by hand: QJsonObject keeps its keys sorted and costs tens of
// thousands of instructions per inserted member, which dominated a search with many hits.
QString jsonString(const QString& text);
// The same appended to out in UTF-8: a row built in one buffer kept between rows allocates
// nothing per hit.
void appendJsonString(QByteArray& out, QStringView text);
// A whole number's digits appended to out, with no string of its own on the way.
void appendNumber(QByteArray& out, long long n);
// Bytes appended to out: QByteArray's own append goes through its general insert, which cost
// more than the bytes themselves in a row of many short pieces.
inline void appendBytes(QByteArray& out, std::string_view bytes)
{
    const qsizetype at = out.size();
    out.resize(at + static_cast<qsizetype>(bytes.size()));
    std::memcpy(out.data() + at, bytes.data(), bytes.size());
}

// Writes text to standard error at once.
void printErr(const QString& text);

// The exit status when a command's arguments end it: --help prints the usage (0); an unusable
// argument is named above the usage on standard error (2). Nothing when the command goes on.
std::optional<int> argumentsEnd(const char* command, bool help, const QString& usageError, const QString& usage);

} // namespace host
