#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

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
// UTF-8 appended to a buffer through a pointer, the buffer grown only when a piece may not fit:
// QByteArray's own append and resize are calls with checks of their own, which cost more than the
// short pieces of a JSON row. The buffer has its final size once the sink is gone; kept from row to
// row, it allocates nothing per hit.
class ByteSink {
public:
    explicit ByteSink(QByteArray& buffer) : m_buffer(buffer), m_size(buffer.size())
    {
        m_buffer.resize(std::max(m_buffer.capacity(), m_size + 256));
    }
    ~ByteSink() { m_buffer.resize(m_size); }
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void bytes(QByteArrayView bytes)
    {
        std::memcpy(room(bytes.size()), bytes.data(), static_cast<std::size_t>(bytes.size()));
        m_size += bytes.size();
    }
    // A whole number's digits.
    void number(long long n)
    {
        char* const at = room(20);   // the most a long long takes, its sign included
        m_size += std::to_chars(at, at + 20, n).ptr - at;
    }
    // A JSON string literal: quoted, escaped.
    void jsonString(QStringView text);
    // Text as it is.
    void text(QStringView text);
    // Text with its control characters shown visibly (forms::visibleControls), for a table's cell.
    void visibleText(QStringView text);

private:
    // Text encoded in one pass into room for maxPerUnit bytes a UTF-16 unit. ascii(c, o) writes a
    // character below 0x80 at o and returns true, or puts the character of 0x80 or more that it
    // stands for in c and returns false to have that written instead.
    template <typename Ascii>
    void encode(QStringView text, qsizetype maxPerUnit, Ascii ascii);

    char* room(qsizetype n)
    {
        if (m_size + n > m_buffer.size())
            m_buffer.resize(std::max(m_size + n, 2 * m_buffer.size()));
        return m_buffer.data() + m_size;
    }

    QByteArray& m_buffer;
    qsizetype m_size;   // bytes written; the buffer's size is its room
};

// Writes text to standard error at once.
void printErr(const QString& text);

// The exit status when a command's arguments end it: --help prints the usage (0); an unusable
// argument is named above the usage on standard error (2). Nothing when the command goes on.
std::optional<int> argumentsEnd(const char* command, bool help, const QString& usageError, const QString& usage);

} // namespace host
